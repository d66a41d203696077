#include "GLFixture.h"
#include "ShaderLibrarySupport.h"

#include "core/math/nFrustum.h"
#include "core/nml/nMetaTagValue.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLRenderWindow.h"
#include "render/gl/nEGLShader.h"
#include "render/gl/nGPULightVolume.h"
#include "render/nLightSource.h"
#include "render/nRenderView.h"
#include "render/nRendererEnvironmentInterface.h"
#include "support/StubRenderView.h"

#include <cmath>
#include <vector>

namespace
{
constexpr uint32_t DepthLess = 1;
constexpr uint32_t DepthGreater = 3;
constexpr uint32_t IndexUnsignedByte = 1;

class DeferredRenderer;

// Tells its renderer when it is the bound program.
class TracedProgram : public nEGLProgram
{
public:
    TracedProgram(nGPURenderer* renderer, const nEGLProgram*& bound) : nEGLProgram(renderer), m_bound(bound) {}
    bool Bind(const nEGLProgram* previous) override
    {
        const bool bound = nEGLProgram::Bind(previous);
        m_bound = bound ? this : nullptr;
        return bound;
    }
    void Unbind() override
    {
        m_bound = nullptr;
        nEGLProgram::Unbind();
    }

private:
    const nEGLProgram*& m_bound;
};

// One draw as the device saw it.
struct Draw
{
    const nEGLProgram* program;
    uint32_t count;
    uint32_t indexType;
    uint32_t depthFunc;
    uint32_t cullFace;
};

// The GPU renderer on the shared context, recording its draws with the depth function and culling
// mode they met.
class DeferredRenderer : public nEGLRenderer
{
public:
    using nEGLRenderer::nEGLRenderer;
    nEGLProgram* NewProgram() override { return new TracedProgram(this, m_bound); }
    void SetDepthFunc(uint32_t func) override
    {
        depthFunc = func;
        nEGLRenderer::SetDepthFunc(func);
    }
    void SetCullFace(uint32_t face) override
    {
        cullFace = face;
        nEGLRenderer::SetCullFace(face);
    }
    void DrawPrimitives(uint32_t primitive, uint32_t count, uint32_t indexType, const void* indices) override
    {
        draws.push_back(Draw{m_bound, count, indexType, depthFunc, cullFace});
        nEGLRenderer::DrawPrimitives(primitive, count, indexType, indices);
    }

    std::vector<Draw> draws;
    uint32_t depthFunc = DepthLess;
    uint32_t cullFace = 0;

private:
    const nEGLProgram* m_bound = nullptr;
};

class Light : public StubLightSource
{
public:
    Light(int32_t type, float x, float z) : StubLightSource(type, nMatrix4::FromTranslation(x, 0.0f, z))
    {
        settings.volumeRange = 30.0f;
        settings.coneAngle = 0.5f;
        settings.edgeAngle = 0.1f;
        zNear = 1.0f;
    }
};

nItem* const ViewItem = reinterpret_cast<nItem*>(0x10);

class DeferredPassTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        ASSERT_TRUE(frame.LoadShaderLibrary()) << log;
        frame.Resize(320, 240);
        frame.SetEnvironment(&environment);
        frame.SetViewItem(ViewItem, &camera);
        frame.ApplyView();
    }
    void TearDown() override
    {
        frame.SetEnvironment(nullptr);
        frame.SetViewItem(nullptr, nullptr);
        frame.Close();
        GLFixture::TearDown();
    }
    void SetBool(const char* key, bool on)
    {
        nMetaTagValue value;
        value.SetBool(on);
        frame.GetRegistry().SetKey(key, &value);
    }
    // The light pass over one light; the draws after the ambient quad.
    std::vector<Draw> LightDraws(Light& light)
    {
        environment.lights = {&light};
        frame.draws.clear();
        frame.DeferredLightPass();
        EXPECT_FALSE(frame.draws.empty());
        if (frame.draws.empty())
            return {};
        EXPECT_EQ(frame.draws[0].program, Program(nGPURenderer::LibraryAmbient)) << "the ambient quad comes first";
        return std::vector<Draw>(frame.draws.begin() + 1, frame.draws.end());
    }
    const nEGLProgram* Program(uint32_t slot) const { return frame.GetLibraryProgram(slot); }

    CoreDataMount core;
    DeferredRenderer frame{&engine};
    StubRenderView camera;
    StubLightEnvironment environment;
};

TEST_F(DeferredPassTest, FromInsideAPointVolumeItsFarFacesAreDrawnThenTheStateComesBack)
{
    Light light(nLightSourceSettings::TypePoint, 0.0f, 3.0f);
    light.settings.range = 10.0f;
    const std::vector<Draw> draws = LightDraws(light);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].program, Program(nGPURenderer::LibraryPointLight));
    EXPECT_EQ(draws[0].count, 36u);
    EXPECT_EQ(draws[0].indexType, IndexUnsignedByte);
    EXPECT_EQ(draws[0].depthFunc, DepthGreater);
    EXPECT_EQ(draws[0].cullFace, 1u);
    EXPECT_EQ(frame.depthFunc, DepthLess);

    // Just outside the box, but within the near plane's reach of it, still counts as inside.
    light.world = nMatrix4::FromTranslation(0.0f, 0.0f, 10.5f);
    light.inverse = light.world.InverseAffine();
    EXPECT_EQ(LightDraws(light)[0].depthFunc, DepthGreater);
}

TEST_F(DeferredPassTest, AVolumeOrAFullScreenQuadByTheLightsRanges)
{
    struct Case
    {
        const char* name;
        int32_t type;
        float z;
        float range;
        float volumeRange;
        uint32_t slot;
        bool fullScreen;
    };
    const Case cases[] = {
        {"point ahead", nLightSourceSettings::TypePoint, 40.0f, 5.0f, 30.0f, nGPURenderer::LibraryPointLight, false},
        {"point of range 0", nLightSourceSettings::TypePoint, 40.0f, 0.0f, 30.0f, nGPURenderer::LibraryPointLight,
         true},
        {"point of volume range 0", nLightSourceSettings::TypePoint, 40.0f, 5.0f, 0.0f,
         nGPURenderer::LibraryPointLight, true},
        {"spot behind the camera", nLightSourceSettings::TypeSpot, -40.0f, 5.0f, 30.0f,
         nGPURenderer::LibrarySpotLight, false},
        {"spot of volume range 0", nLightSourceSettings::TypeSpot, -40.0f, 5.0f, 0.0f,
         nGPURenderer::LibrarySpotLight, true},
        {"parallel", nLightSourceSettings::TypeParallel, 0.0f, 5.0f, 30.0f, nGPURenderer::LibraryLinearLight, true},
    };
    for (const Case& c : cases)
    {
        Light light(c.type, 0.0f, c.z);
        light.settings.range = c.range;
        light.settings.volumeRange = c.volumeRange;
        const std::vector<Draw> draws = LightDraws(light);
        ASSERT_EQ(draws.size(), 1u) << c.name;
        EXPECT_EQ(draws[0].program, Program(c.slot)) << c.name;
        EXPECT_EQ(draws[0].count, c.fullScreen ? 6u : 36u) << c.name;
        // A full-screen quad passes every depth; a volume seen from outside is drawn in front.
        EXPECT_EQ(draws[0].depthFunc, c.fullScreen ? 0u : DepthLess) << c.name;
        if (!c.fullScreen)
        {
            EXPECT_EQ(draws[0].cullFace, 0u) << c.name;
        }
        EXPECT_EQ(frame.depthFunc, DepthLess) << c.name;
        EXPECT_EQ(frame.cullFace, 1u) << c.name << ": the frame's culling comes back";
    }
}

// The shadow variant reads the atlas, which only a shadow just drawn for the light has filled.
TEST_F(DeferredPassTest, AShadowedSpotUsesItsShadowProgramOnlyWhenItsShadowWasDrawn)
{
    Light light(nLightSourceSettings::TypeSpot, 0.0f, -40.0f);
    light.settings.shadowMode = nLightSourceSettings::ShadowMapMode;
    SetBool("ShadowMapping:Enable", false);
    frame.CreateShadowMaps();
    EXPECT_EQ(LightDraws(light)[0].program, Program(nGPURenderer::LibrarySpotLight));

    SetBool("ShadowMapping:Enable", true);
    frame.CreateShadowMaps();
    EXPECT_EQ(LightDraws(light)[0].program, Program(nGPURenderer::LibrarySpotLight))
        << "without a shadow target no shadow is drawn";
}

TEST_F(DeferredPassTest, EveryLightIsCountedEvenOneThatDrawsNothing)
{
    Light point(nLightSourceSettings::TypePoint, 0.0f, 40.0f);
    Light none(nLightSourceSettings::TypeNone, 0.0f, 0.0f);
    Light spot(nLightSourceSettings::TypeSpot, 0.0f, -40.0f);
    environment.lights = {&point, &none, &spot};
    frame.ResetStatistics();
    frame.draws.clear();
    frame.DeferredLightPass();
    EXPECT_EQ(frame.GetStatistics().lightsProcessed, 3u);
    EXPECT_EQ(frame.draws.size(), 3u) << "the ambient quad and two lights";
}

// The spot's box is its frustum: the far corners spread by tan(cone + edge) at the volume range.
TEST(LightVolume, ASpotsBoxSpansItsFrustumFromItsNearDistance)
{
    Light spot(nLightSourceSettings::TypeSpot, 2.0f, 0.0f);
    const nGPULightVolume volume =
        ComputeLightVolume(spot, spot.settings, nVector(0.0f, 0.0f, -5.0f, 1.0f), 1.0f, 100.0f);
    ASSERT_FALSE(volume.fullScreen);
    EXPECT_FALSE(volume.containsCamera);
    const float spread = std::tan(0.6f);
    EXPECT_NEAR(volume.corners[7].x, 2.0f + 30.0f * spread, 1e-3f);
    EXPECT_NEAR(volume.corners[7].z, 30.0f, 1e-4f);
    EXPECT_NEAR(volume.corners[0].x, 2.0f - spread, 1e-4f);
    EXPECT_NEAR(volume.corners[0].z, 1.0f, 1e-4f);
    const nVector inside(2.0f, 0.0f, 5.0f, 1.0f);
    EXPECT_TRUE(ComputeLightVolume(spot, spot.settings, inside, 1.0f, 100.0f).containsCamera);
    EXPECT_TRUE(ComputeLightVolume(spot, spot.settings, inside, 1.0f, 20.0f).fullScreen)
        << "from inside, far faces past the camera's far distance would be cut away";

    spot.settings.coneAngle = 1.5f;
    EXPECT_TRUE(ComputeLightVolume(spot, spot.settings, nVector(), 1.0f, 100.0f).fullScreen)
        << "a cone opening to a half space has no box";
}

TEST_F(DeferredPassTest, ADeferredFrameStartsOnTheFrameTargetAndStaysThereAfterTheLights)
{
    DeferredRenderer opened(&engine);
    nMetaTagValue deferred;
    deferred.SetString("Deferred");
    opened.GetRegistry().SetKey("Technique", &deferred);
    ASSERT_TRUE(opened.Open(320, 240, 32, true, renderer.GetMainWindow()->GetWindow())) << log;
    opened.SetEnvironment(&environment);
    ASSERT_TRUE(opened.BeginFrame());
    EXPECT_EQ(opened.GetCurrentTarget(), opened.GetFrameFBO());
    EXPECT_EQ(Integer(GL_FRAMEBUFFER_BINDING_EXT), GLint(opened.GetFrameFBO()->GetName()));
    opened.DeferredPass(nGPURenderPrimitiveList(MemCategoryRenderer));
    EXPECT_EQ(Integer(GL_FRAMEBUFFER_BINDING_EXT), GLint(opened.GetFrameFBO()->GetName()));
    opened.EndFrame();
    opened.SetEnvironment(nullptr);
    opened.Close();
    renderer.MakeCurrent(nullptr);
}
} // namespace
