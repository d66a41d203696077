#include "squirrel/sqdelegates.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqstate.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

static SQTable* Self(HSQUIRRELVM v) { return _table(v->StackAt(1)); }

static SQInteger TableLen(HSQUIRRELVM v) {
    sq_pushinteger(v, Self(v)->Count());
    return 1;
}

static SQInteger TableRawDelete(HSQUIRRELVM v) {
    SQObjectPtr old;
    SQTable* t = Self(v);
    if (t->Get(v->StackAt(2), old)) t->Remove(v->StackAt(2));
    v->Push(old);
    return 1;
}

static SQInteger TableClear(HSQUIRRELVM v) {
    Self(v)->Clear();
    sq_push(v, 1);
    return 1;
}

static SQInteger TableSetDelegate(HSQUIRRELVM v) {
    sq_push(v, 2);
    if (SQ_FAILED(sq_setdelegate(v, 1))) return SQ_ERROR;
    sq_push(v, 1);
    return 1;
}

static SQInteger TableGetDelegate(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getdelegate(v, 1)) ? 1 : SQ_ERROR; }

static SQInteger TableKeysOrValues(HSQUIRRELVM v, bool keys) {
    SQTable* t = Self(v);
    SQArray* a = SQArray::Create(v->_ss, 0);
    SQObjectPtr result(a);
    SQObjectPtr key, val;
    for (SQInteger pos = 0; (pos = t->Next(pos, key, val)) >= 0;) a->_values.push_back(keys ? key : val);
    v->Push(result);
    return 1;
}

static SQInteger TableKeys(HSQUIRRELVM v) { return TableKeysOrValues(v, true); }
static SQInteger TableValues(HSQUIRRELVM v) { return TableKeysOrValues(v, false); }

static SQInteger TableFilter(HSQUIRRELVM v) {
    SQObjectPtr self = v->StackAt(1), fn = v->StackAt(2);
    SQTable* result = SQTable::Create(v->_ss);
    SQObjectPtr out(result);
    SQObjectPtr key, val;
    for (SQInteger pos = 0; (pos = _table(self)->Next(pos, key, val)) >= 0;) {
        SQObjectPtr keep;
        SQObjectPtr args[2] = {key, val};
        if (!v->CallMetaMethod(fn, self, 2, args, keep)) return SQ_ERROR;
        if (!sqIsFalse(keep)) result->NewSlot(key, val);
    }
    v->Push(out);
    return 1;
}

const SQRegFunction sqTableDelegate[] = {
    {"len", TableLen, 1, "t"},
    {"rawget", sqDelegateRawGet, 2, "t"},
    {"rawset", sqDelegateRawSet, 3, "t"},
    {"rawdelete", TableRawDelete, 2, "t"},
    {"rawin", sqDelegateRawIn, 2, "t"},
    {"weakref", sqDelegateWeakRef, 1, nullptr},
    {"tostring", sqDelegateToString, 1, "."},
    {"clear", TableClear, 1, "t"},
    {"setdelegate", TableSetDelegate, 2, "t t|o"},
    {"getdelegate", TableGetDelegate, 1, "t"},
    {"keys", TableKeys, 1, "t"},
    {"values", TableValues, 1, "t"},
    {"filter", TableFilter, 2, "tc"},
    {nullptr, nullptr, 0, nullptr}};
