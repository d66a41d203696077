#pragma once

#include "core/math/nMatrix3.h"

#include <cmath>
#include <cstdint>

// 2D matrices map points written as rows, p' = p . M: the first two rows hold the axes, the third
// the translation, so that A . B applies A first.
inline void TransformPoint2D(const nMatrix3& matrix, float x, float y, float& outX, float& outY)
{
    const float* m = matrix.m;
    outX = x * m[0] + y * m[3] + m[6];
    outY = x * m[1] + y * m[4] + m[7];
}

// Truncation toward zero that content cannot make undefined: NaN gives 0 and values beyond the
// integer range stop at its ends.
inline int32_t TruncateToPixel(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483520.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}
