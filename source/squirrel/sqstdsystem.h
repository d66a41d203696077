#pragma once

#include "squirrel/squirrel.h"

// Registers getenv, system, clock, time, date, remove and rename in the table on top of the stack.
SQRESULT sqstd_register_systemlib(HSQUIRRELVM v);
