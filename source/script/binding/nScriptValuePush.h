#pragma once

#include "squirrel/squirrel.h"

class nMinMax;
struct nRect;
class nUV;
class nVector;

// Values built member by member through script-side classes. Each answers false after a binding
// error, with the stack as it was (a pusher never sets members of some other stack entry).
bool PushVectorByFields(HSQUIRRELVM vm, float x, float y, float z, float w);
bool PushUVByFields(HSQUIRRELVM vm, float u, float v);
// "MinMax" and "Rect" come from "@core/scriptlib/nad.nut".
bool PushMinMax(HSQUIRRELVM vm, const nMinMax& box);
bool PushRect(HSQUIRRELVM vm, const nRect& rect);
// The four members of the "Rect" at the index, each truncated to an integer within int range.
bool GetRectArg(HSQUIRRELVM vm, SQInteger index, nRect& rect);
