#include "squirrel/sqdelegates.h"

#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqvm.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <string>

static SQString* Self(HSQUIRRELVM v) { return _string(v->StackAt(1)); }

static SQInteger StringLen(HSQUIRRELVM v) {
    sq_pushinteger(v, Self(v)->_len);
    return 1;
}

static SQInteger StringToInteger(HSQUIRRELVM v) {
    SQString* s = Self(v);
    SQInteger base = 10;
    if (sq_gettop(v) > 1) sq_getinteger(v, 2, &base);
    if (base < 2 || base > 36) return sq_throwerror(v, "invalid base");
    const char* begin = s->_val;
    const char* end = s->_val + s->_len;
    while (begin < end && isspace((unsigned char)*begin)) ++begin;
    bool negative = false;
    if (begin < end && (*begin == '-' || *begin == '+')) negative = *begin++ == '-';
    uint64_t value = 0;
    auto r = std::from_chars(begin, end, value, (int)base);
    if (r.ec == std::errc::result_out_of_range) {
        value = UINT64_MAX;
    } else if (r.ec != std::errc() || begin == end) {
        // A float text converts through its integer part.
        float f = 0;
        bool ok = false;
        sqParseFloat(begin, end, f, ok);
        if (!ok) return sq_throwerror(v, "cannot convert the string");
        SQInteger i = sqFloatToInteger(f);
        sq_pushinteger(v, negative ? (SQInteger)(0u - (uint32_t)i) : i);
        return 1;
    }
    // Out-of-range texts saturate instead of wrapping.
    const uint64_t limit = negative ? 2147483648u : 2147483647u;
    if (value > limit) value = limit;
    sq_pushinteger(v, negative ? (SQInteger)(0 - (int64_t)value) : (SQInteger)value);
    return 1;
}

static SQInteger StringToFloat(HSQUIRRELVM v) {
    SQString* s = Self(v);
    const char* begin = s->_val;
    const char* end = s->_val + s->_len;
    while (begin < end && isspace((unsigned char)*begin)) ++begin;
    if (begin < end && *begin == '+') ++begin;
    float f = 0;
    bool ok = false;
    sqParseFloat(begin, end, f, ok);
    if (!ok) return sq_throwerror(v, "cannot convert the string");
    sq_pushfloat(v, f);
    return 1;
}

// Resolves negative positions from the end and checks 0 <= start <= end <= length.
static bool SliceRange(HSQUIRRELVM v, SQInteger length, SQInteger& start, SQInteger& end) {
    start = 0;
    end = length;
    sq_getinteger(v, 2, &start);
    if (sq_gettop(v) > 2) sq_getinteger(v, 3, &end);
    if (start < 0) start += length;
    if (end < 0) end += length;
    if (start < 0 || end < start || end > length) {
        sq_throwerror(v, "wrong indexes");
        return false;
    }
    return true;
}

static SQInteger StringSlice(HSQUIRRELVM v) {
    SQString* s = Self(v);
    SQInteger start, end;
    if (!SliceRange(v, s->_len, start, end)) return SQ_ERROR;
    sq_pushstring(v, s->_val + start, end - start);
    return 1;
}

static SQInteger StringFind(HSQUIRRELVM v) {
    SQString* s = Self(v);
    SQString* sub = _string(v->StackAt(2));
    SQInteger from = 0;
    if (sq_gettop(v) > 2) sq_getinteger(v, 3, &from);
    if (from < 0 || from >= s->_len) return 0;
    if (sub->_len == 0) {
        sq_pushinteger(v, from);
        return 1;
    }
    const SQChar* found = sqFindText(s->_val + from, (size_t)(s->_len - from), sub->_val, (size_t)sub->_len);
    if (!found) return 0;
    sq_pushinteger(v, (SQInteger)(found - s->_val));
    return 1;
}

static SQInteger StringCase(HSQUIRRELVM v, bool upper) {
    SQString* s = Self(v);
    std::string text(s->_val, (size_t)s->_len);
    for (char& c : text) c = (char)(upper ? toupper((unsigned char)c) : tolower((unsigned char)c));
    sq_pushstring(v, text.data(), (SQInteger)text.size());
    return 1;
}

static SQInteger StringToLower(HSQUIRRELVM v) { return StringCase(v, false); }
static SQInteger StringToUpper(HSQUIRRELVM v) { return StringCase(v, true); }

const SQRegFunction sqStringDelegate[] = {
    {"len", StringLen, 1, "s"},
    {"tointeger", StringToInteger, -1, "sn"},
    {"tofloat", StringToFloat, 1, "s"},
    {"tostring", sqDelegateToString, 1, "."},
    {"slice", StringSlice, -2, "s n  n"},
    {"find", StringFind, -2, "s s n"},
    {"tolower", StringToLower, 1, "s"},
    {"toupper", StringToUpper, 1, "s"},
    {"weakref", sqDelegateWeakRef, 1, nullptr},
    {nullptr, nullptr, 0, nullptr}};
