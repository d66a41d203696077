#include "squirrel/sqarray.h"

SQArray* SQArray::Create(SQSharedState* ss, SQInteger size) {
    SQArray* a = new SQArray();
    a->LinkInto(ss);
    a->_values.resize((size_t)size);
    return a;
}
