#pragma once

#include "squirrel/squirrel.h"

// Registers the math functions and the constants PI and RAND_MAX in the table on top of the stack.
SQRESULT sqstd_register_mathlib(HSQUIRRELVM v);
