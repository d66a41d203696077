#pragma once

#include "render/shader/nShaderBlock.h"

// Arithmetic on the values of other blocks.

// The type of its inputs when all of them are connected and of one type; else invalid.
template <uint32_t InputCount> class nSameTypeOperatorShaderBlock : public nShaderBlockWithInputs<InputCount>
{
protected:
    using nShaderBlockWithInputs<InputCount>::nShaderBlockWithInputs;
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};

// The type of its one input; invalid while it is not connected.
class nUnaryOperatorShaderBlock : public nShaderBlockWithInputs<1>
{
protected:
    using nShaderBlockWithInputs::nShaderBlockWithInputs;
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};

class nMixOperatorShaderBlock : public nShaderBlockWithInputs<3>
{
public:
    enum : uint32_t
    {
        InputA = 0,
        InputB = 1,
        InputK = 2,
    };

    nMixOperatorShaderBlock() : nShaderBlockWithInputs(ShaderBlockMix) {}

protected:
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};

class nAddOperatorShaderBlock : public nSameTypeOperatorShaderBlock<2>
{
public:
    nAddOperatorShaderBlock() : nSameTypeOperatorShaderBlock(ShaderBlockAdd) {}
};

// Equal vector types, or a matrix times a vector of its size (in either order).
class nMulOperatorShaderBlock : public nShaderBlockWithInputs<2>
{
public:
    nMulOperatorShaderBlock() : nShaderBlockWithInputs(ShaderBlockMultiply) {}

protected:
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};

class nSubOperatorShaderBlock : public nSameTypeOperatorShaderBlock<2>
{
public:
    nSubOperatorShaderBlock() : nSameTypeOperatorShaderBlock(ShaderBlockSubtract) {}
};

class nDivOperatorShaderBlock : public nSameTypeOperatorShaderBlock<2>
{
public:
    nDivOperatorShaderBlock() : nSameTypeOperatorShaderBlock(ShaderBlockDivide) {}
};

class nDotOperatorShaderBlock : public nShaderBlockWithInputs<2>
{
public:
    nDotOperatorShaderBlock() : nShaderBlockWithInputs(ShaderBlockDot) {}

protected:
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};

class nCrossOperatorShaderBlock : public nShaderBlockWithInputs<2>
{
public:
    nCrossOperatorShaderBlock() : nShaderBlockWithInputs(ShaderBlockCross) {}

protected:
    uint32_t ComputeOutputType(nShaderTypeMemo& memo) const override;
};

class nClampShaderBlock : public nSameTypeOperatorShaderBlock<3>
{
public:
    nClampShaderBlock() : nSameTypeOperatorShaderBlock(ShaderBlockClamp) {}
};

class nNormalizeOperatorShaderBlock : public nUnaryOperatorShaderBlock
{
public:
    nNormalizeOperatorShaderBlock() : nUnaryOperatorShaderBlock(ShaderBlockNormalize) {}
};

class nSinusShaderBlock : public nShaderBlockWithInputs<1>
{
public:
    nSinusShaderBlock() : nShaderBlockWithInputs(ShaderBlockSinus) {}
};

class nCosinusShaderBlock : public nShaderBlockWithInputs<1>
{
public:
    nCosinusShaderBlock() : nShaderBlockWithInputs(ShaderBlockCosinus) {}
};

class nPowShaderBlock : public nShaderBlockWithInputs<2>
{
public:
    nPowShaderBlock() : nShaderBlockWithInputs(ShaderBlockPow) {}
};

class nAbsShaderBlock : public nUnaryOperatorShaderBlock
{
public:
    nAbsShaderBlock() : nUnaryOperatorShaderBlock(ShaderBlockAbs) {}
};

class nUnpackColorToVectorShaderBlock : public nUnaryOperatorShaderBlock
{
public:
    nUnpackColorToVectorShaderBlock() : nUnaryOperatorShaderBlock(ShaderBlockUnpackColorToVector) {}
};

class nPackVectorToColorShaderBlock : public nUnaryOperatorShaderBlock
{
public:
    nPackVectorToColorShaderBlock() : nUnaryOperatorShaderBlock(ShaderBlockPackVectorToColor) {}
};
