#include "core/math/nScalar.h"

#include <algorithm>
#include <cmath>

float Sqrt(float value)
{
    return static_cast<float>(std::sqrt(static_cast<double>(value)));
}

float ArcSinClamped(float value)
{
    return std::asin(std::clamp(value, -1.0f, 1.0f));
}

float ArcCosClamped(float value)
{
    return std::acos(std::clamp(value, -1.0f, 1.0f));
}

float ArcTan2(float y, float x)
{
    return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
}

bool IsNearZero(float value, float epsilon)
{
    return -epsilon <= value && value <= epsilon;
}

float IsNearlyEqual(float a, float b, float epsilon)
{
    return std::fabs(b - a) < epsilon ? 1.0f : 0.0f;
}

bool IsFiniteRange(float value)
{
    return -kFloatMax <= value && value <= kFloatMax;
}

float Abs(float value)
{
    return std::fabs(value);
}

float RoundUp(float value)
{
    if (value < 0.0f)
        return std::trunc(value);
    return std::trunc(value + 1.0f);
}

float RoundDown(float value)
{
    if (value >= 0.0f)
        return std::trunc(value);
    return std::trunc(value - 1.0f);
}

float RemapClamped(float x, float inMin, float inMax, float outMin, float outMax)
{
    const float mapped = (x - inMin) / (inMax - inMin) * (outMax - outMin) + outMin;
    const float low = std::min(outMin, outMax);
    const float high = std::max(outMin, outMax);
    if (std::isnan(mapped)) // an empty input range, or a NaN argument
        return low;
    return std::clamp(mapped, low, high);
}

uint32_t ReverseRotationOrder(uint32_t order)
{
    switch (order)
    {
    case 0:
        return 5;
    case 5:
        return 0;
    case 1:
        return 3;
    case 3:
        return 1;
    case 2:
        return 4;
    case 4:
        return 2;
    default:
        return 4;
    }
}
