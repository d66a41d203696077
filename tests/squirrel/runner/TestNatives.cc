#include "runner/TestNatives.h"

#include "squirrel/sqmem.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

struct NVec {
    SQInteger x;
    SQInteger y;
};

int kNVecTag;

SQInteger ReleaseNVec(SQUserPointer p, SQInteger) {
    NVec* vec = static_cast<NVec*>(p);
    printf("[released NVec(%d,%d)]\n", vec->x, vec->y);
    delete vec;
    return 1;
}

NVec* Self(HSQUIRRELVM v, SQInteger idx = 1) {
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, idx, &p, &kNVecTag))) return nullptr;
    return static_cast<NVec*>(p);
}

SQInteger Construct(HSQUIRRELVM v) {
    NVec* vec = new NVec{0, 0};
    sq_getinteger(v, 2, &vec->x);
    sq_getinteger(v, 3, &vec->y);
    sq_setinstanceup(v, 1, vec);
    sq_setreleasehook(v, 1, ReleaseNVec);
    return 0;
}

// Creates a new NVec instance through the class found in the root table.
SQInteger PushNew(HSQUIRRELVM v, SQInteger x, SQInteger y) {
    sq_pushroottable(v);
    sq_pushstring(v, "NVec", -1);
    if (SQ_FAILED(sq_get(v, -2))) return SQ_ERROR;
    sq_pushroottable(v);
    sq_pushinteger(v, x);
    sq_pushinteger(v, y);
    if (SQ_FAILED(sq_call(v, 3, SQTrue, SQFalse))) return SQ_ERROR;
    sq_remove(v, -2);
    sq_remove(v, -2);
    return 1;
}

SQInteger Add(HSQUIRRELVM v) {
    NVec* a = Self(v);
    NVec* b = Self(v, 2);
    if (!a || !b) return sq_throwerror(v, "NVec expected");
    return PushNew(v, a->x + b->x, a->y + b->y);
}

SQInteger Get(HSQUIRRELVM v) {
    NVec* vec = Self(v);
    const SQChar* key;
    sq_getstring(v, 2, &key);
    if (strcmp(key, "x") == 0) {
        sq_pushinteger(v, vec->x);
    } else if (strcmp(key, "y") == 0) {
        sq_pushinteger(v, vec->y);
    } else {
        sq_pushnull(v);
        return sq_throwobject(v);
    }
    return 1;
}

SQInteger Set(HSQUIRRELVM v) {
    NVec* vec = Self(v);
    const SQChar* key;
    sq_getstring(v, 2, &key);
    SQInteger value;
    sq_getinteger(v, 3, &value);
    if (strcmp(key, "x") == 0) {
        vec->x = value;
    } else if (strcmp(key, "y") == 0) {
        vec->y = value;
    } else {
        return sq_throwerror(v, "NVec has only x and y");
    }
    return 0;
}

SQInteger Compare(HSQUIRRELVM v) {
    NVec* a = Self(v);
    NVec* b = Self(v, 2);
    if (!b) return sq_throwerror(v, "NVec expected");
    SQInteger la = a->x * a->x + a->y * a->y, lb = b->x * b->x + b->y * b->y;
    sq_pushinteger(v, la < lb ? -1 : (la > lb ? 1 : 0));
    return 1;
}

SQInteger ToString(HSQUIRRELVM v) {
    NVec* vec = Self(v);
    char text[64];
    snprintf(text, sizeof(text), "NVec(%d,%d)", vec->x, vec->y);
    sq_pushstring(v, text, -1);
    return 1;
}

SQInteger Dot(HSQUIRRELVM v) {
    NVec* a = Self(v);
    NVec* b = Self(v, 2);
    if (!b) return sq_throwerror(v, "NVec expected");
    sq_pushinteger(v, a->x * b->x + a->y * b->y);
    return 1;
}

SQInteger MaskedAdd(HSQUIRRELVM v) {
    SQInteger a, b;
    sq_getinteger(v, 2, &a);
    sq_getinteger(v, 3, &b);
    sq_pushinteger(v, a + b);
    return 1;
}

// Live bytes of the script objects, for scripts that check a collection gives memory back.
SQInteger LiveBytes(HSQUIRRELVM v) {
    int64_t bytes = sqLiveBytes();
    sq_pushinteger(v, bytes > INT32_MAX ? INT32_MAX : (SQInteger)bytes);
    return 1;
}

void AddMethod(HSQUIRRELVM v, const SQChar* name, SQFUNCTION f, SQInteger nparams, const SQChar* mask) {
    sq_pushstring(v, name, -1);
    sq_newclosure(v, f, 0);
    sq_setparamscheck(v, nparams, mask);
    sq_setnativeclosurename(v, -1, name);
    sq_newslot(v, -3, SQFalse);
}

}  // namespace

void RegisterTestNatives(HSQUIRRELVM v) {
    sq_pushroottable(v);
    sq_pushstring(v, "NVec", -1);
    sq_newclass(v, SQFalse);
    sq_settypetag(v, -1, &kNVecTag);
    AddMethod(v, "constructor", Construct, 3, "xii");
    AddMethod(v, "_add", Add, 2, "xx");
    AddMethod(v, "_get", Get, 2, "xs");
    AddMethod(v, "_set", Set, 3, "xsi");
    AddMethod(v, "_cmp", Compare, 2, "xx");
    AddMethod(v, "_tostring", ToString, 1, "x");
    AddMethod(v, "dot", Dot, 2, "xx");
    sq_newslot(v, -3, SQFalse);
    AddMethod(v, "maskedAdd", MaskedAdd, 3, ".ii");
    AddMethod(v, "liveBytes", LiveBytes, 1, ".");
    sq_pop(v, 1);
}
