#include "render/gl/TestMaterials.h"
#include "render/gl/nMaterialPassShader.h"
#include "render/gl/nShader.h"
#include "render/gl/nShaderSemantic.h"
#include "render/shader/nOperatorShaderBlocks.h"
#include "render/shader/nValueShaderBlocks.h"

#include "support/CapturedLog.h"
#include "support/StubEngineServices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
size_t Count(const std::string& text, const std::string& piece)
{
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

struct Sources
{
    std::string vertex;
    std::string fragment;
};

class MaterialPassShaderTest : public testing::Test
{
protected:
    nSharedPtr<nMaterial> Material(TestMaterial kind) { return MakeTestMaterial(&engine, kind); }
    bool Build(const nMaterial& material, uint32_t pass, Sources& sources,
               const nMaterialPassTexts& texts = StandInPassTexts())
    {
        nShader shader;
        if (!BuildMaterialPassShader(material, pass, texts, shader))
            return false;
        shader.AssembleGLSL(sources.vertex, sources.fragment, false);
        return true;
    }
    // Compares with tests/render/gl/golden/<name>; KESTRUN_UPDATE_GOLDEN=1 rewrites the file.
    static void ExpectGolden(const std::string& name, const std::string& text)
    {
        const std::string path = std::string(KESTRUN_TEST_SOURCE_DIR "/gl/golden/") + name;
        if (std::getenv("KESTRUN_UPDATE_GOLDEN"))
            std::ofstream(path, std::ios::binary) << text;
        std::ifstream file(path, std::ios::binary);
        std::stringstream golden;
        golden << file.rdbuf();
        EXPECT_EQ(text, golden.str()) << name;
    }

    CapturedLog log;
    StubEngineServices engine;
};
} // namespace

TEST_F(MaterialPassShaderTest, AmbientAndPointPassesOfTwoMaterials)
{
    for (TestMaterial kind : {TestMaterial::Default, TestMaterial::DiffuseTexture})
    {
        nSharedPtr<nMaterial> material = Material(kind);
        for (uint32_t pass : {MaterialPassAmbient, MaterialPassPoint})
        {
            Sources sources;
            ASSERT_TRUE(Build(*material, pass, sources));
            const std::string name = std::string(TestMaterialName(kind)) + "_pass" + std::to_string(pass);
            ExpectGolden(name + ".vert", sources.vertex);
            ExpectGolden(name + ".frag", sources.fragment);
        }
    }
    EXPECT_EQ(log.text, "");
}

TEST_F(MaterialPassShaderTest, SkinAndAlphaTestReachEveryPass)
{
    nSharedPtr<nMaterial> material = Material(TestMaterial::Skinned);
    material->renderFlags |= MaterialAlphaTest;
    for (uint32_t pass = 0; pass < MaterialPassCount; ++pass)
    {
        Sources sources;
        ASSERT_TRUE(Build(*material, pass, sources)) << pass;
        EXPECT_NE(sources.vertex.find("uniform mat4 bone_mtx[16];\n"), std::string::npos) << pass;
        EXPECT_NE(sources.vertex.find("attribute vec4 bone_idx;\n"), std::string::npos) << pass;
        EXPECT_NE(sources.vertex.find("vec4 v_f_position = v_skin_mtx * vec4(a_position, 1.0);\n"),
                  std::string::npos)
            << pass;
        EXPECT_NE(sources.fragment.find("uniform float u_alpha_threshold;\n"), std::string::npos) << pass;
        EXPECT_NE(sources.fragment.find(" < u_alpha_threshold) discard;\n"), std::string::npos) << pass;
        EXPECT_EQ(sources.fragment.find("%"), std::string::npos) << pass << sources.fragment;
    }
}

TEST_F(MaterialPassShaderTest, ChannelsWithoutATreeTakeTheirDefaults)
{
    nSharedPtr<nMaterial> material = Material(TestMaterial::Default);
    nShaderMap* map = material->shaderMap;
    delete map->roots[nShaderMap::RootDiffuse];
    map->roots[nShaderMap::RootDiffuse] = nullptr;
    // A glossiness tree of a colour cannot stand where a float is used.
    delete map->roots[nShaderMap::RootGlossiness];
    map->roots[nShaderMap::RootGlossiness] =
        new nMaterialParamShaderBlock(nMaterialParamShaderBlock::ParamDiffuse);
    Sources sources;
    ASSERT_TRUE(Build(*material, MaterialPassGBuffer, sources));
    EXPECT_NE(sources.fragment.find("gl_FragData[1] = vec4(vec3(0.75, 0.75, 0.75).xyz, 1.0);\n"),
              std::string::npos)
        << sources.fragment;
    EXPECT_NE(sources.fragment.find(".xyz, 0.25);\n"), std::string::npos) << sources.fragment;
    EXPECT_EQ(log.text, "[!] The Glossiness tree of material 'default' gives vec4, its default is used.\n");
}

TEST_F(MaterialPassShaderTest, ShadowPassesDeclareTheirMapsAndSplits)
{
    nSharedPtr<nMaterial> material = Material(TestMaterial::Default);
    Sources sources;
    ASSERT_TRUE(Build(*material, MaterialPassDirectionalShadow, sources, StandInPassTexts(2)));
    EXPECT_EQ(Count(sources.fragment, "_slice_distance;\n"), 2u);
    EXPECT_EQ(Count(sources.fragment, "uniform mat4 pssm_"), 2u);
    EXPECT_NE(sources.fragment.find("uniform sampler2DShadow pssm;\n"), std::string::npos);
    ASSERT_TRUE(Build(*material, MaterialPassDirectionalShadow, sources, StandInPassTexts(4)));
    EXPECT_EQ(Count(sources.fragment, "_slice_distance;\n"), 4u);

    ASSERT_TRUE(Build(*material, MaterialPassPointShadow, sources));
    EXPECT_EQ(Count(sources.fragment, "uniform mat4 psm_"), 6u);
    EXPECT_NE(sources.fragment.find("float ComputePCF(vec3 p, mat4 m, sampler2DShadow s) { return 1.0; }\n"
                                    "void main()"),
              std::string::npos)
        << "the filter is declared before main";
    ASSERT_TRUE(Build(*material, MaterialPassSpotProjectedShadow, sources));
    EXPECT_NE(sources.fragment.find("uniform sampler2D u_pjm;\n"), std::string::npos);
    EXPECT_NE(
        sources.fragment.find("ComputePCF(MoveTowardsLight(v_vpos, _l_normal, u_lvp, u_ssm_projection), "
                              "u_ssm_projection, u_ssm)"),
        std::string::npos)
        << "the spot's lookup moves towards the light";
    EXPECT_NE(sources.fragment.find("{ return p; }\nvoid main()"), std::string::npos)
        << "the offset is declared before main";

    nMaterialPassTexts missing = StandInPassTexts();
    missing.psm = nullptr;
    nShader shader;
    EXPECT_FALSE(BuildMaterialPassShader(*material, MaterialPassPointShadow, missing, shader));
    EXPECT_EQ(log.text,
              "[!] No 'PSM;' text in the shader dictionary: pass 4 of material 'default' is not built.\n");
}
