#include "render/shader/nComponentShaderBlocks.h"

#include "platform/nstring/nString.h"
#include "render/shader/nShaderValueType.h"

void nSwizzleShaderBlock::GetGLSLPrefix(nString& out) const
{
    out = nString::Format("Swz%u%u%u%u_", selectors[0], selectors[1], selectors[2], selectors[3]);
}

uint32_t nSwizzleShaderBlock::ComputeOutputType(nShaderTypeMemo& memo) const
{
    uint32_t input = InputType(0, memo);
    if (!input || input == ShaderTypeInvalid)
        return ShaderTypeInvalid;
    uint32_t components = 0;
    for (uint32_t selector : selectors)
        components += selector != SelectNone;
    return ShaderVectorTypeOfSize(components);
}

void nBuildShaderBlock::GetGLSLPrefix(nString& out) const
{
    out = nString::Format("Bld%u%u%u%u_", selectors[0], selectors[1], selectors[2], selectors[3]);
}

uint32_t nBuildShaderBlock::ComputeOutputType(nShaderTypeMemo& memo) const
{
    uint32_t components = 0;
    for (uint32_t c = 0; c < 4; ++c)
    {
        if (selectors[c] == BuildZero || selectors[c] == BuildOne)
        {
            ++components;
            continue;
        }
        uint32_t input = InputType(c, memo);
        if (!input)
            break;
        if (input == ShaderTypeInvalid)
            return ShaderTypeInvalid;
        ++components;
    }
    return ShaderVectorTypeOfSize(components);
}
