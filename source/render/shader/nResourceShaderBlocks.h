#pragma once

#include "core/base/nSharedPtr.h"
#include "geometry/nTexture.h"
#include "render/shader/nShaderBlock.h"

// Textures and their samples.

class nRenderBufferShaderBlock : public nShaderLeafBlock
{
public:
    nRenderBufferShaderBlock() : nShaderLeafBlock(ShaderBlockRenderBuffer) {}

    uint32_t bufferIndex = 0;
};

class nTextureShaderBlock : public nShaderLeafBlock
{
public:
    explicit nTextureShaderBlock(nTexture* texture = nullptr)
        : nShaderLeafBlock(ShaderBlockTexture), texture(texture)
    {
    }

    nSharedPtr<nTexture> texture;
};

class nSampler2dShaderBlock : public nShaderBlockWithInputs<2>
{
public:
    enum : uint32_t
    {
        InputTexture = 0,
        InputUV = 1,
    };

    nSampler2dShaderBlock() : nShaderBlockWithInputs(ShaderBlockSampler2d) {}
    void GetGLSLPrefix(nString& out) const override;

    uint8_t wrapU = 1;
    uint8_t wrapV = 1;

protected:
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};
