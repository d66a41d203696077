#include "CoreDataMount.h"
#include "GLFixture.h"

#include "core/nml/nMetaTagValue.h"
#include "render/gl/TestMaterials.h"
#include "render/gl/nEGLMaterial.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nShaderSemantic.h"
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
    void SetInt(const char* key, int32_t value)
    {
        nMetaTagValue tagValue;
        tagValue.SetInt(value);
        renderer.GetRegistry().SetKey(key, &tagValue);
    }
    nEGLMaterial* Setup(nMaterial& material)
    {
        material.renderData = renderer.SetupMaterial(&material);
        return static_cast<nEGLMaterial*>(material.renderData.Get());
    }
    static bool Linked(const nEGLMaterial& gpu, uint32_t pass)
    {
        return gpu.GetProgram(pass)->GetName() != 0;
    }
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
                EXPECT_GE(distance->location->location, 0) << split << " " << name;
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
        folder.Write("shaders/egl2/dict.txt", "<NML=1.0>\n<PCF=<3x3=\"float ComputePCF(vec3 p, mat4 m, "
                                              "sampler2DShadow s) { return 1.0; }\">>\n");
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
