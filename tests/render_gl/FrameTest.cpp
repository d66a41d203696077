#include "GLFixture.h"
#include "ShaderLibrarySupport.h"
#include "TriangleList.h"

#include "core/math/nFrustum.h"
#include "core/nml/nMetaTagValue.h"
#include "geometry/nGeometry.h"
#include "geometry/nTexture.h"
#include "platform/nPlatform.h"
#include "render/gl/TestMaterials.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLGeometry.h"
#include "render/gl/nEGLMaterial.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLRenderWindow.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nEGLShader.h"
#include "render/gl/nGPUGeometryStreams.h"
#include "render/gl/nGPULightCullDisplayListJob.h"
#include "render/gl/nGPUProgramInputs.h"
#include "render/gl/nShaderSemantic.h"
#include "render/nLightSource.h"
#include "render/nRenderItem.h"
#include "render/nRenderView.h"
#include "render/nRendererEnvironmentInterface.h"
#include "support/StubRenderView.h"

#include <SDL2/SDL.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace
{
// Records what MaterialOpacity inputs receive.
class RecordingProgram : public nEGLProgram
{
public:
    RecordingProgram(nGPURenderer* renderer, std::vector<float>& opacities)
        : nEGLProgram(renderer), m_opacities(opacities)
    {
    }
    void SetUniformFloat(const nEGLShaderInputLocation* location, const float* values, uint32_t count) override
    {
        const nGPUProgramInput* opacity = FindInput(SemanticMaterialOpacity);
        if (opacity && opacity->location.get() == location)
            m_opacities.push_back(values[0]);
        nEGLProgram::SetUniformFloat(location, values, count);
    }

private:
    std::vector<float>& m_opacities;
};

// The GPU renderer on the shared window's context, without a window of its own; it records what
// it writes and the MaterialOpacity uploads of its programs.
class FrameRenderer : public nEGLRenderer
{
public:
    using nEGLRenderer::nEGLRenderer;
    nEGLProgram* NewProgram() override { return new RecordingProgram(this, opacities); }
    void Write(nRasterFont*, const char* text, float&, float&, nTextFlags, float, const nColor*, int32_t) override
    {
        written += text;
    }

    std::vector<float> opacities;
    std::string written;
};

// The same without multisampled renderbuffers.
class NoMultisampleRenderer : public FrameRenderer
{
public:
    using FrameRenderer::FrameRenderer;
    bool QueryCapability(uint32_t capability, bool& value) override
    {
        if (capability != CapabilityMultisampledTargets)
            return false;
        value = false;
        return true;
    }
};

class TestItem : public nRenderItem
{
public:
    void UpdateRenderMatrices() override { ++updates; }
    const nMatrix4& GetRenderWorldMatrix() const override { return world; }
    const nMatrix4& GetRenderInverseMatrix() const override { return inverse; }
    float GetRenderOpacity() const override { return opacity; }

    nMatrix4 world;
    nMatrix4 inverse;
    float opacity = 1.0f;
    int updates = 0;
};

class TestLight : public StubLightSource
{
public:
    explicit TestLight(float x) : StubLightSource(nLightSourceSettings::TypeNone, nMatrix4::FromTranslation(x, 0.0f, 0.0f)) {}
};

nItem* const ViewItem = reinterpret_cast<nItem*>(0x10);

class FrameTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        ASSERT_TRUE(frame.LoadShaderDictionary());
        frame.Resize(320, 240);
        material = MakeTestMaterial(&engine, TestMaterial::Default);
        material->renderData = frame.SetupMaterial(material.Get());
        log.clear();
    }
    void TearDown() override
    {
        frame.Close();
        GLFixture::TearDown();
    }

    std::unique_ptr<nEGLDisplayList> MakeList() { return MakeTriangleList(frame, material.Get()); }
    // Gives the geometry one display list per material, and splits what an opaque item and a
    // faded one (opacity 0.5) showing it make.
    void SplitItems(nGeometry& geometry, std::initializer_list<nMaterial*> materials, TestItem& opaqueItem,
                    TestItem& faded, nGPURenderPrimitiveList& opaque, nGPURenderPrimitiveList& transparent)
    {
        auto* gpu = frame.NewGeometry();
        geometry.renderData = gpu;
        for (nMaterial* used : materials)
            gpu->GetDisplayLists().push_back(MakeTriangleList(frame, used));
        faded.opacity = 0.5f;
        nAutoList<nRenderablePrimitive*> entries;
        entries.PushBack(new nRenderablePrimitive{0, &opaqueItem, &geometry});
        entries.PushBack(new nRenderablePrimitive{0, &faded, &geometry});
        ASSERT_TRUE(frame.SplitPrimitives(entries, opaque, transparent));
    }
    static void SetKey(nRenderer& renderer, const char* key, bool on)
    {
        nMetaTagValue value;
        value.SetBool(on);
        renderer.GetRegistry().SetKey(key, &value);
    }
    static void SetKey(nRenderer& renderer, const char* key, float number)
    {
        nMetaTagValue value;
        value.SetFloat(number);
        renderer.GetRegistry().SetKey(key, &value);
    }
    static void SetKey(nRenderer& renderer, const char* key, const char* text)
    {
        nMetaTagValue value;
        value.SetString(text);
        renderer.GetRegistry().SetKey(key, &value);
    }
    size_t Count(const std::string& part) const
    {
        size_t count = 0;
        for (size_t at = log.find(part); at != std::string::npos; at = log.find(part, at + 1))
            ++count;
        return count;
    }

    CoreDataMount core;
    FrameRenderer frame{&engine};
    nSharedPtr<nMaterial> material;
};

TEST_F(FrameTest, AntialiasingSamplesGiveTheirLevelsAndDeferredNeedsRenderToTexture)
{
    SetKey(frame, "Antialiasing:Enable", true);
    const std::pair<float, uint32_t> cases[] = {{2.0f, 1}, {3.0f, 2}, {6.0f, 3}, {16.0f, 4}, {1.0f, 0}};
    for (const auto& [samples, level] : cases)
    {
        SetKey(frame, "Antialiasing:Sample", samples);
        frame.SetRenderTechnique(nGPURenderer::TechniqueNone, true);
        EXPECT_EQ(frame.GetSampleLevel(), level) << samples;
        EXPECT_EQ(frame.IsAlphaToCoverage(), level != 0) << samples;
    }
    SetKey(frame, "Technique", "Deferred");
    frame.SetRenderTechnique(nGPURenderer::TechniqueNone, true);
    EXPECT_EQ(frame.GetTechnique(), uint32_t(nGPURenderer::TechniqueDeferred));
    EXPECT_EQ(frame.GetSampleLevel(), 0u) << "the deferred targets are never multisampled";
    frame.SetRenderToTexture(false);
    frame.SetRenderTechnique(nGPURenderer::TechniqueNone, true);
    EXPECT_EQ(frame.GetTechnique(), uint32_t(nGPURenderer::TechniqueForward));
}

TEST_F(FrameTest, ChangedKeysAreAppliedOnceEachInTheirOrderOnTheApplyMessage)
{
    SetRegistryInt(frame, "PostProcess:FX:Scale", 0);
    SetRegistryInt(frame, "ShadowMapping:PSSM:Split", 2);
    SetKey(frame, "Technique", "Forward");
    SetRegistryInt(frame, "ShadowMapping:Size", 512);
    SetKey(frame, "Antialiasing:Sample", 2.0f);
    EXPECT_TRUE(log.empty()) << "a key change only marks work: " << log;
    engine.progress.clear();
    frame.OnMessage(RegistryApplyChanges, nullptr);
    EXPECT_EQ(engine.progress, (std::vector<std::string>{"begin", "Applying configuration changes 0.000000",
                                                         "Compiling material changes 1.000000", "end"}))
        << "the progress display is closed once the work is done";
    const size_t shadows = log.find("Creating shadow maps (512x512).\n");
    const size_t library = log.find("Creating program '");
    const size_t technique = log.find("[H] Switching rendering technique.\n");
    const size_t materials = log.find("[H] Setup material 'default'.\n");
    ASSERT_NE(shadows, std::string::npos) << log;
    EXPECT_LT(shadows, library);
    EXPECT_LT(library, technique);
    EXPECT_LT(technique, materials);
    ASSERT_NE(materials, std::string::npos) << log;
    EXPECT_EQ(Count("Creating shadow maps"), 1u);
    EXPECT_EQ(Count("Switching rendering technique"), 1u);
    EXPECT_EQ(Count("Setup material 'default'"), 1u);
    EXPECT_EQ(frame.GetFXScale(), 1u) << "a scale of 0 is taken as 1";

    log.clear();
    frame.OnMessage(RegistryApplyChanges, nullptr);
    EXPECT_TRUE(log.empty()) << "the work is done once: " << log;

    SetRegistryInt(frame, "ShadowMapping:PCF:Quality", 2);
    frame.OnMessage(RegistryApplyChanges, nullptr);
    EXPECT_NE(log.find("Creating program '"), std::string::npos);
    EXPECT_NE(log.find("[H] Setup material 'default'.\n"), std::string::npos);
    EXPECT_EQ(log.find("Creating shadow maps"), std::string::npos);

    log.clear();
    SetKey(frame, "Anti", true);
    frame.OnMessage(RegistryApplyChanges, nullptr);
    EXPECT_EQ(Count("Switching rendering technique"), 1u) << log;
}

TEST_F(FrameTest, ClosingWithLiveMaterialsReleasesThem)
{
    nSharedPtr<nMaterial> second = MakeTestMaterial(&engine, TestMaterial::DiffuseTexture);
    second->renderData = frame.SetupMaterial(second.Get());
    log.clear();
    frame.Close();
    EXPECT_NE(log.find("[!] Cleaning leaked resources:\n[!]   - 2 materials.\n"), std::string::npos) << log;
    EXPECT_TRUE(frame.GetMaterials().IsEmpty());
}

TEST_F(FrameTest, ItemsOfOneListAndMaterialChangeOnlyTheItem)
{
    std::unique_ptr<nEGLDisplayList> list = MakeList();
    std::vector<TestItem> items(100);
    nGPURenderPrimitiveList primitives(MemCategoryRenderer);
    ASSERT_TRUE(primitives.Resize(100));
    for (uint32_t index = 0; index < 100; ++index)
        *primitives.At(index) = nGPURenderPrimitive{0, &items[index], list.get(), nullptr};
    frame.ResetStatistics();
    frame.DrawPrimitiveList(primitives, nGPUPass{nGPUPass::Base, nGPUPass::BlendOpaque, 2, nullptr});
    const nGPURenderer::BatchCounters& counters = frame.GetBatchCounters();
    EXPECT_EQ(counters.programChanges, 1u);
    EXPECT_EQ(counters.listChanges, 1u);
    EXPECT_EQ(counters.materialChanges, 1u);
    EXPECT_EQ(counters.itemChanges, 100u);
    EXPECT_EQ(frame.GetStatistics().listsDrawn, 100u);
    EXPECT_EQ(frame.GetStatistics().queuePasses, 1u);
    EXPECT_EQ(items[42].updates, 1);

    float x = 0.0f;
    float y = 0.0f;
    frame.DrawStatistics(nFontPair{}, x, y);
    const std::string batching = "Batching System\n\nProgram change = 1.00% (1)\nList change = 1.00% (1)\n"
                                 "Material change = 1.00% (1)\nItem change = 100.00% (100)\n\n"
                                 "Terrain System\n\nCache miss = 0.00% (0 Query)\n\nTechnique: Forward\n\n";
    ASSERT_GE(frame.written.size(), batching.size());
    EXPECT_EQ(frame.written.substr(frame.written.size() - batching.size()), batching);
}

TEST_F(FrameTest, OpacityFollowsTheItemAndSendsItToTheTransparentList)
{
    material->opacity = 0.8f;
    nGeometry geometry(&engine);
    TestItem opaqueItem;
    TestItem faded;
    nGPURenderPrimitiveList opaque(MemCategoryRenderer);
    nGPURenderPrimitiveList transparent(MemCategoryRenderer);
    SplitItems(geometry, {material.Get()}, opaqueItem, faded, opaque, transparent);
    ASSERT_EQ(opaque.GetCount(), 1u);
    ASSERT_EQ(transparent.GetCount(), 1u);
    EXPECT_EQ(transparent.At(0)->item, &faded);

    nGPURenderPrimitiveList both(MemCategoryRenderer);
    ASSERT_TRUE(both.Resize(2));
    *both.At(0) = *opaque.At(0);
    *both.At(1) = *transparent.At(0);
    frame.opacities.clear();
    frame.DrawPrimitiveList(both, nGPUPass{nGPUPass::Base, nGPUPass::BlendOpaque, 2, nullptr});
    ASSERT_EQ(frame.opacities.size(), 2u);
    EXPECT_FLOAT_EQ(frame.opacities[0], 0.8f);
    EXPECT_FLOAT_EQ(frame.opacities[1], 0.4f);
}

// Opaque primitives follow one another by material (one program per pass), transparent ones by
// display list as before.
TEST_F(FrameTest, OpaquePrimitivesAreGroupedByMaterialAndTransparentOnesByDisplayList)
{
    nSharedPtr<nMaterial> other(new nMaterial(&engine));
    nGeometry geometry(&engine);
    TestItem opaqueItem;
    TestItem faded;
    nGPURenderPrimitiveList opaque(MemCategoryRenderer);
    nGPURenderPrimitiveList transparent(MemCategoryRenderer);
    SplitItems(geometry, {material.Get(), other.Get(), material.Get(), other.Get()}, opaqueItem, faded, opaque,
               transparent);
    ASSERT_EQ(opaque.GetCount(), 4u);
    ASSERT_EQ(transparent.GetCount(), 4u);
    auto materialOf = [](const nGPURenderPrimitive& primitive) { return primitive.displayList->GetUserWord(); };
    uint32_t materialChanges = 0;
    for (uint32_t index = 1; index < 4; ++index)
    {
        const nGPURenderPrimitive& before = *opaque.At(index - 1);
        const nGPURenderPrimitive& after = *opaque.At(index);
        if (materialOf(before) != materialOf(after))
            ++materialChanges;
        else
            EXPECT_LT(before.displayList, after.displayList) << index;
        EXPECT_LT(transparent.At(index - 1)->displayList, transparent.At(index)->displayList) << index;
    }
    EXPECT_EQ(materialChanges, 1u);
}

TEST_F(FrameTest, APointLightKeepsWhatItsRangeReaches)
{
    std::unique_ptr<nEGLDisplayList> list = MakeList();
    TestItem item;
    nGPURenderPrimitiveList primitives(MemCategoryRenderer);
    ASSERT_TRUE(primitives.Resize(1));
    *primitives.At(0) = nGPURenderPrimitive{0, &item, list.get(), nullptr};
    for (const auto& [x, kept] : {std::pair{5.9f, 1u}, {6.1f, 0u}, {-5.9f, 1u}})
    {
        TestLight light(x);
        light.settings.type = nLightSourceSettings::TypePoint;
        light.settings.range = 5.0f;
        nGPULightCullDisplayListJob job(light, primitives);
        job.Run(nPlatform::Get().GetJobQueue());
        EXPECT_EQ(job.GetOutput().GetCount(), kept) << x;
    }

    TestLight far(50.0f);
    far.settings.type = nLightSourceSettings::TypePoint;
    far.settings.range = 5.0f;
    StubLightEnvironment environment{&far};
    StubRenderView view;
    frame.SetEnvironment(&environment);
    frame.SetViewItem(ViewItem, &view);
    frame.ResetStatistics();
    frame.ForwardLightPass(primitives, nGPUPass::BlendOpaque);
    EXPECT_EQ(frame.GetStatistics().lightsProcessed, 1u) << "a light that reaches nothing still counts";
    EXPECT_EQ(frame.GetStatistics().listsDrawn, 1u) << "the base pass only";
    frame.SetEnvironment(nullptr);
    frame.SetViewItem(nullptr, nullptr);
}

// Opaque items take their base terms and their first light in one draw, and each further light
// that reaches them once more; transparent items keep a base draw and one draw per light, in order.
TEST_F(FrameTest, AnOpaqueItemsFirstLightIsDrawnWithItsBaseTerms)
{
    std::unique_ptr<nEGLDisplayList> list = MakeList();
    TestItem item;
    nGPURenderPrimitiveList primitives(MemCategoryRenderer);
    ASSERT_TRUE(primitives.Resize(1));
    *primitives.At(0) = nGPURenderPrimitive{0, &item, list.get(), nullptr};
    TestLight far(50.0f);
    TestLight first(1.0f);
    TestLight second(-1.0f);
    for (TestLight* light : {&far, &first, &second})
    {
        light->settings.type = nLightSourceSettings::TypePoint;
        light->settings.range = 5.0f;
    }
    StubLightEnvironment environment{&far, &first, &second};
    StubRenderView view;
    frame.SetEnvironment(&environment);
    frame.SetViewItem(ViewItem, &view);
    for (const auto& [blendClass, draws] : {std::pair{uint32_t(nGPUPass::BlendOpaque), 2u},
                                            {uint32_t(nGPUPass::BlendTransparent), 3u}})
    {
        frame.ResetStatistics();
        frame.ForwardLightPass(primitives, blendClass);
        EXPECT_EQ(frame.GetStatistics().lightsProcessed, 3u) << blendClass;
        EXPECT_EQ(frame.GetStatistics().listsDrawn, draws) << blendClass;
    }
    frame.SetEnvironment(nullptr);
    frame.SetViewItem(nullptr, nullptr);
}
} // namespace

namespace
{
// A renderer opened on the shared window (a context of its own, no window of its own), closed and
// the shared context made current again at the end.
template <typename Renderer> class OpenedOnSharedWindow
{
public:
    OpenedOnSharedWindow(GLTestRenderer& shared, ModeEngine& engine) : m_shared(shared), renderer(&engine) {}
    ~OpenedOnSharedWindow()
    {
        renderer.Close();
        m_shared.MakeCurrent(nullptr);
    }
    bool Open() { return renderer.Open(320, 240, 32, true, m_shared.GetMainWindow()->GetWindow()); }

private:
    GLTestRenderer& m_shared;

public:
    Renderer renderer;
};

GLint Binding(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}
} // namespace

TEST_F(FrameTest, WithoutMultisampledRenderbuffersTheFrameRendersIntoItsTexture)
{
    OpenedOnSharedWindow<NoMultisampleRenderer> opened(renderer, engine);
    SetKey(opened.renderer, "Antialiasing:Enable", true);
    ASSERT_TRUE(opened.Open()) << log;
    EXPECT_NE(log.find("[*] Insufficient RBO support, falling back to RTT: No hardware MSAA.\n"), std::string::npos)
        << log;
    EXPECT_EQ(opened.renderer.GetMultisampleColourRBO(), nullptr);
    EXPECT_EQ(opened.renderer.GetSampleLevel(), 0u);
    ASSERT_TRUE(opened.renderer.BeginFrame());
    EXPECT_EQ(opened.renderer.GetCurrentTarget(), opened.renderer.GetFrameFBO());
    EXPECT_EQ(Binding(GL_FRAMEBUFFER_BINDING_EXT), GLint(opened.renderer.GetFrameFBO()->GetName()));
    opened.renderer.EndFrame();
}

TEST_F(FrameTest, AntialiasingRendersIntoMultisampledRenderbuffers)
{
    OpenedOnSharedWindow<FrameRenderer> opened(renderer, engine);
    SetKey(opened.renderer, "Antialiasing:Enable", true);
    SetKey(opened.renderer, "Antialiasing:Sample", 4.0f);
    ASSERT_TRUE(opened.Open()) << log;
    ASSERT_NE(opened.renderer.GetMultisampleColourRBO(), nullptr);
    ASSERT_TRUE(opened.renderer.BeginFrame());
    EXPECT_EQ(opened.renderer.GetCurrentTarget(), opened.renderer.GetMultisampleFBO());
    EXPECT_GT(Binding(GL_SAMPLES), 1) << "the frame target is multisampled";
    EXPECT_EQ(EGL().CheckFramebufferStatus(GL_FRAMEBUFFER_EXT), GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
    opened.renderer.RenderQueue();
    opened.renderer.EndFrame();
}

// Without samples to resolve, the multisampled target would only add a full-screen copy.
TEST_F(FrameTest, WithoutAntialiasingTheForwardFrameRendersStraightIntoItsTexture)
{
    OpenedOnSharedWindow<FrameRenderer> opened(renderer, engine);
    ASSERT_TRUE(opened.Open()) << log;
    EXPECT_EQ(opened.renderer.GetSampleLevel(), 0u);
    EXPECT_EQ(opened.renderer.GetMultisampleColourRBO(), nullptr);
    ASSERT_TRUE(opened.renderer.BeginFrame());
    EXPECT_EQ(opened.renderer.GetCurrentTarget(), opened.renderer.GetFrameFBO());
    EXPECT_EQ(Binding(GL_FRAMEBUFFER_BINDING_EXT), GLint(opened.renderer.GetFrameFBO()->GetName()));
    opened.renderer.RenderQueue();
    opened.renderer.EndFrame();
}

TEST_F(FrameTest, AClearBetweenFramesIsTheColourTheNextFrameStartsFrom)
{
    OpenedOnSharedWindow<FrameRenderer> opened(renderer, engine);
    ASSERT_TRUE(opened.Open()) << log;
    opened.renderer.ClearFrame(0.0f, 0.0f, 1.0f, 1.0f, 0.0f, nRenderer::ClearColour | nRenderer::ClearDepth);
    ASSERT_TRUE(opened.renderer.BeginFrame());
    opened.renderer.RenderQueue();
    opened.renderer.EndFrame();
    EXPECT_EQ(PixelAt(10, 10), 0x0000FFFFu);

    nSharedPtr<nTexture> texture(new nTexture(&engine, 0, 0));
    texture->Allocate(320, 240, PixelFormatBGRA8);
    texture->SetRenderData(opened.renderer.SetupTexture(texture.Get()));
    opened.renderer.GrabDisplayToTexture(texture.Get());
    std::vector<uint8_t> pixels(320 * 240 * 4);
    glBindTexture(GL_TEXTURE_2D, static_cast<nEGLTexture*>(texture->GetRenderData())->GetName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    EXPECT_EQ(pixels[(120 * 320 + 160) * 4 + 2], 255) << "the grab holds the frame";
    EXPECT_EQ(pixels[(120 * 320 + 160) * 4 + 0], 0);

    ASSERT_TRUE(opened.renderer.BeginFrame());
    opened.renderer.RenderQueue();
    opened.renderer.EndFrame();
    EXPECT_EQ(PixelAt(10, 10), 0x000000FFu) << "a frame without a clear before it starts black";
}

namespace
{
// A uniform as GL holds it, read through the entry point the driver gives.
std::vector<float> UniformValues(const nEGLProgram& program, const nGPUProgramInput* input)
{
    static const auto getUniform = reinterpret_cast<PFNGLGETUNIFORMFVPROC>(SDL_GL_GetProcAddress("glGetUniformfv"));
    std::vector<float> values(4, -1.0f);
    if (input && input->location && getUniform)
        getUniform(program.GetName(), input->location->location, values.data());
    return values;
}
} // namespace

// A float input takes the first of the values it is given, a vec4 given three gets w 1: GL refuses
// a value of another size.
TEST_F(FrameTest, InputsGoUpAsTheirDeclaredTypes)
{
    nSharedPtr<nEGLProgram> ssao(frame.LoadLibraryProgram("@core/shaders/egl2/ssao.nsa"));
    ASSERT_TRUE(ssao && ssao->Bind(nullptr)) << log;
    nGPUProgramInputs::SetFrameInputs(*ssao, frame);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_FLOAT_EQ(UniformValues(*ssao, ssao->FindInput(SemanticDisplayBufferRatio))[0], 0.75f);
    ssao->Unbind();

    const nColor fog(0.25f, 0.5f, 0.75f, 0.0f);
    frame.SetFog(true, &fog, 1.0f, 3.0f);
    nSharedPtr<nEGLProgram> fogProgram(frame.LoadLibraryProgram("@core/shaders/egl2/fs_fog.nsa"));
    ASSERT_TRUE(fogProgram && fogProgram->Bind(nullptr)) << log;
    nGPUProgramInputs::SetFrameInputs(*fogProgram, frame);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(UniformValues(*fogProgram, fogProgram->FindInput(SemanticFogColor)),
              (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_FLOAT_EQ(UniformValues(*fogProgram, fogProgram->FindInput(SemanticFogInverseRange))[0], 0.5f);
    fogProgram->Unbind();
}
