#include "squirrel/sqbaselib.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqdelegates.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

static SQInteger BasePrint(HSQUIRRELVM v) {
    const SQChar* text;
    if (SQ_FAILED(sq_tostring(v, 2))) return SQ_ERROR;
    sq_getstring(v, -1, &text);
    if (SQPRINTFUNCTION pf = sq_getprintfunc(v)) pf(v, "%s", text);
    return 0;
}

static SQInteger BaseError(HSQUIRRELVM v) {
    const SQChar* text;
    if (SQ_FAILED(sq_tostring(v, 2))) return SQ_ERROR;
    sq_getstring(v, -1, &text);
    if (SQPRINTFUNCTION pf = sq_geterrorfunc(v)) pf(v, "%s", text);
    return 0;
}

static SQInteger BaseArray(HSQUIRRELVM v) {
    SQInteger size;
    sq_getinteger(v, 2, &size);
    if (size < 0) return sq_throwerror(v, "negative size");
    if (size > kMaxArraySize) return sq_throwerror(v, "size too big");
    if (!sqMayAllocate((int64_t)size * (int64_t)sizeof(SQObjectPtr))) return sq_throwerror(v, "not enough memory");
    sq_newarray(v, size);
    if (sq_gettop(v) > 3) {
        SQObjectPtr fill = v->StackAt(3);
        for (SQObjectPtr& slot : _array(v->Top())->_values) slot = fill;
    }
    return 1;
}

static SQInteger BaseAssert(HSQUIRRELVM v) {
    SQBool b;
    sq_tobool(v, 2, &b);
    if (b) return 0;
    if (sq_gettop(v) > 2 && sq_gettype(v, 3) == OT_STRING) {
        const SQChar* msg;
        sq_getstring(v, 3, &msg);
        return sq_throwerror(v, msg);
    }
    return sq_throwerror(v, "assertion failed");
}

static SQInteger BaseType(HSQUIRRELVM v) {
    sq_pushstring(v, sqTypeName(sq_gettype(v, 2)), -1);
    return 1;
}

static SQInteger BaseCallee(HSQUIRRELVM v) {
    if (v->_calls.size() < 2) return sq_throwerror(v, "no closure in the calls stack");
    const SQCallInfo& ci = v->_calls[v->_calls.size() - 2];
    if (ci.closure) {
        v->Push(SQObjectPtr(ci.closure));
    } else {
        v->Push(SQObjectPtr(ci.native));
    }
    return 1;
}

static SQInteger BaseCompileString(HSQUIRRELVM v) {
    const SQChar* src;
    SQInteger size;
    sq_getstringandsize(v, 2, &src, &size);
    const SQChar* name = "unnamedbuffer";
    if (sq_gettop(v) > 2) sq_getstring(v, 3, &name);
    if (SQ_FAILED(sq_compilebuffer(v, src, size, name, SQFalse))) return SQ_ERROR;
    return 1;
}

static SQInteger BaseGetRootTable(HSQUIRRELVM v) {
    sq_pushroottable(v);
    return 1;
}

static SQInteger BaseSetRootTable(HSQUIRRELVM v) {
    sq_pushroottable(v);
    sq_push(v, 2);
    sq_setroottable(v);
    return 1;
}

static SQInteger BaseGetConstTable(HSQUIRRELVM v) {
    sq_pushconsttable(v);
    return 1;
}

static SQInteger BaseSetConstTable(HSQUIRRELVM v) {
    sq_pushconsttable(v);
    sq_push(v, 2);
    sq_setconsttable(v);
    return 1;
}

static SQInteger BaseSetErrorHandler(HSQUIRRELVM v) {
    sq_push(v, 2);
    sq_seterrorhandler(v);
    return 0;
}

static SQInteger BaseSetDebugHook(HSQUIRRELVM v) {
    sq_push(v, 2);
    sq_setdebughook(v);
    return 0;
}

static SQInteger BaseEnableDebugInfo(HSQUIRRELVM v) {
    SQBool b;
    sq_tobool(v, 2, &b);
    sq_enabledebuginfo(v, b);
    return 0;
}

SQInteger sqPushStackInfos(HSQUIRRELVM v, HSQUIRRELVM target, SQInteger level) {
    SQStackInfos si;
    if (SQ_FAILED(sq_stackinfos(target, level, &si))) return 0;
    SQTable* t = SQTable::Create(v->_ss);
    SQObjectPtr result(t);
    SQSharedState* ss = v->_ss;
    t->NewSlot(SQObjectPtr(ss->String("func")), SQObjectPtr(ss->String(si.funcname)));
    t->NewSlot(SQObjectPtr(ss->String("src")), SQObjectPtr(ss->String(si.source)));
    t->NewSlot(SQObjectPtr(ss->String("line")), SQObjectPtr(si.line));
    SQTable* locals = SQTable::Create(ss);
    SQObjectPtr localsObj(locals);
    const SQCallInfo& ci = target->_calls[target->_calls.size() - 1 - (size_t)level];
    if (ci.closure) {
        SQFunctionProto* f = ci.closure->_function;
        SQInteger pc = ci.ip ? (SQInteger)(ci.ip - f->_code.data()) - 1 : 0;
        for (const SQLocalVarInfo& lv : f->_localvarinfos) {
            if (pc >= lv.startpc && pc < lv.endpc && _string(lv.name)->_val[0] != '@') {
                locals->NewSlot(lv.name, ci.base[lv.slot]);
            }
        }
    }
    t->NewSlot(SQObjectPtr(ss->String("locals")), localsObj);
    v->Push(result);
    return 1;
}

static SQInteger BaseGetStackInfos(HSQUIRRELVM v) {
    SQInteger level;
    sq_getinteger(v, 2, &level);
    return sqPushStackInfos(v, v, level);
}

static SQInteger BaseCollectGarbage(HSQUIRRELVM v) {
    sq_pushinteger(v, sq_collectgarbage(v));
    return 1;
}

static SQInteger BaseResurrectUnreachable(HSQUIRRELVM v) {
    return SQ_SUCCEEDED(sq_resurrectunreachable(v)) ? 1 : SQ_ERROR;
}

static SQInteger BaseNewThread(HSQUIRRELVM v) {
    SQObjectPtr fn = v->StackAt(2);
    HSQUIRRELVM thread = sq_newthread(v, 1024);
    thread->Push(fn);
    return 1;
}

static SQInteger BaseSuspend(HSQUIRRELVM v) { return sq_suspendvm(v); }

static const SQRegFunction kBaseFunctions[] = {
    {"print", BasePrint, 2, nullptr},
    {"error", BaseError, 2, nullptr},
    {"array", BaseArray, -2, ".n"},
    {"assert", BaseAssert, -2, nullptr},
    {"type", BaseType, 2, nullptr},
    {"callee", BaseCallee, 0, nullptr},
    {"compilestring", BaseCompileString, -2, ".ss"},
    {"getroottable", BaseGetRootTable, 1, nullptr},
    {"setroottable", BaseSetRootTable, 2, ".t"},
    {"getconsttable", BaseGetConstTable, 1, nullptr},
    {"setconsttable", BaseSetConstTable, 2, ".t"},
    {"seterrorhandler", BaseSetErrorHandler, 2, ".c|o"},
    {"setdebughook", BaseSetDebugHook, 2, ".c|o"},
    {"enabledebuginfo", BaseEnableDebugInfo, 2, nullptr},
    {"getstackinfos", BaseGetStackInfos, 2, ".n"},
    {"collectgarbage", BaseCollectGarbage, 0, nullptr},
    {"resurrectunreachable", BaseResurrectUnreachable, 0, nullptr},
    {"newthread", BaseNewThread, 2, ".c"},
    {"suspend", BaseSuspend, -1, nullptr},
    {nullptr, nullptr, 0, nullptr}};

void sqRegisterBaseLib(HSQUIRRELVM v) {
    SQTable* functions = sqRegisterFunctions(v->_ss, kBaseFunctions);
    SQObjectPtr keep(functions);
    SQTable* root = _table(v->_roottable);
    SQObjectPtr key, val;
    for (SQInteger pos = 0; (pos = functions->Next(pos, key, val)) >= 0;) root->NewSlot(key, val);
    SQSharedState* ss = v->_ss;
    root->NewSlot(SQObjectPtr(ss->String("_version_")), SQObjectPtr(ss->String("Squirrel 3.0 (Kestrun)")));
    root->NewSlot(SQObjectPtr(ss->String("_versionnumber_")), SQObjectPtr((SQInteger)300));
    root->NewSlot(SQObjectPtr(ss->String("_intsize_")), SQObjectPtr((SQInteger)sizeof(SQInteger)));
    root->NewSlot(SQObjectPtr(ss->String("_floatsize_")), SQObjectPtr((SQInteger)sizeof(SQFloat)));
    root->NewSlot(SQObjectPtr(ss->String("_charsize_")), SQObjectPtr((SQInteger)sizeof(SQChar)));
}
