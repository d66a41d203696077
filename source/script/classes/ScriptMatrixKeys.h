#pragma once

#include "squirrel/squirrel.h"

// The storage index of an element key "m<row><column>" at stack index 2 of a matrix of the
// given size, or -1 for any other key.
int MatrixElementOfKey(HSQUIRRELVM vm, int size);
// The row or column index at stack index 2, or -1 when it lies outside a matrix of the size.
int MatrixLineIndex(HSQUIRRELVM vm, int size);
