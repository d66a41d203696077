#include "squirrel/sqstdstring.h"

#include "squirrel/sqstdregister.h"
#include "squirrel/sqstdstring_local.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

struct StringArg {
    const SQChar* text = "";
    SQInteger len = 0;
};

StringArg GetString(HSQUIRRELVM v, SQInteger idx) {
    StringArg s;
    sq_getstringandsize(v, idx, &s.text, &s.len);
    return s;
}

bool IsSpace(SQChar c) { return isspace((unsigned char)c) != 0; }

SQInteger Format(HSQUIRRELVM v) {
    std::string text;
    if (!sqstdFormatToString(v, 2, text)) return SQ_ERROR;
    sq_pushstring(v, text.data(), (SQInteger)text.size());
    return 1;
}

SQInteger Printf(HSQUIRRELVM v) {
    std::string text;
    if (!sqstdFormatToString(v, 2, text)) return SQ_ERROR;
    if (SQPRINTFUNCTION pf = sq_getprintfunc(v)) pf(v, "%s", text.c_str());
    return 0;
}

template <bool Left, bool Right>
SQInteger Strip(HSQUIRRELVM v) {
    StringArg s = GetString(v, 2);
    const SQChar* begin = s.text;
    const SQChar* end = s.text + s.len;
    if (Left) {
        while (begin < end && IsSpace(*begin)) ++begin;
    }
    if (Right) {
        while (end > begin && IsSpace(end[-1])) --end;
    }
    sq_pushstring(v, begin, (SQInteger)(end - begin));
    return 1;
}

SQInteger Split(HSQUIRRELVM v) {
    StringArg s = GetString(v, 2);
    StringArg separators = GetString(v, 3);
    SQBool skipEmpty = SQFalse;
    if (sq_gettop(v) > 3) sq_getbool(v, 4, &skipEmpty);
    if (separators.len == 0) return sq_throwerror(v, "empty separators string");
    sq_newarray(v, 0);
    const SQChar* end = s.text + s.len;
    const SQChar* token = s.text;
    for (const SQChar* p = s.text;; ++p) {
        bool atEnd = p == end;
        if (!atEnd && !memchr(separators.text, *p, (size_t)separators.len)) continue;
        // An empty piece after the last separator is dropped, as scripts expect.
        if (p > token || (!skipEmpty && !atEnd)) {
            sq_pushstring(v, token, (SQInteger)(p - token));
            sq_arrayappend(v, -2);
        }
        if (atEnd) break;
        token = p + 1;
    }
    return 1;
}

SQInteger StartsWith(HSQUIRRELVM v) {
    StringArg s = GetString(v, 2);
    StringArg prefix = GetString(v, 3);
    sq_pushbool(v, prefix.len <= s.len && memcmp(s.text, prefix.text, (size_t)prefix.len) == 0);
    return 1;
}

SQInteger EndsWith(HSQUIRRELVM v) {
    StringArg s = GetString(v, 2);
    StringArg suffix = GetString(v, 3);
    sq_pushbool(v, suffix.len <= s.len && memcmp(s.text + s.len - suffix.len, suffix.text, (size_t)suffix.len) == 0);
    return 1;
}

// The result reads back as the same string when written in a script's double quotes.
SQInteger Escape(HSQUIRRELVM v) {
    StringArg s = GetString(v, 2);
    std::string out;
    out.reserve((size_t)s.len);
    for (SQInteger i = 0; i < s.len; ++i) {
        unsigned char c = (unsigned char)s.text[i];
        switch (c) {
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\v': out += "\\v"; break;
        case '\f': out += "\\f"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\'': out += "\\'"; break;
        case '\0': out += "\\0"; break;
        default:
            if (isprint(c)) {
                out += (char)c;
            } else {
                static const char kHex[] = "0123456789abcdef";
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            }
            break;
        }
    }
    sq_pushstring(v, out.data(), (SQInteger)out.size());
    return 1;
}

const SQRegFunction kStringFunctions[] = {
    {"format", Format, -2, ".s"},
    {"printf", Printf, -2, ".s"},
    {"strip", Strip<true, true>, 2, ".s"},
    {"lstrip", Strip<true, false>, 2, ".s"},
    {"rstrip", Strip<false, true>, 2, ".s"},
    {"split", Split, -3, ".ssb"},
    {"startswith", StartsWith, 3, ".ss"},
    {"endswith", EndsWith, 3, ".ss"},
    {"escape", Escape, 2, ".s"},
    {nullptr, nullptr, 0, nullptr}};

}  // namespace

SQRESULT sqstd_register_stringlib(HSQUIRRELVM v) {
    SQInteger table = sqstdAbsoluteIndex(v, -1);
    if (SQ_FAILED(sqstdRegisterFunctions(v, table, kStringFunctions))) return SQ_ERROR;
    return sqstdRegisterRegexpClass(v, table);
}
