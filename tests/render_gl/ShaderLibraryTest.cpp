#include "GLFixture.h"
#include "ShaderLibrarySupport.h"

#include "render/gl/nEGLProgram.h"
#include "render/gl/nShader.h"
#include "render/gl/nShaderSemantic.h"
#include "support/TemporaryFiles.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

class ShaderLibraryTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        SetInt("ShadowMapping:PCF:Quality", 1);
        SetInt("ShadowMapping:PSSM:Split", 3);
    }
    void TearDown() override
    {
        renderer.FreeShaderLibrary();
        GLFixture::TearDown();
    }
    void SetInt(const char* key, int32_t value) { SetRegistryInt(renderer, key, value); }
    static std::string Read(const fs::path& path)
    {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    // A copy of the repository's core shaders whose dictionary the test may change.
    fs::path CopyOfCoreShaders()
    {
        const fs::path copy = folder.GetDirectory() / "core";
        fs::create_directories(copy);
        fs::copy(KESTRUN_DATA_DIR "/core/shaders", copy / "shaders", fs::copy_options::recursive);
        return copy;
    }
    bool NoErrorLine() const { return log.find("[!]") == std::string::npos; }

    TemporaryFiles folder;
};

TEST_F(ShaderLibraryTest, EverySlotLinksForEveryFilterAndSplitChoice)
{
    CoreDataMount core;
    ASSERT_TRUE(renderer.LoadShaderLibrary());
    for (uint32_t slot = 0; slot < nGPURenderer::LibraryProgramCount; ++slot)
    {
        ASSERT_NE(renderer.GetLibraryProgram(slot), nullptr) << nGPURenderer::LibraryFiles[slot];
        EXPECT_NE(renderer.GetLibraryProgram(slot)->GetName(), 0u) << nGPURenderer::LibraryFiles[slot];
    }
    EXPECT_TRUE(NoErrorLine()) << log;
    EXPECT_NE(log.find("Creating program 'single_texture'...\n"), std::string::npos);

    // Only the shadowed light programs read the filter and split texts.
    const char* const shadowed[] = {"deferred/spotlight_shadow.nsa", "deferred/pointlight_shadow.nsa",
                                    "deferred/linearlight_shadow.nsa"};
    for (int32_t quality = 0; quality <= 3; ++quality)
    {
        for (int32_t split = 2; split <= 4; ++split)
        {
            SetInt("ShadowMapping:PCF:Quality", quality);
            SetInt("ShadowMapping:PSSM:Split", split);
            for (const char* file : shadowed)
            {
                nSharedPtr<nEGLProgram> program(
                    renderer.LoadLibraryProgram((std::string("@core/shaders/egl2/") + file).c_str()));
                ASSERT_NE(program.Get(), nullptr) << file << " PCF " << quality << " split " << split << log;
            }
        }
    }
    EXPECT_TRUE(NoErrorLine()) << log;
}

TEST_F(ShaderLibraryTest, ProgramInputsKeepTheirDeclarations)
{
    CoreDataMount core;
    nSharedPtr<nEGLProgram> cutoff(
        renderer.LoadLibraryProgram("@core/shaders/egl2/single_texture_cutoff.nsa"));
    ASSERT_NE(cutoff.Get(), nullptr) << log;
    const nGPUProgramInput* user = cutoff->FindInput("u_cutoff");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->semantic, static_cast<uint32_t>(SemanticUser));
    EXPECT_GE(user->location->location, 0) << "declared by the GLSL file and used";

    nSharedPtr<nEGLProgram> spot(
        renderer.LoadLibraryProgram("@core/shaders/egl2/deferred/spotlight_shadow.nsa"));
    ASSERT_NE(spot.Get(), nullptr) << log;
    const nGPUProgramInput* map = spot->FindInput(SemanticLightShadowMap0);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->type, 512u) << "a shadow map is a shadow sampler in shader files";
    EXPECT_GE(map->location->location, 0);
    EXPECT_EQ(spot->FindInput(SemanticInverseShadowMapSize)->type, 8u);
}

TEST_F(ShaderLibraryTest, WithoutADictionaryTheLibraryStaysAsItWas)
{
    {
        CoreDataMount core;
        ASSERT_TRUE(renderer.LoadShaderLibrary());
    }
    nEGLProgram* before = renderer.GetLibraryProgram(nGPURenderer::LibrarySingleTexture);
    ASSERT_NE(before, nullptr);
    fs::create_directories(folder.GetDirectory() / "empty");
    CoreDataMount empty((folder.GetDirectory() / "empty").string());
    log.clear();
    EXPECT_FALSE(renderer.LoadShaderLibrary());
    EXPECT_EQ(log, "[!] Shader dictionnaty missing.\n");
    EXPECT_EQ(renderer.GetLibraryProgram(nGPURenderer::LibrarySingleTexture), before);
}

TEST_F(ShaderLibraryTest, AMissingSplitTextLeavesItsMacroAndOnlyThatProgramFails)
{
    const fs::path core = CopyOfCoreShaders();
    const fs::path dictionary = core / "shaders/egl2/dict.txt";
    const std::string text = Read(dictionary);
    std::string without = std::regex_replace(text, std::regex("<3Split=\"[^\"]*\">"), "");
    ASSERT_NE(without, text);
    std::ofstream(dictionary, std::ios::binary) << without;

    CoreDataMount mount(core.string());
    ASSERT_TRUE(renderer.LoadShaderLibrary());
    EXPECT_EQ(renderer.GetLibraryProgram(nGPURenderer::LibraryLinearLightShadow), nullptr);
    EXPECT_NE(log.find("[!] Shader compilation error (Fragment).\n"), std::string::npos) << log;
    EXPECT_NE(renderer.GetLibraryProgram(nGPURenderer::LibraryLinearLight), nullptr);
    EXPECT_NE(renderer.GetLibraryProgram(nGPURenderer::LibrarySpotLightShadow), nullptr);
}

TEST_F(ShaderLibraryTest, ABadFileLeavesItsSlotEmpty)
{
    const fs::path core = CopyOfCoreShaders();
    const fs::path shaders = core / "shaders/egl2";
    std::ofstream(shaders / "simple.nsa") << "<NML=1.0>\n<Shaders=<Name=\"simple\">>\n";
    std::ofstream(shaders / "noise.nsa")
        << "<NML=1.0>\n<Shader=<Vertex=\"quad.vs\"><Fragment=\"gone.fs\">>\n";
    CoreDataMount mount(core.string());
    ASSERT_TRUE(renderer.LoadShaderLibrary());
    EXPECT_EQ(renderer.GetLibraryProgram(nGPURenderer::LibrarySimple), nullptr);
    EXPECT_NE(log.find("[!] Could not parse shader. Root tag id is incorrect (Shaders).\n"),
              std::string::npos);
    EXPECT_EQ(renderer.GetLibraryProgram(nGPURenderer::LibraryNoise), nullptr);
    EXPECT_NE(
        log.find("[!] Could not read shader code 'gone.fs' of shader '@core/shaders/egl2/noise.nsa'.\n"),
        std::string::npos)
        << log;
    EXPECT_NE(renderer.GetLibraryProgram(nGPURenderer::LibrarySimpleColor), nullptr);
}

TEST_F(ShaderLibraryTest, SettingsPickTheClampedDictionaryTags)
{
    struct Case
    {
        int32_t quality;
        const char* pcf;
        int32_t split;
        const char* pssm;
        uint32_t count;
    };
    const Case cases[] = {
        {-3, "PCF:4x4;", 1, "PSSM:2Split;", 2}, {0, "PCF:4x4;", 2, "PSSM:2Split;", 2},
        {1, "PCF:3x3;", 3, "PSSM:3Split;", 3},  {2, "PCF:2x2;", 4, "PSSM:4Split;", 4},
        {3, "PCF:1x1;", 5, "PSSM:4Split;", 4},  {7, "PCF:1x1;", 9, "PSSM:4Split;", 4},
    };
    for (const Case& entry : cases)
    {
        SetInt("ShadowMapping:PCF:Quality", entry.quality);
        SetInt("ShadowMapping:PSSM:Split", entry.split);
        EXPECT_STREQ(renderer.GetPCFTag(), entry.pcf) << entry.quality;
        EXPECT_STREQ(renderer.GetPSSMTag(), entry.pssm) << entry.split;
        EXPECT_EQ(renderer.GetPSSMSplitCount(), entry.count) << entry.split;
    }
}

TEST_F(ShaderLibraryTest, TextureUniformsTakeUnitsInDeclarationOrder)
{
    nShader shader;
    shader.vertexCode = "%out.position% = vec4(a_position, 1.0);";
    shader.fragmentCode = "%out.color% = texture2D(first, vec2(0.5)) + texture2D(second, vec2(0.5)) + "
                          "vec4(shadow2D(shadowMap, vec3(0.5)).r);";
    shader.AddInput("a_position", 16, SemanticPosition, nShaderInput::Attribute, nShaderInput::VertexStage);
    shader.AddInput("first", 256, SemanticTexture, nShaderInput::Uniform, nShaderInput::FragmentStage);
    shader.AddInput("scale", 4, SemanticFxScale, nShaderInput::Uniform, nShaderInput::FragmentStage);
    shader.AddInput("second", 256, SemanticNativeTexture, nShaderInput::Uniform, nShaderInput::FragmentStage);
    shader.AddInput("shadowMap", 512, SemanticLightShadowMap0, nShaderInput::Uniform,
                    nShaderInput::FragmentStage);
    nSharedPtr<nEGLProgram> program(renderer.NewMaterialProgram(&shader));
    ASSERT_NE(program.Get(), nullptr) << log;
    EXPECT_EQ(program->FindInput("first")->unit, 0u);
    EXPECT_EQ(program->FindInput("second")->unit, 1u);
    EXPECT_EQ(program->FindInput("shadowMap")->unit, 2u);
    EXPECT_EQ(program->FindInput("a_position")->location->location, 0);

    shader.fragmentCode = "%out.color% = undeclared;";
    EXPECT_EQ(renderer.NewMaterialProgram(&shader), nullptr);
    EXPECT_NE(log.find("[!] Shader compilation error (Fragment).\n"), std::string::npos);
}
