#include "runner/TestNatives.h"

#include "squirrel/squirrel.h"
#include "squirrel/sqstdblob.h"
#include "squirrel/sqstdio.h"
#include "squirrel/sqstdmath.h"
#include "squirrel/sqstdstring.h"
#include "squirrel/sqstdsystem.h"

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

// Runs a script file: print goes to stdout, errors to stderr; exit code 1 after an error.

static void PrintToStdout(HSQUIRRELVM, const SQChar* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vfprintf(stdout, fmt, args);
    va_end(args);
}

static void PrintToStderr(HSQUIRRELVM, const SQChar* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vfprintf(stderr, fmt, args);
    va_end(args);
}

static void ReportCompileError(HSQUIRRELVM, const SQChar* desc, const SQChar* source, SQInteger line,
                               SQInteger column) {
    fprintf(stderr, "[!] %s:%d:%d: %s\n", source, line, column, desc);
}

static SQInteger ReportRuntimeError(HSQUIRRELVM v) {
    const SQChar* message = "unknown";
    if (sq_gettop(v) >= 2 && SQ_SUCCEEDED(sq_tostring(v, 2))) sq_getstring(v, -1, &message);
    fprintf(stderr, "[!] runtime error: %s\n", message);
    SQStackInfos si;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); ++level) {
        fprintf(stderr, "    at %s (%s:%d)\n", si.funcname, si.source, si.line);
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: sqrun script.nut\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        fprintf(stderr, "[!] cannot read %s\n", argv[1]);
        return 2;
    }
    std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    HSQUIRRELVM v = sq_open(1024);
    sq_setprintfunc(v, PrintToStdout, PrintToStderr);
    sq_setcompilererrorhandler(v, ReportCompileError);
    sq_newclosure(v, ReportRuntimeError, 0);
    sq_seterrorhandler(v);
    RegisterTestNatives(v);
    sq_pushroottable(v);
    sqstd_register_bloblib(v);
    sqstd_register_iolib(v);
    sqstd_register_systemlib(v);
    sqstd_register_mathlib(v);
    sqstd_register_stringlib(v);
    sq_pop(v, 1);
    int status = 0;
    if (SQ_FAILED(sq_compilebuffer(v, source.data(), (SQInteger)source.size(), argv[1], SQTrue))) {
        status = 1;
    } else {
        sq_pushroottable(v);
        if (SQ_FAILED(sq_call(v, 1, SQFalse, SQTrue))) status = 1;
        sq_pop(v, 1);
    }
    sq_close(v);
    fflush(stdout);
    return status;
}
