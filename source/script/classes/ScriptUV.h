#pragma once

#include "script/SquirrelObject.h"
#include "squirrel/squirrel.h"

class nUV;
struct nScriptClassDescriptor;

extern const nScriptClassDescriptor UVClass;

bool PushUV(HSQUIRRELVM vm, const nUV& value);
SquirrelObject NewUVObject(HSQUIRRELVM vm, const nUV& value);
// Copies the "UV" at the index. Another value raises "Invalid instance type" and answers false.
bool GetUVArg(HSQUIRRELVM vm, SQInteger index, nUV& value);
