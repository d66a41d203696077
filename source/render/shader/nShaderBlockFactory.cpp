#include "render/shader/nShaderBlockFactory.h"

#include "render/shader/nComponentShaderBlocks.h"
#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nOperatorShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nSceneShaderBlocks.h"
#include "render/shader/nValueShaderBlocks.h"

#include <new>

namespace
{
template <typename Block> nShaderBlock* Make()
{
    return new (std::nothrow) Block();
}

using BlockMaker = nShaderBlock* (*)();

const BlockMaker kMakers[ShaderBlockKindCount] = {
    nullptr,
    Make<nGeometryVertexShaderBlock>,
    Make<nGeometryNormalShaderBlock>,
    Make<nGeometryUVShaderBlock>,
    Make<nGeometrySkinningShaderBlock>,
    Make<nGeometryVertexColorShaderBlock>,
    Make<nGeometryTangentFrameShaderBlock>,
    Make<nRenderBufferShaderBlock>,
    Make<nTextureShaderBlock>,
    Make<nSampler2dShaderBlock>,
    Make<nConstantShaderBlock>,
    Make<nColorShaderBlock>,
    Make<nMaterialParamShaderBlock>,
    Make<nScreenUVShaderBlock>,
    Make<nViewVectorShaderBlock>,
    Make<nViewportShaderBlock>,
    Make<nNormalViewMatrixShaderBlock>,
    Make<nNormalMatrixShaderBlock>,
    Make<nModelViewMatrixShaderBlock>,
    Make<nModelMatrixShaderBlock>,
    Make<nMixOperatorShaderBlock>,
    Make<nAddOperatorShaderBlock>,
    Make<nMulOperatorShaderBlock>,
    Make<nSubOperatorShaderBlock>,
    Make<nDivOperatorShaderBlock>,
    Make<nDotOperatorShaderBlock>,
    Make<nCrossOperatorShaderBlock>,
    Make<nClampShaderBlock>,
    Make<nNormalizeOperatorShaderBlock>,
    Make<nSwizzleShaderBlock>,
    Make<nBuildShaderBlock>,
    Make<nSinusShaderBlock>,
    Make<nCosinusShaderBlock>,
    Make<nPowShaderBlock>,
    Make<nAbsShaderBlock>,
    Make<nUnpackColorToVectorShaderBlock>,
    Make<nPackVectorToColorShaderBlock>,
    Make<nClockShaderBlock>,
};
} // namespace

nShaderBlock* NewShaderBlock(int32_t kind)
{
    if (kind <= ShaderBlockNone || kind >= ShaderBlockKindCount)
        return nullptr;
    return kMakers[kind]();
}
