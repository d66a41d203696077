#include "render/shader/nShaderBlock.h"

#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nValueShaderBlocks.h"

bool nShaderBlock::IsEquivalent(const nShaderBlock& other) const
{
    if (&other == this)
        return true;
    if (other.m_kind != m_kind)
        return false;
    switch (m_kind)
    {
    case ShaderBlockGeometryVertex:
    case ShaderBlockGeometryNormal:
    case ShaderBlockGeometrySkinning:
    case ShaderBlockGeometryVertexColor:
    case ShaderBlockGeometryTangentFrame:
    case ShaderBlockScreenUV:
    case ShaderBlockViewVector:
    case ShaderBlockViewport:
    case ShaderBlockNormalViewMatrix:
    case ShaderBlockNormalMatrix:
    case ShaderBlockModelViewMatrix:
    case ShaderBlockModelMatrix:
    case ShaderBlockClock:
        return true;
    case ShaderBlockGeometryUV:
        return static_cast<const nGeometryUVShaderBlock&>(*this).uvSet ==
               static_cast<const nGeometryUVShaderBlock&>(other).uvSet;
    case ShaderBlockRenderBuffer:
        return static_cast<const nRenderBufferShaderBlock&>(*this).bufferIndex ==
               static_cast<const nRenderBufferShaderBlock&>(other).bufferIndex;
    case ShaderBlockTexture:
        return static_cast<const nTextureShaderBlock&>(*this).texture ==
               static_cast<const nTextureShaderBlock&>(other).texture;
    case ShaderBlockMaterialParam:
        return static_cast<const nMaterialParamShaderBlock&>(*this).paramIndex ==
               static_cast<const nMaterialParamShaderBlock&>(other).paramIndex;
    default:
        return false;
    }
}
