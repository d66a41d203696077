#include "squirrel/sqmem.h"
#include "squirrel/sqstdblob.h"
#include "squirrel/sqstdio.h"
#include "squirrel/sqstdmath.h"
#include "squirrel/sqstdstring.h"
#include "squirrel/sqstdsystem.h"
#include "squirrel/squirrel.h"
#include "squirrel/sqvm.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// Compiles the input as a script and, when it compiles, runs it with the standard library
// registered. Every line event counts against a budget, and what scripts hold against a
// memory bound; past either the script is stopped (a clean end: endless loops and runaway
// allocations are no findings, and scripts cannot switch the line events off). Sizes asked
// for at once beyond the bound are refused with a script error. The budget is small so that
// the fuzzer runs thousands of inputs a second. Nothing may write, remove or rename host
// files or run commands: those functions are taken out and `file` opens one scratch file for
// reading, whatever it is given.

namespace
{

constexpr uint64_t LineEventBudget = 5000;
constexpr int64_t MemoryBound = int64_t(64) << 20;
uint64_t lineEvents = 0;

// Made on first use, so that a plain program replaying inputs has it as the fuzzer does, and
// removed when the process ends.
struct ScratchFile
{
    ScratchFile()
    {
        char pattern[] = "/tmp/squirrel_fuzzer_XXXXXX";
        int fd = mkstemp(pattern);
        if (fd < 0)
            std::abort();
        const char content[] = "scratch\x01\x02\x03\x04\xff\x00 text for reads";
        if (write(fd, content, sizeof(content)) != static_cast<ssize_t>(sizeof(content)))
            std::abort();
        close(fd);
        path = pattern;
    }
    ~ScratchFile() { unlink(path.c_str()); }
    std::string path;
};

const std::string& ScratchPath()
{
    static const ScratchFile file;
    return file.path;
}

void CountLineEvent(HSQUIRRELVM vm, SQInteger type, const SQChar*, SQInteger, const SQChar*)
{
    if (type == 'l' && (++lineEvents > LineEventBudget || sqLiveBytesOverLimit()))
        vm->_stopRequest = true;
}

void Discard(HSQUIRRELVM, const SQChar*, ...) {}

void IgnoreCompileError(HSQUIRRELVM, const SQChar*, const SQChar*, SQInteger, SQInteger) {}

// newthread through the library's own, then the new thread counts its line events too.
// Stack: `this`, the function, the library's newthread (free variable).
SQInteger NewBudgetedThread(HSQUIRRELVM vm)
{
    sq_push(vm, 3);
    sq_push(vm, 1);
    sq_push(vm, 2);
    if (SQ_FAILED(sq_call(vm, 2, SQTrue, SQFalse)))
        return SQ_ERROR;
    HSQUIRRELVM thread = nullptr;
    if (SQ_SUCCEEDED(sq_getthread(vm, -1, &thread)))
        sq_setnativedebughook(thread, CountLineEvent);
    return 1;
}

void RemoveRootSlot(HSQUIRRELVM vm, const char* name)
{
    sq_pushstring(vm, name, -1);
    sq_deleteslot(vm, -2, SQFalse);
}

// Expects the root table on top.
void ConfineHostAccess(HSQUIRRELVM vm)
{
    for (const char* name : {"system", "remove", "rename", "loadfile", "dofile", "writeclosuretofile", "enabledebuginfo"})
        RemoveRootSlot(vm, name);
    sq_pushstring(vm, "newthread", -1);
    sq_pushstring(vm, "newthread", -1);
    sq_get(vm, -3);
    sq_newclosure(vm, NewBudgetedThread, 1);
    sq_setparamscheck(vm, 2, ".c");
    sq_newslot(vm, -3, SQFalse);
    const std::string confine = "local libraryFile = ::file;\n"
                                "::file <- class extends libraryFile {\n"
                                "    constructor(name, mode) { base.constructor(\"" +
                                ScratchPath() + "\", \"rb\"); }\n"
                                "};\n";
    if (SQ_SUCCEEDED(sq_compilebuffer(vm, confine.data(), static_cast<SQInteger>(confine.size()), "confine",
                                      SQTrue)))
    {
        sq_pushroottable(vm);
        if (SQ_FAILED(sq_call(vm, 1, SQFalse, SQTrue)))
            std::abort();
        sq_pop(vm, 1);
    }
    else
    {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lineEvents = 0;
    HSQUIRRELVM vm = sq_open(1024);
    sq_setprintfunc(vm, Discard, Discard);
    sq_setcompilererrorhandler(vm, IgnoreCompileError);
    sq_enabledebuginfo(vm, SQTrue);
    sq_setnativedebughook(vm, CountLineEvent);
    sq_pushroottable(vm);
    sqstd_register_bloblib(vm);
    sqstd_register_iolib(vm);
    sqstd_register_systemlib(vm);
    sqstd_register_mathlib(vm);
    sqstd_register_stringlib(vm);
    ConfineHostAccess(vm);
    sq_pop(vm, 1);
    sqSetLiveBytesLimit(sqLiveBytes() + MemoryBound);
    if (SQ_SUCCEEDED(sq_compilebuffer(vm, reinterpret_cast<const SQChar*>(data), static_cast<SQInteger>(size),
                                      "fuzz", SQTrue)))
    {
        sq_pushroottable(vm);
        sq_call(vm, 1, SQFalse, SQTrue);
        sq_pop(vm, 1);
    }
    sq_close(vm);
    sqSetLiveBytesLimit(0);
    return 0;
}
