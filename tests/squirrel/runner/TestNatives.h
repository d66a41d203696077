#pragma once

#include "squirrel/squirrel.h"

// Registers the native class "NVec" in the root table: a 2D vector implemented through the
// C API, used by the golden tests of native classes.
void RegisterTestNatives(HSQUIRRELVM v);
