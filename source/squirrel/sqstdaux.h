#pragma once

#include "squirrel/squirrel.h"

// Installs a compiler error handler and a runtime error handler that report through the
// VM's error print function (or its print function when no error function is set).
void sqstd_seterrorhandlers(HSQUIRRELVM v);

// Prints the call stack of the running calls through the same print function.
void sqstd_printcallstack(HSQUIRRELVM v);
