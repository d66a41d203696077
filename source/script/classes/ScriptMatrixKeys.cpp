#include "script/classes/ScriptMatrixKeys.h"

#include <cstring>

int MatrixElementOfKey(HSQUIRRELVM vm, int size)
{
    const SQChar* key = "";
    if (SQ_FAILED(sq_getstring(vm, 2, &key)) || std::strlen(key) != 3 || key[0] != 'm')
        return -1;
    const int row = key[1] - '0';
    const int column = key[2] - '0';
    if (row < 0 || row >= size || column < 0 || column >= size)
        return -1;
    return row * size + column;
}

int MatrixLineIndex(HSQUIRRELVM vm, int size)
{
    SQInteger index = -1;
    sq_getinteger(vm, 2, &index);
    return index >= 0 && index < size ? index : -1;
}
