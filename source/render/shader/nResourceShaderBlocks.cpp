#include "render/shader/nResourceShaderBlocks.h"

#include "platform/nstring/nString.h"
#include "render/shader/nShaderValueType.h"

void nSampler2dShaderBlock::GetGLSLPrefix(nString& out) const
{
    out = nString::Format("Spl2d%s%s_", wrapU ? "T" : "F", wrapV ? "T" : "F");
}

uint32_t nSampler2dShaderBlock::ComputeOutputType(nShaderTypeMemo&) const
{
    return GetInput(InputTexture) && GetInput(InputUV) ? ShaderTypeVec4 : ShaderTypeInvalid;
}
