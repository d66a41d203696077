#include "squirrel/sqobject.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"
#include "squirrel/sqvm.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

SQObjectPtr::SQObjectPtr(SQString* p) : SQObjectPtr(OT_STRING, p) {}
SQObjectPtr::SQObjectPtr(SQTable* p) : SQObjectPtr(OT_TABLE, p) {}
SQObjectPtr::SQObjectPtr(SQArray* p) : SQObjectPtr(OT_ARRAY, p) {}
SQObjectPtr::SQObjectPtr(SQClosure* p) : SQObjectPtr(OT_CLOSURE, p) {}
SQObjectPtr::SQObjectPtr(SQNativeClosure* p) : SQObjectPtr(OT_NATIVECLOSURE, p) {}
SQObjectPtr::SQObjectPtr(SQClass* p) : SQObjectPtr(OT_CLASS, p) {}
SQObjectPtr::SQObjectPtr(SQInstance* p) : SQObjectPtr(OT_INSTANCE, p) {}
SQObjectPtr::SQObjectPtr(SQUserData* p) : SQObjectPtr(OT_USERDATA, p) {}
SQObjectPtr::SQObjectPtr(SQFunctionProto* p) : SQObjectPtr(OT_FUNCPROTO, p) {}
SQObjectPtr::SQObjectPtr(SQWeakRef* p) : SQObjectPtr(OT_WEAKREF, p) {}
SQObjectPtr::SQObjectPtr(SQOuter* p) : SQObjectPtr(OT_OUTER, p) {}
SQObjectPtr::SQObjectPtr(SQGenerator* p) : SQObjectPtr(OT_GENERATOR, p) {}
SQObjectPtr::SQObjectPtr(SQVM* p) : SQObjectPtr(OT_THREAD, p) {}

SQRefCounted::~SQRefCounted() = default;

void sqDestroy(SQRefCounted* r) {
    thread_local std::vector<SQRefCounted*> pending;
    thread_local bool draining = false;
    if (draining) {
        pending.push_back(r);
        return;
    }
    draining = true;
    r->Destroy();
    while (!pending.empty()) {
        SQRefCounted* next = pending.back();
        pending.pop_back();
        next->Destroy();
    }
    draining = false;
}

void SQRefCounted::LinkInto(SQSharedState* ss) {
    _sharedState = ss;
    _next = ss->_chain;
    if (_next) _next->_prev = this;
    ss->_chain = this;
}

void SQRefCounted::ClearWeakRef() {
    if (_weakref) {
        _weakref->_obj._type = OT_NULL;
        _weakref->_obj._unVal.raw = 0;
        _weakref = nullptr;
    }
}

void SQRefCounted::Destroy() {
    ClearWeakRef();
    Unlink();
    delete this;
}

void SQWeakRef::Destroy() {
    if (ISREFCOUNTED(_obj._type)) _obj._unVal.pRefCounted->_weakref = nullptr;
    delete this;
}

void SQRefCounted::Unlink() {
    if (_sharedState) {
        if (_prev) {
            _prev->_next = _next;
        } else if (_sharedState->_chain == this) {
            _sharedState->_chain = _next;
        }
        if (_next) _next->_prev = _prev;
        _prev = _next = nullptr;
    }
}

void SQString::Destroy() {
    ClearWeakRef();
    if (_sharedState->_closing) return;  // the string table frees what remains at shutdown
    _sharedState->_strings.Remove(this);
    sqFreeString(this);
}

const SQChar* sqTypeName(SQObjectType t) {
    switch (t) {
    case OT_NULL: return "null";
    case OT_INTEGER: return "integer";
    case OT_FLOAT: return "float";
    case OT_BOOL: return "bool";
    case OT_STRING: return "string";
    case OT_TABLE: return "table";
    case OT_ARRAY: return "array";
    case OT_USERDATA: return "userdata";
    case OT_CLOSURE: return "function";
    case OT_NATIVECLOSURE: return "function";
    case OT_GENERATOR: return "generator";
    case OT_USERPOINTER: return "userpointer";
    case OT_THREAD: return "thread";
    case OT_FUNCPROTO: return "function";
    case OT_CLASS: return "class";
    case OT_INSTANCE: return "instance";
    case OT_WEAKREF: return "weakref";
    case OT_OUTER: return "outer";
    }
    return "unknown";
}

SQWeakRef* sqGetWeakRef(SQRefCounted* r, SQObjectType t) {
    if (!r->_weakref) {
        SQWeakRef* w = new SQWeakRef();
        w->_obj._type = t;
        w->_obj._unVal.raw = 0;
        w->_obj._unVal.pRefCounted = r;
        r->_weakref = w;
    }
    return r->_weakref;
}

// Weak references to values that are not reference counted are the values themselves.
SQObjectPtr sqMakeWeakRef(const SQObject& o) {
    if (!ISREFCOUNTED(o._type)) return SQObjectPtr(o);
    if (o._type == OT_WEAKREF) return SQObjectPtr(o);
    return SQObjectPtr(sqGetWeakRef(o._unVal.pRefCounted, o._type));
}

const char* sqParseFloat(const char* begin, const char* end, SQFloat& value, bool& ok) {
    auto r = std::from_chars(begin, end, value);
    ok = r.ec == std::errc();
    if (r.ec != std::errc::result_out_of_range) return r.ptr;
    ok = true;
    double wide = 0;
    if (std::from_chars(begin, end, wide).ec == std::errc()) {
        value = (SQFloat)wide;
    } else {
        const char* e = static_cast<const char*>(memchr(begin, 'e', (size_t)(r.ptr - begin)));
        if (!e) e = static_cast<const char*>(memchr(begin, 'E', (size_t)(r.ptr - begin)));
        bool tiny = e && e + 1 < r.ptr && e[1] == '-';
        value = tiny ? 0.0f : HUGE_VALF;
    }
    if (*begin == '-') value = -std::fabs(value);
    return r.ptr;
}
