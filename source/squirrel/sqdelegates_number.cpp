#include "squirrel/sqdelegates.h"

#include "squirrel/sqvm.h"

static SQInteger NumberToFloat(HSQUIRRELVM v) {
    const SQObjectPtr& o = v->StackAt(1);
    sq_pushfloat(v, o._type == OT_BOOL ? (SQFloat)_integer(o) : sqToFloat(o));
    return 1;
}

static SQInteger NumberToInteger(HSQUIRRELVM v) {
    const SQObjectPtr& o = v->StackAt(1);
    sq_pushinteger(v, o._type == OT_BOOL ? _integer(o) : sqToInteger(o));
    return 1;
}

static SQInteger NumberToChar(HSQUIRRELVM v) {
    char c = (char)sqToInteger(v->StackAt(1));
    sq_pushstring(v, &c, 1);
    return 1;
}

const SQRegFunction sqNumberDelegate[] = {
    {"tofloat", NumberToFloat, 1, "n|b"},
    {"tostring", sqDelegateToString, 1, "."},
    {"tointeger", NumberToInteger, 1, "n|b"},
    {"tochar", NumberToChar, 1, "n|b"},
    {"weakref", sqDelegateWeakRef, 1, nullptr},
    {nullptr, nullptr, 0, nullptr}};
