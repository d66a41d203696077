#include "core/math/nColor.h"

#include <cmath>

namespace
{
uint32_t ToByte(float component)
{
    const float scaled = std::trunc(component * 255.0f);
    if (!(std::fabs(scaled) < 2147483648.0f)) // NaN, or beyond what wrapping can keep meaningful
        return 0;
    return static_cast<uint32_t>(static_cast<int32_t>(scaled)) & 0xFFu;
}
} // namespace

uint32_t nColor::ToRGBA32() const
{
    return ToByte(r) | ToByte(g) << 8 | ToByte(b) << 16 | ToByte(a) << 24;
}

nColor nColor::FromRGBA32(uint32_t packed)
{
    constexpr float scale = 1.0f / 255.0f;
    return nColor(static_cast<float>(packed & 0xFFu) * scale, static_cast<float>(packed >> 8 & 0xFFu) * scale,
                  static_cast<float>(packed >> 16 & 0xFFu) * scale, static_cast<float>(packed >> 24) * scale);
}
