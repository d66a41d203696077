#pragma once

#include <cstdint>

// The value types of shader-block outputs and inputs, one bit each: an output has exactly one,
// an input accepts a mask. No input accepts ShaderTypeInvalid, so a block whose output is
// invalid cannot be connected.
enum nShaderValueType : uint32_t
{
    ShaderTypeInvalid = 1,
    ShaderTypeFloat = 4,
    ShaderTypeVec2 = 8,
    ShaderTypeVec3 = 16,
    ShaderTypeVec4 = 32,
    ShaderTypeMat3 = 64,
    ShaderTypeMat4 = 128,
    ShaderTypeSampler2D = 256,
    ShaderTypeSampler2DShadow = 512,
};

constexpr uint32_t ShaderTypeAnyVector = ShaderTypeFloat | ShaderTypeVec2 | ShaderTypeVec3 | ShaderTypeVec4;

// The vector type of 1 to 4 components; invalid for any other count.
uint32_t ShaderVectorTypeOfSize(uint32_t components);
