#include "squirrel/squirrel.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"
#include "squirrel/sqvm.h"

void sq_push(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = v->StackAt(idx);
    v->Push(o);
}

void sq_pop(HSQUIRRELVM v, SQInteger nelemstopop) { v->Pop(nelemstopop); }
void sq_poptop(HSQUIRRELVM v) { v->Pop(); }

void sq_remove(HSQUIRRELVM v, SQInteger idx) {
    SQInteger abs = idx > 0 ? v->_stackbase + idx - 1 : v->_top + idx;
    if (abs < v->_stackbase || abs >= v->_top) return;
    for (SQInteger i = abs; i < v->_top - 1; ++i) v->_stack[i] = std::move(v->_stack[i + 1]);
    v->Pop();
}

SQInteger sq_gettop(HSQUIRRELVM v) { return v->_top - v->_stackbase; }

void sq_settop(HSQUIRRELVM v, SQInteger newtop) {
    SQInteger target = v->_stackbase + newtop;
    if (target < v->_stackbase) target = v->_stackbase;
    if (target > v->_stackcapacity - kNativeStackRoom / 2) target = v->_stackcapacity - kNativeStackRoom / 2;
    while (v->_top > target) v->Pop();
    while (v->_top < target) v->PushNull();
}

SQRESULT sq_reservestack(HSQUIRRELVM v, SQInteger nsize) {
    if (!v->HasRoom(nsize)) return sq_throwerror(v, "stack overflow");
    return SQ_OK;
}

SQInteger sq_cmp(HSQUIRRELVM v) {
    SQInteger result = 0;
    v->ObjCmp(v->StackAt(-1), v->StackAt(-2), result);
    return result;
}

void sq_pushstring(HSQUIRRELVM v, const SQChar* s, SQInteger len) {
    if (!s) {
        v->PushNull();
        return;
    }
    v->Push(SQObjectPtr(v->_ss->String(s, len)));
}
void sq_pushfloat(HSQUIRRELVM v, SQFloat f) { v->Push(SQObjectPtr(f)); }
void sq_pushinteger(HSQUIRRELVM v, SQInteger n) { v->PushInteger(n); }
void sq_pushbool(HSQUIRRELVM v, SQBool b) { v->Push(SQObjectPtr::Bool(b != 0)); }
void sq_pushuserpointer(HSQUIRRELVM v, SQUserPointer p) { v->Push(SQObjectPtr::UserPointer(p)); }
void sq_pushnull(HSQUIRRELVM v) { v->PushNull(); }

SQObjectType sq_gettype(HSQUIRRELVM v, SQInteger idx) { return v->StackAt(idx)._type; }

SQRESULT sq_typeof(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = v->StackAt(idx), res;
    if (!v->TypeOf(o, res)) return SQ_ERROR;
    v->Push(res);
    return SQ_OK;
}

SQInteger sq_getsize(HSQUIRRELVM v, SQInteger idx) {
    const SQObjectPtr& o = v->StackAt(idx);
    switch (o._type) {
    case OT_STRING: return _string(o)->_len;
    case OT_TABLE: return _table(o)->Count();
    case OT_ARRAY: return _array(o)->Size();
    case OT_USERDATA: return _userdata(o)->_size;
    case OT_INSTANCE: return _instance(o)->_class->_udsize;
    case OT_CLASS: return _class(o)->_udsize;
    default: sq_throwerror(v, "wrong type"); return -1;
    }
}

SQHash sq_gethash(HSQUIRRELVM v, SQInteger idx) { return sqHashKey(v->StackAt(idx)); }

SQRESULT sq_tostring(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = v->StackAt(idx), res;
    if (!v->ToString(o, res)) return SQ_ERROR;
    v->Push(res);
    return SQ_OK;
}

void sq_tobool(HSQUIRRELVM v, SQInteger idx, SQBool* b) { *b = sqIsFalse(v->StackAt(idx)) ? SQFalse : SQTrue; }

SQRESULT sq_getstring(HSQUIRRELVM v, SQInteger idx, const SQChar** c) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_STRING) return SQ_ERROR;
    *c = _string(o)->_val;
    return SQ_OK;
}

SQRESULT sq_getstringandsize(HSQUIRRELVM v, SQInteger idx, const SQChar** c, SQInteger* size) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_STRING) return SQ_ERROR;
    *c = _string(o)->_val;
    *size = _string(o)->_len;
    return SQ_OK;
}

SQRESULT sq_getinteger(HSQUIRRELVM v, SQInteger idx, SQInteger* i) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type & SQOBJECT_NUMERIC) {
        *i = sqToInteger(o);
        return SQ_OK;
    }
    if (o._type == OT_BOOL) {
        *i = _integer(o);
        return SQ_OK;
    }
    return SQ_ERROR;
}

SQRESULT sq_getfloat(HSQUIRRELVM v, SQInteger idx, SQFloat* f) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (!(o._type & SQOBJECT_NUMERIC)) return SQ_ERROR;
    *f = sqToFloat(o);
    return SQ_OK;
}

SQRESULT sq_getbool(HSQUIRRELVM v, SQInteger idx, SQBool* b) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_BOOL) return SQ_ERROR;
    *b = _integer(o) ? SQTrue : SQFalse;
    return SQ_OK;
}

SQRESULT sq_getthread(HSQUIRRELVM v, SQInteger idx, HSQUIRRELVM* thread) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_THREAD) return SQ_ERROR;
    *thread = _thread(o);
    return SQ_OK;
}

SQRESULT sq_getuserpointer(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_USERPOINTER) return SQ_ERROR;
    *p = _userpointer(o);
    return SQ_OK;
}

SQRESULT sq_getuserdata(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p, SQUserPointer* typetag) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_USERDATA) return sq_throwerror(v, "the object is not a userdata");
    *p = _userdata(o)->_data;
    if (typetag) *typetag = _userdata(o)->_typetag;
    return SQ_OK;
}

SQRESULT sq_getstackobj(HSQUIRRELVM v, SQInteger idx, HSQOBJECT* po) {
    *po = v->StackAt(idx);
    return SQ_OK;
}

void sq_pushobject(HSQUIRRELVM v, HSQOBJECT obj) { v->Push(obj); }

void sq_addref(HSQUIRRELVM, HSQOBJECT* po) { sqAddRef(*po); }

SQBool sq_release(HSQUIRRELVM, HSQOBJECT* po) {
    if (!ISREFCOUNTED(po->_type)) return SQTrue;
    bool last = po->_unVal.pRefCounted->_uiRef <= 1;
    sqRelease(po->_type, po->_unVal);
    return last ? SQTrue : SQFalse;
}

SQUnsignedInteger sq_getrefcount(HSQUIRRELVM, HSQOBJECT* po) {
    return ISREFCOUNTED(po->_type) ? po->_unVal.pRefCounted->_uiRef : 0;
}

SQBool sq_hasweakref(const HSQOBJECT* po) {
    return ISREFCOUNTED(po->_type) && po->_unVal.pRefCounted->_weakref ? SQTrue : SQFalse;
}

void sq_resetobject(HSQOBJECT* po) {
    po->_type = OT_NULL;
    po->_unVal.raw = 0;
}

const SQChar* sq_objtostring(const HSQOBJECT* o) { return o->_type == OT_STRING ? _string(*o)->_val : nullptr; }
SQBool sq_objtobool(const HSQOBJECT* o) { return sqIsFalse(*o) ? SQFalse : SQTrue; }
SQInteger sq_objtointeger(const HSQOBJECT* o) {
    if (o->_type & SQOBJECT_NUMERIC) return sqToInteger(*o);
    return o->_type == OT_BOOL ? _integer(*o) : 0;
}
SQFloat sq_objtofloat(const HSQOBJECT* o) {
    if (o->_type & SQOBJECT_NUMERIC) return sqToFloat(*o);
    return o->_type == OT_BOOL ? (SQFloat)_integer(*o) : 0.0f;
}
SQUserPointer sq_objtouserpointer(const HSQOBJECT* o) {
    return o->_type == OT_USERPOINTER ? _userpointer(*o) : nullptr;
}

SQRESULT sq_getobjtypetag(const HSQOBJECT* o, SQUserPointer* typetag) {
    switch (o->_type) {
    case OT_INSTANCE: *typetag = _instance(*o)->_class->_typetag; return SQ_OK;
    case OT_CLASS: *typetag = _class(*o)->_typetag; return SQ_OK;
    case OT_USERDATA: *typetag = _userdata(*o)->_typetag; return SQ_OK;
    default: return SQ_ERROR;
    }
}
