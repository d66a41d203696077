#pragma once

#include "render/shader/nShaderBlock.h"

// Blocks that pick vector components.

// Selectors 0 none, 1 x, 2 y, 3 z, 4 w; the output has one component per selector set.
class nSwizzleShaderBlock : public nShaderBlockWithInputs<1>
{
public:
    enum : uint32_t
    {
        SelectNone = 0,
        SelectX = 1,
        SelectY = 2,
        SelectZ = 3,
        SelectW = 4,
    };

    nSwizzleShaderBlock() : nShaderBlockWithInputs(ShaderBlockSwizzle) {}
    nSwizzleShaderBlock(uint32_t x, uint32_t y, uint32_t z, uint32_t w)
        : nShaderBlockWithInputs(ShaderBlockSwizzle), selectors{x, y, z, w}
    {
    }
    void GetGLSLPrefix(nString& out) const override;

    uint32_t selectors[4] = {SelectNone, SelectNone, SelectNone, SelectNone};

protected:
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};

// Output component c is a constant (0 or 1) or a component of input c; the count of components
// ends at the first one whose input is not connected.
class nBuildShaderBlock : public nShaderBlockWithInputs<4>
{
public:
    enum : uint32_t
    {
        BuildZero = 0,
        BuildOne = 1,
        BuildX = 2,
        BuildY = 3,
        BuildZ = 4,
        BuildW = 5,
    };

    nBuildShaderBlock() : nShaderBlockWithInputs(ShaderBlockBuild) {}
    nBuildShaderBlock(uint32_t x, uint32_t y, uint32_t z, uint32_t w)
        : nShaderBlockWithInputs(ShaderBlockBuild), selectors{x, y, z, w}
    {
    }
    void GetGLSLPrefix(nString& out) const override;

    uint32_t selectors[4] = {BuildX, BuildY, BuildZ, BuildW};

protected:
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};
