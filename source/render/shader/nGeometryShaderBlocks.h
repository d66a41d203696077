#pragma once

#include "render/shader/nShaderBlock.h"

// The per-vertex streams of the geometry being drawn.

class nGeometryVertexShaderBlock : public nShaderLeafBlock
{
public:
    nGeometryVertexShaderBlock() : nShaderLeafBlock(ShaderBlockGeometryVertex) {}
};

class nGeometryNormalShaderBlock : public nShaderLeafBlock
{
public:
    nGeometryNormalShaderBlock() : nShaderLeafBlock(ShaderBlockGeometryNormal) {}
    void GetGLSLPrefix(nString& out) const override;

    uint32_t smooth = 0;
};

class nGeometryUVShaderBlock : public nShaderLeafBlock
{
public:
    explicit nGeometryUVShaderBlock(uint32_t uvSet = 0)
        : nShaderLeafBlock(ShaderBlockGeometryUV), uvSet(uvSet)
    {
    }
    void GetGLSLPrefix(nString& out) const override;

    uint32_t uvSet;
};

class nGeometrySkinningShaderBlock : public nShaderLeafBlock
{
public:
    nGeometrySkinningShaderBlock() : nShaderLeafBlock(ShaderBlockGeometrySkinning) {}
};

class nGeometryVertexColorShaderBlock : public nShaderLeafBlock
{
public:
    nGeometryVertexColorShaderBlock() : nShaderLeafBlock(ShaderBlockGeometryVertexColor) {}
};

class nGeometryTangentFrameShaderBlock : public nShaderLeafBlock
{
public:
    nGeometryTangentFrameShaderBlock() : nShaderLeafBlock(ShaderBlockGeometryTangentFrame) {}
};
