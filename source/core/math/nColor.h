#pragma once

#include <cstdint>

// A colour as four floats, normally in [0, 1]. Packed words hold red in the lowest byte,
// then green, blue and alpha in the highest.
class nColor
{
public:
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    nColor() = default;
    nColor(float r, float g, float b, float a) : r(r), g(g), b(b), a(a) {}

    // Each component as trunc(c x 255), clamped to 0..255 (a NaN gives 0).
    static uint8_t ComponentToByte(float component);
    uint32_t ToRGBA32() const;
    static nColor FromRGBA32(uint32_t packed);
};
