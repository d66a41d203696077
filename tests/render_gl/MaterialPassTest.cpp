#include "GLFixture.h"
#include "ShaderLibrarySupport.h"

#include "render/gl/TestMaterials.h"
#include "render/gl/nEGLMaterial.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nShaderSemantic.h"
#include "render/shader/nComponentShaderBlocks.h"
#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nOperatorShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nSceneShaderBlocks.h"
#include "render/shader/nShaderValueType.h"
#include "render/shader/nValueShaderBlocks.h"
#include "support/TemporaryFiles.h"

#include <string>

class MaterialPassTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        SetInt("ShadowMapping:PCF:Quality", 1);
        SetInt("ShadowMapping:PSSM:Split", 3);
        CoreDataMount core;
        ASSERT_TRUE(renderer.LoadShaderDictionary());
        log.clear();
    }
    void TearDown() override
    {
        renderer.FreeShaderLibrary();
        GLFixture::TearDown();
    }
    void SetInt(const char* key, int32_t value) { SetRegistryInt(renderer, key, value); }
    nEGLMaterial* Setup(nMaterial& material)
    {
        material.renderData = renderer.SetupMaterial(&material);
        return static_cast<nEGLMaterial*>(material.renderData.Get());
    }
    // The passes summed with the ambient terms are built here, on first use, as a draw builds them.
    static bool Linked(nEGLMaterial& gpu, uint32_t pass) { return gpu.UseProgram(pass)->GetName() != 0; }
};

TEST_F(MaterialPassTest, EveryPassLinksForTheUsualMaterials)
{
    for (TestMaterial kind :
         {TestMaterial::Default, TestMaterial::DiffuseTexture, TestMaterial::TangentNormalMap,
          TestMaterial::Skinned, TestMaterial::AlphaTested})
    {
        nSharedPtr<nMaterial> material = MakeTestMaterial(&engine, kind);
        nEGLMaterial* gpu = Setup(*material);
        ASSERT_NE(gpu, nullptr);
        EXPECT_EQ(gpu->GetMaterial(), material.Get());
        for (uint32_t pass = 0; pass < MaterialPassCount; ++pass)
            EXPECT_TRUE(Linked(*gpu, pass)) << TestMaterialName(kind) << " pass " << pass << "\n" << log;
        EXPECT_EQ(log.find("[!]"), std::string::npos) << log;
        EXPECT_NE(log.find(std::string("[H] Setup material '") + TestMaterialName(kind) + "'.\n"),
                  std::string::npos);
        if (kind == TestMaterial::Skinned)
        {
            for (uint32_t pass = 0; pass < MaterialPassCount; ++pass)
            {
                const nGPUProgramInput* bones = gpu->GetProgram(pass)->FindInput(SemanticBoneMatrix);
                ASSERT_NE(bones, nullptr) << pass;
                EXPECT_EQ(bones->count, 16u);
                EXPECT_GE(bones->location->location, 0) << pass;
            }
        }
        log.clear();
    }
}

TEST_F(MaterialPassTest, ShadowPassesLinkForEveryFilterAndSplit)
{
    nSharedPtr<nMaterial> material = MakeTestMaterial(&engine, TestMaterial::DiffuseTexture);
    nEGLMaterial* gpu = Setup(*material);
    ASSERT_NE(gpu, nullptr);
    for (int32_t quality : {0, 2, 3})
    {
        SetInt("ShadowMapping:PCF:Quality", quality);
        for (uint32_t pass :
             {MaterialPassPointShadow, MaterialPassSpotShadow, MaterialPassSpotProjectedShadow})
            EXPECT_TRUE(gpu->Build(material.Get(), pass) && Linked(*gpu, pass))
                << quality << " " << pass << log;
    }
    SetInt("ShadowMapping:PCF:Quality", 1);
    for (int32_t split = 1; split <= 9; ++split)
    {
        SetInt("ShadowMapping:PSSM:Split", split);
        ASSERT_TRUE(gpu->Build(material.Get(), MaterialPassDirectionalShadow)) << split << log;
        nEGLProgram& program = *gpu->GetProgram(MaterialPassDirectionalShadow);
        const uint32_t splits = split < 2 ? 2 : split > 4 ? 4 : static_cast<uint32_t>(split);
        for (uint32_t i = 0; i < 4; ++i)
        {
            const std::string name = "pssm_" + std::to_string(i) + "_slice_distance";
            const nGPUProgramInput* distance = program.FindInput(name.c_str());
            EXPECT_EQ(distance != nullptr, i < splits) << split << " " << name;
            if (distance)
            {
                EXPECT_GE(distance->location->location, 0) << split << " " << name;
            }
        }
    }
    EXPECT_EQ(log.find("[!]"), std::string::npos) << log;
}

TEST_F(MaterialPassTest, WithoutAShaderMapNoPassIsBuilt)
{
    nSharedPtr<nMaterial> material(new nMaterial(&engine));
    material->name = "bare";
    nEGLMaterial* gpu = Setup(*material);
    ASSERT_NE(gpu, nullptr);
    std::string expected = "[H] Setup material 'bare'.\n";
    for (uint32_t pass = 0; pass < MaterialPassCount; ++pass)
    {
        expected += "[!] No shader tree in material 'bare'.\n";
        EXPECT_FALSE(Linked(*gpu, pass));
        EXPECT_FALSE(gpu->GetProgram(pass)->Bind(nullptr)) << "an unbuilt pass draws nothing";
    }
    EXPECT_EQ(log, expected);
}

TEST_F(MaterialPassTest, APassWhoseDictionaryTextIsMissingStaysUnlinked)
{
    {
        TemporaryFiles folder;
        folder.Write(
            "shaders/egl2/dict.txt",
            "<NML=1.0>\n<PCF=<3x3=\"float ComputePCF(vec3 p, mat4 m, sampler2DShadow s) { return 1.0; }\">>\n"
            "<MoveTowardsLight=\"vec3 MoveTowardsLight(vec3 p, vec3 n, vec3 l, mat4 m) { return p; }\">\n");
        CoreDataMount mount(folder.GetDirectory().string());
        ASSERT_TRUE(renderer.LoadShaderDictionary());
        nSharedPtr<nMaterial> material = MakeTestMaterial(&engine, TestMaterial::Default);
        nEGLMaterial* gpu = Setup(*material);
        EXPECT_NE(
            log.find(
                "[!] No 'PSM;' text in the shader dictionary: pass 4 of material 'default' is not built.\n"),
            std::string::npos)
            << log;
        EXPECT_NE(
            log.find("[!] No 'PSSM:3Split;' text in the shader dictionary: pass 6 of material 'default' is "
                     "not built.\n"),
            std::string::npos);
        EXPECT_FALSE(Linked(*gpu, MaterialPassPointShadow));
        EXPECT_FALSE(Linked(*gpu, MaterialPassDirectionalShadow));
        EXPECT_TRUE(Linked(*gpu, MaterialPassSpotShadow)) << log;
        EXPECT_TRUE(Linked(*gpu, MaterialPassPoint));
    }
}

TEST_F(MaterialPassTest, TheRendererKnowsItsLiveMaterials)
{
    nSharedPtr<nMaterial> material = MakeTestMaterial(&engine, TestMaterial::Default);
    const uint32_t before = renderer.GetMaterials().GetCount();
    nSharedPtr<nRenderMaterial> first(renderer.SetupMaterial(material.Get()));
    nSharedPtr<nRenderMaterial> second(renderer.SetupMaterial(material.Get()));
    EXPECT_EQ(renderer.GetMaterials().GetCount(), before + 2);
    first = nullptr;
    EXPECT_EQ(renderer.GetMaterials().GetCount(), before + 1);
    second = nullptr;
    EXPECT_EQ(renderer.GetMaterials().GetCount(), before);
}

namespace
{
template <typename Block> Block* Connect(Block* block, std::initializer_list<nShaderBlock*> inputs)
{
    uint32_t index = 0;
    for (nShaderBlock* input : inputs)
        EXPECT_TRUE(block->SetInput(index++, input)) << block->GetKindName(block->GetKind()) << " " << index;
    return block;
}

nShaderBlock* Constant(uint32_t type, float value)
{
    auto* constant = new nConstantShaderBlock();
    constant->type = type;
    constant->value[0] = constant->value[1] = constant->value[2] = value;
    return constant;
}
} // namespace

// Every kind that compiles to code, in trees of the types the channels take, gives GLSL that links.
TEST_F(MaterialPassTest, TreesOfEveryKindLink)
{
    nSharedPtr<nMaterial> material(new nMaterial(&engine));
    material->name = "every_kind";
    material->renderFlags |= MaterialSkinned | MaterialAlphaTest;
    auto* map = new nShaderMap();
    material->SetShaderMap(map);
    auto* texture = new nTextureShaderBlock(nullptr);
    auto* vertex = new nGeometryVertexShaderBlock();
    auto* screenScale = Connect(new nDivOperatorShaderBlock(),
                                {new nScreenUVShaderBlock(),
                                 Connect(new nSwizzleShaderBlock(3, 4, 0, 0), {new nViewportShaderBlock()})});
    auto* uv =
        Connect(new nAddOperatorShaderBlock(),
                {new nGeometryUVShaderBlock(0),
                 Connect(new nMulOperatorShaderBlock(), {screenScale, Constant(ShaderTypeVec2, 0.01f)})});
    auto* colour = new nGeometryVertexColorShaderBlock();
    auto* clock = new nClockShaderBlock();
    map->roots[nShaderMap::RootDiffuse] =
        Connect(new nMixOperatorShaderBlock(),
                {Connect(new nSampler2dShaderBlock(), {texture, uv}),
                 Connect(new nMulOperatorShaderBlock(),
                         {new nColorShaderBlock(),
                          Connect(new nBuildShaderBlock(2, 3, 4, 1), {colour, colour, colour})}),
                 Connect(new nClampShaderBlock(),
                         {Connect(new nSinusShaderBlock(), {clock}), Constant(ShaderTypeFloat, 0.0f),
                          Constant(ShaderTypeFloat, 1.0f)})});
    auto* normalSample = Connect(new nSampler2dShaderBlock(), {texture, new nGeometryUVShaderBlock(1)});
    map->roots[nShaderMap::RootNormal] =
        Connect(new nNormalizeOperatorShaderBlock(),
                {Connect(new nMulOperatorShaderBlock(),
                         {new nGeometryTangentFrameShaderBlock(),
                          Connect(new nUnpackColorToVectorShaderBlock(),
                                  {Connect(new nSwizzleShaderBlock(1, 2, 3, 0), {normalSample})})})});
    map->roots[nShaderMap::RootSpecular] =
        Connect(new nAbsShaderBlock(),
                {Connect(new nPackVectorToColorShaderBlock(),
                         {Connect(new nCrossOperatorShaderBlock(),
                                  {new nViewVectorShaderBlock(),
                                   Connect(new nSwizzleShaderBlock(1, 2, 3, 0),
                                           {Connect(new nMulOperatorShaderBlock(),
                                                    {new nModelViewMatrixShaderBlock(), vertex})})})})});
    auto* normal = new nGeometryNormalShaderBlock();
    map->roots[nShaderMap::RootGlossiness] = Connect(
        new nPowShaderBlock(),
        {Connect(new nDotOperatorShaderBlock(),
                 {Connect(new nMulOperatorShaderBlock(), {new nNormalViewMatrixShaderBlock(), normal}),
                  Connect(new nMulOperatorShaderBlock(), {new nNormalMatrixShaderBlock(), normal})}),
         Connect(new nCosinusShaderBlock(), {clock})});
    map->roots[nShaderMap::RootConstant] =
        Connect(new nSubOperatorShaderBlock(),
                {new nMaterialParamShaderBlock(nMaterialParamShaderBlock::ParamSelfIllumination),
                 Connect(new nMulOperatorShaderBlock(), {new nGeometrySkinningShaderBlock(), vertex})});
    map->roots[nShaderMap::RootOpacity] =
        Connect(new nMulOperatorShaderBlock(),
                {new nMaterialParamShaderBlock(nMaterialParamShaderBlock::ParamOpacity),
                 Connect(new nSwizzleShaderBlock(4, 0, 0, 0),
                         {Connect(new nMulOperatorShaderBlock(), {new nModelMatrixShaderBlock(), vertex})})});

    nEGLMaterial* gpu = Setup(*material);
    ASSERT_NE(gpu, nullptr);
    for (uint32_t pass = 0; pass < MaterialPassCount; ++pass)
        EXPECT_TRUE(Linked(*gpu, pass)) << pass << "\n" << log;
    EXPECT_EQ(log.find("[!]"), std::string::npos) << log;
}
