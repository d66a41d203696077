#include "core/math/nCurvePoint.h"

#include "core/base/nMemory.h"

void* nCurvePoint::operator new(size_t size) noexcept
{
    return MemAllocCurve(size);
}

void nCurvePoint::operator delete(void* memory) noexcept
{
    MemFreeCurve(memory);
}

void nCurvePoint::CopyFrom(const nCurvePoint& source)
{
    kind = source.kind;
    time = source.time;
    value = source.value;
    tension = source.tension;
    continuity = source.continuity;
    bias = source.bias;
    tangent = source.tangent;
    p1 = source.p1;
    p2 = source.p2;
    p3 = source.p3;
}
