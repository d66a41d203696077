#pragma once

#include "squirrel/squirrel.h"

// Registers in the root table the native class "NVec" (a 2D vector made through the C API,
// used by the golden tests of native classes) and "maskedAdd", a native with a parameter mask.
void RegisterTestNatives(HSQUIRRELVM v);
