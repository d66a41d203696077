#pragma once

#include "squirrel/squirrel.h"

struct SQSharedState;
struct SQTable;

// Builds a table of native closures from a null-terminated registration list.
SQTable* sqRegisterFunctions(SQSharedState* ss, const SQRegFunction* functions);
void sqCreateDefaultDelegates(SQSharedState* ss);

extern const SQRegFunction sqNumberDelegate[];
extern const SQRegFunction sqStringDelegate[];
extern const SQRegFunction sqTableDelegate[];
extern const SQRegFunction sqArrayDelegate[];
extern const SQRegFunction sqClosureDelegate[];
extern const SQRegFunction sqGeneratorDelegate[];
extern const SQRegFunction sqThreadDelegate[];
extern const SQRegFunction sqClassDelegate[];
extern const SQRegFunction sqInstanceDelegate[];
extern const SQRegFunction sqWeakRefDelegate[];

// Helpers shared by the delegate files.
SQInteger sqDelegateWeakRef(HSQUIRRELVM v);
SQInteger sqDelegateToString(HSQUIRRELVM v);
SQInteger sqDelegateRawIn(HSQUIRRELVM v);
SQInteger sqDelegateRawGet(HSQUIRRELVM v);
SQInteger sqDelegateRawSet(HSQUIRRELVM v);
