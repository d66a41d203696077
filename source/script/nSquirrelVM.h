#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nLinkedList.h"
#include "script/nArgumentHandles.h"
#include "script/nCompiledScripts.h"
#include "script/nScriptVM.h"
#include "squirrel/squirrel.h"

#include <cstdarg>

class nSquirrelObject;

// The script machine over the Squirrel runtime. Every hook finds its machine through the
// runtime's foreign pointer. While the machine closes it counts as closed, so whatever release
// hooks try to do with it during the close is refused.
class nSquirrelVM : public nScriptVM
{
public:
    explicit nSquirrelVM(Quenvar* engine);
    // Closes the machine when its owner did not, so no runtime memory outlives it.
    ~nSquirrelVM() override;

    int32_t GetCallStack(nList<nScriptCallStackRecord>& records) override;
    const char* GetName() const override { return "Squirrel 3.0"; }
    void SetListener(nScriptVMListener* listener, bool debugInfo) override;
    nScriptObject* GetObject(const char* name, nScriptObject* parent) override;
    bool RunFile(const nString& path, bool flag) override;
    nScriptObject* NewTable() override;
    bool SetSlot(const char* name, const nScriptValue& value, nScriptObject* parent) override;
    bool GetSlot(const char* name, nScriptValue& out, nScriptObject* parent) override;
    nScriptObject* NewArray() override;
    bool ArrayAppend(const nScriptValue& value, nScriptObject* array) override;
    bool BeginCall(const char* name, nScriptObject* function, nScriptObject* self) override;
    bool PushArgument(const nScriptValue& value) override;
    bool EndCall(nScriptValue* out) override;
    uint32_t InvalidateNativeObject(const void* object) override;
    void ClearDeadNativeGlobal(const char* name, nScriptObject* replacement = nullptr) override;
    int32_t GetNativeGlobal(const char* name, const void*& object) override;
    bool IsOpen() const override { return m_vm != nullptr && !m_closing && !m_closeDeferred; }
    bool Open() override;
    void Close() override;

    HSQUIRRELVM GetHandle() const { return m_vm; }

    // How many files run inside one another now; "Include" refuses to go deeper than the limit,
    // so a file that includes itself stops with a clear error instead of a stack overflow.
    static constexpr int32_t MaxFileNesting = 32;
    int32_t GetFileNesting() const { return m_fileNesting; }

    // Logs the active frames of vm as "[|] " lines, skipping level 0 (the native that asks), at
    // most MaxDumpedFrames of them and then a count of the rest; out, when given, receives the
    // header with the frame lines appended.
    static constexpr SQInteger MaxDumpedFrames = 40;
    static void PrintCallStack(HSQUIRRELVM vm, const char* reason, nString* out);

private:
    friend class nSquirrelObject;

    static nSquirrelVM* FromHandle(HSQUIRRELVM vm);
    static void PrintHook(HSQUIRRELVM vm, const SQChar* format, ...);
    static void CompileErrorHook(HSQUIRRELVM vm, const SQChar* description, const SQChar* source,
                                 SQInteger line, SQInteger column);
    static void DebugHook(HSQUIRRELVM vm, SQInteger type, const SQChar* source, SQInteger line,
                          const SQChar* function);
    static SQInteger RuntimeErrorHook(HSQUIRRELVM vm);

    void Print(const char* format, va_list args);
    void ApplyDebugInfo();
    void RegisterLibraries();
    void AttachObject(nSquirrelObject* object);
    bool PushParent(nScriptObject* parent);
    bool PushValue(const nScriptValue& value);
    void ReadValue(SQInteger index, nScriptValue& out);
    nScriptObject* WrapTop();
    void AbandonCall();
    void DestroyReleasedObjectsAtOutermostEnd();

    // Marks the host's entries into the runtime that may run script code. A Close asked for
    // inside one (by a native) waits until the outermost has returned, so that the runtime is
    // not freed under the interpreter.
    class RunScope
    {
    public:
        explicit RunScope(nSquirrelVM& machine);
        ~RunScope();

    private:
        nSquirrelVM& m_machine;
    };

    HSQUIRRELVM m_vm = nullptr;
    int32_t m_argumentCount = 0;
    SQInteger m_callBase = 0;  // stack top before the pending call's pushes
    size_t m_callLentBase = 0; // lent argument handles before the pending call's pushes
    nArgumentHandles m_argumentHandles;
    nCompiledScripts m_compiledScripts;
    bool m_callPending = false;
    bool m_closing = false;
    bool m_closeDeferred = false;
    int32_t m_runDepth = 0;
    int32_t m_fileNesting = 0;
    bool m_debugInfo = false;
    nLinkedList m_objects; // live nSquirrelObject handles, not owned
    nAutoArray<char> m_printBuffer;
};
