#pragma once

#include "squirrel/squirrel.h"

// Registers the global functions and constants of the base library in the root table.
void sqRegisterBaseLib(HSQUIRRELVM v);
