#pragma once

#include <cstdint>

// The material render flags, as the "RenderMask" tag names them.
enum nMaterialRenderFlag : uint32_t
{
    MaterialUnlit = 1,
    MaterialSmoothing = 2,
    MaterialNormalMapTangent = 4,
    MaterialNoFog = 8,
    MaterialDoubleSided = 16,
    MaterialWireframe = 32,
    MaterialVertexColor = 64,
    MaterialParallaxDisplacement = 128,
    MaterialToon = 0x100,
    MaterialNoZWrite = 0x200,
    MaterialNoZTest = 0x400,
    MaterialAlphaTest = 0x800,
    MaterialAlphaSoftZ = 0x1000,
    MaterialAlphaInShadow = 0x2000,
    MaterialSkinned = 0x4000, // set by the renderer for skinned geometries; no "RenderMask" name
    MaterialDefaultRenderFlags = MaterialSmoothing | MaterialNormalMapTangent,
};

enum nMaterialBlendOp : uint32_t
{
    MaterialBlendNone = 0,
    MaterialBlendAlpha = 1,
    MaterialBlendAdditive = 2,
};

struct nMaterialRenderFlagName
{
    uint32_t flag;
    const char* name;
};

// Every flag with its name, in the order a "RenderMask" tag is written.
extern const nMaterialRenderFlagName nMaterialRenderFlagNames[14];
