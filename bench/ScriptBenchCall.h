#pragma once

#include "squirrel/squirrel.h"

// Calls the root-table function with one integer argument, leaving the stack as it was; false when
// the function is missing or raised an error.
inline bool CallScriptFunction(HSQUIRRELVM vm, const char* function, int count)
{
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, function, -1);
    bool called = SQ_SUCCEEDED(sq_get(vm, -2));
    if (called)
    {
        sq_pushroottable(vm);
        sq_pushinteger(vm, count);
        called = SQ_SUCCEEDED(sq_call(vm, 2, SQFalse, SQTrue));
    }
    sq_settop(vm, top);
    return called;
}
