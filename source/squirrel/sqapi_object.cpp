#include "squirrel/squirrel.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"
#include "squirrel/sqvm.h"

#include <algorithm>

SQUserPointer sq_newuserdata(HSQUIRRELVM v, SQUnsignedInteger size) {
    SQUserData* ud = SQUserData::Create(v->_ss, (SQInteger)size);
    v->Push(SQObjectPtr(ud));
    return ud->_data;
}

void sq_newtable(HSQUIRRELVM v) { v->Push(SQObjectPtr(SQTable::Create(v->_ss))); }
void sq_newtableex(HSQUIRRELVM v, SQInteger initialcapacity) {
    v->Push(SQObjectPtr(SQTable::Create(v->_ss, initialcapacity)));
}
void sq_newarray(HSQUIRRELVM v, SQInteger size) {
    v->Push(SQObjectPtr(SQArray::Create(v->_ss, size < 0 ? 0 : (size > kMaxArraySize ? kMaxArraySize : size))));
}

void sq_newclosure(HSQUIRRELVM v, SQFUNCTION func, SQInteger nfreevars) {
    SQNativeClosure* nc = SQNativeClosure::Create(v->_ss, func, nfreevars);
    SQObjectPtr o(nc);
    for (SQInteger i = 0; i < nfreevars; ++i) nc->_outers[(size_t)i] = v->StackAt(-nfreevars + i);
    v->Pop(nfreevars);
    v->Push(o);
}

SQRESULT sq_setparamscheck(HSQUIRRELVM v, SQInteger nparamscheck, const SQChar* typemask) {
    SQObjectPtr& o = v->Top();
    if (o._type != OT_NATIVECLOSURE) return sq_throwerror(v, "native closure expected");
    SQNativeClosure* nc = _nativeclosure(o);
    std::vector<SQInteger> masks;
    if (typemask && !sqParseTypeMask(typemask, masks)) return sq_throwerror(v, "invalid typemask");
    nc->_typecheck = masks;
    nc->_nparamscheck = nparamscheck == SQ_MATCHTYPEMASKSTRING ? (SQInteger)masks.size() : nparamscheck;
    return SQ_OK;
}

SQRESULT sq_bindenv(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = v->StackAt(idx);
    SQObjectPtr& env = v->Top();
    if (env._type != OT_TABLE && env._type != OT_CLASS && env._type != OT_INSTANCE) {
        return sq_throwerror(v, "invalid environment");
    }
    SQObjectPtr weak = sqMakeWeakRef(env);
    SQObjectPtr result;
    if (o._type == OT_CLOSURE) {
        SQClosure* c = _closure(o)->Clone();
        result = SQObjectPtr(c);
        c->SetEnv(_weakref(weak));
    } else if (o._type == OT_NATIVECLOSURE) {
        SQNativeClosure* c = _nativeclosure(o)->Clone();
        result = SQObjectPtr(c);
        c->SetEnv(_weakref(weak));
    } else {
        return sq_throwerror(v, "the target is not a closure");
    }
    v->Pop();
    v->Push(result);
    return SQ_OK;
}

SQRESULT sq_setnativeclosurename(HSQUIRRELVM v, SQInteger idx, const SQChar* name) {
    SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_NATIVECLOSURE) return sq_throwerror(v, "the object is not a nativeclosure");
    _nativeclosure(o)->_name = SQObjectPtr(v->_ss->String(name));
    return SQ_OK;
}

SQRESULT sq_getclosureinfo(HSQUIRRELVM v, SQInteger idx, SQInteger* nparams, SQInteger* nfreevars) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type == OT_CLOSURE) {
        *nparams = _closure(o)->_function->NumParams();
        *nfreevars = (SQInteger)_closure(o)->_outers.size();
        return SQ_OK;
    }
    if (o._type == OT_NATIVECLOSURE) {
        *nparams = _nativeclosure(o)->_nparamscheck;
        *nfreevars = (SQInteger)_nativeclosure(o)->_outers.size();
        return SQ_OK;
    }
    return sq_throwerror(v, "the object is not a closure");
}

SQRESULT sq_getclosurename(HSQUIRRELVM v, SQInteger idx) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type == OT_CLOSURE) {
        SQObjectPtr name = _closure(o)->_function->_name;
        v->Push(name);
        return SQ_OK;
    }
    if (o._type == OT_NATIVECLOSURE) {
        SQObjectPtr name = _nativeclosure(o)->_name;
        v->Push(name);
        return SQ_OK;
    }
    return sq_throwerror(v, "the object is not a closure");
}

SQRESULT sq_setfreevariable(HSQUIRRELVM v, SQInteger idx, SQInteger nval) {
    SQObjectPtr o = v->StackAt(idx);
    SQObjectPtr value = v->Top();
    if (o._type == OT_NATIVECLOSURE && nval >= 0 && nval < (SQInteger)_nativeclosure(o)->_outers.size()) {
        _nativeclosure(o)->_outers[(size_t)nval] = value;
    } else if (o._type == OT_CLOSURE && nval >= 0 && nval < (SQInteger)_closure(o)->_outers.size()) {
        *_outer(_closure(o)->_outers[(size_t)nval])->_valptr = value;
    } else {
        return sq_throwerror(v, "invalid free var index");
    }
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_setinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer p) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_INSTANCE) return sq_throwerror(v, "the object is not a class instance");
    _instance(o)->_userpointer = p;
    return SQ_OK;
}

SQRESULT sq_getinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p, SQUserPointer typetag,
                          SQBool throwerror) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_INSTANCE) {
        return throwerror ? sq_throwerror(v, "the object is not a class instance") : SQ_ERROR;
    }
    SQInstance* inst = _instance(o);
    if (typetag) {
        bool found = false;
        for (SQClass* c = inst->_class; c && !found; c = c->_base) found = c->_typetag == typetag;
        if (!found) return throwerror ? sq_throwerror(v, "invalid type tag") : SQ_ERROR;
    }
    *p = inst->_userpointer;
    return SQ_OK;
}

SQRESULT sq_setclassudsize(HSQUIRRELVM v, SQInteger idx, SQInteger udsize) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_CLASS) return sq_throwerror(v, "the object is not a class");
    if (_class(o)->_locked) return sq_throwerror(v, "the class is locked");
    _class(o)->_udsize = udsize;
    return SQ_OK;
}

SQRESULT sq_newclass(HSQUIRRELVM v, SQBool hasbase) {
    SQClass* base = nullptr;
    SQObjectPtr baseObj;
    if (hasbase) {
        baseObj = v->Top();
        if (baseObj._type != OT_CLASS) return sq_throwerror(v, "invalid base type");
        base = _class(baseObj);
        v->Pop();
    }
    v->Push(SQObjectPtr(SQClass::Create(v->_ss, base)));
    return SQ_OK;
}

SQRESULT sq_createinstance(HSQUIRRELVM v, SQInteger idx) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_CLASS) return sq_throwerror(v, "the object is not a class");
    v->Push(SQObjectPtr(SQInstance::Create(v->_ss, _class(o))));
    return SQ_OK;
}

SQRESULT sq_setattributes(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = v->StackAt(idx);
    if (o._type != OT_CLASS) return sq_throwerror(v, "the object is not a class");
    SQObjectPtr key = v->StackAt(-2), val = v->StackAt(-1), old;
    if (key._type == OT_NULL) {
        old = _class(o)->_attributes;
        _class(o)->_attributes = val;
    } else if (_class(o)->GetMemberAttributes(key, old)) {
        _class(o)->SetMemberAttributes(key, val);
    } else {
        return sq_throwerror(v, "wrong index");
    }
    v->Pop(2);
    v->Push(old);
    return SQ_OK;
}

SQRESULT sq_getattributes(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = v->StackAt(idx);
    if (o._type != OT_CLASS) return sq_throwerror(v, "the object is not a class");
    SQObjectPtr key = v->Top(), attrs;
    if (key._type == OT_NULL) {
        attrs = _class(o)->_attributes;
    } else if (!_class(o)->GetMemberAttributes(key, attrs)) {
        return sq_throwerror(v, "wrong index");
    }
    v->Pop();
    v->Push(attrs);
    return SQ_OK;
}

SQRESULT sq_getclass(HSQUIRRELVM v, SQInteger idx) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_INSTANCE) return sq_throwerror(v, "the object is not a class instance");
    v->Push(SQObjectPtr(_instance(o)->_class));
    return SQ_OK;
}

SQRESULT sq_getbase(HSQUIRRELVM v, SQInteger idx) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_CLASS) return sq_throwerror(v, "the object is not a class");
    if (_class(o)->_base) {
        v->Push(SQObjectPtr(_class(o)->_base));
    } else {
        v->PushNull();
    }
    return SQ_OK;
}

SQBool sq_instanceof(HSQUIRRELVM v) {
    const SQObjectPtr& inst = v->StackAt(-2);
    const SQObjectPtr& cls = v->StackAt(-1);
    if (inst._type != OT_INSTANCE || cls._type != OT_CLASS) return SQFalse;
    return _instance(inst)->InstanceOf(_class(cls)) ? SQTrue : SQFalse;
}

SQRESULT sq_settypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer typetag) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type == OT_USERDATA) {
        _userdata(o)->_typetag = typetag;
    } else if (o._type == OT_CLASS) {
        _class(o)->_typetag = typetag;
    } else {
        return sq_throwerror(v, "invalid object type");
    }
    return SQ_OK;
}

SQRESULT sq_gettypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer* typetag) {
    if (SQ_FAILED(sq_getobjtypetag(&v->StackAt(idx), typetag))) return sq_throwerror(v, "invalid object type");
    return SQ_OK;
}

void sq_setreleasehook(HSQUIRRELVM v, SQInteger idx, SQRELEASEHOOK hook) {
    const SQObjectPtr& o = v->StackAt(idx);
    switch (o._type) {
    case OT_USERDATA: _userdata(o)->_hook = hook; break;
    case OT_INSTANCE: _instance(o)->_hook = hook; break;
    case OT_CLASS: _class(o)->_hook = hook; break;
    default: break;
    }
}

SQRELEASEHOOK sq_getreleasehook(HSQUIRRELVM v, SQInteger idx) {
    const SQObjectPtr& o = v->StackAt(idx);
    switch (o._type) {
    case OT_USERDATA: return _userdata(o)->_hook;
    case OT_INSTANCE: return _instance(o)->_hook;
    case OT_CLASS: return _class(o)->_hook;
    default: return nullptr;
    }
}

void sq_weakref(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr w = sqMakeWeakRef(v->StackAt(idx));
    v->Push(w);
}

SQRESULT sq_getweakrefval(HSQUIRRELVM v, SQInteger idx) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type != OT_WEAKREF) return sq_throwerror(v, "the object must be a weakref");
    SQObjectPtr target(_weakref(o)->_obj);
    v->Push(target);
    return SQ_OK;
}

SQRESULT sq_getdefaultdelegate(HSQUIRRELVM v, SQObjectType t) {
    const SQObjectPtr& d = v->_ss->DefaultDelegate(t);
    if (d._type == OT_NULL) return sq_throwerror(v, "the type doesn't have a default delegate");
    v->Push(d);
    return SQ_OK;
}

SQRESULT sq_newslot(HSQUIRRELVM v, SQInteger idx, SQBool bstatic) {
    SQObjectPtr self = v->StackAt(idx);
    if (self._type != OT_TABLE && self._type != OT_CLASS) return sq_throwerror(v, "invalid type");
    SQObjectPtr key = v->StackAt(-2), val = v->StackAt(-1);
    if (key._type == OT_NULL) return sq_throwerror(v, "null is not a valid key");
    bool ok = v->NewSlot(self, key, val, bstatic != 0);
    v->Pop(2);
    return ok ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_deleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval) {
    SQObjectPtr self = v->StackAt(idx);
    if (self._type != OT_TABLE && self._type != OT_INSTANCE && self._type != OT_USERDATA) {
        return sq_throwerror(v, "invalid type");
    }
    SQObjectPtr key = v->Top(), old, mm;
    v->Pop();
    // A missing table slot is no error here (unlike the script's delete).
    bool missing = self._type == OT_TABLE && !_table(self)->Find(key) && !v->GetMetaMethod(self, MT_DELSLOT, mm);
    if (!missing && !v->DeleteSlot(self, key, old)) return SQ_ERROR;
    if (pushval) v->Push(old);
    return SQ_OK;
}

SQRESULT sq_rawdeleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval) {
    SQObjectPtr self = v->StackAt(idx);
    if (self._type != OT_TABLE) return sq_throwerror(v, "invalid type");
    SQObjectPtr key = v->Top(), old;
    v->Pop();
    _table(self)->Get(key, old);
    _table(self)->Remove(key);
    if (pushval) v->Push(old);
    return SQ_OK;
}

SQRESULT sq_set(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = v->StackAt(idx), key = v->StackAt(-2), val = v->StackAt(-1);
    v->Pop(2);
    return v->Set(self, key, val) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_get(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = v->StackAt(idx), key = v->Top(), val;
    v->Pop();
    if (!v->Get(self, key, val, false)) return SQ_ERROR;
    v->Push(val);
    return SQ_OK;
}

SQRESULT sq_rawget(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = v->StackAt(idx), key = v->Top(), val;
    v->Pop();
    bool found = false;
    switch (self._type) {
    case OT_TABLE: found = _table(self)->Get(key, val); break;
    case OT_CLASS: found = _class(self)->Get(key, val); break;
    case OT_INSTANCE: found = _instance(self)->Get(key, val); break;
    case OT_ARRAY:
        if (key._type & SQOBJECT_NUMERIC) {
            SQInteger i = sqToInteger(key);
            found = i >= 0 && i < _array(self)->Size();
            if (found) val = _array(self)->_values[(size_t)i];
        }
        break;
    default: return sq_throwerror(v, "rawget works only on array/table/instance and class");
    }
    if (!found) return sq_throwerror(v, "the index doesn't exist");
    v->Push(val);
    return SQ_OK;
}

SQRESULT sq_rawset(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = v->StackAt(idx), key = v->StackAt(-2), val = v->StackAt(-1);
    v->Pop(2);
    return v->RawSet(self, key, val) ? SQ_OK : SQ_ERROR;
}

static SQArray* ArrayAt(HSQUIRRELVM v, SQInteger idx) {
    const SQObjectPtr& o = v->StackAt(idx);
    return o._type == OT_ARRAY ? _array(o) : nullptr;
}

SQRESULT sq_arrayappend(HSQUIRRELVM v, SQInteger idx) {
    SQArray* a = ArrayAt(v, idx);
    if (!a) return sq_throwerror(v, "the object is not an array");
    a->_values.push_back(v->Top());
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_arraypop(HSQUIRRELVM v, SQInteger idx, SQBool pushval) {
    SQArray* a = ArrayAt(v, idx);
    if (!a) return sq_throwerror(v, "the object is not an array");
    if (a->_values.empty()) return sq_throwerror(v, "empty array");
    SQObjectPtr last = a->_values.back();
    a->_values.pop_back();
    if (pushval) v->Push(last);
    return SQ_OK;
}

SQRESULT sq_arrayresize(HSQUIRRELVM v, SQInteger idx, SQInteger newsize) {
    SQArray* a = ArrayAt(v, idx);
    if (!a) return sq_throwerror(v, "the object is not an array");
    if (newsize < 0) return sq_throwerror(v, "negative size");
    if (newsize > kMaxArraySize) return sq_throwerror(v, "size too big");
    if (newsize > a->Size() && !sqMayAllocate((int64_t)(newsize - a->Size()) * (int64_t)sizeof(SQObjectPtr))) {
        return sq_throwerror(v, "not enough memory");
    }
    a->_values.resize((size_t)newsize);
    return SQ_OK;
}

SQRESULT sq_arrayreverse(HSQUIRRELVM v, SQInteger idx) {
    SQArray* a = ArrayAt(v, idx);
    if (!a) return sq_throwerror(v, "the object is not an array");
    std::reverse(a->_values.begin(), a->_values.end());
    return SQ_OK;
}

SQRESULT sq_arrayremove(HSQUIRRELVM v, SQInteger idx, SQInteger itemidx) {
    SQArray* a = ArrayAt(v, idx);
    if (!a) return sq_throwerror(v, "the object is not an array");
    if (itemidx < 0 || itemidx >= a->Size()) return sq_throwerror(v, "index out of range");
    a->_values.erase(a->_values.begin() + itemidx);
    return SQ_OK;
}

SQRESULT sq_arrayinsert(HSQUIRRELVM v, SQInteger idx, SQInteger destpos) {
    SQArray* a = ArrayAt(v, idx);
    if (!a) return sq_throwerror(v, "the object is not an array");
    if (destpos < 0 || destpos > a->Size()) return sq_throwerror(v, "index out of range");
    a->_values.insert(a->_values.begin() + destpos, v->Top());
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_setdelegate(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = v->StackAt(idx), d = v->Top();
    if (d._type != OT_TABLE && d._type != OT_NULL) return sq_throwerror(v, "invalid delegate type");
    SQTable* dt = d._type == OT_TABLE ? _table(d) : nullptr;
    if (self._type == OT_TABLE) {
        for (SQTable* t = dt; t; t = t->_delegate) {
            if (t == _table(self)) return sq_throwerror(v, "delegate cycle");
        }
        _table(self)->SetDelegate(dt);
    } else if (self._type == OT_USERDATA) {
        _userdata(self)->SetDelegate(dt);
    } else {
        return sq_throwerror(v, "wrong type");
    }
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_getdelegate(HSQUIRRELVM v, SQInteger idx) {
    const SQObjectPtr& self = v->StackAt(idx);
    SQTable* d = nullptr;
    if (self._type == OT_TABLE) {
        d = _table(self)->_delegate;
    } else if (self._type == OT_USERDATA) {
        d = _userdata(self)->_delegate;
    } else {
        return sq_throwerror(v, "wrong type");
    }
    if (d) {
        v->Push(SQObjectPtr(d));
    } else {
        v->PushNull();
    }
    return SQ_OK;
}

SQRESULT sq_clone(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = v->StackAt(idx), res;
    if (!v->Clone(o, res)) return SQ_ERROR;
    v->Push(res);
    return SQ_OK;
}

SQRESULT sq_next(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr container = v->StackAt(idx), iterator = v->Top(), key, val;
    bool done;
    if (!v->Next(container, iterator, key, val, done)) return SQ_ERROR;
    if (done) return SQ_ERROR;
    v->Top() = iterator;
    v->Push(key);
    v->Push(val);
    return SQ_OK;
}

SQRESULT sq_clear(HSQUIRRELVM v, SQInteger idx) {
    const SQObjectPtr& o = v->StackAt(idx);
    if (o._type == OT_TABLE) {
        _table(o)->Clear();
    } else if (o._type == OT_ARRAY) {
        _array(o)->_values.clear();
    } else {
        return sq_throwerror(v, "clear only works on table and array");
    }
    return SQ_OK;
}
