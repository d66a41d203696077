#pragma once

// A pair of texture coordinates.
class nUV
{
public:
    float u = 0.0f;
    float v = 0.0f;

    nUV() = default;
    nUV(float u, float v) : u(u), v(v) {}
};
