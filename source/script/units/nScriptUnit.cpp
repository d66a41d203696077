#include "script/units/nScriptUnit.h"

#include "core/base/nLog.h"
#include "script/nScriptObject.h"
#include "script/nScriptVM.h"
#include "script/nScriptValue.h"
#include "script/units/nScriptedObject.h"

#include <memory>

nScriptUnit::nScriptUnit(nScriptVM* vm) : m_vm(vm) {}

nScriptUnit::~nScriptUnit()
{
    ClearParameters();
    delete m_instance;
}

void nScriptUnit::ClearParameters()
{
    for (auto* node = m_parameters.GetHead(); node; node = node->next)
        delete node->value;
    m_parameters.Clear();
}

void nScriptUnit::SetOwner(void* owner, int32_t ownerType)
{
    m_owner = owner;
    m_ownerType = ownerType;
}

void nScriptUnit::AddParameter(const nVariant& parameter)
{
    nVariant* copy = new nVariant(parameter);
    if (!m_parameters.PushBack(copy))
        delete copy;
}

// The file runs again at every instantiation, so a unit re-instantiated after an edit of its
// script sees the new code.
bool nScriptUnit::Instantiate()
{
    ReleaseInstance();
    if (m_script.IsEmpty() || m_className.IsEmpty())
        return true;
    if (!m_vm->RunFile(m_script, false))
        return false;
    if (!m_vm->BeginCall(m_className.GetText(), nullptr, nullptr))
    {
        ReportMissingClass();
        return false;
    }
    nScriptValue result;
    if (!m_vm->EndCall(&result) || result.GetKind() != ScriptValueObject || !result.GetScriptObject())
    {
        m_vm->RaiseError(nString::Format("Function call to '%s' failed.", m_className.GetText()).GetText());
        return false;
    }
    m_instance = result.TakeObject();
    for (auto* node = m_parameters.GetHead(); node; node = node->next)
    {
        nScriptValue value(*node->value);
        m_vm->SetSlot(node->value->GetName().GetText(), value, m_instance);
    }
    return true;
}

// The unit goes on without an instance, as before; but its events are tried again and again, so
// the reason is told once. A machine that refuses calls for another reason (a script error
// stopped it) says so itself.
void nScriptUnit::ReportMissingClass()
{
    if (m_missingClassReported || !m_vm->IsOpen() || m_vm->GetState() != ScriptVMRunning)
        return;
    const std::unique_ptr<nScriptObject> found(m_vm->GetObject(m_className.GetText(), nullptr));
    if (found)
        return;
    m_missingClassReported = true;
    nLogHolder::Get() << "[*] Script class '" << m_className << "' not found in '" << m_script << "'.\n";
}

void nScriptUnit::ReleaseInstance()
{
    delete m_instance;
    m_instance = nullptr;
}

void nScriptUnit::CacheMethod(nScriptObject*& handle, const char* name)
{
    nScriptObject* method = m_instance ? m_vm->GetObject(name, m_instance) : nullptr;
    if (handle != method)
        delete handle;
    handle = method;
}

void nScriptUnit::CachedMethodsChanged()
{
    if (m_holder)
        m_holder->RefreshCachedMethods();
}

uint32_t nScriptUnit::CachedMethodBits(nScriptObject* const* methods, uint32_t count)
{
    uint32_t bits = 0;
    for (uint32_t method = 0; method < count; ++method)
        if (methods[method])
            bits |= 1u << method;
    return bits;
}

void nScriptUnit::DeleteMethods(nScriptObject** methods, uint32_t count)
{
    for (uint32_t method = 0; method < count; ++method)
    {
        delete methods[method];
        methods[method] = nullptr;
    }
}

bool nScriptUnit::BeginCall(const char* name, nScriptObject* function)
{
    if (!m_instance || !m_vm->BeginCall(name, function, m_instance))
        return false;
    const nScriptValue owner(m_ownerType, m_owner);
    m_vm->PushArgument(owner);
    return true;
}

bool nScriptUnit::PushArgument(const nScriptValue& value)
{
    return m_vm->PushArgument(value);
}

bool nScriptUnit::EndCall(nScriptValue* out)
{
    return m_vm->EndCall(out);
}
