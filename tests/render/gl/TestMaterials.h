#pragma once

#include "core/base/nSharedPtr.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "geometry/nTextureStage.h"
#include "render/gl/nMaterialPassShader.h"
#include "render/shader/nShaderMap.h"

#include <string>

class nEngineServices;

// The materials whose passes the renderer must always build: no stage, a diffuse texture, a
// tangent-space normal map, skinned, alpha-tested; each with the shader map made from its stages.
enum class TestMaterial
{
    Default,
    DiffuseTexture,
    TangentNormalMap,
    Skinned,
    AlphaTested,
};

inline const char* TestMaterialName(TestMaterial kind)
{
    const char* const names[] = {"default", "diffuse_texture", "tangent_normal_map", "skinned",
                                 "alpha_tested"};
    return names[static_cast<int>(kind)];
}

inline nSharedPtr<nMaterial> MakeTestMaterial(nEngineServices* engine, TestMaterial kind)
{
    nSharedPtr<nMaterial> material(new nMaterial(engine));
    material->name = TestMaterialName(kind);
    nSharedPtr<nTexture> texture(new nTexture(engine, 0, 0));
    if (kind == TestMaterial::DiffuseTexture)
        material->AddStage(ChannelDiffuse, texture.Get(), nTextureStage::UVSourceUVMap, 0);
    if (kind == TestMaterial::TangentNormalMap)
    {
        material->AddStage(ChannelNormal, texture.Get(), nTextureStage::UVSourceUVMap, 1);
        material->renderFlags |= MaterialNormalMapTangent;
    }
    if (kind == TestMaterial::Skinned)
        material->renderFlags |= MaterialSkinned;
    if (kind == TestMaterial::AlphaTested)
        material->renderFlags |= MaterialAlphaTest;
    material->Update();
    material->SetShaderMap(nShaderMap::CreateFromFixedFunction(*material));
    return material;
}

// Stand-ins for the dictionary's texts: what they compute is the library's; where they go is
// the material passes'.
inline nMaterialPassTexts StandInPassTexts(uint32_t splits = 3)
{
    nMaterialPassTexts texts;
    texts.pcf = "float ComputePCF(vec3 p, mat4 m, sampler2DShadow s) { return 1.0; }";
    texts.towardsLight = "vec3 MoveTowardsLight(vec3 p, vec3 n, vec3 l, mat4 m) { return p; }";
    texts.psm = "pcf = ComputePCF(frag_viewpos, psm_0_projection_matrix, psm);";
    texts.pssm = "pcf = ComputePCF(frag_viewpos, pssm_0_projection_matrix, pssm);";
    texts.splitCount = splits;
    return texts;
}
