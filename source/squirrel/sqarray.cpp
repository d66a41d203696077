#include "squirrel/sqarray.h"

#include "squirrel/sqgc.h"

SQArray* SQArray::Create(SQSharedState* ss, SQInteger size) {
    SQArray* a = new SQArray();
    a->LinkInto(ss);
    a->_values.resize((size_t)size);
    return a;
}

void SQArray::Traverse(SQCollector& gc) {
    for (const SQObjectPtr& o : _values) gc.Edge(o);
}
