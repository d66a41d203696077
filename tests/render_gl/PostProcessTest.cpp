#include "GLFixture.h"
#include "ShaderLibrarySupport.h"

#include "core/nml/nMetaTagValue.h"
#include "core/nml/nRegistry.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLRenderWindow.h"
#include "render/gl/nEGLRenderer.h"
#include "render/gl/nEGLShader.h"
#include "render/gl/nEGLTexture.h"
#include "render/nRenderView.h"
#include "support/StubRenderView.h"

#include <SDL2/SDL.h>

#include <string>

namespace
{
// Records the name of every user input that receives a value ("u_cutoff=0.5;").
class UniformRecordingProgram : public nEGLProgram
{
public:
    UniformRecordingProgram(nGPURenderer* renderer, std::string& record) : nEGLProgram(renderer), m_record(record) {}
    void SetUniformFloat(const nEGLShaderInputLocation* location, const float* values, uint32_t count) override
    {
        for (const nGPUProgramInput& input : GetInputs())
            if (input.location.get() == location && input.name.GetText()[0] == 'u')
                m_record += std::string(input.name.GetText()) + "=" + std::to_string(values[0]) + ";";
        nEGLProgram::SetUniformFloat(location, values, count);
    }

private:
    std::string& m_record;
};

// An FBO that cannot be bound until it is made bindable.
class UnbindableFBO : public nEGLFBO
{
public:
    bool Bind() override { return bindable && nEGLFBO::Bind(); }
    bool bindable = false;
};

class PostRenderer : public nEGLRenderer
{
public:
    using nEGLRenderer::nEGLRenderer;
    nEGLProgram* NewProgram() override { return new UniformRecordingProgram(this, uniforms); }
    // The FBOs are made in the order multisample, FX, frame, shadow.
    nEGLFBO* NewFBO() override
    {
        if (++fbos == 2 && failFx)
            return unbindableFx = new UnbindableFBO;
        return nEGLRenderer::NewFBO();
    }

    std::string uniforms;
    bool failFx = false;
    UnbindableFBO* unbindableFx = nullptr; // owned by the renderer
    int fbos = 0;
};

void SetFloat(nRegistry& registry, const char* key, float number)
{
    nMetaTagValue value;
    value.SetFloat(number);
    registry.SetKey(key, &value);
}

void SetInt(nRegistry& registry, const char* key, int32_t number)
{
    nMetaTagValue value;
    value.SetInt(number);
    registry.SetKey(key, &value);
}

void SetBool(nRegistry& registry, const char* key, bool on)
{
    nMetaTagValue value;
    value.SetBool(on);
    registry.SetKey(key, &value);
}

nItem* const ViewItem = reinterpret_cast<nItem*>(0x10);

class PostProcessTest : public GLFixture
{
protected:
    void TearDown() override
    {
        post.Close();
        renderer.MakeCurrent(nullptr);
        GLFixture::TearDown();
    }
    void Open()
    {
        ASSERT_TRUE(post.Open(320, 240, 32, true, renderer.GetMainWindow()->GetWindow())) << log;
        view.settings = &effects;
        post.SetViewItem(ViewItem, &view);
        post.uniforms.clear();
        log.clear();
    }
    bool Ran(const char* input) const { return post.uniforms.find(input) != std::string::npos; }

    CoreDataMount core;
    PostRenderer post{&engine};
    nRegistry effects;
    StubRenderView view;
};
} // namespace

TEST_F(PostProcessTest, WithoutAPostProcessTagTheFirstFrameTextureIsFinal)
{
    Open();
    EXPECT_EQ(post.PostProcess(), post.GetFrameTexture(0));
    post.SetViewItem(nullptr, nullptr);
    SetFloat(effects, "PostProcess:Noise:Strength", 0.5f);
    EXPECT_EQ(post.PostProcess(), post.GetFrameTexture(0)) << "no view camera";
    EXPECT_TRUE(post.uniforms.empty()) << post.uniforms;
}

// Each row: the effects the camera asks for, the exclusions, which effects run and the texture
// the chain ends on.
TEST_F(PostProcessTest, EffectsRunUnlessExcludedAndNoiseFlipsTheFrameTexture)
{
    struct Case
    {
        bool ssao, bloom, noise;
        const char* excluded;
        bool excludedValue;
        bool ssaoRuns, bloomRuns, noiseRuns;
        uint32_t final;
    };
    const Case cases[] = {
        {true, true, false, "PostProcess:Exclusion:Bloom", true, true, false, false, 0},
        {true, true, false, "PostProcess:Exclusion:Bloom", false, true, true, false, 0},
        {true, false, true, nullptr, false, true, false, true, 1},
        {false, false, true, "PostProcess:Exclusion:Noise", true, false, false, false, 0},
    };
    Open();
    for (const Case& c : cases)
    {
        effects.Clear();
        post.GetRegistry().RemoveKey("PostProcess:Exclusion");
        if (c.ssao)
            SetFloat(effects, "PostProcess:SSAO:Strength", 1.0f);
        if (c.bloom)
            SetFloat(effects, "PostProcess:Bloom:Threshold", 0.5f);
        if (c.noise)
            SetFloat(effects, "PostProcess:Noise:Strength", 0.5f);
        if (c.excluded)
            SetBool(post.GetRegistry(), c.excluded, c.excludedValue);
        post.uniforms.clear();
        EXPECT_EQ(post.PostProcess(), post.GetFrameTexture(c.final)) << post.uniforms;
        EXPECT_EQ(Ran("u_distance="), c.ssaoRuns) << post.uniforms;
        EXPECT_EQ(Ran("u_cutoff=0.5"), c.bloomRuns) << post.uniforms;
        EXPECT_EQ(Ran("u_blur_d="), c.bloomRuns) << post.uniforms;
        EXPECT_EQ(Ran("u_mono="), c.noiseRuns) << post.uniforms;
    }
    EXPECT_EQ(log.find("[!]"), std::string::npos) << log;
}

TEST_F(PostProcessTest, ZeroStrengthsDoNothingAndTheForwardFrameIsNeverAntialiased)
{
    SetBool(post.GetRegistry(), "Antialiasing:Enable", true);
    Open();
    SetFloat(effects, "PostProcess:SSAO:Strength", 0.0f);
    SetFloat(effects, "PostProcess:Bloom:Strength", 0.0f);
    SetFloat(effects, "PostProcess:Noise:Strength", 0.0f);
    EXPECT_EQ(post.PostProcess(), post.GetFrameTexture(0));
    EXPECT_TRUE(post.uniforms.empty()) << post.uniforms;
}

TEST_F(PostProcessTest, BloomBlursFourPassesOverItsRadiusInFxTexels)
{
    Open();
    SetFloat(effects, "PostProcess:Bloom:Radius", 24.0f);
    post.PostProcess();
    for (const char* pass : {"u_pass=0.0", "u_pass=1.0", "u_pass=2.0", "u_pass=3.0"})
        EXPECT_TRUE(Ran(pass)) << pass << " in " << post.uniforms;
    EXPECT_TRUE(Ran("u_blur_d=6.0")) << "24 output pixels at FX scale 4: " << post.uniforms;
    EXPECT_TRUE(Ran("u_cutoff=0.95")) << "the default threshold: " << post.uniforms;

    post.uniforms.clear();
    SetFloat(effects, "PostProcess:Bloom:Radius", -1.0f);
    post.PostProcess();
    EXPECT_TRUE(Ran("u_blur_d=0.0")) << post.uniforms;
    post.PostProcess();
    EXPECT_EQ(log, "[*] PostProcess:Bloom:Radius -1.000 taken as 0.\n") << "once while the radius stays";
    SetFloat(effects, "PostProcess:Bloom:Radius", -2.0f);
    post.PostProcess();
    EXPECT_NE(log.find("[*] PostProcess:Bloom:Radius -2.000 taken as 0.\n"), std::string::npos) << log;
}

TEST_F(PostProcessTest, AnFXFBOThatCannotBeBoundLeavesTheFrameUnprocessed)
{
    post.failFx = true;
    Open();
    SetFloat(effects, "PostProcess:Noise:Strength", 0.5f);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(post.PostProcess(), post.GetFrameTexture(0));
    EXPECT_EQ(log, "[!] Failed to set FX FBO.\n") << "once while the failure lasts";
    EXPECT_TRUE(post.uniforms.empty()) << post.uniforms;

    ASSERT_TRUE(post.unbindableFx);
    post.unbindableFx->bindable = true;
    post.PostProcess();
    EXPECT_TRUE(Ran("u_strength=0.5")) << post.uniforms;
    post.unbindableFx->bindable = false;
    post.PostProcess();
    EXPECT_EQ(log, "[!] Failed to set FX FBO.\n[!] Failed to set FX FBO.\n") << "again for a new failure";
}

TEST_F(PostProcessTest, AnFXScaleBelowOneIsTakenAsOne)
{
    SetInt(post.GetRegistry(), "PostProcess:FX:Scale", 0);
    ASSERT_TRUE(post.Open(320, 240, 32, true, renderer.GetMainWindow()->GetWindow())) << log;
    EXPECT_EQ(post.GetFXScale(), 1u);
    EXPECT_NE(log.find("[*] PostProcess:FX:Scale 0 taken as 1.\n"), std::string::npos) << log;
}

// The forward fog reads the depth texture: it is off the frame target during the quad and back on
// it afterwards; without fog nothing is drawn.
TEST_F(PostProcessTest, ForwardFogDrawsWithTheDepthTextureBackOnTheFrameTargetAfterwards)
{
    Open();
    post.DrawFog();
    EXPECT_FALSE(Ran("u_fog_near=")) << post.uniforms;
    const nColor blue(0.0f, 0.0f, 1.0f, 1.0f);
    post.SetFog(true, &blue, 5.0f, 15.0f);
    post.DrawFog();
    EXPECT_TRUE(Ran("u_fog_near=5.0")) << post.uniforms;
    EXPECT_TRUE(Ran("u_fog_inverse_range=0.1")) << post.uniforms;
    GLint depth = 0;
    static const auto attachment = reinterpret_cast<PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC>(
        SDL_GL_GetProcAddress("glGetFramebufferAttachmentParameterivEXT"));
    ASSERT_NE(attachment, nullptr);
    attachment(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &depth);
    EXPECT_EQ(GLuint(depth), post.GetFrameDepthTexture()->GetName());
    post.SetFogSuppressed(true);
    post.uniforms.clear();
    post.DrawFog();
    EXPECT_TRUE(post.uniforms.empty()) << post.uniforms;
}
