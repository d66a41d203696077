#pragma once

#include <cstddef>
#include <cstdint>

enum nCurveKnotKind : int32_t
{
    CurveKnotNone = 0,
    CurveKnotLinear = 1,
    CurveKnotTCB = 2,
    CurveKnotHermite = 3,
    CurveKnotHermiteAlt = 4,
    CurveKnotBezier = 5,
    CurveKnotStep = 6,
};

// One knot of a curve. The tangent serves both sides of a Hermite knot; for a Bezier knot
// it is the time offset of the handle before the knot, p1 that handle's value offset and
// p2, p3 the time and value offsets of the handle after it.
class nCurvePoint
{
public:
    // An allocation failure yields a null knot instead of an exception.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    nCurvePoint() = default;
    nCurvePoint(float time, float value, int32_t kind = CurveKnotLinear)
        : kind(kind), time(time), value(value)
    {
    }

    void CopyFrom(const nCurvePoint& source);

    int32_t kind = CurveKnotLinear;
    float time = 0.0f;
    float value = 0.0f;
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
    float tangent = 0.0f;
    float p1 = 0.0f;
    float p2 = 0.0f;
    float p3 = 0.0f;
};
