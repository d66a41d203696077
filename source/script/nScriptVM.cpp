#include "script/nScriptVM.h"

#include "script/nScriptVMListener.h"

int32_t nScriptVM::GetCallStack(nList<nScriptCallStackRecord>& records)
{
    records.Clear();
    return -1;
}

void nScriptVM::SetListener(nScriptVMListener* listener, bool)
{
    m_listener = listener;
}

void nScriptVM::ClearDeadNativeGlobal(const char*, nScriptObject*) {}

int32_t nScriptVM::GetNativeGlobal(const char*, const void*& object)
{
    object = nullptr;
    return 0;
}

void nScriptVM::RaiseError(const char* text)
{
    if (m_listener)
        m_listener->OnError(text);
    m_state = ScriptVMHostError;
}
