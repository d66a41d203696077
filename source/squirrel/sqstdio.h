#pragma once

#include "squirrel/squirrel.h"

// A host stream handle (a FILE*).
typedef void* SQFILE;

// Registers the file class, dofile, loadfile, writeclosuretofile and the stdin, stdout and
// stderr file objects in the table on top of the stack.
SQRESULT sqstd_register_iolib(HSQUIRRELVM v);

// Pushes a file object over an open stream; with owns the object closes it when released.
SQRESULT sqstd_createfile(HSQUIRRELVM v, SQFILE file, SQBool owns);
SQRESULT sqstd_getfile(HSQUIRRELVM v, SQInteger idx, SQFILE* file);

// Compiles a script file and pushes it as a closure; printerror invokes the compiler error
// handler on a syntax error. Bytecode files are refused.
SQRESULT sqstd_loadfile(HSQUIRRELVM v, const SQChar* filename, SQBool printerror);
// Compiles and runs a script file with the table on top of the stack as 'this' (left there);
// with retval the script's result is pushed.
SQRESULT sqstd_dofile(HSQUIRRELVM v, const SQChar* filename, SQBool retval, SQBool printerror);
// Bytecode is not supported: always fails with a script error.
SQRESULT sqstd_writeclosuretofile(HSQUIRRELVM v, const SQChar* filename);
