#include "squirrel/squirrel.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqbaselib.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqcompiler.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqgc.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

#include <cstring>

HSQUIRRELVM sq_open(SQInteger initialstacksize) {
    SQSharedState* ss = new SQSharedState();
    ss->Init();
    SQVM* v = SQVM::Create(ss, initialstacksize, 1 << 17);
    ++v->_uiRef;
    ss->_rootvm = v;
    v->_roottable = SQObjectPtr(SQTable::Create(ss));
    sqRegisterBaseLib(v);
    return v;
}

HSQUIRRELVM sq_newthread(HSQUIRRELVM friendvm, SQInteger initialstacksize) {
    SQVM* v = SQVM::Create(friendvm->_ss, initialstacksize, 1 << 14);
    v->_isThread = true;
    v->_roottable = friendvm->_roottable;
    v->_errorhandler = friendvm->_errorhandler;
    v->_foreignptr = friendvm->_foreignptr;
    friendvm->Push(SQObjectPtr(v));
    return v;
}

// Closing the VM that sq_open made frees everything; closing a thread only drops it.
void sq_close(HSQUIRRELVM v) {
    SQSharedState* ss = v->_ss;
    if (v != ss->_rootvm || ss->_closing) {
        sqRelease(v);
        return;
    }
    ss->Shutdown();
    delete ss;
}

void sq_setforeignptr(HSQUIRRELVM v, SQUserPointer p) { v->_foreignptr = p; }
SQUserPointer sq_getforeignptr(HSQUIRRELVM v) { return v->_foreignptr; }

void sq_setprintfunc(HSQUIRRELVM v, SQPRINTFUNCTION printfunc, SQPRINTFUNCTION errorfunc) {
    v->_ss->_printfunc = printfunc;
    v->_ss->_errorfunc = errorfunc;
}
SQPRINTFUNCTION sq_getprintfunc(HSQUIRRELVM v) { return v->_ss->_printfunc; }
SQPRINTFUNCTION sq_geterrorfunc(HSQUIRRELVM v) { return v->_ss->_errorfunc; }

void sq_seterrorhandler(HSQUIRRELVM v) {
    SQObjectPtr& o = v->Top();
    if (o._type == OT_CLOSURE || o._type == OT_NATIVECLOSURE || o._type == OT_NULL) v->_errorhandler = o;
    v->Pop();
}

void sq_setdebughook(HSQUIRRELVM v) {
    SQObjectPtr& o = v->Top();
    if (o._type == OT_CLOSURE || o._type == OT_NATIVECLOSURE || o._type == OT_NULL) v->_debughook = o;
    v->Pop();
}

void sq_setnativedebughook(HSQUIRRELVM v, SQDEBUGHOOK hook) { v->_nativedebughook = hook; }

void sq_pushroottable(HSQUIRRELVM v) { v->Push(v->_roottable); }
void sq_pushregistrytable(HSQUIRRELVM v) { v->Push(v->_ss->_registry); }
void sq_pushconsttable(HSQUIRRELVM v) { v->Push(v->_ss->_consttable); }

void sq_setroottable(HSQUIRRELVM v) {
    SQObjectPtr& o = v->Top();
    if (o._type == OT_TABLE || o._type == OT_NULL) v->_roottable = o;
    v->Pop();
}

void sq_setconsttable(HSQUIRRELVM v) {
    SQObjectPtr& o = v->Top();
    if (o._type == OT_TABLE) v->_ss->_consttable = o;
    v->Pop();
}

SQInteger sq_getvmstate(HSQUIRRELVM v) {
    if (v->_suspended) return SQ_VMSTATE_SUSPENDED;
    return v->_calls.empty() ? SQ_VMSTATE_IDLE : SQ_VMSTATE_RUNNING;
}

// A native returning this suspends the thread it runs on when it was called straight from
// that thread's script; under another native or a metamethod of a thread the call fails, and
// in the VM made by sq_open (which has no caller to return to) it just returns null.
SQRESULT sq_suspendvm(HSQUIRRELVM) { return SQ_SUSPEND_FLAG; }

SQRESULT sq_wakeupvm(HSQUIRRELVM v, SQBool resumedret, SQBool retval, SQBool raiseerror, SQBool throwerror) {
    if (!v->_suspended) return sq_throwerror(v, "cannot resume a vm that is not running any code");
    SQObjectPtr value, ret;
    if (resumedret && v->_top > v->_stackbase) {
        value = v->Top();
        v->Pop();
    }
    if (!v->WakeUp(value, ret, raiseerror != 0, throwerror != 0)) return SQ_ERROR;
    if (retval) v->Push(ret);
    return SQ_OK;
}

SQInteger sq_getversion() { return 300; }

SQRESULT sq_compilebuffer(HSQUIRRELVM v, const SQChar* s, SQInteger size, const SQChar* sourcename,
                          SQBool raiseerror) {
    SQCompileResult result;
    if (size < 0) size = (SQInteger)strlen(s);
    if (!sqCompile(v, s, size, sourcename, v->_ss->_debuginfo, result)) {
        v->_lasterror = SQObjectPtr(v->_ss->String(result.error.c_str()));
        if (raiseerror && v->_ss->_compilererrorhandler) {
            v->_ss->_compilererrorhandler(v, result.error.c_str(), sourcename ? sourcename : "", result.line,
                                          result.column);
        }
        return SQ_ERROR;
    }
    SQClosure* c = SQClosure::Create(v->_ss, _funcproto(result.function));
    v->Push(SQObjectPtr(c));
    return SQ_OK;
}

void sq_enabledebuginfo(HSQUIRRELVM v, SQBool enable) { v->_ss->_debuginfo = enable != 0; }
void sq_notifyallexceptions(HSQUIRRELVM v, SQBool enable) { v->_ss->_notifyallexceptions = enable != 0; }
void sq_halt(HSQUIRRELVM v) { v->_ss->_halted = true; }
void sq_setcompilererrorhandler(HSQUIRRELVM v, SQCOMPILERERROR f) { v->_ss->_compilererrorhandler = f; }

SQRESULT sq_call(HSQUIRRELVM v, SQInteger params, SQBool retval, SQBool raiseerror) {
    if (params < 1 || v->_top - params - 1 < v->_stackbase) return sq_throwerror(v, "not enough parameters");
    SQObjectPtr callee = v->_stack[v->_top - params - 1];
    SQObjectPtr ret;
    if (!v->Call(callee, params, v->_top - params, ret, raiseerror != 0)) return SQ_ERROR;
    if (retval) v->Push(ret);
    return SQ_OK;
}

SQRESULT sq_getlasterror(HSQUIRRELVM v) {
    v->Push(v->_lasterror);
    return SQ_OK;
}

void sq_reseterror(HSQUIRRELVM v) { v->_lasterror.Null(); }

SQRESULT sq_throwerror(HSQUIRRELVM v, const SQChar* err) {
    v->_lasterror = SQObjectPtr(v->_ss->String(err));
    v->_errorNotified = false;
    return SQ_ERROR;
}

SQRESULT sq_throwobject(HSQUIRRELVM v) {
    v->_lasterror = v->Top();
    v->_errorNotified = false;
    v->Pop();
    return SQ_ERROR;
}

SQRESULT sq_getcallee(HSQUIRRELVM v) {
    if (v->_calls.empty()) return sq_throwerror(v, "no closure in the calls stack");
    const SQCallInfo& ci = v->_calls.back();
    if (ci.native) {
        v->Push(SQObjectPtr(ci.native));
    } else {
        v->Push(SQObjectPtr(ci.closure));
    }
    return SQ_OK;
}

SQRESULT sq_stackinfos(HSQUIRRELVM v, SQInteger level, SQStackInfos* si) {
    SQInteger depth = (SQInteger)v->_calls.size();
    if (level < 0 || level >= depth) return SQ_ERROR;
    const SQCallInfo& ci = v->_calls[(size_t)(depth - 1 - level)];
    if (ci.closure) {
        SQFunctionProto* f = ci.closure->_function;
        si->funcname = f->_name._type == OT_STRING ? _string(f->_name)->_val : "unknown";
        si->source = f->_sourcename._type == OT_STRING ? _string(f->_sourcename)->_val : "unknown";
        SQInteger pc = ci.ip ? (SQInteger)(ci.ip - f->_code.data()) - 1 : 0;
        si->line = f->LineAt(pc < 0 ? 0 : pc);
    } else {
        si->funcname = ci.native && ci.native->_name._type == OT_STRING ? _string(ci.native->_name)->_val : "unknown";
        si->source = "NATIVE";
        si->line = -1;
    }
    return SQ_OK;
}

SQInteger sq_collectgarbage(HSQUIRRELVM v) { return sqCollectGarbage(v->_ss); }

// The unreachable objects become reachable again through the array pushed.
SQRESULT sq_resurrectunreachable(HSQUIRRELVM v) {
    std::vector<SQRefCounted*> unreachable;
    sqCollectGarbage(v->_ss, &unreachable);
    if (unreachable.empty()) {
        v->PushNull();
        return SQ_OK;
    }
    SQArray* a = SQArray::Create(v->_ss, 0);
    SQObjectPtr result(a);
    for (SQRefCounted* r : unreachable) {
        a->_values.push_back(SQObjectPtr(sqCollectableType(r), r));
        sqRelease(r);
    }
    v->Push(result);
    return SQ_OK;
}
