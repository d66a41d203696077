#pragma once

#include "squirrel/squirrel.h"

#include <cstdint>

// One method of a native script class. parameterCount counts "this": n means exactly n, -n at
// least n. The type mask is a Squirrel type-mask string, or null for no type check.
struct nScriptClassMethod
{
    const char* name;
    SQFUNCTION function;
    int32_t parameterCount;
    const char* typeMask;
};

// A native script class. Its address is the class's type tag, so an instance belongs to the
// class exactly when its tag is this descriptor. The method table ends with a null name, and its
// first entry answers the class name; that entry is also registered as the "_typeof"
// metamethod, so `typeof` of an instance is its class name.
struct nScriptClassDescriptor
{
    const char* name;
    const char* baseName; // null for a class without base
    const nScriptClassMethod* methods;
};

// Binds the native to the name in the root table, with the mask in exact-count mode; a name
// registered again is replaced.
void RegisterNative(HSQUIRRELVM vm, SQFUNCTION function, const char* name, const char* typeMask);

// A class already declared from the same descriptor is kept as it is, with whatever methods were
// added to it.
bool DeclareScriptClass(HSQUIRRELVM vm, const nScriptClassDescriptor& descriptor);
// Adds the methods (a table ending with a null name) to the class the descriptor declared, a
// method of the same name being replaced; false when the class is not declared.
bool AddScriptClassMethods(HSQUIRRELVM vm, const nScriptClassDescriptor& descriptor,
                           const nScriptClassMethod* methods);
// The script host declares "GeometryTemplate" answering its name only; the geometry natives add
// the methods that build geometries.
extern const nScriptClassDescriptor GeometryTemplateClass;
// CObject, GeometryTemplate, Matrix3, Matrix4, Vector and UV, in that order.
bool DeclareScriptClasses(HSQUIRRELVM vm);

// Pushes an instance of the class of the root table without running its constructor, holding
// the native pointer with the release hook; on failure the stack is left as it was.
bool PushClassInstance(HSQUIRRELVM vm, const char* className, SQUserPointer native, SQRELEASEHOOK releaseHook);
// Leaves only the new instance on the stack; a binding error otherwise.
bool InstantiateScriptClass(HSQUIRRELVM vm, const char* className, bool callConstructor);
// Prints the call stack with the reason "Binding error: <text>"; answers false.
bool BindingError(HSQUIRRELVM vm, const char* text);

// Reads the handle at the index. False without an error of its own when the value is not a handle
// or holds no record, false after the runtime error "Expected '%s' got '%s'" when expectedType is
// not 0 and the handle is of another type; otherwise the object, which may be null.
bool GetCObject(HSQUIRRELVM vm, SQInteger index, void*& object, int32_t expectedType);
bool GetCObjectType(HSQUIRRELVM vm, SQInteger index, int32_t& type);

bool IsClassInstance(HSQUIRRELVM vm, SQInteger index, const nScriptClassDescriptor& descriptor);
// The native value of an instance of the class at the index, or null when it is something else.
SQUserPointer GetClassInstanceValue(HSQUIRRELVM vm, SQInteger index, const nScriptClassDescriptor& descriptor);
