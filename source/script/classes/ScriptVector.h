#pragma once

#include "script/SquirrelObject.h"
#include "squirrel/squirrel.h"

class nVector;
struct nScriptClassDescriptor;

extern const nScriptClassDescriptor VectorClass;

// Pushes a new "Vector" instance holding a copy; false with nothing pushed on failure.
bool PushVector(HSQUIRRELVM vm, const nVector& value);
// Pushes (x, y, z, 1) as a method's result; a runtime error when the instance cannot be made.
SQInteger PushVectorResult(HSQUIRRELVM vm, const nVector& value);
// The new instance, taken off the stack; a null holder on failure.
SquirrelObject NewVectorObject(HSQUIRRELVM vm, const nVector& value);
// Copies the "Vector" at the index. Another value raises "Invalid instance type" and answers false.
bool GetVectorArg(HSQUIRRELVM vm, SQInteger index, nVector& value);
// The vector held by the instance at the index, or null when it is no "Vector".
nVector* GetVectorInstance(HSQUIRRELVM vm, SQInteger index);
