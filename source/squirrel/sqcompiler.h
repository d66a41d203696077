#pragma once

#include "squirrel/sqobject.h"

#include <string>

// Compiles source text to a closure prototype. On failure returns false with the message in
// `error` and the position in line/column.
struct SQCompileResult {
    SQObjectPtr function;
    std::string error;
    SQInteger line = 0;
    SQInteger column = 0;
};

bool sqCompile(SQVM* v, const SQChar* source, SQInteger size, const SQChar* sourcename, bool lineinfo,
               SQCompileResult& result);
