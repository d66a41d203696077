#pragma once

#include "squirrel/squirrel.h"

// Registers in the root table the native class "NVec" (a 2D vector made through the C API,
// used by the golden tests of native classes), "maskedAdd", a native with a parameter mask, and
// "liveBytes", the bytes held by script objects.
void RegisterTestNatives(HSQUIRRELVM v);
