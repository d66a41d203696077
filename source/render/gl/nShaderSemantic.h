#pragma once

#include <cstdint>

// The engine values that feed program inputs, by id.
enum nShaderSemanticId : uint32_t
{
    SemanticPosition = 0,
    SemanticNormal = 1,
    SemanticUV0 = 2,
    SemanticUV1 = 3,
    SemanticUV2 = 4,
    SemanticVertexColor = 5,
    SemanticTangent = 6,
    SemanticBitangent = 7,
    SemanticBoneIndex = 8,
    SemanticBoneWeight = 9,
    SemanticConstant = 10,
    SemanticTexture = 11,
    SemanticNativeTexture = 12,
    SemanticClock = 13,
    SemanticViewVector = 14,
    SemanticViewport = 15,
    SemanticZNear = 16,
    SemanticZFar = 17,
    SemanticZoomFactor = 18,
    SemanticNormalMatrix = 19,
    SemanticNormalViewMatrix = 20,
    SemanticModelMatrix = 21,
    SemanticViewMatrix = 22,
    SemanticModelViewMatrix = 23,
    SemanticModelViewProjectionMatrix = 24,
    SemanticMaterialDiffuse = 25,
    SemanticMaterialSpecular = 26,
    SemanticMaterialSelf = 27,
    SemanticMaterialAmbient = 28,
    SemanticMaterialGlossiness = 29,
    SemanticMaterialOpacity = 30,
    SemanticMaterialReflection = 31,
    SemanticMaterialAlphaThreshold = 32,
    SemanticLightDiffuseColor = 33,
    SemanticLightSpecularColor = 34,
    SemanticLightSpotEdge = 35,
    SemanticLightSpotCone = 36,
    SemanticLightViewDirection = 37,
    SemanticLightViewPosition = 38,
    SemanticLightRange = 39,
    SemanticAmbientColor = 40,
    SemanticViewToLightMatrix = 41,
    SemanticFogColor = 42,
    SemanticFogNear = 43,
    SemanticFogFar = 44,
    SemanticFogInverseRange = 45,
    SemanticLightShadowColor = 46,
    SemanticLightShadowBias = 47,
    SemanticLightShadowMatrix0 = 48,      // to 53
    SemanticLightShadowMap0 = 54,         // to 59
    SemanticLightPSSMSliceDistance0 = 60, // to 63
    SemanticLightProjectionMap = 64,
    SemanticBoneMatrix = 65,
    SemanticFxScale = 66,
    SemanticInverseBufferSize = 67,
    SemanticInverseViewportSize = 68,
    SemanticInverseShadowMapSize = 69,
    SemanticDisplayBufferRatio = 70,
    SemanticViewportRatio = 71,
    SemanticViewDepthOffset = 72,
    SemanticDepthBuffer = 73,
    SemanticGBuffer0 = 74, // to 77
    SemanticNoiseMap = 78,
    SemanticUser = 79,
    SemanticLast = 80,
};

// What engine value feeds a program input: the semantic's name and the type mask of the value
// (1 none, 4 float, 8 vec2, 16 vec3, 32 vec4, 64 mat3, 128 mat4, 256 sampler2D).
struct nShaderSemantic
{
    const char* name;
    uint32_t typeMask;

    static constexpr uint32_t Last = SemanticLast;

    // Ids above Last answer the Last row.
    static const nShaderSemantic& Get(uint32_t id);
    // Last when the name is unknown.
    static uint32_t Find(const char* name);
    // The uniforms that take a texture unit: textures, shadow and projection maps, the depth and
    // G-buffers and the noise map.
    static bool IsTexture(uint32_t id);
    // Vertex streams: one attribute per stream, whatever its name.
    static bool IsVertexStream(uint32_t id);
};
