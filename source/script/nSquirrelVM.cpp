#include "script/nSquirrelVM.h"

#include "core/base/nLog.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nScriptVMListener.h"
#include "script/nSquirrelObject.h"

#include "squirrel/sqstdblob.h"
#include "squirrel/sqstdio.h"
#include "squirrel/sqstdmath.h"
#include "squirrel/sqstdstring.h"
#include "squirrel/sqstdsystem.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{
constexpr SQInteger InitialStackSize = 1024;
constexpr uint32_t InitialPrintCapacity = 1024;
constexpr char PrintPrefix[] = "[S] ";
constexpr uint32_t PrintPrefixLength = sizeof(PrintPrefix) - 1;
} // namespace

nSquirrelVM::nSquirrelVM(Quenvar* engine) : nScriptVM(engine), m_printBuffer(MemCategoryGeneral)
{
    m_objects.SetNotOwner(true);
}

nSquirrelVM::~nSquirrelVM()
{
    Close();
}

nSquirrelVM* nSquirrelVM::FromHandle(HSQUIRRELVM vm)
{
    return static_cast<nSquirrelVM*>(sq_getforeignptr(vm));
}

bool nSquirrelVM::Open()
{
    if (m_closing || m_runDepth > 0)
    {
        nLogHolder::Get() << "[!] Cannot open the script machine while it closes or runs a script.\n";
        return false;
    }
    Close();
    HSQUIRRELVM vm = sq_open(InitialStackSize);
    if (!vm)
    {
        nLogHolder::Get() << "[!] Could not create the script machine.\n";
        return false;
    }
    m_vm = vm;
    sq_setforeignptr(vm, this);
    sq_setcompilererrorhandler(vm, CompileErrorHook);
    sq_setprintfunc(vm, PrintHook, PrintHook);
    sq_newclosure(vm, RuntimeErrorHook, 0);
    sq_seterrorhandler(vm);
    ApplyDebugInfo();
    RegisterLibraries();

    sq_pushroottable(vm);
    for (const nObjectTypeConstant& constant : ObjectTypeLegacyConstants)
    {
        sq_pushstring(vm, constant.name, -1);
        sq_pushinteger(vm, constant.type);
        sq_newslot(vm, -3, SQFalse);
    }
    sq_pop(vm, 1);

    DeclareCObjectClass(vm);
    return true;
}

// Where two modules define one name, the later one wins, so the order is fixed.
void nSquirrelVM::RegisterLibraries()
{
    sq_pushroottable(m_vm);
    bool registered = true;
    registered = SQ_SUCCEEDED(sqstd_register_bloblib(m_vm)) && registered;
    registered = SQ_SUCCEEDED(sqstd_register_iolib(m_vm)) && registered;
    registered = SQ_SUCCEEDED(sqstd_register_systemlib(m_vm)) && registered;
    registered = SQ_SUCCEEDED(sqstd_register_mathlib(m_vm)) && registered;
    registered = SQ_SUCCEEDED(sqstd_register_stringlib(m_vm)) && registered;
    sq_pop(m_vm, 1);
    if (!registered)
        nLogHolder::Get() << "[!] Could not register the script standard library.\n";
}

// Host handles give up their references first, while the runtime still exists; the objects they
// kept may then be freed, and their release hooks may run, before the runtime itself goes.
void nSquirrelVM::Close()
{
    if (m_vm && m_runDepth > 0)
    {
        m_closeDeferred = true;
        return;
    }
    m_closeDeferred = false;
    if (m_vm && !m_closing)
    {
        m_closing = true;
        AbandonCall();
        m_argumentHandles.Clear(m_vm);
        m_compiledScripts.Clear(m_vm);
        while (nLinkedListEntry* entry = m_objects.GetHead())
            static_cast<nSquirrelObject*>(entry)->Detach(m_vm);
        sq_close(m_vm);
        m_vm = nullptr;
        m_closing = false;
        nCObject::DestroyReleasedObjects();
    }
    SetState(ScriptVMRunning);
}

nSquirrelVM::RunScope::RunScope(nSquirrelVM& machine) : m_machine(machine)
{
    ++m_machine.m_runDepth;
}

nSquirrelVM::RunScope::~RunScope()
{
    if (--m_machine.m_runDepth == 0 && m_machine.m_closeDeferred)
        m_machine.Close();
}

void nSquirrelVM::AttachObject(nSquirrelObject* object)
{
    m_objects.Add(object, true, true);
}

void nSquirrelVM::SetListener(nScriptVMListener* listener, bool debugInfo)
{
    m_debugInfo = debugInfo;
    ApplyDebugInfo();
    nScriptVM::SetListener(listener, debugInfo);
}

void nSquirrelVM::ApplyDebugInfo()
{
    if (!m_vm)
        return;
    m_compiledScripts.Clear(m_vm);
    sq_enabledebuginfo(m_vm, m_debugInfo ? SQTrue : SQFalse);
    sq_setnativedebughook(m_vm, m_debugInfo ? DebugHook : nullptr);
}

uint32_t nSquirrelVM::InvalidateNativeObject(const void* object)
{
    return IsOpen() ? nCObject::Invalidate(object) : 0;
}

void nSquirrelVM::PrintHook(HSQUIRRELVM vm, const SQChar* format, ...)
{
    nSquirrelVM* machine = FromHandle(vm);
    if (!machine)
        return;
    va_list args;
    va_start(args, format);
    machine->Print(format, args);
    va_end(args);
}

// The buffer grows to hold any output, so a long print is neither cut here nor written past
// the end; it keeps its size for the next print.
void nSquirrelVM::Print(const char* format, va_list args)
{
    if (m_printBuffer.GetCount() == 0 && !m_printBuffer.Resize(PrintPrefixLength + InitialPrintCapacity + 2))
        return;
    va_list retry;
    va_copy(retry, args);
    uint32_t room = m_printBuffer.GetCount() - PrintPrefixLength - 1;
    int length = std::vsnprintf(m_printBuffer.GetData() + PrintPrefixLength, room, format, args);
    if (length >= 0 && static_cast<uint32_t>(length) >= room)
    {
        if (m_printBuffer.Resize(PrintPrefixLength + static_cast<uint32_t>(length) + 2))
            std::vsnprintf(m_printBuffer.GetData() + PrintPrefixLength, static_cast<uint32_t>(length) + 1,
                           format, retry);
        else
            length = -1;
    }
    va_end(retry);
    if (length < 0)
        return;
    char* line = m_printBuffer.GetData();
    std::memcpy(line, PrintPrefix, PrintPrefixLength);
    line[PrintPrefixLength + length] = '\n';
    line[PrintPrefixLength + length + 1] = '\0';
    nLogHolder::Get() << line;
}

void nSquirrelVM::CompileErrorHook(HSQUIRRELVM vm, const SQChar* description, const SQChar* source,
                                   SQInteger line, SQInteger)
{
    nSquirrelVM* machine = FromHandle(vm);
    if (machine && machine->GetListener())
        machine->GetListener()->OnCompileError(description, source, line);
}

void nSquirrelVM::DebugHook(HSQUIRRELVM vm, SQInteger type, const SQChar* source, SQInteger line,
                            const SQChar* function)
{
    nSquirrelVM* machine = FromHandle(vm);
    if (machine && machine->GetListener())
        machine->GetListener()->OnDebugHook(type, source, line, function);
}

// Only the first error reaches the listener: it stops the machine, and what follows is a
// consequence of it. The call stack follows its report, so the error names its function, file
// and line. A stopped machine runs no more script code: no try of the calls still open catches
// what unwinds them (an error inside an included file reaches the caller of Include as an error).
SQInteger nSquirrelVM::RuntimeErrorHook(HSQUIRRELVM vm)
{
    const SQChar* text = "Unspecified runtime error";
    if (sq_gettop(vm) >= 2 && sq_gettype(vm, 2) == OT_STRING)
        sq_getstring(vm, 2, &text);
    nSquirrelVM* machine = FromHandle(vm);
    if (machine && machine->GetState() == ScriptVMRunning)
    {
        machine->SetState(ScriptVMRuntimeError);
        sq_halt(vm);
        if (machine->GetListener())
        {
            machine->GetListener()->OnRuntimeError(text);
            // A message may end with its own newline ("Failed to include script"): the header
            // stays one line.
            std::string reason = std::string("Runtime error: ") + text;
            while (!reason.empty() && reason.back() == '\n')
                reason.pop_back();
            PrintCallStack(vm, reason.c_str(), nullptr);
        }
    }
    return sq_suspendvm(vm);
}

int32_t nSquirrelVM::GetCallStack(nList<nScriptCallStackRecord>& records)
{
    records.Clear();
    if (!m_vm)
        return -1;
    for (SQInteger level = 0;; ++level)
    {
        SQStackInfos info{};
        const SQRESULT result = sq_stackinfos(m_vm, level, &info);
        if (SQ_FAILED(result))
            return result;
        nScriptCallStackRecord record;
        record.source = info.source;
        record.function = info.funcname;
        record.line = info.line;
        records.PushBack(record);
    }
}

void nSquirrelVM::PrintCallStack(HSQUIRRELVM vm, const char* reason, nString* out)
{
    nLog& log = nLogHolder::Get();
    log << "[|] "
        << "\n";
    nString header = nString::Format("Call stack (%s):\n", reason ? reason : "Requested");
    log << "[|] " << header.GetText();
    SQStackInfos info{};
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(vm, level, &info)); ++level)
    {
        // A runaway recursion has thousands of frames: the innermost tell where it went wrong.
        if (level > MaxDumpedFrames)
        {
            SQInteger rest = 1;
            while (SQ_SUCCEEDED(sq_stackinfos(vm, level + rest, &info)))
                ++rest;
            const nString line = nString::Format("  ... %d more", int(rest));
            log << "[|] " << (line + "\n").GetText();
            header += line;
            break;
        }
        nString line;
        if (!info.funcname)
            line = nString::Format("  %d: NOINFO", level);
        else if (info.line == -1)
            line = nString::Format("  %d: %s() C/C++", level, info.funcname);
        else
            line = nString::Format("  %d: %s() %s(%d)", level, info.funcname, info.source ? info.source : "",
                                   info.line);
        log << "[|] " << (line + "\n").GetText();
        header += line;
    }
    if (out)
        *out = header;
    log << "[|] "
        << "\n";
}
