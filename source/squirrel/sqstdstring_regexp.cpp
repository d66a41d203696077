#include "squirrel/sqstdstring_local.h"

#include "squirrel/sqstdregister.h"
#include "squirrel/sqstdrex.h"

namespace {

int kRegexpTagAnchor;
const SQUserPointer kRegexpTag = &kRegexpTagAnchor;

SQRex* GetRex(HSQUIRRELVM v) {
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, 1, &p, kRegexpTag)) || !p) return nullptr;
    return static_cast<SQRex*>(p);
}

SQRex* Self(HSQUIRRELVM v) {
    SQRex* rex = GetRex(v);
    if (!rex) sq_throwerror(v, "invalid regexp object");
    return rex;
}

SQInteger ReleaseRex(SQUserPointer p, SQInteger) {
    sqstd_rex_free(static_cast<SQRex*>(p));
    return 1;
}

SQInteger RegexpConstructor(HSQUIRRELVM v) {
    if (GetRex(v)) return sq_throwerror(v, "the regexp is already constructed");
    const SQChar* pattern = "";
    sq_getstring(v, 2, &pattern);
    const SQChar* error = "invalid pattern";
    SQRex* rex = sqstd_rex_compile(pattern, &error);
    if (!rex) return sq_throwerror(v, error);
    sq_setinstanceup(v, 1, rex);
    sq_setreleasehook(v, 1, ReleaseRex);
    return 0;
}

struct Subject {
    const SQChar* text = "";
    SQInteger len = 0;
    SQInteger start = 0;
};

bool GetSubject(HSQUIRRELVM v, Subject& s) {
    sq_getstringandsize(v, 2, &s.text, &s.len);
    if (sq_gettop(v) > 2) sq_getinteger(v, 3, &s.start);
    if (s.start < 0 || s.start > s.len) {
        sq_throwerror(v, "invalid starting position");
        return false;
    }
    return true;
}

void SetInteger(HSQUIRRELVM v, const SQChar* name, SQInteger value) {
    sq_pushinteger(v, value);
    sqstdSetSlot(v, -2, name);
}

// A group that took no part in the match reports begin and end as -1.
void PushRange(HSQUIRRELVM v, const Subject& s, const SQChar* begin, const SQChar* end) {
    sq_newtable(v);
    bool set = begin && end;
    SetInteger(v, "begin", set ? (SQInteger)(begin - s.text) : -1);
    SetInteger(v, "end", set ? (SQInteger)(end - s.text) : -1);
}

SQInteger RegexpMatch(HSQUIRRELVM v) {
    SQRex* rex = Self(v);
    if (!rex) return SQ_ERROR;
    Subject s;
    sq_getstringandsize(v, 2, &s.text, &s.len);
    sq_pushbool(v, sqstdRexExecute(rex, s.text, s.text, s.text + s.len, true));
    return 1;
}

SQInteger RegexpSearch(HSQUIRRELVM v) {
    SQRex* rex = Self(v);
    if (!rex) return SQ_ERROR;
    Subject s;
    if (!GetSubject(v, s)) return SQ_ERROR;
    if (!sqstdRexExecute(rex, s.text, s.text + s.start, s.text + s.len, false)) return 0;
    PushRange(v, s, rex->captures[0], rex->captures[1]);
    return 1;
}

SQInteger RegexpCapture(HSQUIRRELVM v) {
    SQRex* rex = Self(v);
    if (!rex) return SQ_ERROR;
    Subject s;
    if (!GetSubject(v, s)) return SQ_ERROR;
    if (!sqstdRexExecute(rex, s.text, s.text + s.start, s.text + s.len, false)) return 0;
    sq_newarray(v, 0);
    for (SQInteger i = 0; i < rex->groups; ++i) {
        PushRange(v, s, rex->captures[(size_t)i * 2], rex->captures[(size_t)i * 2 + 1]);
        sq_arrayappend(v, -2);
    }
    return 1;
}

SQInteger RegexpSubExpCount(HSQUIRRELVM v) {
    SQRex* rex = Self(v);
    if (!rex) return SQ_ERROR;
    sq_pushinteger(v, sqstd_rex_getsubexpcount(rex));
    return 1;
}

SQInteger RegexpTypeOf(HSQUIRRELVM v) {
    sq_pushstring(v, "regexp", -1);
    return 1;
}

const SQRegFunction kRegexpMethods[] = {
    {"constructor", RegexpConstructor, 2, "xs"},
    {"match", RegexpMatch, 2, "xs"},
    {"search", RegexpSearch, -2, "xsn"},
    {"capture", RegexpCapture, -2, "xsn"},
    {"subexpcount", RegexpSubExpCount, 1, "x"},
    {"_typeof", RegexpTypeOf, 1, "x"},
    {nullptr, nullptr, 0, nullptr}};

}  // namespace

SQRESULT sqstdRegisterRegexpClass(HSQUIRRELVM v, SQInteger idx) {
    idx = sqstdAbsoluteIndex(v, idx);
    if (SQ_FAILED(sqstdNewClass(v, SQFalse, kRegexpTag, kRegexpMethods))) return SQ_ERROR;
    return sqstdSetSlot(v, idx, "regexp");
}
