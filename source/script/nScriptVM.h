#pragma once

#include "core/base/nList.h"
#include "platform/nstring/nString.h"

#include <cstdint>

class Quenvar;
class nScriptObject;
class nScriptValue;
class nScriptVMListener;

enum nScriptVMState : int32_t
{
    ScriptVMRunning = 0,
    ScriptVMRuntimeError = 1,
    ScriptVMHostError = 2,
};

struct nScriptCallStackRecord
{
    nString source;
    nString function;
    int32_t line = -1; // -1 for a native function
};

// The script virtual machine as the engine sees it. Nothing is thrown across it: operations
// answer a boolean, a count or a null handle. After a runtime error or a host error the machine
// refuses every further call until it is closed and opened again.
//
// A call from the host is BeginCall, one PushArgument per argument, then EndCall; "parent" and
// "this" arguments that are null stand for the machine's root table. Handles returned here belong
// to the caller.
class nScriptVM
{
public:
    explicit nScriptVM(Quenvar* engine) : m_engine(engine) {}
    nScriptVM(const nScriptVM&) = delete;
    nScriptVM& operator=(const nScriptVM&) = delete;

    // Innermost frame first; answers the status of the last frame query (negative once the walk ended).
    virtual int32_t GetCallStack(nList<nScriptCallStackRecord>& records);
    virtual const char* GetName() const = 0;
    // The listener is not owned; debug events reach it only while debugInfo is set.
    virtual void SetListener(nScriptVMListener* listener, bool debugInfo);
    virtual nScriptObject* GetObject(const char* name, nScriptObject* parent) = 0;
    // False only when the file cannot be read: a compile error goes to the listener.
    virtual bool RunFile(const nString& path, bool flag) = 0;
    virtual nScriptObject* NewTable() = 0;
    virtual bool SetSlot(const char* name, const nScriptValue& value, nScriptObject* parent) = 0;
    virtual bool GetSlot(const char* name, nScriptValue& out, nScriptObject* parent) = 0;
    virtual nScriptObject* NewArray() = 0;
    virtual bool ArrayAppend(const nScriptValue& value, nScriptObject* array) = 0;
    virtual bool BeginCall(const char* name, nScriptObject* function, nScriptObject* self) = 0;
    virtual bool PushArgument(const nScriptValue& value) = 0;
    virtual bool EndCall(nScriptValue* out) = 0;
    virtual uint32_t InvalidateNativeObject(const void* object) = 0;
    // A root-table global whose engine object was invalidated gets the replacement back (a value
    // read earlier with GetObject), or null when there is none or it is dead as well, so scripts
    // never find a dead handle there.
    virtual void ClearDeadNativeGlobal(const char* name, nScriptObject* replacement = nullptr);
    // The object type of the handle that a root-table global holds, with its engine object;
    // ObjectTypeUndefined (0) when the global holds no handle.
    virtual int32_t GetNativeGlobal(const char* name, const void*& object);
    virtual bool IsOpen() const = 0;
    virtual bool Open() = 0;
    virtual void RaiseError(const char* text);
    virtual void Close() = 0;
    virtual ~nScriptVM() = default;

    Quenvar* GetEngine() const { return m_engine; }
    nScriptVMState GetState() const { return m_state; }
    nScriptVMListener* GetListener() const { return m_listener; }

protected:
    void SetState(nScriptVMState state) { m_state = state; }

private:
    Quenvar* m_engine;
    nScriptVMState m_state = ScriptVMRunning;
    nScriptVMListener* m_listener = nullptr;
};
