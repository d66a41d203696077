#pragma once

#include "render/shader/nShaderBlock.h"

// Values held by the block itself or by the material being drawn.

class nConstantShaderBlock : public nShaderLeafBlock
{
public:
    nConstantShaderBlock();
    nConstantShaderBlock(float x, float y);
    nConstantShaderBlock(float x, float y, float z);
    void GetGLSLPrefix(nString& out) const override;

    float value[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    uint32_t type;

protected:
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};

class nColorShaderBlock : public nShaderLeafBlock
{
public:
    nColorShaderBlock() : nShaderLeafBlock(ShaderBlockColor) {}

    float color[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

// Indices 0 diffuse, 1 specular, 2 self-illumination and 6 reflection colour are vec4;
// 4 glossiness and 5 opacity are float.
class nMaterialParamShaderBlock : public nShaderLeafBlock
{
public:
    enum : uint32_t
    {
        ParamDiffuse = 0,
        ParamSpecular = 1,
        ParamSelfIllumination = 2,
        ParamAmbient = 3,
        ParamGlossiness = 4,
        ParamOpacity = 5,
        ParamReflection = 6,
    };

    explicit nMaterialParamShaderBlock(uint32_t paramIndex = 0)
        : nShaderLeafBlock(ShaderBlockMaterialParam), paramIndex(paramIndex)
    {
    }
    void GetGLSLPrefix(nString& out) const override;

    uint32_t paramIndex;

protected:
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};
