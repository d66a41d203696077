#include "render/shader/nOperatorShaderBlocks.h"

#include "render/shader/nShaderValueType.h"

#include <algorithm>

namespace
{
bool IsVectorType(uint32_t type)
{
    return type == ShaderTypeFloat || type == ShaderTypeVec2 || type == ShaderTypeVec3 ||
           type == ShaderTypeVec4;
}
} // namespace

template <uint32_t InputCount>
uint32_t nSameTypeOperatorShaderBlock<InputCount>::ComputeOutputType(nShaderTypeMemo& memo) const
{
    uint32_t first = this->InputType(0, memo);
    if (!first)
        return ShaderTypeInvalid;
    for (uint32_t i = 1; i < InputCount; ++i)
        if (this->InputType(i, memo) != first)
            return ShaderTypeInvalid;
    return first;
}

template class nSameTypeOperatorShaderBlock<2>;
template class nSameTypeOperatorShaderBlock<3>;

uint32_t nUnaryOperatorShaderBlock::ComputeOutputType(nShaderTypeMemo& memo) const
{
    uint32_t type = InputType(0, memo);
    return type ? type : ShaderTypeInvalid;
}

uint32_t nMixOperatorShaderBlock::ComputeOutputType(nShaderTypeMemo& memo) const
{
    uint32_t a = InputType(InputA, memo);
    uint32_t b = InputType(InputB, memo);
    uint32_t k = InputType(InputK, memo);
    return a && a == b && k == ShaderTypeFloat ? a : ShaderTypeInvalid;
}

uint32_t nMulOperatorShaderBlock::ComputeOutputType(nShaderTypeMemo& memo) const
{
    uint32_t a = InputType(0, memo);
    uint32_t b = InputType(1, memo);
    if (!a || !b)
        return ShaderTypeInvalid;
    uint32_t high = std::max(a, b);
    uint32_t low = std::min(a, b);
    if (high == low && IsVectorType(high))
        return high;
    if (high == ShaderTypeMat3 && low == ShaderTypeVec3)
        return ShaderTypeVec3;
    if (high == ShaderTypeMat4 && low == ShaderTypeVec4)
        return ShaderTypeVec4;
    return ShaderTypeInvalid;
}

uint32_t nDotOperatorShaderBlock::ComputeOutputType(nShaderTypeMemo& memo) const
{
    uint32_t a = InputType(0, memo);
    return IsVectorType(a) && a == InputType(1, memo) ? ShaderTypeFloat : ShaderTypeInvalid;
}

uint32_t nCrossOperatorShaderBlock::ComputeOutputType(nShaderTypeMemo& memo) const
{
    uint32_t a = InputType(0, memo);
    uint32_t b = InputType(1, memo);
    bool valid = a && b && a != ShaderTypeInvalid && b != ShaderTypeInvalid;
    return valid && (a == b || a == ShaderTypeVec3) ? ShaderTypeVec3 : ShaderTypeInvalid;
}
