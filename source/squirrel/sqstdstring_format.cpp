#include "squirrel/sqstdstring_local.h"

#include "squirrel/sqstdregister.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

// Wider fields or longer precisions than this are refused: they are never intended and
// would make a single conversion allocate without limit.
constexpr int kMaxFieldSize = 1000;

struct Conversion {
    char flags[8] = {};
    int width = -1;
    int precision = -1;
    char type = 0;
};

bool ParseNumber(const SQChar*& p, int& value) {
    value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (*p++ - '0');
        if (value > kMaxFieldSize) return false;
    }
    return true;
}

// Parses the conversion after '%'; p is left after its type letter.
const SQChar* ParseConversion(const SQChar*& p, Conversion& conv) {
    size_t nflags = 0;
    while (*p && strchr("-+ #0", *p)) {
        if (nflags + 1 < sizeof(conv.flags) && !memchr(conv.flags, *p, nflags)) conv.flags[nflags++] = *p;
        ++p;
    }
    if (*p == '*') return "the '*' width is not supported";
    if (*p >= '0' && *p <= '9' && !ParseNumber(p, conv.width)) return "format width too large";
    if (*p == '.') {
        ++p;
        if (*p == '*') return "the '*' precision is not supported";
        if (!ParseNumber(p, conv.precision)) return "format precision too large";
    }
    conv.type = *p;
    if (!conv.type || !strchr("diouxXceEfgGs", conv.type)) return "invalid format";
    ++p;
    return nullptr;
}

// The C format of one conversion, written into a fixed buffer: flags, width and precision are
// bounded (kMaxFieldSize), so '%', 7 flags, 4 + 5 digits or dot, the type and the end fit.
struct CFormat {
    char text[32];
};

CFormat CFormatOf(const Conversion& conv) {
    CFormat result;
    char* p = result.text;
    char* end = result.text + sizeof(result.text) - 2;
    *p++ = '%';
    for (const char* f = conv.flags; *f; ++f) *p++ = *f;
    if (conv.width >= 0) p = std::to_chars(p, end, conv.width).ptr;
    if (conv.precision >= 0) {
        *p++ = '.';
        p = std::to_chars(p, end, conv.precision).ptr;
    }
    *p++ = conv.type;
    *p = 0;
    return result;
}

// Most conversions fit a small buffer: one formatting pass instead of measuring first.
template <typename T>
void AppendFormatted(std::string& out, const Conversion& conv, T value) {
    CFormat cFormat = CFormatOf(conv);
    char small[64];
    int n = snprintf(small, sizeof(small), cFormat.text, value);
    if (n <= 0) return;
    if ((size_t)n < sizeof(small)) {
        out.append(small, (size_t)n);
        return;
    }
    size_t old = out.size();
    out.resize(old + (size_t)n + 1);
    snprintf(&out[old], (size_t)n + 1, cFormat.text, value);
    out.resize(old + (size_t)n);
}

// A float conversion without flags, written as printf writes it (to_chars with a precision
// is defined so) without printf's cost; false leaves the conversion to printf.
bool AppendFloat(std::string& out, const Conversion& conv, double value) {
    std::chars_format form = conv.type == 'f'                      ? std::chars_format::fixed
                             : (conv.type == 'e' || conv.type == 'E') ? std::chars_format::scientific
                                                                      : std::chars_format::general;
    // Precision and width are at most kMaxFieldSize; a float has at most 39 integer digits.
    char text[kMaxFieldSize + 64];
    auto r = std::to_chars(text, text + sizeof(text), value, form, conv.precision >= 0 ? conv.precision : 6);
    if (r.ec != std::errc()) return false;
    size_t length = (size_t)(r.ptr - text);
    if (conv.type == 'E' || conv.type == 'G') {
        for (size_t i = 0; i < length; ++i) text[i] = (char)toupper((unsigned char)text[i]);
    }
    if (conv.width > 0 && (size_t)conv.width > length) out.append((size_t)conv.width - length, ' ');
    out.append(text, length);
    return true;
}

// Strings are copied by length, so embedded zero bytes survive.
void AppendString(std::string& out, const Conversion& conv, const SQChar* s, SQInteger len) {
    if (conv.precision >= 0 && conv.precision < len) len = conv.precision;
    SQInteger pad = conv.width > len ? conv.width - len : 0;
    bool left = strchr(conv.flags, '-') != nullptr;
    if (!left) out.append((size_t)pad, ' ');
    out.append(s, (size_t)len);
    if (left) out.append((size_t)pad, ' ');
}

}  // namespace

bool sqstdFormatToString(HSQUIRRELVM v, SQInteger formatIndex, std::string& out) {
    const SQChar* format = nullptr;
    SQInteger formatLength = 0;
    if (SQ_FAILED(sq_getstringandsize(v, formatIndex, &format, &formatLength))) {
        sq_throwerror(v, "the format must be a string");
        return false;
    }
    const SQChar* end = format + formatLength;
    SQInteger nextArg = formatIndex + 1;
    SQInteger top = sq_gettop(v);
    out.clear();
    for (const SQChar* p = format; p < end;) {
        if (*p != '%') {
            const SQChar* percent = static_cast<const SQChar*>(memchr(p, '%', (size_t)(end - p)));
            const SQChar* literalEnd = percent ? percent : end;
            out.append(p, (size_t)(literalEnd - p));
            p = literalEnd;
            continue;
        }
        ++p;
        if (p < end && *p == '%') {
            out += *p++;
            continue;
        }
        Conversion conv;
        if (const SQChar* error = ParseConversion(p, conv)) {
            sq_throwerror(v, error);
            return false;
        }
        if (nextArg > top) {
            sq_throwerror(v, "not enough parameters for the given format string");
            return false;
        }
        SQInteger arg = nextArg++;
        SQObjectType type = sq_gettype(v, arg);
        switch (conv.type) {
        case 's': {
            const SQChar* s = nullptr;
            SQInteger len = 0;
            if (SQ_FAILED(sq_getstringandsize(v, arg, &s, &len))) {
                sq_throwerror(v, "string expected for the specified format");
                return false;
            }
            AppendString(out, conv, s, len);
            break;
        }
        case 'e':
        case 'E':
        case 'f':
        case 'g':
        case 'G': {
            SQFloat f = 0;
            if (type != OT_INTEGER && type != OT_FLOAT) {
                sq_throwerror(v, "float expected for the specified format");
                return false;
            }
            sq_getfloat(v, arg, &f);
            if (conv.flags[0] || !AppendFloat(out, conv, (double)f)) AppendFormatted(out, conv, (double)f);
            break;
        }
        default: {
            SQInteger i = 0;
            if (type != OT_INTEGER && type != OT_FLOAT) {
                sq_throwerror(v, "integer expected for the specified format");
                return false;
            }
            sq_getinteger(v, arg, &i);
            if ((conv.type == 'd' || conv.type == 'i') && !conv.flags[0] && conv.width < 0 && conv.precision < 0) {
                char digits[16];
                out.append(digits, (size_t)(std::to_chars(digits, digits + sizeof(digits), i).ptr - digits));
            } else if (conv.type == 'd' || conv.type == 'i' || conv.type == 'c') {
                AppendFormatted(out, conv, (int)i);
            } else {
                AppendFormatted(out, conv, (unsigned int)i);
            }
            break;
        }
        }
    }
    return true;
}

// Without a scratch area in the API, the text lives in a userdata that the registry keeps
// until the next call replaces it.
SQRESULT sqstd_format(HSQUIRRELVM v, SQInteger nformatstringidx, SQInteger* outlen, SQChar** output) {
    nformatstringidx = sqstdAbsoluteIndex(v, nformatstringidx);
    std::string text;
    if (!sqstdFormatToString(v, nformatstringidx, text)) return SQ_ERROR;
    SQChar* buffer = static_cast<SQChar*>(sq_newuserdata(v, (SQUnsignedInteger)text.size() + 1));
    memcpy(buffer, text.c_str(), text.size() + 1);
    SQRESULT r = sqstdStoreInRegistry(v, "sqstd.formatbuffer");
    sq_poptop(v);
    if (SQ_FAILED(r)) return SQ_ERROR;
    *outlen = (SQInteger)text.size();
    *output = buffer;
    return SQ_OK;
}
