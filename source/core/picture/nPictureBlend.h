#pragma once

#include "core/math/nColor.h"

#include <cstdint>

// Compositing "over": a source colour c with alpha s over a destination byte d with alpha t.
// Products of two alphas are divided by 255, not shifted by 8, so that an opaque source gives
// exactly its own colour and a transparent one leaves the destination exactly as it was.
inline uint32_t PictureBlendAlpha(uint32_t s, uint32_t t)
{
    const int32_t alpha = int32_t(s + t) - int32_t((s * t) / 255);
    return alpha < 0 ? 0u : alpha > 255 ? 255u : uint32_t(alpha);
}

inline uint32_t PictureBlendChannel(uint32_t c, uint32_t s, uint32_t d, uint32_t t, uint32_t outAlpha)
{
    if (outAlpha == 0)
        return 0;
    const int32_t value =
        (int32_t(c * s) - int32_t(((d * t) * s) / 255) + int32_t(d * t)) / int32_t(outAlpha);
    return value < 0 ? 0u : value > 255 ? 255u : uint32_t(value);
}

// The pixel's colour bytes sit at the given byte positions (shift / 8 of each channel).
inline void PictureBlendPixel(uint8_t* pixel, const uint8_t colour[3], const uint8_t positions[4], uint32_t s)
{
    const uint32_t t = pixel[positions[3]];
    const uint32_t alpha = PictureBlendAlpha(s, t);
    for (int i = 0; i < 3; ++i)
        pixel[positions[i]] = uint8_t(PictureBlendChannel(colour[i], s, pixel[positions[i]], t, alpha));
    pixel[positions[3]] = uint8_t(alpha);
}

// A colour argument (0 to 1) as a byte: trunc(c x 255), kept within the byte.
inline uint8_t PictureColorByte(float c)
{
    return nColor::ComponentToByte(c);
}
