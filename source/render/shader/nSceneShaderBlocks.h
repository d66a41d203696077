#pragma once

#include "render/shader/nShaderBlock.h"

// Values the renderer supplies per frame or per draw: screen and view quantities, matrices and
// the clock.

class nScreenUVShaderBlock : public nShaderLeafBlock
{
public:
    nScreenUVShaderBlock() : nShaderLeafBlock(ShaderBlockScreenUV) {}
};

class nViewVectorShaderBlock : public nShaderLeafBlock
{
public:
    nViewVectorShaderBlock() : nShaderLeafBlock(ShaderBlockViewVector) {}
};

class nViewportShaderBlock : public nShaderLeafBlock
{
public:
    nViewportShaderBlock() : nShaderLeafBlock(ShaderBlockViewport) {}
};

class nNormalViewMatrixShaderBlock : public nShaderLeafBlock
{
public:
    nNormalViewMatrixShaderBlock() : nShaderLeafBlock(ShaderBlockNormalViewMatrix) {}
};

class nNormalMatrixShaderBlock : public nShaderLeafBlock
{
public:
    nNormalMatrixShaderBlock() : nShaderLeafBlock(ShaderBlockNormalMatrix) {}
};

class nModelViewMatrixShaderBlock : public nShaderLeafBlock
{
public:
    nModelViewMatrixShaderBlock() : nShaderLeafBlock(ShaderBlockModelViewMatrix) {}
};

class nModelMatrixShaderBlock : public nShaderLeafBlock
{
public:
    nModelMatrixShaderBlock() : nShaderLeafBlock(ShaderBlockModelMatrix) {}
};

class nClockShaderBlock : public nShaderLeafBlock
{
public:
    nClockShaderBlock() : nShaderLeafBlock(ShaderBlockClock) {}
};
