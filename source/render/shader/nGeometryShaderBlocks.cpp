#include "render/shader/nGeometryShaderBlocks.h"

#include "platform/nstring/nString.h"

void nGeometryNormalShaderBlock::GetGLSLPrefix(nString& out) const
{
    out = smooth ? "NrmSmt_" : "Nrm_";
}

void nGeometryUVShaderBlock::GetGLSLPrefix(nString& out) const
{
    out = nString::Format("UV%u_", uvSet);
}
