#include "render/shader/nValueShaderBlocks.h"

#include "core/base/nLog.h"
#include "platform/nstring/nString.h"
#include "render/shader/nShaderValueType.h"

nConstantShaderBlock::nConstantShaderBlock() : nShaderLeafBlock(ShaderBlockConstant), type(ShaderTypeInvalid)
{
}

nConstantShaderBlock::nConstantShaderBlock(float x, float y)
    : nShaderLeafBlock(ShaderBlockConstant), value{x, y, 0.0f, 0.0f}, type(ShaderTypeVec2)
{
}

nConstantShaderBlock::nConstantShaderBlock(float x, float y, float z)
    : nShaderLeafBlock(ShaderBlockConstant), value{x, y, z, 0.0f}, type(ShaderTypeVec3)
{
}

void nConstantShaderBlock::GetGLSLPrefix(nString& out) const
{
    switch (type)
    {
    case ShaderTypeInvalid:
        out = "ConstNone_";
        return;
    case ShaderTypeFloat:
        out = "ConstFloat_";
        return;
    case ShaderTypeVec2:
        out = "ConstVec2_";
        return;
    case ShaderTypeVec3:
        out = "ConstVec3_";
        return;
    case ShaderTypeVec4:
        out = "ConstVec4_";
        return;
    default:
        nLogHolder::Get() << "[!] Unknown constant.\n";
        out = "ConstUnk_";
        return;
    }
}

uint32_t nConstantShaderBlock::ComputeOutputType(nShaderTypeMemo&) const
{
    return type;
}

void nMaterialParamShaderBlock::GetGLSLPrefix(nString& out) const
{
    out = nString::Format("MatParm%u_", paramIndex);
}

uint32_t nMaterialParamShaderBlock::ComputeOutputType(nShaderTypeMemo&) const
{
    return paramIndex == ParamGlossiness || paramIndex == ParamOpacity ? ShaderTypeFloat : ShaderTypeVec4;
}
