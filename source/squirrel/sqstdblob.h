#pragma once

#include "squirrel/squirrel.h"

// Registers the blob class and castf2i, casti2f, swap2, swap4 and swapfloat in the table on
// top of the stack.
SQRESULT sqstd_register_bloblib(HSQUIRRELVM v);

// The payload of the blob at idx; fails (with a script error) when the object is no blob.
SQRESULT sqstd_getblob(HSQUIRRELVM v, SQInteger idx, SQUserPointer* ptr);
// The size in bytes of the blob at idx, or -1 when the object is no blob.
SQInteger sqstd_getblobsize(HSQUIRRELVM v, SQInteger idx);
// Pushes a new zero-filled blob of size bytes and answers its payload; null (nothing pushed)
// when it cannot be made.
SQUserPointer sqstd_createblob(HSQUIRRELVM v, SQInteger size);

// Sizes come from scripts (blob(1e20) saturates to the largest integer), so no blob is
// allowed to grow past this.
constexpr SQInteger sqstdMaxBlobSize = 1 << 28;
