#pragma once

#include "squirrel/squirrel.h"

// Helpers shared by the standard library modules; they reach the VM only through squirrel.h.

// Adds each entry of a null-terminated list as a named native closure (with its parameter
// check) to the table or class at idx. With boundValue, every closure gets that object as its
// one free variable, found at the top of the native's stack.
SQRESULT sqstdRegisterFunctions(HSQUIRRELVM v, SQInteger idx, const SQRegFunction* functions,
                                const HSQOBJECT* boundValue = nullptr);

// Creates a native class (deriving from the class on top of the stack when hasBase), tags it,
// fills it from the list and leaves it on top of the stack.
SQRESULT sqstdNewClass(HSQUIRRELVM v, SQBool hasBase, SQUserPointer typeTag, const SQRegFunction* methods);

// Library objects that natives need again later (the blob class, the file class) are kept in
// the registry table under a name of the library's own. Storing leaves the value on the stack.
SQRESULT sqstdStoreInRegistry(HSQUIRRELVM v, const SQChar* key);
SQRESULT sqstdPushFromRegistry(HSQUIRRELVM v, const SQChar* key);

// Adds the value on top of the stack to the table at idx under name, and pops it.
SQRESULT sqstdSetSlot(HSQUIRRELVM v, SQInteger idx, const SQChar* name);

// Converts a relative stack index into an absolute one so that pushes do not move it.
SQInteger sqstdAbsoluteIndex(HSQUIRRELVM v, SQInteger idx);
