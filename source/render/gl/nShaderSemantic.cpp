#include "render/gl/nShaderSemantic.h"

#include <cstring>

namespace
{
const nShaderSemantic Semantics[nShaderSemantic::Last + 1] = {
    {"Position", 16},
    {"Normal", 16},
    {"UV0", 8},
    {"UV1", 8},
    {"UV2", 8},
    {"VertexColor", 32},
    {"Tangent", 16},
    {"Bitangent", 16},
    {"BoneIndex", 32},
    {"BoneWeight", 32},
    {"Constant", 32},
    {"Texture", 256},
    {"NativeTexture", 256},
    {"Clock", 4},
    {"ViewVector", 16},
    {"Viewport", 32},
    {"ZNear", 4},
    {"ZFar", 4},
    {"ZoomFactor", 4},
    {"NormalMatrix", 64},
    {"NormalViewMatrix", 64},
    {"ModelMatrix", 128},
    {"ViewMatrix", 128},
    {"ModelViewMatrix", 128},
    {"ModelViewProjectionMatrix", 128},
    {"MaterialDiffuse", 32},
    {"MaterialSpecular", 32},
    {"MaterialSelf", 32},
    {"MaterialAmbient", 32},
    {"MaterialGlossiness", 4},
    {"MaterialOpacity", 4},
    {"MaterialReflection", 4},
    {"MaterialAlphaThreshold", 4},
    {"LightDiffuseColor", 16},
    {"LightSpecularColor", 16},
    {"LightSpotEdge", 4},
    {"LightSpotCone", 4},
    {"LightViewDirection", 16},
    {"LightViewPosition", 16},
    {"LightRange", 4},
    {"AmbientColor", 16},
    {"ViewToLightMatrix", 128},
    {"FogColor", 32},
    {"FogNear", 4},
    {"FogFar", 4},
    {"FogInverseRange", 4},
    {"LightShadowColor", 16},
    {"LightShadowBias", 4},
    {"LightShadowMatrix0", 128},
    {"LightShadowMatrix1", 128},
    {"LightShadowMatrix2", 128},
    {"LightShadowMatrix3", 128},
    {"LightShadowMatrix4", 128},
    {"LightShadowMatrix5", 128},
    {"LightShadowMap0", 256},
    {"LightShadowMap1", 256},
    {"LightShadowMap2", 256},
    {"LightShadowMap3", 256},
    {"LightShadowMap4", 256},
    {"LightShadowMap5", 256},
    {"LightPSSMSliceDistance0", 4},
    {"LightPSSMSliceDistance1", 4},
    {"LightPSSMSliceDistance2", 4},
    {"LightPSSMSliceDistance3", 4},
    {"LightProjectionMap", 256},
    {"BoneMatrix", 128},
    {"FxScale", 4},
    {"InverseBufferSize", 8},
    {"InverseViewportSize", 8},
    {"InverseShadowMapSize", 8},
    {"DisplayBufferRatio", 4},
    {"ViewportRatio", 4},
    {"ViewDepthOffset", 4},
    {"DepthBuffer", 256},
    {"GBuffer0", 256},
    {"GBuffer1", 256},
    {"GBuffer2", 256},
    {"GBuffer3", 256},
    {"NoiseMap", 256},
    {"User", 1},
    {"SemanticLast", 1},
};
} // namespace

const nShaderSemantic& nShaderSemantic::Get(uint32_t id)
{
    return Semantics[id < Last ? id : Last];
}

uint32_t nShaderSemantic::Find(const char* name)
{
    for (uint32_t id = 0; id < Last; ++id)
    {
        if (strcmp(Semantics[id].name, name) == 0)
            return id;
    }
    return Last;
}

bool nShaderSemantic::IsTexture(uint32_t id)
{
    return Get(id).typeMask == 256;
}

bool nShaderSemantic::IsVertexStream(uint32_t id)
{
    return id <= SemanticBoneWeight && id != SemanticVertexColor;
}
