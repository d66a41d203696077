#pragma once

#include "squirrel/sqobject.h"

#include <vector>

// Larger arrays are refused with a script error rather than exhausting memory.
constexpr SQInteger kMaxArraySize = 1 << 26;

struct SQArray : SQRefCounted {
    SQVector<SQObjectPtr> _values;

    static SQArray* Create(SQSharedState* ss, SQInteger size);
    SQInteger Size() const { return (SQInteger)_values.size(); }
    void Finalize() override { SQVector<SQObjectPtr>().swap(_values); }
    void Traverse(SQCollector& gc) override;
};
