#pragma once

#include "squirrel/squirrel.h"

// Registers the global functions and constants of the base library in the root table.
void sqRegisterBaseLib(HSQUIRRELVM v);

// Pushes on v a table (func, src, line, locals) describing the frame `level` of target's
// call stack, 0 being the innermost; answers 1, or 0 with nothing pushed when there is none.
SQInteger sqPushStackInfos(HSQUIRRELVM v, HSQUIRRELVM target, SQInteger level);
