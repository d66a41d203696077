#include "SquirrelFixture.h"

#include <cstdarg>
#include <cstdio>

std::string SquirrelFixture::printed;

static void CollectPrint(HSQUIRRELVM, const SQChar* fmt, ...) {
    char buf[1024];
    va_list args;
    va_start(args, fmt);
    vsnprintf(buf, sizeof(buf), fmt, args);
    va_end(args);
    SquirrelFixture::printed += buf;
}

void SquirrelFixture::SetUp() {
    printed.clear();
    v = sq_open(1024);
    sq_setprintfunc(v, CollectPrint, CollectPrint);
}

void SquirrelFixture::TearDown() {
    if (v) sq_close(v);
}

bool SquirrelFixture::Run(const std::string& source) {
    SQInteger top = sq_gettop(v);
    if (SQ_FAILED(sq_compilebuffer(v, source.data(), (SQInteger)source.size(), "test", SQTrue))) return false;
    sq_pushroottable(v);
    bool ok = SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue));
    sq_settop(v, top);
    return ok;
}

std::string SquirrelFixture::LastError() {
    sq_getlasterror(v);
    const SQChar* text = "";
    if (SQ_FAILED(sq_getstring(v, -1, &text))) text = "<not a string>";
    std::string result = text;
    sq_pop(v, 1);
    return result;
}
