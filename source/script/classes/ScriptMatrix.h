#pragma once

#include "script/SquirrelObject.h"
#include "squirrel/squirrel.h"

class nMatrix3;
class nMatrix4;
struct nScriptClassDescriptor;

extern const nScriptClassDescriptor Matrix3Class;
extern const nScriptClassDescriptor Matrix4Class;

bool PushMatrix4(HSQUIRRELVM vm, const nMatrix4& value);
bool PushMatrix3(HSQUIRRELVM vm, const nMatrix3& value);
SquirrelObject NewMatrix4Object(HSQUIRRELVM vm, const nMatrix4& value);
SquirrelObject NewMatrix3Object(HSQUIRRELVM vm, const nMatrix3& value);
// The matrix held by the instance at the index, or null when it is no instance of that class.
nMatrix4* GetMatrix4Instance(HSQUIRRELVM vm, SQInteger index);
nMatrix3* GetMatrix3Instance(HSQUIRRELVM vm, SQInteger index);
