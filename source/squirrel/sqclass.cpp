#include "squirrel/sqclass.h"

#include "squirrel/sqfunction.h"
#include "squirrel/sqgc.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"

#include <cstdlib>
#include <new>

SQClass* SQClass::Create(SQSharedState* ss, SQClass* base) {
    SQClass* c = new SQClass();
    c->LinkInto(ss);
    c->_layout = base ? base->_layout : ss->_emptyClassLayout;  // a base's members are copied as they are
    c->_members = base ? base->_members->Clone() : SQTable::Create(ss);
    ++c->_members->_uiRef;
    if (base) {
        c->_base = base;
        ++base->_uiRef;
        c->_fields = base->_fields;
        c->_methods = base->_methods;
        for (int i = 0; i < MT_LAST; ++i) c->_metamethods[i] = base->_metamethods[i];
        c->_constructor = base->_constructor;
        c->_typetag = nullptr;
        c->_hook = base->_hook;
        c->_udsize = base->_udsize;
    }
    return c;
}

SQClass::~SQClass() { Finalize(); }

void SQClass::Finalize() {
    sqRelease(_members);
    _members = nullptr;
    sqRelease(_base);
    _base = nullptr;
    SQVector<SQClassMember>().swap(_fields);
    SQVector<SQClassMember>().swap(_methods);
    for (auto& m : _metamethods) m.Null();
    _constructor.Null();
    _attributes.Null();
}

void SQClass::Traverse(SQCollector& gc) {
    gc.Edge(_members);
    gc.Edge(_base);
    for (const SQVector<SQClassMember>* list : {&_fields, &_methods}) {
        for (const SQClassMember& m : *list) {
            gc.Edge(m.val);
            gc.Edge(m.attrs);
        }
    }
    for (const SQObjectPtr& m : _metamethods) gc.Edge(m);
    gc.Edge(_constructor);
    gc.Edge(_attributes);
}

bool SQClass::NewSlot(const SQObject& key, const SQObject& val, bool isStatic) {
    SQSharedState* ss = _sharedState;
    bool isMethod = val._type == OT_CLOSURE || val._type == OT_NATIVECLOSURE || isStatic;
    if (val._type == OT_CLOSURE && _base) {
        SQClosure* c = _closure(val);
        if (!c->_base) {
            c->_base = _base;
            ++_base->_uiRef;
        }
    }
    SQObjectPtr* handle = _members->Find(key);
    if (handle) {
        (sqIsField(*handle) ? _fields : _methods)[(size_t)sqMemberIndex(*handle)].val = val;
    } else {
        // Instances hold a value for every field of their class (and of its bases): once one
        // exists, only methods and statics may still be added.
        if (_locked && !isMethod) return false;
        SQVector<SQClassMember>& list = isMethod ? _methods : _fields;
        list.push_back({SQObjectPtr(val), SQObjectPtr()});
        _members->NewSlot(key, SQObjectPtr((SQInteger)(((list.size() - 1) << 1) | (isMethod ? 1 : 0))));
        _layout = ss->NextClassLayout(_layout, key, isMethod);
    }
    if (key._type == OT_STRING) {
        if (_string(key) == _string(ss->_constructorName)) {
            _constructor = val;
        } else {
            int mm = ss->MetaMethodIndex(_string(key));
            if (mm >= 0) _metamethods[mm] = val;
        }
    }
    return true;
}

bool SQClass::Get(const SQObject& key, SQObjectPtr& out) {
    SQObjectPtr* handle = _members->Find(key);
    if (!handle) return false;
    out = sqRealValue(sqIsField(*handle) ? _fields[(size_t)sqMemberIndex(*handle)].val
                             : _methods[(size_t)sqMemberIndex(*handle)].val);
    return true;
}

bool SQClass::SetMemberAttributes(const SQObject& key, const SQObject& attrs) {
    SQObjectPtr* handle = _members->Find(key);
    if (!handle) return false;
    (sqIsField(*handle) ? _fields : _methods)[(size_t)sqMemberIndex(*handle)].attrs = attrs;
    return true;
}

bool SQClass::GetMemberAttributes(const SQObject& key, SQObjectPtr& out) {
    SQObjectPtr* handle = _members->Find(key);
    if (!handle) return false;
    out = (sqIsField(*handle) ? _fields : _methods)[(size_t)sqMemberIndex(*handle)].attrs;
    return true;
}

SQInteger SQClass::Next(SQInteger from, SQObjectPtr& key, SQObjectPtr& val) {
    SQObjectPtr handle;
    SQInteger next = _members->Next(from, key, handle);
    if (next >= 0) {
        val = sqRealValue(sqIsField(handle) ? _fields[(size_t)sqMemberIndex(handle)].val
                                : _methods[(size_t)sqMemberIndex(handle)].val);
    }
    return next;
}

static size_t InstanceBytes(SQInteger nvalues) { return sizeof(SQInstance) + (size_t)nvalues * sizeof(SQObjectPtr); }

// Instances of small classes reuse the memory of dead ones of the same size.
static void* AllocateInstance(SQSharedState* ss, SQInteger nvalues) {
    if (nvalues < SQSharedState::kKeptInstanceSizes && !ss->_keptInstances[nvalues].empty()) {
        void* p = ss->_keptInstances[nvalues].back();
        ss->_keptInstances[nvalues].pop_back();
        sqUnpoisonKept(p, InstanceBytes(nvalues));
        return p;
    }
    void* p = malloc(InstanceBytes(nvalues));
    if (!p) throw std::bad_alloc();
    return p;
}

static void FreeInstance(SQSharedState* ss, void* p, SQInteger nvalues) {
    if (nvalues < SQSharedState::kKeptInstanceSizes) {
        std::vector<void*>& kept = ss->_keptInstances[nvalues];
        if (kept.size() < kept.capacity()) {
            sqPoisonKept(p, InstanceBytes(nvalues));
            kept.push_back(p);
            return;
        }
    }
    free(p);
}

SQInstance* SQInstance::Create(SQSharedState* ss, SQClass* c) {
    static_assert(sizeof(SQInstance) % alignof(SQObjectPtr) == 0, "the values follow the instance");
    SQInteger nvalues = (SQInteger)c->_fields.size();
    void* mem = AllocateInstance(ss, nvalues);
    sqCountBytes((int64_t)InstanceBytes(nvalues));
    SQInstance* inst = new (mem) SQInstance();
    inst->_values = reinterpret_cast<SQObjectPtr*>(inst + 1);
    for (const SQClassMember& m : c->_fields) new (&inst->_values[inst->_nvalues++]) SQObjectPtr(m.val);
    inst->LinkInto(ss);
    inst->_class = c;
    ++c->_uiRef;
    for (SQClass* k = c; k && !k->_locked; k = k->_base) k->_locked = true;
    inst->_hook = c->_hook;
    if (c->_udsize > 0) {
        inst->_udbuffer = (unsigned char*)calloc(1, (size_t)c->_udsize);
        inst->_userpointer = inst->_udbuffer;
    }
    return inst;
}

void SQInstance::RunReleaseHook() {
    SQRELEASEHOOK hook = _hook;
    _hook = nullptr;
    if (hook) hook(_userpointer, _class ? _class->_udsize : 0);
}

// The values need no destructor of their own: Finalize has emptied them.
SQInstance::~SQInstance() {
    Finalize();
    if (_udbuffer) free(_udbuffer);
}

void SQInstance::Destroy() {
    ClearWeakRef();
    Unlink();
    SQSharedState* ss = _sharedState;
    SQInteger nvalues = _nvalues;
    this->~SQInstance();
    FreeInstance(ss, this, nvalues);
    sqCountBytes(-(int64_t)InstanceBytes(nvalues));
}

void SQInstance::Finalize() {
    RunReleaseHook();
    for (SQInteger i = 0; i < _nvalues; ++i) _values[i].Null();
    sqRelease(_class);
    _class = nullptr;
}

void SQInstance::Traverse(SQCollector& gc) {
    gc.Edge(_class);
    for (SQInteger i = 0; i < _nvalues; ++i) gc.Edge(_values[i]);
}

bool SQInstance::Get(const SQObject& key, SQObjectPtr& out) {
    SQObjectPtr* handle = _class->_members->Find(key);
    if (!handle) return false;
    out = sqRealValue(Member(*handle));
    return true;
}

bool SQInstance::Set(const SQObject& key, const SQObject& val) {
    SQObjectPtr* handle = _class->_members->Find(key);
    if (!handle || !sqIsField(*handle)) return false;
    _values[sqMemberIndex(*handle)] = val;
    return true;
}

bool SQInstance::InstanceOf(const SQClass* c) const {
    for (const SQClass* k = _class; k; k = k->_base) {
        if (k == c) return true;
    }
    return false;
}

SQInstance* SQInstance::Clone() {
    SQInstance* inst = Create(_sharedState, _class);
    for (SQInteger i = 0; i < _nvalues; ++i) inst->_values[i] = _values[i];
    return inst;
}
