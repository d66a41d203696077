#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "render/gl/nMaterialPassShader.h"
#include "render/gl/nShader.h"
#include "render/shader/nShaderMap.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

// The part of SetupMaterial that is ours, apart from GL's compile and link: the eleven pass
// shaders of each of 100 fixed-function materials built from their shader trees and assembled
// into GLSL sources. Target: at most 0.5 ms per material.

namespace
{
constexpr int kMaterials = 100;

// Quiet: a refused tree would log, and the benchmark must not time the log.
class SilentLog : public nLog
{
public:
    void Output(const char*, uint8_t) override {}
};

// Stages in the mixes a converted scene holds: plain colours, textured, normal-mapped, specular
// and opacity maps, blended and reflective, some skinned or alpha-tested.
nSharedPtr<nMaterial> MakeMaterial(int index, nTexture* texture)
{
    nSharedPtr<nMaterial> material(new nMaterial(nullptr));
    material->name = ("material" + std::to_string(index)).c_str();
    const int mix = index % 5;
    if (mix >= 1)
        material->AddStage(ChannelDiffuse, texture, nTextureStage::UVSourceUVMap, 0);
    if (mix == 2 || mix == 4)
        material->AddStage(ChannelNormal, texture, nTextureStage::UVSourceUVMap, 1);
    if (mix == 3)
    {
        material->AddStage(ChannelSpecular, texture, nTextureStage::UVSourceUVMap, 0);
        material->AddStage(ChannelOpacity, texture, nTextureStage::UVSourceUVMap, 0);
    }
    if (mix == 4)
    {
        material->AddStage(ChannelBlendRGB, texture, nTextureStage::UVSourceUVMap, 0);
        material->AddStage(ChannelReflection, texture, nTextureStage::UVSourceSphericalEnvironment, 0);
        material->renderFlags |= MaterialVertexColor;
    }
    if (index % 7 == 0)
        material->renderFlags |= MaterialSkinned;
    if (index % 11 == 0)
        material->renderFlags |= MaterialAlphaTest;
    material->Update();
    material->SetShaderMap(nShaderMap::CreateFromFixedFunction(*material));
    return material;
}

// Texts of the size the dictionary's are.
nMaterialPassTexts Texts()
{
    static const std::string filter(600, ' ');
    static const std::string face(2400, ' ');
    static const std::string split(400, ' ');
    nMaterialPassTexts texts;
    texts.pcf = filter.c_str();
    texts.psm = face.c_str();
    texts.pssm = split.c_str();
    return texts;
}

void SetupMaterialShaders(benchmark::State& state)
{
    SilentLog log;
    nLogHolder::Set(&log);
    nSharedPtr<nTexture> texture(new nTexture(nullptr, 0, 0));
    std::vector<nSharedPtr<nMaterial>> materials;
    for (int i = 0; i < kMaterials; ++i)
        materials.push_back(MakeMaterial(i, texture.Get()));
    const nMaterialPassTexts texts = Texts();
    std::string vertex;
    std::string fragment;
    for (auto _ : state)
    {
        for (const nSharedPtr<nMaterial>& material : materials)
        {
            for (uint32_t pass = 0; pass < MaterialPassCount; ++pass)
            {
                nShader shader;
                BuildMaterialPassShader(*material, pass, texts, shader);
                shader.AssembleGLSL(vertex, fragment, false);
                benchmark::DoNotOptimize(fragment.data());
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kMaterials);
    state.counters["per_material"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kMaterials),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    nLogHolder::Set(nullptr);
}
BENCHMARK(SetupMaterialShaders)->Unit(benchmark::kMillisecond);
} // namespace
