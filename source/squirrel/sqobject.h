#pragma once

#include "squirrel/sqmem.h"
#include "squirrel/squirrel.h"

#include <cstdint>
#include <cstring>

struct SQSharedState;
struct SQCollector;

enum SQMetaMethod {
    MT_ADD,
    MT_SUB,
    MT_MUL,
    MT_DIV,
    MT_UNM,
    MT_MODULO,
    MT_SET,
    MT_GET,
    MT_TYPEOF,
    MT_NEXTI,
    MT_CMP,
    MT_CALL,
    MT_CLONED,
    MT_NEWSLOT,
    MT_DELSLOT,
    MT_TOSTRING,
    MT_NEWMEMBER,
    MT_INHERITED,
    MT_LAST
};

// Every heap value carries a reference count. Collectable objects (those that can hold other
// values) are also linked into their shared state's chain so that sq_close can drop the
// references they hold even when they form cycles, and run every release hook exactly once.
struct SQRefCounted {
    SQUnsignedInteger _uiRef = 0;
    int32_t _gcRefs = 0;  // collector scratch: references from outside the collectable objects
    SQWeakRef* _weakref = nullptr;
    SQRefCounted* _prev = nullptr;
    SQRefCounted* _next = nullptr;
    SQSharedState* _sharedState = nullptr;

    virtual ~SQRefCounted();
    // Drops every reference this object holds (and runs a release hook); used by the cycle
    // collector and at shutdown.
    virtual void Finalize() {}
    // Reports to the collector every counted reference this object holds (see sqgc.h).
    virtual void Traverse(SQCollector&) {}
    // Closes the outers that still point into this object's slots (threads, generators).
    virtual void DetachOuters() {}
    // Runs when the last reference goes.
    virtual void Destroy();
    void ClearWeakRef();
    void Unlink();
    void LinkInto(SQSharedState* ss);

    static void* operator new(size_t size) {
        sqCountBytes((int64_t)size);
        return ::operator new(size);
    }
    static void* operator new(size_t, void* where) { return where; }
    static void operator delete(void* p, size_t size) {
        sqCountBytes(-(int64_t)size);
        ::operator delete(p);
    }
    static void operator delete(void*, void*) {}
};

// Destroys an object whose count reached zero. Objects freed as a consequence are queued and
// destroyed in a loop, so that releasing a long chain (a list of a million tables) does not
// recurse once per link on the C++ stack.
void sqDestroy(SQRefCounted* r);

inline void sqAddRef(const SQObject& o) {
    if (ISREFCOUNTED(o._type)) ++o._unVal.pRefCounted->_uiRef;
}

inline void sqRelease(SQObjectType t, SQObjectValue v) {
    if (ISREFCOUNTED(t) && --v.pRefCounted->_uiRef == 0) sqDestroy(v.pRefCounted);
}

inline void sqRelease(SQRefCounted* r) {
    if (r && --r->_uiRef == 0) sqDestroy(r);
}

// An owning value: copying adds a reference, destruction drops it.
struct SQObjectPtr : SQObject {
    SQObjectPtr() {
        _type = OT_NULL;
        _unVal.raw = 0;
    }
    SQObjectPtr(const SQObjectPtr& o) : SQObject(o) { sqAddRef(*this); }
    SQObjectPtr(const SQObject& o) : SQObject(o) { sqAddRef(*this); }
    SQObjectPtr(SQObjectPtr&& o) noexcept : SQObject(o) {
        o._type = OT_NULL;
        o._unVal.raw = 0;
    }
    SQObjectPtr(SQObjectType t, SQRefCounted* p) {
        _type = t;
        _unVal.raw = 0;
        _unVal.pRefCounted = p;
        ++p->_uiRef;
    }
    explicit SQObjectPtr(SQString* p);
    explicit SQObjectPtr(SQTable* p);
    explicit SQObjectPtr(SQArray* p);
    explicit SQObjectPtr(SQClosure* p);
    explicit SQObjectPtr(SQNativeClosure* p);
    explicit SQObjectPtr(SQClass* p);
    explicit SQObjectPtr(SQInstance* p);
    explicit SQObjectPtr(SQUserData* p);
    explicit SQObjectPtr(SQFunctionProto* p);
    explicit SQObjectPtr(SQWeakRef* p);
    explicit SQObjectPtr(SQOuter* p);
    explicit SQObjectPtr(SQGenerator* p);
    explicit SQObjectPtr(SQVM* p);
    explicit SQObjectPtr(SQInteger i) {
        _type = OT_INTEGER;
        _unVal.raw = 0;
        _unVal.nInteger = i;
    }
    explicit SQObjectPtr(SQFloat f) {
        _type = OT_FLOAT;
        _unVal.raw = 0;
        _unVal.fFloat = f;
    }
    static SQObjectPtr Bool(bool b) {
        SQObjectPtr o;
        o._type = OT_BOOL;
        o._unVal.nInteger = b ? 1 : 0;
        return o;
    }
    static SQObjectPtr UserPointer(SQUserPointer p) {
        SQObjectPtr o;
        o._type = OT_USERPOINTER;
        o._unVal.pUserPointer = p;
        return o;
    }
    ~SQObjectPtr() { sqRelease(_type, _unVal); }

    SQObjectPtr& operator=(const SQObjectPtr& o) { return Assign(o); }
    SQObjectPtr& operator=(const SQObject& o) { return Assign(o); }
    SQObjectPtr& operator=(SQObjectPtr&& o) noexcept {
        SQObjectType t = _type;
        SQObjectValue v = _unVal;
        _type = o._type;
        _unVal = o._unVal;
        o._type = OT_NULL;
        o._unVal.raw = 0;
        sqRelease(t, v);
        return *this;
    }
    SQObjectPtr& Assign(const SQObject& o) {
        SQObjectType t = _type;
        SQObjectValue v = _unVal;
        _type = o._type;
        _unVal = o._unVal;
        sqAddRef(*this);
        sqRelease(t, v);
        return *this;
    }
    void Null() {
        SQObjectType t = _type;
        SQObjectValue v = _unVal;
        _type = OT_NULL;
        _unVal.raw = 0;
        sqRelease(t, v);
    }
    void SetInteger(SQInteger i) {
        if (ISREFCOUNTED(_type)) Null();
        _type = OT_INTEGER;
        _unVal.raw = 0;
        _unVal.nInteger = i;
    }
    void SetFloat(SQFloat f) {
        if (ISREFCOUNTED(_type)) Null();
        _type = OT_FLOAT;
        _unVal.raw = 0;
        _unVal.fFloat = f;
    }
    void SetBool(bool b) {
        if (ISREFCOUNTED(_type)) Null();
        _type = OT_BOOL;
        _unVal.raw = 0;
        _unVal.nInteger = b ? 1 : 0;
    }
};

// A non-owning reference: the target clears it when it dies.
struct SQWeakRef : SQRefCounted {
    SQObject _obj;
    void Destroy() override;
};

// Containers hand out what a weak reference they hold points to, not the reference.
inline const SQObject& sqRealValue(const SQObject& o) {
    return o._type == OT_WEAKREF ? o._unVal.pWeakRef->_obj : o;
}

inline SQObjectType sqType(const SQObject& o) { return o._type; }
#define _string(o) ((o)._unVal.pString)
#define _table(o) ((o)._unVal.pTable)
#define _array(o) ((o)._unVal.pArray)
#define _closure(o) ((o)._unVal.pClosure)
#define _nativeclosure(o) ((o)._unVal.pNativeClosure)
#define _class(o) ((o)._unVal.pClass)
#define _instance(o) ((o)._unVal.pInstance)
#define _userdata(o) ((o)._unVal.pUserData)
#define _funcproto(o) ((o)._unVal.pFunctionProto)
#define _weakref(o) ((o)._unVal.pWeakRef)
#define _outer(o) ((o)._unVal.pOuter)
#define _generator(o) ((o)._unVal.pGenerator)
#define _thread(o) ((o)._unVal.pThread)
#define _integer(o) ((o)._unVal.nInteger)
#define _float(o) ((o)._unVal.fFloat)
#define _userpointer(o) ((o)._unVal.pUserPointer)
#define _refcounted(o) ((o)._unVal.pRefCounted)

inline SQFloat sqToFloat(const SQObject& o) {
    return o._type == OT_INTEGER ? (SQFloat)_integer(o) : _float(o);
}
// Floats outside the integer range saturate and NaN gives 0 (a plain cast is undefined there).
// Reads a number text as from_chars does, but a value beyond the float range becomes infinity
// (or zero when too small) instead of a failure.
const char* sqParseFloat(const char* begin, const char* end, SQFloat& value, bool& ok);

inline SQInteger sqFloatToInteger(SQFloat f) {
    if (f != f) return 0;
    if (f >= 2147483648.0f) return INT32_MAX;
    if (f <= -2147483648.0f) return INT32_MIN;
    return (SQInteger)f;
}
inline SQInteger sqToInteger(const SQObject& o) {
    return o._type == OT_FLOAT ? sqFloatToInteger(_float(o)) : _integer(o);
}
inline bool sqIsFalse(const SQObject& o) {
    if (!(o._type & SQOBJECT_CANBEFALSE)) return false;
    if (o._type == OT_FLOAT) return _float(o) == 0.0f;
    return o._type == OT_NULL || _integer(o) == 0;
}

// Identity as a table key: same type and same raw value (strings are interned).
inline bool sqKeyEquals(const SQObject& a, const SQObject& b) {
    if (a._type != b._type) return false;
    switch (a._type) {
    case OT_NULL: return true;
    case OT_INTEGER:
    case OT_BOOL: return _integer(a) == _integer(b);
    case OT_FLOAT: return _float(a) == _float(b);
    default: return a._unVal.pUserPointer == b._unVal.pUserPointer;
    }
}

const SQChar* sqTypeName(SQObjectType t);
SQWeakRef* sqGetWeakRef(SQRefCounted* r, SQObjectType t);
SQObjectPtr sqMakeWeakRef(const SQObject& o);
