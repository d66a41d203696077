#include "squirrel/sqdelegates.h"

#include "squirrel/sqclass.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

SQTable* sqRegisterFunctions(SQSharedState* ss, const SQRegFunction* functions) {
    SQTable* t = SQTable::Create(ss);
    for (const SQRegFunction* f = functions; f->name; ++f) {
        SQNativeClosure* nc = SQNativeClosure::Create(ss, f->f, 0);
        SQObjectPtr closure(nc);
        nc->_name = SQObjectPtr(ss->String(f->name));
        nc->_nparamscheck = f->nparamscheck;
        if (f->typemask) sqParseTypeMask(f->typemask, nc->_typecheck);
        t->NewSlot(SQObjectPtr(ss->String(f->name)), closure);
    }
    return t;
}

static void MarkIntrinsic(SQSharedState* ss, const SQObjectPtr& delegate, const SQChar* name, SQIntrinsic id) {
    SQObjectPtr* method = _table(delegate)->FindString(ss->String(name));
    if (method && method->_type == OT_NATIVECLOSURE) _nativeclosure(*method)->_intrinsic = id;
}

void sqCreateDefaultDelegates(SQSharedState* ss) {
    ss->_numberDelegate = SQObjectPtr(sqRegisterFunctions(ss, sqNumberDelegate));
    ss->_stringDelegate = SQObjectPtr(sqRegisterFunctions(ss, sqStringDelegate));
    ss->_tableDelegate = SQObjectPtr(sqRegisterFunctions(ss, sqTableDelegate));
    ss->_arrayDelegate = SQObjectPtr(sqRegisterFunctions(ss, sqArrayDelegate));
    ss->_closureDelegate = SQObjectPtr(sqRegisterFunctions(ss, sqClosureDelegate));
    ss->_generatorDelegate = SQObjectPtr(sqRegisterFunctions(ss, sqGeneratorDelegate));
    ss->_threadDelegate = SQObjectPtr(sqRegisterFunctions(ss, sqThreadDelegate));
    ss->_classDelegate = SQObjectPtr(sqRegisterFunctions(ss, sqClassDelegate));
    ss->_instanceDelegate = SQObjectPtr(sqRegisterFunctions(ss, sqInstanceDelegate));
    ss->_weakrefDelegate = SQObjectPtr(sqRegisterFunctions(ss, sqWeakRefDelegate));
    MarkIntrinsic(ss, ss->_arrayDelegate, "len", SQIntrinsic::ArrayLen);
    MarkIntrinsic(ss, ss->_arrayDelegate, "append", SQIntrinsic::ArrayAppend);
    MarkIntrinsic(ss, ss->_arrayDelegate, "push", SQIntrinsic::ArrayAppend);
    MarkIntrinsic(ss, ss->_arrayDelegate, "top", SQIntrinsic::ArrayTop);
    MarkIntrinsic(ss, ss->_stringDelegate, "len", SQIntrinsic::StringLen);
    MarkIntrinsic(ss, ss->_tableDelegate, "len", SQIntrinsic::TableLen);
}

SQInteger sqDelegateWeakRef(HSQUIRRELVM v) {
    sq_weakref(v, 1);
    return 1;
}

SQInteger sqDelegateToString(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_tostring(v, 1))) return SQ_ERROR;
    return 1;
}

SQInteger sqDelegateRawIn(HSQUIRRELVM v) {
    SQObjectPtr self = v->StackAt(1), key = v->StackAt(2), tmp;
    bool found = false;
    switch (self._type) {
    case OT_TABLE: found = _table(self)->Find(key) != nullptr; break;
    case OT_CLASS: found = _class(self)->Get(key, tmp); break;
    case OT_INSTANCE: found = _instance(self)->Get(key, tmp); break;
    default: break;
    }
    sq_pushbool(v, found);
    return 1;
}

SQInteger sqDelegateRawGet(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_rawget(v, 1))) return SQ_ERROR;
    return 1;
}

SQInteger sqDelegateRawSet(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_rawset(v, 1))) return SQ_ERROR;
    sq_push(v, 1);
    return 1;
}
