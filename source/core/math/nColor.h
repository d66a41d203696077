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

    // Components outside [0, 1] wrap within their byte.
    uint32_t ToRGBA32() const;
    static nColor FromRGBA32(uint32_t packed);
};
