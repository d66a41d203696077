#include "GLFixture.h"
#include "ShaderLibrarySupport.h"

#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLRBO.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nShaderSemantic.h"

#include <memory>

// Library programs drawn as a full-screen quad into a 64x64 target, their inputs set by hand the
// way the renderer's setters will: identity matrices, UV 0 to 1, FxScale 1.
class LibraryPixelsTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        target = renderer.NewTexture();
        target->Create(64, 64, 0, true);
        fbo.reset(renderer.NewFBO());
        fbo->Create();
        fbo->Bind();
        fbo->SetColorTarget(target.Get());
        renderer.SetViewport(0, 0, 64, 64);
        renderer.EnableFaceCulling(false);
        renderer.EnableDepthTest(false);
        renderer.ClearFrame(0.25f, 0.25f, 0.25f, 1.0f, 1.0f, nRenderer::ClearColour);
    }
    void TearDown() override
    {
        if (program)
            program->Unbind();
        program = nullptr;
        fbo->Unbind();
        fbo.reset();
        target = nullptr;
        renderer.EnableDepthTest(true);
        GLFixture::TearDown();
    }

    nEGLProgram* Load(const char* file)
    {
        CoreDataMount core;
        program = renderer.LoadLibraryProgram((std::string("@core/shaders/egl2/") + file).c_str());
        EXPECT_NE(program.Get(), nullptr) << log;
        if (program)
        {
            EXPECT_TRUE(program->Bind(nullptr));
        }
        return program.Get();
    }
    void SetFloat(nGPUProgramInput* input, float value)
    {
        ASSERT_NE(input, nullptr);
        program->SetUniformFloat(input->location.get(), &value, 1);
    }
    void BindTexture(nEGLTexture* texture)
    {
        nGPUProgramInput* input = program->FindInput(SemanticNativeTexture);
        ASSERT_NE(input, nullptr);
        program->BindTextureUnit(input->location.get(), texture, input->unit);
    }
    // Two triangles covering the target; colours per corner when asked.
    void DrawQuad(const float* colours = nullptr)
    {
        static const float positions[] = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, -1, 0, 1, 1, 0, -1, 1, 0};
        static const float uvs[] = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
        static const float identity[] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        if (nGPUProgramInput* input = program->FindInput(SemanticPosition))
            program->SetVertexAttribute(input->location.get(), 3, 4, false, 12, positions);
        if (nGPUProgramInput* input = program->FindInput(SemanticUV0))
            program->SetVertexAttribute(input->location.get(), 2, 4, false, 8, uvs);
        if (nGPUProgramInput* input = program->FindInput(SemanticVertexColor))
            program->SetVertexAttribute(input->location.get(), 4, 4, false, 16, colours);
        if (nGPUProgramInput* input = program->FindInput(SemanticModelViewProjectionMatrix))
            program->SetUniformMatrix4(input->location.get(), identity, 1);
        if (nGPUProgramInput* input = program->FindInput(SemanticFxScale))
            SetFloat(input, 1.0f);
        renderer.DrawPrimitives(1, 6, nGPURenderer::NoIndices, nullptr);
    }
    // A 2x2 texture, filtering off; texels are RGBA bytes, bottom row first.
    nSharedPtr<nEGLTexture> Texture2x2(const uint8_t (&texels)[16])
    {
        nSharedPtr<nEGLTexture> texture(renderer.NewTexture());
        texture->Create(2, 2, 0, true);
        texture->SetFiltering(false);
        renderer.UpdateTexture(texture.Get(), texels, 2, 2, 0, 0, 0);
        return texture;
    }
    static uint32_t Grey(uint8_t value)
    {
        return uint32_t(value) << 24 | uint32_t(value) << 16 | value << 8 | 0xFF;
    }

    nSharedPtr<nEGLTexture> target;
    std::unique_ptr<nEGLFBO> fbo;
    nSharedPtr<nEGLProgram> program;
};

TEST_F(LibraryPixelsTest, SingleTextureCopiesOneTexelPerQuarter)
{
    const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    nSharedPtr<nEGLTexture> texture = Texture2x2(texels);
    ASSERT_NE(Load("single_texture.nsa"), nullptr);
    BindTexture(texture.Get());
    DrawQuad();
    EXPECT_EQ(PixelAt(8, 8), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(55, 8), 0x00FF00FFu);
    EXPECT_EQ(PixelAt(8, 55), 0x0000FFFFu);
    EXPECT_EQ(PixelAt(55, 55), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(31, 31), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(32, 32), 0xFFFFFFFFu);
}

TEST_F(LibraryPixelsTest, SimpleColorGivesTheVertexColours)
{
    ASSERT_NE(Load("simple_color.nsa"), nullptr);
    // Left triangle red at every corner, right one green.
    const float colours[] = {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
    DrawQuad(colours);
    EXPECT_EQ(PixelAt(50, 5), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(5, 50), 0x00FF00FFu);
}

TEST_F(LibraryPixelsTest, CutoffKeepsOnlyBrightTexels)
{
    const uint8_t texels[16] = {102, 102, 102, 255, 255, 255, 255, 255,
                                127, 127, 127, 255, 130, 130, 130, 255};
    nSharedPtr<nEGLTexture> texture = Texture2x2(texels);
    ASSERT_NE(Load("single_texture_cutoff.nsa"), nullptr);
    BindTexture(texture.Get());
    SetFloat(program->FindInput("u_cutoff"), 0.5f);
    DrawQuad();
    EXPECT_EQ(PixelAt(8, 8), Grey(0)) << "0.4 is below the cutoff";
    EXPECT_EQ(PixelAt(55, 8), Grey(255));
    EXPECT_EQ(PixelAt(8, 55), Grey(0));
    EXPECT_EQ(PixelAt(55, 55), Grey(130));
}

TEST_F(LibraryPixelsTest, FxProgramsDrawIntoTheLowerLeftOfTheViewport)
{
    const uint8_t texels[16] = {255, 255, 255, 255, 255, 255, 255, 255,
                                255, 255, 255, 255, 255, 255, 255, 255};
    nSharedPtr<nEGLTexture> texture = Texture2x2(texels);
    ASSERT_NE(Load("single_texture_fx.nsa"), nullptr);
    BindTexture(texture.Get());
    DrawQuad();
    SetFloat(program->FindInput(SemanticFxScale), 4.0f);
    renderer.ClearFrame(0, 0, 0, 1, 1.0f, nRenderer::ClearColour);
    renderer.DrawPrimitives(1, 6, nGPURenderer::NoIndices, nullptr);
    EXPECT_EQ(PixelAt(2, 2), Grey(255));
    EXPECT_EQ(PixelAt(15, 15), Grey(255));
    EXPECT_EQ(PixelAt(16, 16), Grey(0));
}

TEST_F(LibraryPixelsTest, ToneMappingScalesByTheStrength)
{
    const uint8_t texels[16] = {200, 100, 50, 255, 200, 100, 50, 255, 200, 100, 50, 255, 200, 100, 50, 255};
    nSharedPtr<nEGLTexture> texture = Texture2x2(texels);
    ASSERT_NE(Load("tone_mapping.nsa"), nullptr);
    BindTexture(texture.Get());
    SetFloat(program->FindInput("u_strength"), 0.5f);
    DrawQuad();
    const uint32_t pixel = PixelAt(20, 40);
    EXPECT_NEAR(int(pixel >> 24), 100, 1);
    EXPECT_NEAR(int(pixel >> 16 & 0xFF), 50, 1);
    EXPECT_NEAR(int(pixel >> 8 & 0xFF), 25, 1);
}
