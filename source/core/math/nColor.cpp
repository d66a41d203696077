#include "core/math/nColor.h"


// Clamped, not wrapped: a component a little over 1 (lighting sums, rounding) must stay bright.
uint8_t nColor::ComponentToByte(float component)
{
    const float scaled = component * 255.0f;
    return scaled >= 255.0f ? 255 : scaled > 0.0f ? static_cast<uint8_t>(scaled) : 0;
}

uint32_t nColor::ToRGBA32() const
{
    return uint32_t(ComponentToByte(r)) | uint32_t(ComponentToByte(g)) << 8 | uint32_t(ComponentToByte(b)) << 16 |
           uint32_t(ComponentToByte(a)) << 24;
}

nColor nColor::FromRGBA32(uint32_t packed)
{
    constexpr float scale = 1.0f / 255.0f;
    return nColor(static_cast<float>(packed & 0xFFu) * scale, static_cast<float>(packed >> 8 & 0xFFu) * scale,
                  static_cast<float>(packed >> 16 & 0xFFu) * scale, static_cast<float>(packed >> 24) * scale);
}
