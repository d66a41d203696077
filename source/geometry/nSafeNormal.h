#pragma once

#include "core/math/nVector.h"

#include <cmath>

// The unit vector along v (w = 1), or zero when v has no length that can be divided by: zero,
// so small that its square underflows, or not finite. No NaN or infinity reaches a normal.
inline nVector SafeNormalized(const nVector& v)
{
    const double length = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    if (!(length > 0.0) || !std::isfinite(length))
        return nVector(0.0f, 0.0f, 0.0f, 1.0f);
    return nVector(float(v.x / length), float(v.y / length), float(v.z / length), 1.0f);
}
