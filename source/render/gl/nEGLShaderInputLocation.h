#pragma once

#include <cstdint>

// Where GL put one program input; -1 until resolved, and when the program has no such input.
class nEGLShaderInputLocation
{
public:
    virtual ~nEGLShaderInputLocation() = default;

    int32_t location = -1;
};
