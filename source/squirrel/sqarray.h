#pragma once

#include "squirrel/sqobject.h"

#include <vector>

// Larger arrays are refused with a script error rather than exhausting memory.
constexpr SQInteger kMaxArraySize = 1 << 26;

struct SQArray : SQRefCounted {
    std::vector<SQObjectPtr> _values;

    static SQArray* Create(SQSharedState* ss, SQInteger size);
    SQInteger Size() const { return (SQInteger)_values.size(); }
    void Finalize() override { std::vector<SQObjectPtr>().swap(_values); }
};
