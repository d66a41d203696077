#pragma once

#include "squirrel/squirrel.h"

#include <cstdint>

class nMatrix3;
class nMatrix4;
class nScriptObject;
class nVector;

// The argument checks that every native makes, each raising its runtime error and answering
// false (the native then returns -1) before any engine state changes.

// A handle of the expected type (0 for any) on a live object: the machine's own error for a value
// that is no handle, false without a message for a handle without record, "Expected '%s' got
// '%s'" for another type and "CObject is null" for a handle on nothing.
bool GetObjectArg(HSQUIRRELVM vm, SQInteger index, int32_t expectedType, void*& object);

template <typename T>
T* GetObjectArg(HSQUIRRELVM vm, SQInteger index, int32_t expectedType)
{
    void* object = nullptr;
    return GetObjectArg(vm, index, expectedType, object) ? static_cast<T*>(object) : nullptr;
}

// A "Vector" taken as a point or a direction of the engine: its w is set to 1. "Invalid instance
// type" for any other value.
bool GetPointArg(HSQUIRRELVM vm, SQInteger index, nVector& value);

// Copies of the values of "Matrix3" and "Matrix4" instances; "Invalid instance type" otherwise.
bool GetMatrix3Arg(HSQUIRRELVM vm, SQInteger index, nMatrix3& value);
bool GetMatrix4Arg(HSQUIRRELVM vm, SQInteger index, nMatrix4& value);

// Results. Each answers what a native returns: 1 after pushing, or -1 with nothing pushed when the
// handle cannot be made (PushCObject has logged it).
SQInteger PushHandle(HSQUIRRELVM vm, void* object, int32_t type, bool owned = false);
// The instance object of a script unit; null without one.
SQInteger PushScriptInstance(HSQUIRRELVM vm, nScriptObject* instance);
// Appends a new handle to the array on top of the stack; false when the handle cannot be made.
bool AppendHandle(HSQUIRRELVM vm, void* object, int32_t type);

// Root-table constants of the script API. A name set again is replaced.
void RegisterIntegerConstant(HSQUIRRELVM vm, const char* name, int32_t value);
void RegisterFloatConstant(HSQUIRRELVM vm, const char* name, float value);
void RegisterBoolConstant(HSQUIRRELVM vm, const char* name, bool value);
// A handle of the type on no object, such as "NullItem".
void RegisterNullHandleConstant(HSQUIRRELVM vm, const char* name, int32_t type);
