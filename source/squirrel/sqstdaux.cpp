#include "squirrel/sqstdaux.h"

static SQPRINTFUNCTION ErrorOutput(HSQUIRRELVM v) {
    SQPRINTFUNCTION pf = sq_geterrorfunc(v);
    return pf ? pf : sq_getprintfunc(v);
}

// Level 0 is the native that asked for the dump (the error handler, for one), so the listing
// starts with its caller.
void sqstd_printcallstack(HSQUIRRELVM v) {
    SQPRINTFUNCTION pf = ErrorOutput(v);
    if (!pf) return;
    pf(v, "CALLSTACK\n");
    SQStackInfos si;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); ++level) {
        pf(v, "*FUNCTION [%s()] %s line [%d]\n", si.funcname ? si.funcname : "unknown",
           si.source ? si.source : "unknown", (int)si.line);
    }
}

static SQInteger RuntimeErrorHandler(HSQUIRRELVM v) {
    SQPRINTFUNCTION pf = ErrorOutput(v);
    if (!pf) return 0;
    const SQChar* message = "unknown";
    if (sq_gettop(v) >= 2 && SQ_SUCCEEDED(sq_tostring(v, 2))) sq_getstring(v, -1, &message);
    pf(v, "\nRUNTIME ERROR: %s\n", message);
    sqstd_printcallstack(v);
    return 0;
}

static void CompilerErrorHandler(HSQUIRRELVM v, const SQChar* desc, const SQChar* source, SQInteger line,
                                 SQInteger column) {
    if (SQPRINTFUNCTION pf = ErrorOutput(v)) {
        pf(v, "%s:%d:%d: compile error: %s\n", source ? source : "", (int)line, (int)column, desc);
    }
}

void sqstd_seterrorhandlers(HSQUIRRELVM v) {
    sq_setcompilererrorhandler(v, CompilerErrorHandler);
    sq_newclosure(v, RuntimeErrorHandler, 0);
    sq_seterrorhandler(v);
}
