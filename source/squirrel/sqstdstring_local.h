#pragma once

#include "squirrel/sqstdstring.h"

#include <string>

// Pieces of the string library kept in their own files.

// Adds the script class "regexp" to the table at idx.
SQRESULT sqstdRegisterRegexpClass(HSQUIRRELVM v, SQInteger idx);

// Formats like sqstd_format into out; false after raising a script error.
bool sqstdFormatToString(HSQUIRRELVM v, SQInteger formatIndex, std::string& out);
