#pragma once

#include <cstdint>

// What engine value feeds a program input: the semantic's name and the type mask of the value
// (1 none, 4 float, 8 vec2, 16 vec3, 32 vec4, 64 mat3, 128 mat4, 256 sampler2D).
struct nShaderSemantic
{
    const char* name;
    uint32_t typeMask;

    static constexpr uint32_t Last = 80;

    // Ids above Last answer the Last row.
    static const nShaderSemantic& Get(uint32_t id);
    // Last when the name is unknown.
    static uint32_t Find(const char* name);
};
