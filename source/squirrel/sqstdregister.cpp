#include "squirrel/sqstdregister.h"

SQInteger sqstdAbsoluteIndex(HSQUIRRELVM v, SQInteger idx) {
    return idx < 0 ? sq_gettop(v) + idx + 1 : idx;
}

SQRESULT sqstdRegisterFunctions(HSQUIRRELVM v, SQInteger idx, const SQRegFunction* functions,
                                const HSQOBJECT* boundValue) {
    idx = sqstdAbsoluteIndex(v, idx);
    SQInteger top = sq_gettop(v);
    for (const SQRegFunction* f = functions; f->name; ++f) {
        sq_pushstring(v, f->name, -1);
        if (boundValue) sq_pushobject(v, *boundValue);
        sq_newclosure(v, f->f, boundValue ? 1 : 0);
        if (SQ_FAILED(sq_setparamscheck(v, f->nparamscheck, f->typemask)) ||
            SQ_FAILED(sq_setnativeclosurename(v, -1, f->name)) || SQ_FAILED(sq_newslot(v, idx, SQFalse))) {
            sq_settop(v, top);
            return SQ_ERROR;
        }
    }
    return SQ_OK;
}

SQRESULT sqstdNewClass(HSQUIRRELVM v, SQBool hasBase, SQUserPointer typeTag, const SQRegFunction* methods) {
    if (SQ_FAILED(sq_newclass(v, hasBase))) return SQ_ERROR;
    if (SQ_FAILED(sq_settypetag(v, -1, typeTag)) || SQ_FAILED(sqstdRegisterFunctions(v, -1, methods))) {
        sq_poptop(v);
        return SQ_ERROR;
    }
    return SQ_OK;
}

SQRESULT sqstdStoreInRegistry(HSQUIRRELVM v, const SQChar* key) {
    sq_pushregistrytable(v);
    sq_pushstring(v, key, -1);
    sq_push(v, -3);
    SQRESULT r = sq_newslot(v, -3, SQFalse);
    sq_poptop(v);
    return r;
}

SQRESULT sqstdPushFromRegistry(HSQUIRRELVM v, const SQChar* key) {
    sq_pushregistrytable(v);
    sq_pushstring(v, key, -1);
    if (SQ_FAILED(sq_rawget(v, -2))) {
        sq_poptop(v);
        return SQ_ERROR;
    }
    sq_remove(v, -2);
    return SQ_OK;
}

SQRESULT sqstdSetSlot(HSQUIRRELVM v, SQInteger idx, const SQChar* name) {
    idx = sqstdAbsoluteIndex(v, idx);
    sq_pushstring(v, name, -1);
    sq_push(v, -2);
    SQRESULT r = sq_newslot(v, idx, SQFalse);
    sq_poptop(v);
    return r;
}
