#include "squirrel/sqvm.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqgc.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>


SQVM* SQVM::Create(SQSharedState* ss, SQInteger stacksize, SQInteger minimum) {
    SQVM* v = new SQVM();
    v->LinkInto(ss);
    v->_ss = ss;
    v->_stackcapacity = stacksize < minimum ? minimum : stacksize;
    // Through the block cache: a host that opens and closes VMs (or threads) again and again
    // reuses the stack of the last one.
    v->_stack = static_cast<SQObjectPtr*>(sqAllocateBlock(sizeof(SQObjectPtr) * (size_t)v->_stackcapacity));
    sqCountBytes((int64_t)(sizeof(SQObjectPtr) * (size_t)v->_stackcapacity));
    v->GrowStack(kInitialStackSlots);
    v->_calls.reserve(kMaxCallDepth + 8);
    return v;
}

bool SQVM::GrowStack(SQInteger slots) {
    if (slots <= _stacksize) return true;
    if (slots > _stackcapacity) return false;
    SQInteger size = _stacksize * 2 > slots ? _stacksize * 2 : slots;
    if (size > _stackcapacity) size = _stackcapacity;
    for (SQInteger i = _stacksize; i < size; ++i) new (&_stack[i]) SQObjectPtr();
    _stacksize = size;
    return true;
}

SQVM::~SQVM() {
    Finalize();
    for (SQInteger i = 0; i < _stacksize; ++i) _stack[i].~SQObjectPtr();
    sqFreeBlock(_stack, sizeof(SQObjectPtr) * (size_t)_stackcapacity);
    sqCountBytes(-(int64_t)(sizeof(SQObjectPtr) * (size_t)_stackcapacity));
}

// Slots above the top may still hold values a native left there, so the whole stack is
// cleared (and traversed) alike.
void SQVM::Finalize() {
    // Generators that a dropped thread was running can never go on: they end dead.
    DropFrames(0);
    CloseOuters(_stack, !_ss->_closing);
    for (SQInteger i = 0; i < _stacksize; ++i) _stack[i].Null();
    _top = 0;
    _stackbase = 0;
    _traps.clear();
    _roottable.Null();
    _outOfRange.Null();
    _lasterror.Null();
    _errorhandler.Null();
    _debughook.Null();
    _suspendValue.Null();
    _suspended = false;
}

void SQVM::Traverse(SQCollector& gc) {
    for (SQInteger i = 0; i < _stacksize; ++i) gc.Edge(_stack[i]);
    for (SQOuter* o = _openouters; o; o = o->_nextOpen) gc.Edge(o);
    for (const SQObjectPtr* o : {&_roottable, &_outOfRange, &_lasterror, &_errorhandler, &_debughook,
                                 &_suspendValue}) {
        gc.Edge(*o);
    }
}

// Finds or creates the open outer of a stack slot; the open list is sorted by slot, highest first.
SQOuter* SQVM::FindOuter(SQObjectPtr* slot) {
    SQOuter** link = &_openouters;
    while (*link && (*link)->_valptr >= slot) {
        if ((*link)->_valptr == slot) return *link;
        link = &(*link)->_nextOpen;
    }
    SQOuter* o = new SQOuter();
    o->LinkInto(_ss);
    o->_valptr = slot;
    o->_nextOpen = *link;
    ++o->_uiRef;  // held by the open list until closed
    *link = o;
    return o;
}

void SQVM::CloseOuters(SQObjectPtr* from, bool keepValues) {
    while (_openouters && _openouters->_valptr >= from) {
        SQOuter* o = _openouters;
        _openouters = o->_nextOpen;
        if (keepValues) o->_value = *o->_valptr;
        o->_valptr = &o->_value;
        o->_nextOpen = nullptr;
        sqRelease(o);
    }
}

const SQChar* sqRawTypeName(const SQObject& o) { return sqTypeName(o._type); }

static void FormatFloat(char* buf, size_t size, SQFloat f) {
    auto r = std::to_chars(buf, buf + size - 1, f, std::chars_format::general, 6);
    *r.ptr = 0;
}

// Text of a value without metamethods, as print and string concatenation show it.
SQString* sqPrintObject(SQSharedState* ss, const SQObject& o) {
    char buf[64];
    switch (o._type) {
    case OT_STRING: return _string(o);
    case OT_INTEGER: snprintf(buf, sizeof(buf), "%d", _integer(o)); break;
    case OT_FLOAT: FormatFloat(buf, sizeof(buf), _float(o)); break;
    case OT_BOOL: return ss->String(_integer(o) ? "true" : "false");
    case OT_NULL: return ss->String("null");
    default: snprintf(buf, sizeof(buf), "(%s : %p)", sqTypeName(o._type), o._unVal.pUserPointer); break;
    }
    return ss->String(buf);
}

const SQChar* SQVM::ObjectText(const SQObject& o) {
    SQString* s = sqPrintObject(_ss, o);
    _ss->_scratch.assign(s->_val, (size_t)s->_len);
    if (s->_uiRef == 0) s->Destroy();
    return _ss->_scratch.c_str();
}

bool SQVM::GetMetaMethod(const SQObject& o, SQMetaMethod mm, SQObjectPtr& closure) {
    switch (o._type) {
    case OT_TABLE:
    case OT_USERDATA: {
        SQTable* d = o._type == OT_TABLE ? _table(o)->_delegate : _userdata(o)->_delegate;
        const SQString* name = _string(_ss->_metaMethodNames[mm]);
        for (; d; d = d->_delegate) {
            if (SQObjectPtr* p = d->FindString(name)) {
                closure = *p;
                return true;
            }
        }
        return false;
    }
    case OT_INSTANCE: {
        const SQObjectPtr& m = _instance(o)->MetaMethod(mm);
        if (m._type == OT_NULL) return false;
        closure = m;
        return true;
    }
    default: return false;
    }
}

enum class Lookup { Found, NotFound, Error };

// A _get or _set handler that throws null reports a clean miss.
static Lookup CallLookupMetaMethod(SQVM* v, const SQObject& mm, const SQObject& self, SQInteger nargs,
                                   const SQObject* args, SQObjectPtr& dest) {
    if (v->CallMetaMethod(mm, self, nargs, args, dest)) return Lookup::Found;
    if (v->_lasterror._type == OT_NULL) return Lookup::NotFound;
    return Lookup::Error;
}

static Lookup GetImpl(SQVM* v, const SQObject& self, const SQObject& key, SQObjectPtr& dest, bool raw) {
    SQObjectPtr mm;
    switch (self._type) {
    case OT_TABLE:
        for (SQTable* t = _table(self); t; t = raw ? nullptr : t->_delegate) {
            if (SQObjectPtr* p = t->Find(key)) {
                dest = sqRealValue(*p);
                return Lookup::Found;
            }
        }
        if (raw) return Lookup::NotFound;
        // The default delegate ends the delegate chain, before any _get handler.
        if (SQObjectPtr* p = _table(v->_ss->_tableDelegate)->Find(key)) {
            dest = sqRealValue(*p);
            return Lookup::Found;
        }
        if (v->GetMetaMethod(self, MT_GET, mm)) {
            Lookup r = CallLookupMetaMethod(v, mm, self, 1, &key, dest);
            if (r != Lookup::NotFound) return r;
        }
        return Lookup::NotFound;
    case OT_INSTANCE:
        if (_instance(self)->Get(key, dest)) return Lookup::Found;
        if (raw) return Lookup::NotFound;
        // As for tables, the default delegate (rawget, rawin, ...) comes before any _get handler.
        if (SQObjectPtr* p = _table(v->_ss->_instanceDelegate)->Find(key)) {
            dest = sqRealValue(*p);
            return Lookup::Found;
        }
        if (v->GetMetaMethod(self, MT_GET, mm)) {
            Lookup r = CallLookupMetaMethod(v, mm, self, 1, &key, dest);
            if (r != Lookup::NotFound) return r;
        }
        break;
    case OT_ARRAY:
        if (key._type & SQOBJECT_NUMERIC) {
            SQInteger i = sqToInteger(key);
            SQArray* a = _array(self);
            if (i < 0 || i >= a->Size()) return Lookup::NotFound;
            dest = sqRealValue(a->_values[(size_t)i]);
            return Lookup::Found;
        }
        break;
    case OT_STRING:
        if (key._type & SQOBJECT_NUMERIC) {
            SQInteger i = sqToInteger(key);
            SQString* s = _string(self);
            if (i < 0 || i >= s->_len) return Lookup::NotFound;
            dest.SetInteger((unsigned char)s->_val[i]);
            return Lookup::Found;
        }
        break;
    case OT_CLASS:
        if (_class(self)->Get(key, dest)) return Lookup::Found;
        break;
    case OT_USERDATA:
        if (!raw) {
            for (SQTable* t = _userdata(self)->_delegate; t; t = t->_delegate) {
                if (SQObjectPtr* p = t->Find(key)) {
                    dest = sqRealValue(*p);
                    return Lookup::Found;
                }
            }
            if (v->GetMetaMethod(self, MT_GET, mm)) {
                Lookup r = CallLookupMetaMethod(v, mm, self, 1, &key, dest);
                if (r != Lookup::NotFound) return r;
            }
        }
        break;
    default: break;
    }
    if (!raw) {
        const SQObjectPtr& dd = v->_ss->DefaultDelegate(self._type);
        if (dd._type == OT_TABLE) {
            if (SQObjectPtr* p = _table(dd)->Find(key)) {
                dest = sqRealValue(*p);
                return Lookup::Found;
            }
        }
    }
    return Lookup::NotFound;
}

bool SQVM::Get(const SQObject& self, const SQObject& key, SQObjectPtr& dest, bool raw, bool fromThis) {
    Lookup r = GetImpl(this, self, key, dest, raw);
    if (r == Lookup::Found) return true;
    if (r == Lookup::Error) return false;
    if (fromThis && _roottable._type == OT_TABLE) {
        if (SQObjectPtr* p = _table(_roottable)->Find(key)) {
            dest = sqRealValue(*p);
            return true;
        }
    }
    return RaiseIndexError(key);
}

bool SQVM::InKey(const SQObject& obj, const SQObject& key, bool& found) {
    SQObjectPtr tmp;
    Lookup r = GetImpl(this, obj, key, tmp, true);
    found = r == Lookup::Found;
    return r != Lookup::Error;
}

bool SQVM::Set(const SQObject& self, const SQObject& key, const SQObject& val, bool fromThis) {
    SQObjectPtr mm;
    switch (self._type) {
    case OT_TABLE: {
        // A slot found only in a delegate is written there.
        for (SQTable* t = _table(self); t; t = t->_delegate) {
            if (t->Set(key, val)) return true;
        }
        if (GetMetaMethod(self, MT_SET, mm)) {
            SQObjectPtr args[2] = {SQObjectPtr(key), SQObjectPtr(val)}, dummy;
            Lookup r = CallLookupMetaMethod(this, mm, self, 2, args, dummy);
            if (r == Lookup::Found) return true;
            if (r == Lookup::Error) return false;
        }
        break;
    }
    case OT_INSTANCE: {
        if (_instance(self)->Set(key, val)) return true;
        if (GetMetaMethod(self, MT_SET, mm)) {
            SQObjectPtr args[2] = {SQObjectPtr(key), SQObjectPtr(val)}, dummy;
            Lookup r = CallLookupMetaMethod(this, mm, self, 2, args, dummy);
            if (r == Lookup::Found) return true;
            if (r == Lookup::Error) return false;
        }
        break;
    }
    case OT_ARRAY:
        if (!(key._type & SQOBJECT_NUMERIC)) return RaiseError("indexing array with %s", sqRawTypeName(key));
        {
            SQInteger i = sqToInteger(key);
            SQArray* a = _array(self);
            if (i < 0 || i >= a->Size()) return RaiseIndexError(key);
            a->_values[(size_t)i] = val;
            return true;
        }
    case OT_CLASS:
        // Class members change only through `<-`.
        if (fromThis && _roottable._type == OT_TABLE && _table(_roottable)->Set(key, val)) return true;
        return RaiseError("trying to set 'class'");
    case OT_USERDATA:
        if (GetMetaMethod(self, MT_SET, mm)) {
            SQObjectPtr args[2] = {SQObjectPtr(key), SQObjectPtr(val)}, dummy;
            Lookup r = CallLookupMetaMethod(this, mm, self, 2, args, dummy);
            if (r == Lookup::Found) return true;
            if (r == Lookup::Error) return false;
        }
        break;
    default: return RaiseError("trying to set '%s'", sqRawTypeName(self));
    }
    if (fromThis && _roottable._type == OT_TABLE && _table(_roottable)->Set(key, val)) return true;
    return RaiseIndexError(key);
}

bool SQVM::RawSet(const SQObject& self, const SQObject& key, const SQObject& val) {
    switch (self._type) {
    case OT_TABLE:
        if (key._type == OT_NULL) return RaiseError("null cannot be used as index");
        _table(self)->NewSlot(key, val);
        return true;
    case OT_INSTANCE:
        if (_instance(self)->Set(key, val)) return true;
        return RaiseIndexError(key);
    case OT_CLASS:
        if (!_class(self)->NewSlot(key, val, false))
            return RaiseError("trying to modify a class that has already been instantiated");
        return true;
    case OT_ARRAY: return Set(self, key, val);
    default: return RaiseError("trying to set '%s'", sqRawTypeName(self));
    }
}

bool SQVM::NewSlot(const SQObject& self, const SQObject& key, const SQObject& val, bool isStatic) {
    if (key._type == OT_NULL) return RaiseError("null cannot be used as index");
    switch (self._type) {
    case OT_TABLE: {
        SQTable* t = _table(self);
        if (!t->Find(key)) {
            SQObjectPtr mm;
            if (GetMetaMethod(self, MT_NEWSLOT, mm)) {
                SQObjectPtr args[2] = {SQObjectPtr(key), SQObjectPtr(val)}, dummy;
                return CallMetaMethod(mm, self, 2, args, dummy);
            }
        }
        t->NewSlot(key, val);
        return true;
    }
    case OT_CLASS:
        if (!_class(self)->NewSlot(key, val, isStatic)) {
            return RaiseError("trying to modify a class that has already been instantiated");
        }
        return true;
    case OT_INSTANCE:
        if (_instance(self)->Set(key, val)) return true;
        return RaiseError("class instances do not support the new slot operator");
    default: return RaiseError("indexing %s with %s", sqRawTypeName(self), sqRawTypeName(key));
    }
}

bool SQVM::DeleteSlot(const SQObject& self, const SQObject& key, SQObjectPtr& old) {
    SQObjectPtr mm;
    switch (self._type) {
    case OT_TABLE:
    case OT_INSTANCE:
    case OT_USERDATA:
        if (GetMetaMethod(self, MT_DELSLOT, mm)) return CallMetaMethod(mm, self, 1, &key, old);
        if (self._type == OT_TABLE) {
            if (!_table(self)->Get(key, old)) return RaiseIndexError(key);
            _table(self)->Remove(key);
            return true;
        }
        return RaiseError("cannot delete a slot from %s", sqRawTypeName(self));
    default: return RaiseError("attempt to delete a slot from a %s", sqRawTypeName(self));
    }
}

static const SQChar* OperatorText(SQOpcode op) {
    switch (op) {
    case OP_ADD: return "+";
    case OP_SUB: return "-";
    case OP_MUL: return "*";
    case OP_DIV: return "/";
    case OP_MOD: return "%";
    case OP_BITAND: return "&";
    case OP_BITOR: return "|";
    case OP_BITXOR: return "^";
    case OP_SHL: return "<<";
    case OP_SHR: return ">>";
    case OP_USHR: return ">>>";
    default: return "?";
    }
}

static SQMetaMethod ArithMetaMethod(SQOpcode op) {
    switch (op) {
    case OP_ADD: return MT_ADD;
    case OP_SUB: return MT_SUB;
    case OP_MUL: return MT_MUL;
    case OP_DIV: return MT_DIV;
    default: return MT_MODULO;
    }
}

bool SQVM::Arith(SQOpcode op, const SQObject& a, const SQObject& b, SQObjectPtr& dest) {
    if (a._type == OT_INTEGER && b._type == OT_INTEGER) {
        uint32_t x = (uint32_t)_integer(a), y = (uint32_t)_integer(b);
        SQInteger ix = _integer(a), iy = _integer(b);
        switch (op) {
        case OP_ADD: dest.SetInteger((SQInteger)(x + y)); return true;
        case OP_SUB: dest.SetInteger((SQInteger)(x - y)); return true;
        case OP_MUL: dest.SetInteger((SQInteger)(x * y)); return true;
        case OP_DIV:
        case OP_MOD:
            if (iy == 0 || (iy == -1 && ix == INT_MIN)) return RaiseError("division by zero");
            dest.SetInteger(op == OP_DIV ? ix / iy : ix % iy);
            return true;
        case OP_BITAND: dest.SetInteger(ix & iy); return true;
        case OP_BITOR: dest.SetInteger(ix | iy); return true;
        case OP_BITXOR: dest.SetInteger(ix ^ iy); return true;
        case OP_SHL: dest.SetInteger((SQInteger)(x << (y & 31))); return true;
        case OP_SHR: dest.SetInteger(ix >> (y & 31)); return true;
        case OP_USHR: dest.SetInteger((SQInteger)(x >> (y & 31))); return true;
        default: break;
        }
    }
    bool bitwise = op >= OP_BITAND && op <= OP_USHR;
    if (!bitwise && (a._type & SQOBJECT_NUMERIC) && (b._type & SQOBJECT_NUMERIC)) {
        SQFloat x = sqToFloat(a), y = sqToFloat(b);
        switch (op) {
        case OP_ADD: dest.SetFloat(x + y); return true;
        case OP_SUB: dest.SetFloat(x - y); return true;
        case OP_MUL: dest.SetFloat(x * y); return true;
        case OP_DIV: dest.SetFloat(x / y); return true;
        case OP_MOD: dest.SetFloat(fmodf(x, y)); return true;
        default: break;
        }
    }
    if (op == OP_ADD && (a._type == OT_STRING || b._type == OT_STRING)) {
        SQText x, y;
        if (!TextOf(a, x) || !TextOf(b, y)) return false;
        if (x.len > kMaxStringSize - y.len) return RaiseError("string too long");
        if (!sqMayAllocate(x.len + y.len)) return RaiseError("not enough memory");
        // Joining with an empty text gives the other string itself, when it is one.
        if (x.len == 0 && (b._type == OT_STRING || y.held._type == OT_STRING)) {
            dest = b._type == OT_STRING ? SQObjectPtr(b) : y.held;
            return true;
        }
        if (y.len == 0 && (a._type == OT_STRING || x.held._type == OT_STRING)) {
            dest = a._type == OT_STRING ? SQObjectPtr(a) : x.held;
            return true;
        }
        dest = SQObjectPtr(_ss->_strings.AddJoined(_ss, x.text, x.len, y.text, y.len));
        return true;
    }
    if (!bitwise && (a._type == OT_TABLE || a._type == OT_INSTANCE || a._type == OT_USERDATA)) {
        SQObjectPtr mm;
        if (GetMetaMethod(a, ArithMetaMethod(op), mm)) return CallMetaMethod(mm, a, 1, &b, dest);
    }
    if (bitwise) return RaiseError("bitwise op between '%s' and '%s'", sqRawTypeName(a), sqRawTypeName(b));
    return RaiseError("arith op %s on between '%s' and '%s'", OperatorText(op), sqRawTypeName(a), sqRawTypeName(b));
}

bool SQVM::Unary(SQOpcode op, const SQObject& a, SQObjectPtr& dest) {
    switch (op) {
    case OP_UNM:
        if (a._type == OT_INTEGER) {
            dest.SetInteger((SQInteger)(0u - (uint32_t)_integer(a)));
            return true;
        }
        if (a._type == OT_FLOAT) {
            dest.SetFloat(-_float(a));
            return true;
        }
        if (a._type == OT_TABLE || a._type == OT_INSTANCE || a._type == OT_USERDATA) {
            SQObjectPtr mm;
            if (GetMetaMethod(a, MT_UNM, mm)) return CallMetaMethod(mm, a, 0, nullptr, dest);
        }
        return RaiseError("attempt to negate a %s", sqRawTypeName(a));
    case OP_BITNOT:
        if (a._type == OT_INTEGER) {
            dest.SetInteger(~_integer(a));
            return true;
        }
        return RaiseError("attempt to perform a bitwise op on a %s", sqRawTypeName(a));
    default: dest.SetBool(sqIsFalse(a)); return true;
    }
}

bool SQVM::CompareOp(uint8_t op, const SQObject& a, const SQObject& b, bool& result) {
    if (op == OP_EQ || op == OP_NE) {
        result = IsEqual(a, b) == (op == OP_EQ);
        return true;
    }
    SQInteger r = 0;
    if (!ObjCmp(a, b, r)) return false;
    switch (op) {
    case OP_LT: result = r < 0; break;
    case OP_LE: result = r <= 0; break;
    case OP_GT: result = r > 0; break;
    default: result = r >= 0; break;
    }
    return true;
}

bool SQVM::BinaryOp(uint8_t op, const SQObject& a, const SQObject& b, SQObjectPtr& dest) {
    if (op >= OP_EQ && op <= OP_GE) {
        bool r = false;
        if (!CompareOp(op, a, b, r)) return false;
        dest.SetBool(r);
        return true;
    }
    if (op == OP_CMP3) {
        SQInteger r = 0;
        if (!ObjCmp(a, b, r)) return false;
        dest.SetInteger(r);
        return true;
    }
    return Arith((SQOpcode)op, a, b, dest);
}

bool SQVM::IsEqual(const SQObject& a, const SQObject& b) {
    if (a._type == b._type) return sqKeyEquals(a, b);
    if ((a._type & SQOBJECT_NUMERIC) && (b._type & SQOBJECT_NUMERIC)) return sqToFloat(a) == sqToFloat(b);
    return false;
}

bool SQVM::ObjCmp(const SQObject& a, const SQObject& b, SQInteger& result) {
    if (a._type == OT_INTEGER && b._type == OT_INTEGER) {
        result = _integer(a) < _integer(b) ? -1 : (_integer(a) > _integer(b) ? 1 : 0);
        return true;
    }
    if ((a._type & SQOBJECT_NUMERIC) && (b._type & SQOBJECT_NUMERIC)) {
        SQFloat x = sqToFloat(a), y = sqToFloat(b);
        result = x < y ? -1 : (x > y ? 1 : 0);
        return true;
    }
    if (a._type == OT_STRING && b._type == OT_STRING) {
        SQString* x = _string(a);
        SQString* y = _string(b);
        int c = memcmp(x->_val, y->_val, (size_t)(x->_len < y->_len ? x->_len : y->_len));
        if (c == 0) c = x->_len < y->_len ? -1 : (x->_len > y->_len ? 1 : 0);
        result = c < 0 ? -1 : (c > 0 ? 1 : 0);
        return true;
    }
    if (a._type == OT_TABLE || a._type == OT_INSTANCE || a._type == OT_USERDATA) {
        SQObjectPtr mm, r;
        if (GetMetaMethod(a, MT_CMP, mm)) {
            if (!CallMetaMethod(mm, a, 1, &b, r)) return false;
            if (r._type != OT_INTEGER) return RaiseError("_cmp must return an integer");
            result = _integer(r);
            return true;
        }
    }
    // null orders below everything, so that arrays holding nulls can be sorted.
    if (a._type == OT_NULL || b._type == OT_NULL) {
        result = a._type == b._type ? 0 : (a._type == OT_NULL ? -1 : 1);
        return true;
    }
    if (a._type == b._type) {
        uintptr_t x = (uintptr_t)a._unVal.pUserPointer, y = (uintptr_t)b._unVal.pUserPointer;
        if (a._type == OT_BOOL) {
            x = (uintptr_t)_integer(a);
            y = (uintptr_t)_integer(b);
        }
        result = x < y ? -1 : (x > y ? 1 : 0);
        return true;
    }
    return RaiseCompareError(a, b);
}

bool SQVM::TextOf(const SQObject& o, SQText& text) {
    switch (o._type) {
    case OT_STRING:
        text.text = _string(o)->_val;
        text.len = _string(o)->_len;
        return true;
    case OT_INTEGER:
        text.text = text.digits;
        text.len = (SQInteger)(std::to_chars(text.digits, text.digits + sizeof(text.digits), _integer(o)).ptr - text.digits);
        return true;
    case OT_FLOAT:
        FormatFloat(text.digits, sizeof(text.digits), _float(o));
        text.text = text.digits;
        text.len = (SQInteger)strlen(text.digits);
        return true;
    default:
        if (!ToString(o, text.held)) return false;
        text.text = _string(text.held)->_val;
        text.len = _string(text.held)->_len;
        return true;
    }
}

bool SQVM::ToString(const SQObject& o, SQObjectPtr& dest) {
    if (o._type == OT_TABLE || o._type == OT_INSTANCE || o._type == OT_USERDATA) {
        SQObjectPtr mm;
        if (GetMetaMethod(o, MT_TOSTRING, mm)) {
            if (!CallMetaMethod(mm, o, 0, nullptr, dest)) return false;
            if (dest._type == OT_STRING) return true;
            return RaiseError("_tostring must return a string");
        }
    }
    dest = SQObjectPtr(sqPrintObject(_ss, o));
    return true;
}

bool SQVM::TypeOf(const SQObject& o, SQObjectPtr& dest) {
    if (o._type == OT_TABLE || o._type == OT_INSTANCE || o._type == OT_USERDATA) {
        SQObjectPtr mm;
        if (GetMetaMethod(o, MT_TYPEOF, mm)) return CallMetaMethod(mm, o, 0, nullptr, dest);
    }
    dest = SQObjectPtr(_ss->String(sqTypeName(o._type)));
    return true;
}

bool SQVM::Clone(const SQObject& o, SQObjectPtr& dest) {
    SQObjectPtr result;
    switch (o._type) {
    case OT_TABLE: result = SQObjectPtr(_table(o)->Clone()); break;
    case OT_INSTANCE: result = SQObjectPtr(_instance(o)->Clone()); break;
    case OT_ARRAY: {
        SQArray* a = SQArray::Create(_ss, 0);
        result = SQObjectPtr(a);
        a->_values = _array(o)->_values;
        dest = result;
        return true;
    }
    // Strings are immutable and generators, threads and the rest hold state that a copy
    // would share: only containers are cloned.
    default: return RaiseError("cloning a %s", sqRawTypeName(o));
    }
    SQObjectPtr mm, dummy;
    if (GetMetaMethod(result, MT_CLONED, mm) && !CallMetaMethod(mm, result, 1, &o, dummy)) return false;
    dest = result;
    return true;
}

bool SQVM::Next(const SQObject& container, SQObjectPtr& iterator, SQObjectPtr& key, SQObjectPtr& val, bool& done) {
    done = false;
    SQInteger pos = iterator._type == OT_INTEGER ? _integer(iterator) : 0;
    switch (container._type) {
    case OT_TABLE: {
        SQInteger next = _table(container)->Next(pos, key, val);
        if (next < 0) break;
        iterator.SetInteger(next);
        return true;
    }
    case OT_ARRAY: {
        SQArray* a = _array(container);
        if (pos >= a->Size()) break;
        key.SetInteger(pos);
        val = sqRealValue(a->_values[(size_t)pos]);
        iterator.SetInteger(pos + 1);
        return true;
    }
    case OT_STRING: {
        SQString* s = _string(container);
        if (pos >= s->_len) break;
        key.SetInteger(pos);
        val.SetInteger((unsigned char)s->_val[pos]);
        iterator.SetInteger(pos + 1);
        return true;
    }
    case OT_CLASS: {
        SQInteger next = _class(container)->Next(pos, key, val);
        if (next < 0) break;
        iterator.SetInteger(next);
        return true;
    }
    case OT_INSTANCE:
    case OT_USERDATA: {
        SQObjectPtr mm;
        if (GetMetaMethod(container, MT_NEXTI, mm)) {
            SQObjectPtr idx;
            if (!CallMetaMethod(mm, container, 1, &iterator, idx)) return false;
            if (idx._type == OT_NULL) break;
            if (!Get(container, idx, val, false)) return false;
            key = idx;
            iterator = idx;
            return true;
        }
        if (container._type == OT_USERDATA) return RaiseError("cannot iterate userdata");
        return RaiseError("_nexti failed");
    }
    case OT_GENERATOR: {
        SQGenerator* g = _generator(container);
        if (g->_state == SQGeneratorState::Dead) break;
        if (!Resume(g, val)) return false;
        if (g->_state == SQGeneratorState::Dead) break;
        key.SetInteger(pos);
        iterator.SetInteger(pos + 1);
        return true;
    }
    default: return RaiseError("cannot iterate %s", sqRawTypeName(container));
    }
    done = true;
    return true;
}
