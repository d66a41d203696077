#include "squirrel/sqdelegates.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqvm.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

static SQArray* Self(HSQUIRRELVM v) { return _array(v->StackAt(1)); }

static SQInteger ReturnSelf(HSQUIRRELVM v) {
    sq_push(v, 1);
    return 1;
}

static SQInteger ArrayLen(HSQUIRRELVM v) {
    sq_pushinteger(v, Self(v)->Size());
    return 1;
}

static SQInteger ArrayAppend(HSQUIRRELVM v) {
    Self(v)->_values.push_back(v->StackAt(2));
    return ReturnSelf(v);
}

static SQInteger ArrayExtend(HSQUIRRELVM v) {
    SQObjectPtr other = v->StackAt(2);
    auto& dst = Self(v)->_values;
    SQVector<SQObjectPtr> src = _array(other)->_values;
    dst.insert(dst.end(), src.begin(), src.end());
    return ReturnSelf(v);
}

static SQInteger ArrayPop(HSQUIRRELVM v) {
    auto& values = Self(v)->_values;
    if (values.empty()) return sq_throwerror(v, "empty array");
    SQObjectPtr last = std::move(values.back());
    values.pop_back();
    v->Push(last);
    return 1;
}

static SQInteger ArrayTop(HSQUIRRELVM v) {
    auto& values = Self(v)->_values;
    if (values.empty()) return sq_throwerror(v, "top() on a empty array");
    SQObjectPtr last = values.back();
    v->Push(last);
    return 1;
}

static SQInteger ArrayInsert(HSQUIRRELVM v) {
    auto& values = Self(v)->_values;
    SQInteger idx = sqToInteger(v->StackAt(2));
    if (idx < 0 || idx > (SQInteger)values.size()) return sq_throwerror(v, "index out of range");
    values.insert(values.begin() + idx, v->StackAt(3));
    return ReturnSelf(v);
}

static SQInteger ArrayRemove(HSQUIRRELVM v) {
    auto& values = Self(v)->_values;
    SQInteger idx = sqToInteger(v->StackAt(2));
    if (idx < 0 || idx >= (SQInteger)values.size()) return sq_throwerror(v, "idx out of range");
    SQObjectPtr removed = values[(size_t)idx];
    values.erase(values.begin() + idx);
    v->Push(removed);
    return 1;
}

static SQInteger ArrayResize(HSQUIRRELVM v) {
    SQInteger size = sqToInteger(v->StackAt(2));
    if (size < 0) return sq_throwerror(v, "resizing to negative length");
    if (size > kMaxArraySize) return sq_throwerror(v, "size too big");
    if (size > Self(v)->Size() && !sqMayAllocate((int64_t)(size - Self(v)->Size()) * (int64_t)sizeof(SQObjectPtr))) {
        return sq_throwerror(v, "not enough memory");
    }
    SQObjectPtr fill;
    if (sq_gettop(v) > 2) fill = v->StackAt(3);
    Self(v)->_values.resize((size_t)size, fill);
    return ReturnSelf(v);
}

// The sort runs on the array's own storage, without a copy. Merge sort: it stays in bounds
// even when a script comparison is inconsistent, needs few comparisons (each may be a script
// call) and stops at the first error a comparison raises. The merge buffer holds references of
// its own, so a comparator that overwrites elements cannot free a value still being merged;
// one that changes the array's size stops the sort.
struct SortRun {
    HSQUIRRELVM v;
    SQArray* array;
    size_t size;
    const SQObjectPtr& comparator;
    SQVector<SQObjectPtr> buffer;

    // result > 0 when a orders after b.
    bool Compare(const SQObject& a, const SQObject& b, SQInteger& result) {
        if (comparator._type == OT_NULL) {
            // A _cmp metamethod runs script too.
            if (!v->ObjCmp(a, b, result)) return false;
            if (array->Size() != (SQInteger)size) return v->RaiseError("array resized during sort operation");
            return true;
        }
        if (!v->HasRoom(4)) return v->RaiseError("stack overflow");
        SQObjectPtr r;
        SQInteger base = v->_top;
        v->Push(v->_roottable);
        v->Push(a);
        v->Push(b);
        bool called = comparator._type == OT_CLOSURE ? v->Execute(_closure(comparator), 3, base, r, false)
                                                    : v->Call(comparator, 3, base, r, false);
        if (!called) {
            if (v->_lasterror._type != OT_STRING) v->RaiseError("compare func failed");
            return false;
        }
        if (array->Size() != (SQInteger)size) return v->RaiseError("array resized during sort operation");
        // Floats truncate toward zero, as the reference interpreter reads them: differences
        // under 1 count as equal.
        switch (r._type) {
        case OT_INTEGER: result = _integer(r); return true;
        case OT_FLOAT: result = sqFloatToInteger(_float(r)); return true;
        case OT_BOOL: result = _integer(r); return true;
        default: return v->RaiseError("numeric value expected as return value of the compare function");
        }
    }

    // The left half goes to the buffer; the merge then writes each position of the array
    // at or below the next unread element of the right half. After a failed comparison the
    // unmerged left elements go back to the gap, so the array keeps every element.
    bool Sort(size_t lo, size_t hi) {
        if (hi - lo < 2) return true;
        size_t mid = lo + (hi - lo) / 2;
        if (!Sort(lo, mid) || !Sort(mid, hi)) return false;
        for (size_t n = lo; n < mid; ++n) buffer[n - lo] = array->_values[n];
        size_t i = lo, j = mid, k = lo;
        while (i < mid && j < hi) {
            SQInteger c;
            if (!Compare(buffer[i - lo], array->_values[j], c)) {
                if (array->Size() == (SQInteger)size) {
                    while (i < mid) array->_values[k++] = std::move(buffer[i++ - lo]);
                }
                return false;
            }
            // Only a strictly greater left element yields: equal ones keep their order, and a
            // comparator answering a bool (a > b) sorts as well.
            if (c > 0) {
                array->_values[k++] = array->_values[j++];
            } else {
                array->_values[k++] = std::move(buffer[i++ - lo]);
            }
        }
        while (i < mid) array->_values[k++] = std::move(buffer[i++ - lo]);
        return true;
    }
};

// Sorts an array of one number type by its values alone. Floats sort stably: 0.0 and -0.0
// are equal but print differently.
template <typename Number>
static void SortNumbers(SQVector<SQObjectPtr>& values, Number SQObjectValue::*field) {
    std::vector<Number> keys;
    keys.reserve(values.size());
    for (const SQObjectPtr& o : values) keys.push_back(o._unVal.*field);
    if constexpr (std::is_floating_point_v<Number>) {
        std::stable_sort(keys.begin(), keys.end());
    } else {
        std::sort(keys.begin(), keys.end());
    }
    for (size_t i = 0; i < keys.size(); ++i) values[i]._unVal.*field = keys[i];
}

// Arrays of integers only, of floats only or of strings only sort without the general
// comparison: no script can run, so they sort directly. Answers false for any other array,
// and for floats when one is NaN (it has no place in an order).
static bool SortUniform(SQVector<SQObjectPtr>& values) {
    if (values.empty()) return true;
    SQObjectType type = values.front()._type;
    if (type != OT_INTEGER && type != OT_FLOAT && type != OT_STRING) return false;
    for (const SQObjectPtr& o : values) {
        if (o._type != type || (type == OT_FLOAT && _float(o) != _float(o))) return false;
    }
    if (type == OT_INTEGER) {
        SortNumbers(values, &SQObjectValue::nInteger);
        return true;
    }
    if (type == OT_FLOAT) {
        SortNumbers(values, &SQObjectValue::fFloat);
        return true;
    }
    std::stable_sort(values.begin(), values.end(), [](const SQObjectPtr& a, const SQObjectPtr& b) {
        const SQString* x = _string(a);
        const SQString* y = _string(b);
        int c = memcmp(x->_val, y->_val, (size_t)std::min(x->_len, y->_len));
        return c < 0 || (c == 0 && x->_len < y->_len);
    });
    return true;
}

static SQInteger ArraySort(HSQUIRRELVM v) {
    SQObjectPtr self = v->StackAt(1), fn;
    if (sq_gettop(v) > 1) fn = v->StackAt(2);
    SQArray* a = _array(self);
    if (fn._type == OT_NULL && SortUniform(a->_values)) return ReturnSelf(v);
    SortRun run{v, a, a->_values.size(), fn, SQVector<SQObjectPtr>(a->_values.size() / 2 + 1)};
    if (!run.Sort(0, run.size)) return SQ_ERROR;
    return ReturnSelf(v);
}

static SQInteger ArrayReverse(HSQUIRRELVM v) {
    std::reverse(Self(v)->_values.begin(), Self(v)->_values.end());
    return ReturnSelf(v);
}

static SQInteger ArraySlice(HSQUIRRELVM v) {
    SQArray* a = Self(v);
    SQInteger length = a->Size();
    SQInteger start = sqToInteger(v->StackAt(2)), end = length;
    if (sq_gettop(v) > 2) end = sqToInteger(v->StackAt(3));
    if (start < 0) start += length;
    if (end < 0) end += length;
    if (start < 0 || end < start || end > length) return sq_throwerror(v, "wrong indexes");
    SQArray* r = SQArray::Create(v->_ss, 0);
    SQObjectPtr result(r);
    r->_values.assign(a->_values.begin() + start, a->_values.begin() + end);
    v->Push(result);
    return 1;
}

static SQInteger ArrayClear(HSQUIRRELVM v) {
    Self(v)->_values.clear();
    return ReturnSelf(v);
}

// Calls fn(value, [index], [array]) with as many arguments as fn accepts.
static bool CallItem(HSQUIRRELVM v, const SQObjectPtr& fn, const SQObjectPtr& self, SQInteger i, SQObjectPtr& out) {
    SQInteger nparams = 2;
    if (fn._type == OT_CLOSURE) {
        nparams = _closure(fn)->_function->NumParams();
        if (_closure(fn)->_function->_varparams) nparams = 4;
    }
    SQObjectPtr args[3] = {_array(self)->_values[(size_t)i], SQObjectPtr(i), self};
    SQInteger n = nparams - 1;
    if (n > 3) n = 3;
    if (n < 1) n = 1;
    return v->CallMetaMethod(fn, v->_roottable, n, args, out);
}

static SQInteger ArrayMapOrApply(HSQUIRRELVM v, bool apply) {
    SQObjectPtr self = v->StackAt(1), fn = v->StackAt(2);
    SQInteger size = _array(self)->Size();
    SQArray* r = SQArray::Create(v->_ss, size);
    SQObjectPtr result(r);
    for (SQInteger i = 0; i < size && i < _array(self)->Size(); ++i) {
        SQObjectPtr out;
        if (!CallItem(v, fn, self, i, out)) return SQ_ERROR;
        if (apply) {
            if (i < _array(self)->Size()) _array(self)->_values[(size_t)i] = out;
        } else {
            r->_values[(size_t)i] = out;
        }
    }
    v->Push(apply ? self : result);
    return 1;
}

static SQInteger ArrayMap(HSQUIRRELVM v) { return ArrayMapOrApply(v, false); }
static SQInteger ArrayApply(HSQUIRRELVM v) { return ArrayMapOrApply(v, true); }

static SQInteger ArrayReduce(HSQUIRRELVM v) {
    SQObjectPtr self = v->StackAt(1), fn = v->StackAt(2), acc;
    SQInteger i = 0;
    if (sq_gettop(v) > 2) {
        acc = v->StackAt(3);
    } else {
        if (_array(self)->Size() == 0) return 0;
        acc = _array(self)->_values[0];
        i = 1;
    }
    for (; i < _array(self)->Size(); ++i) {
        SQObjectPtr args[2] = {acc, _array(self)->_values[(size_t)i]}, out;
        if (!v->CallMetaMethod(fn, v->_roottable, 2, args, out)) return SQ_ERROR;
        acc = out;
    }
    v->Push(acc);
    return 1;
}

static SQInteger ArrayFilter(HSQUIRRELVM v) {
    SQObjectPtr self = v->StackAt(1), fn = v->StackAt(2);
    SQArray* r = SQArray::Create(v->_ss, 0);
    SQObjectPtr result(r);
    for (SQInteger i = 0; i < _array(self)->Size(); ++i) {
        SQObjectPtr value = _array(self)->_values[(size_t)i], keep;
        SQObjectPtr args[2] = {SQObjectPtr(i), value};
        if (!v->CallMetaMethod(fn, self, 2, args, keep)) return SQ_ERROR;
        if (!sqIsFalse(keep)) r->_values.push_back(value);
    }
    v->Push(result);
    return 1;
}

static SQInteger ArrayFind(HSQUIRRELVM v) {
    SQArray* a = Self(v);
    const SQObjectPtr& needle = v->StackAt(2);
    for (SQInteger i = 0; i < a->Size(); ++i) {
        if (v->IsEqual(a->_values[(size_t)i], needle)) {
            sq_pushinteger(v, i);
            return 1;
        }
    }
    return 0;
}

const SQRegFunction sqArrayDelegate[] = {
    {"len", ArrayLen, 1, "a"},
    {"append", ArrayAppend, 2, "a"},
    {"push", ArrayAppend, 2, "a"},
    {"extend", ArrayExtend, 2, "aa"},
    {"pop", ArrayPop, 1, "a"},
    {"top", ArrayTop, 1, "a"},
    {"insert", ArrayInsert, 3, "an"},
    {"remove", ArrayRemove, 2, "an"},
    {"resize", ArrayResize, -2, "an"},
    {"sort", ArraySort, -1, "ac"},
    {"reverse", ArrayReverse, 1, "a"},
    {"slice", ArraySlice, -2, "ann"},
    {"weakref", sqDelegateWeakRef, 1, nullptr},
    {"tostring", sqDelegateToString, 1, "."},
    {"clear", ArrayClear, 1, "a"},
    {"map", ArrayMap, 2, "ac"},
    {"apply", ArrayApply, 2, "ac"},
    {"reduce", ArrayReduce, -2, "ac"},
    {"filter", ArrayFilter, 2, "ac"},
    {"find", ArrayFind, 2, "a."},
    {nullptr, nullptr, 0, nullptr}};
