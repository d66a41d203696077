#include "GLFixture.h"
#include "ShaderLibrarySupport.h"
#include "TriangleList.h"

#include "core/math/nFrustum.h"
#include "core/nml/nMetaTagValue.h"
#include "core/nml/nRegistry.h"
#include "geometry/nTexture.h"
#include "render/gl/TestMaterials.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLRenderWindow.h"
#include "render/gl/nEGLShader.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nShaderSemantic.h"
#include "render/nLightSource.h"
#include "render/nRenderItem.h"
#include "render/nRenderView.h"
#include "render/nRendererEnvironmentInterface.h"
#include "support/StubRenderView.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace
{
constexpr float Pi = 3.14159265358979f;

// What the light programs receive: the semantic and first value of every float upload, the
// semantic of every matrix upload.
struct Uploads
{
    std::vector<std::pair<uint32_t, float>> floats;
    std::vector<uint32_t> matrices;

    bool HasFloat(uint32_t semantic) const
    {
        return std::any_of(floats.begin(), floats.end(), [&](const auto& upload) { return upload.first == semantic; });
    }
    float LastFloat(uint32_t semantic) const
    {
        float value = -1.0f;
        for (const auto& upload : floats)
            if (upload.first == semantic)
                value = upload.second;
        return value;
    }
    bool HasMatrix(uint32_t semantic) const
    {
        return std::find(matrices.begin(), matrices.end(), semantic) != matrices.end();
    }
};

class RecordingProgram : public nEGLProgram
{
public:
    RecordingProgram(nGPURenderer* renderer, Uploads& uploads) : nEGLProgram(renderer), m_uploads(uploads) {}
    void SetUniformFloat(const nEGLShaderInputLocation* location, const float* values, uint32_t count) override
    {
        if (const nGPUProgramInput* input = InputAt(location))
            m_uploads.floats.emplace_back(input->semantic, values[0]);
        nEGLProgram::SetUniformFloat(location, values, count);
    }
    void SetUniformMatrix4(const nEGLShaderInputLocation* location, const float* values, uint32_t count) override
    {
        if (const nGPUProgramInput* input = InputAt(location))
            m_uploads.matrices.push_back(input->semantic);
        nEGLProgram::SetUniformMatrix4(location, values, count);
    }

private:
    const nGPUProgramInput* InputAt(const nEGLShaderInputLocation* location)
    {
        for (const nGPUProgramInput& input : GetInputs())
            if (input.location.get() == location)
                return &input;
        return nullptr;
    }
    Uploads& m_uploads;
};

// Counts the times it is bound: the shadow FBO is bound once per shadow map drawn.
class CountingFBO : public nEGLFBO
{
public:
    explicit CountingFBO(int& binds) : m_binds(binds) {}
    bool Bind() override
    {
        ++m_binds;
        return nEGLFBO::Bind();
    }

private:
    int& m_binds;
};

class ShadowRenderer : public nEGLRenderer
{
public:
    using nEGLRenderer::nEGLRenderer;
    nEGLProgram* NewProgram() override { return new RecordingProgram(this, uploads); }
    // The FBOs are made in the order multisample, FX, frame, shadow.
    nEGLFBO* NewFBO() override { return ++fbos == 4 ? new CountingFBO(shadowBinds) : nEGLRenderer::NewFBO(); }

    Uploads uploads;
    int fbos = 0;
    int shadowBinds = 0;
};

// A perspective camera at the origin looking down +Z, 90 degrees wide, near 1 and far 100.
class Camera : public StubRenderView
{
public:
    Camera()
    {
        frustum.SetPerspective(Pi / 2.0f, 1.0f, 100.0f, &matrix, 1.0f, 1.0f);
        projection.m[10] = 100.0f / 99.0f;
        projection.m[11] = -100.0f / 99.0f;
        projection.m[14] = 1.0f;
        projection.m[15] = 0.0f;
    }
};

// A light placed and turned by its world matrix; a spot's cone spans z-near 0.5 to its volume range.
class SceneLight : public StubLightSource
{
public:
    SceneLight(int32_t type, const nMatrix4& placed) : StubLightSource(type, placed)
    {
        settings.coneAngle = 0.6f;
        settings.edgeAngle = 0.1f;
        settings.volumeRange = 30.0f;
        settings.shadowRange = 100.0f;
        settings.shadowDistribution = 0.5f;
        settings.shadowMode = nLightSourceSettings::ShadowMapMode;
        frustum.SetPerspective(2.0f * (settings.coneAngle + settings.edgeAngle), zNear, settings.volumeRange, &world,
                               1.0f, 1.0f);
    }
};

class Item : public StubRenderItem
{
public:
    explicit Item(float z) : StubRenderItem(nMatrix4::FromTranslation(0.0f, 0.0f, z)) {}
};

// Where a world point lands in the atlas, after the divide.
nVector InAtlas(const nMatrix4& shadowMatrix, const nVector& point)
{
    nVector out;
    const nVector in(point.x, point.y, point.z, 1.0f);
    shadowMatrix.TransformVector4Array(&out, &in, 1);
    return nVector(out.x / out.w, out.y / out.w, out.z / out.w);
}

nItem* const ViewItem = reinterpret_cast<nItem*>(0x10);

class ShadowPassTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        ASSERT_TRUE(shadows.Open(320, 240, 32, true, renderer.GetMainWindow()->GetWindow())) << log;
        shadows.SetViewItem(ViewItem, &camera);
        shadows.ApplyView();
        material = MakeTestMaterial(&engine, TestMaterial::Default);
        material->renderData = shadows.SetupMaterial(material.Get());
        list = MakeTriangleList(shadows, material.Get());
        ASSERT_TRUE(primitives.Resize(1));
        *primitives.At(0) = nGPURenderPrimitive{0, &item, list.get(), nullptr};
        log.clear();
    }
    void TearDown() override
    {
        shadows.SetEnvironment(nullptr);
        list.reset();
        material = nullptr;
        shadows.Close();
        renderer.MakeCurrent(nullptr);
        GLFixture::TearDown();
    }

    void SetInt(const char* key, int32_t number)
    {
        nMetaTagValue value;
        value.SetInt(number);
        shadows.GetRegistry().SetKey(key, &value);
    }
    // One forward light pass over the item with the light as the only one reaching the camera.
    void LightPass(nLightSource& light, uint32_t blendClass)
    {
        StubLightEnvironment environment{&light};
        shadows.SetEnvironment(&environment);
        shadows.uploads = Uploads();
        shadows.shadowBinds = 0;
        shadows.ResetStatistics();
        shadows.ForwardLightPass(primitives, blendClass);
        shadows.SetEnvironment(nullptr);
    }

    CoreDataMount core;
    ShadowRenderer shadows{&engine};
    Camera camera;
    Item item{10.0f};
    nSharedPtr<nMaterial> material;
    std::unique_ptr<nEGLDisplayList> list;
    nGPURenderPrimitiveList primitives{MemCategoryRenderer};
};

const nMatrix4 SpotPlace = nMatrix4::FromTranslation(-3.0f, 0.0f, 0.0f);
} // namespace

TEST_F(ShadowPassTest, TheSpotsAxisMapsToTheAtlasCentre)
{
    SceneLight spot(nLightSourceSettings::TypeSpot, SpotPlace);
    ASSERT_TRUE(shadows.RenderShadowMap(spot));
    const nGPURenderer::ShadowSplit* split = shadows.GetShadowSplit(spot, 0);
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(shadows.GetShadowSplit(spot, 1), nullptr);
    for (float along : {2.0f, 10.0f, 29.0f})
    {
        const nVector mapped = InAtlas(split->shadowMatrix, nVector(-3.0f, 0.0f, along));
        EXPECT_NEAR(mapped.x, 0.5f, 1e-4f) << along;
        EXPECT_NEAR(mapped.y, 0.5f, 1e-4f) << along;
        EXPECT_GT(mapped.z, 0.5f) << "window depth past the near plane";
        EXPECT_LT(mapped.z, 1.0f) << "and short of the volume range";
    }
}

TEST_F(ShadowPassTest, EachPointFaceSeesTheWayItLooksInItsOwnCell)
{
    SceneLight point(nLightSourceSettings::TypePoint, nMatrix4::FromTranslation(1.0f, 2.0f, 3.0f));
    ASSERT_TRUE(shadows.RenderShadowMap(point));
    const float cells[6][2] = {{0.0f, 0.0f}, {0.33f, 0.0f}, {0.66f, 0.0f}, {0.0f, 0.5f}, {0.33f, 0.5f}, {0.66f, 0.5f}};
    std::set<std::vector<int>> directions;
    for (uint32_t face = 0; face < 6; ++face)
    {
        const nGPURenderer::ShadowSplit* split = shadows.GetShadowSplit(point, face);
        ASSERT_NE(split, nullptr) << face;
        const nVector forward = split->cameraWorld.GetColumn(2, false);
        directions.insert({int(std::lround(forward.x)), int(std::lround(forward.y)), int(std::lround(forward.z))});
        const nVector mapped = InAtlas(split->shadowMatrix, nVector(1.0f + 5.0f * forward.x, 2.0f + 5.0f * forward.y,
                                                                     3.0f + 5.0f * forward.z));
        EXPECT_GT(mapped.x, cells[face][0]) << face;
        EXPECT_LT(mapped.x, cells[face][0] + 1.0f / 3.0f) << face;
        EXPECT_GT(mapped.y, cells[face][1]) << face;
        EXPECT_LT(mapped.y, cells[face][1] + 0.5f) << face;
    }
    EXPECT_EQ(directions.size(), 6u) << "the six faces look along the six axis directions";
}

// The camera looks down +Z from the origin (near 1, far 100); the light looks down and ahead.
// Each row: the split setting and the ends the splits get.
TEST_F(ShadowPassTest, EachParallelSplitHoldsItsSliceInItsCell)
{
    struct Case
    {
        int32_t setting;
        std::vector<float> ends;
    };
    const Case cases[] = {
        {3, {19.32f, 44.27f, 100.0f}},
        {-5, {30.25f, 100.0f}},
        {9, {14.46f, 30.25f, 53.44f, 100.0f}},
    };
    const float cells[4][2] = {{0.0f, 0.0f}, {0.5f, 0.0f}, {0.0f, 0.5f}, {0.5f, 0.5f}};
    const nMatrix4 turned = nMatrix4::ComposeEuler(nVector(0.0f, 40.0f, 0.0f), nVector(0.9f, 0.3f, 0.0f),
                                                   nVector(1.0f, 1.0f, 1.0f, 0.0f), 0);
    SceneLight sun(nLightSourceSettings::TypeParallel, turned);
    for (const Case& row : cases)
    {
        SetInt("ShadowMapping:PSSM:Split", row.setting);
        ASSERT_TRUE(shadows.RenderShadowMap(sun));
        EXPECT_EQ(shadows.GetShadowSplit(sun, uint32_t(row.ends.size())), nullptr) << row.setting;
        float start = 1.0f;
        for (uint32_t split = 0; split < row.ends.size(); ++split)
        {
            const nGPURenderer::ShadowSplit* record = shadows.GetShadowSplit(sun, split);
            ASSERT_NE(record, nullptr) << row.setting << " " << split;
            EXPECT_NEAR(record->farDistance, row.ends[split], 0.01f) << row.setting << " " << split;
            for (const nVector& point : {nVector(0.0f, 0.0f, 0.5f * (start + record->farDistance)),
                                         nVector(0.9f * record->farDistance, 0.0f, record->farDistance),
                                         nVector(0.0f, -0.9f * start, start)})
            {
                const nVector mapped = InAtlas(record->shadowMatrix, point);
                EXPECT_GT(mapped.x, cells[split][0]) << row.setting << " " << split;
                EXPECT_LT(mapped.x, cells[split][0] + 0.5f) << row.setting << " " << split;
                EXPECT_GT(mapped.y, cells[split][1]) << row.setting << " " << split;
                EXPECT_LT(mapped.y, cells[split][1] + 0.5f) << row.setting << " " << split;
                EXPECT_GT(mapped.z, 0.5f);
                EXPECT_LT(mapped.z, 1.0f);
            }
            start = record->farDistance;
        }
    }
}

// The forward pass's parallel program picks a split by view depth: it needs every split's end and
// matrix, as many as the dictionary text it was built with names.
TEST_F(ShadowPassTest, AShadowedParallelLightGivesItsProgramEachSplitsEndAndMatrix)
{
    const nMatrix4 turned = nMatrix4::ComposeEuler(nVector(0.0f, 40.0f, 0.0f), nVector(0.9f, 0.3f, 0.0f),
                                                   nVector(1.0f, 1.0f, 1.0f, 0.0f), 0);
    SceneLight sun(nLightSourceSettings::TypeParallel, turned);
    LightPass(sun, nGPUPass::BlendOpaque);
    EXPECT_EQ(log.find("[!]"), std::string::npos) << log;
    const float ends[3] = {19.32f, 44.27f, 100.0f};
    for (uint32_t split = 0; split < 3; ++split)
    {
        EXPECT_NEAR(shadows.uploads.LastFloat(SemanticLightPSSMSliceDistance0 + split), ends[split], 0.01f) << split;
        EXPECT_TRUE(shadows.uploads.HasMatrix(SemanticLightShadowMatrix0 + split)) << split;
    }
    EXPECT_FALSE(shadows.uploads.HasFloat(SemanticLightPSSMSliceDistance0 + 3));
}

// Each row: the pass's blend class, whether the light keeps its shadow in the transparent pass,
// whether the light's cone reaches the item, whether a shadow is drawn and read, and the item's
// draws (the opaque pass sums the base terms and the item's first light in one).
TEST_F(ShadowPassTest, OnlyLightsThatReachSomethingAndMayCastThereDrawAShadow)
{
    struct Case
    {
        uint32_t blendClass;
        bool castAll;
        bool reaches;
        bool shadowed;
        uint32_t draws;
    };
    const Case cases[] = {
        {nGPUPass::BlendOpaque, false, true, true, 1},
        {nGPUPass::BlendTransparent, false, true, false, 2},
        {nGPUPass::BlendTransparent, true, true, true, 2},
        {nGPUPass::BlendOpaque, false, false, false, 1},
    };
    for (const Case& row : cases)
    {
        SceneLight spot(nLightSourceSettings::TypeSpot,
                        row.reaches ? SpotPlace : nMatrix4::FromTranslation(-3.0f, 0.0f, 50.0f));
        spot.settings.shadowCastAll = row.castAll;
        LightPass(spot, row.blendClass);
        const std::string label = std::to_string(row.blendClass) + (row.castAll ? " all" : "") +
                                  (row.reaches ? " reaching" : " out of reach");
        EXPECT_EQ(shadows.shadowBinds, row.shadowed ? 1 : 0) << label << ": shadow maps drawn";
        EXPECT_EQ(shadows.uploads.HasFloat(SemanticLightShadowBias), row.shadowed) << label << ": shadowed program";
        EXPECT_EQ(shadows.GetStatistics().lightsProcessed, 1u) << label << ": counted all the same";
        EXPECT_EQ(shadows.GetStatistics().listsDrawn, row.draws) << label;
    }
}

TEST_F(ShadowPassTest, AProjectedSpotWithoutShadowStillProjectsItsTexture)
{
    nSharedPtr<nTexture> texture(new nTexture(&engine, 0, 0));
    texture->Allocate(4, 4, PixelFormatBGRA8);
    texture->SetRenderData(shadows.SetupTexture(texture.Get()));
    SceneLight spot(nLightSourceSettings::TypeSpot, SpotPlace);
    spot.settings.shadowMode = 0;
    spot.settings.projectionMap = texture.Get();
    LightPass(spot, nGPUPass::BlendOpaque);
    EXPECT_FALSE(shadows.uploads.HasFloat(SemanticLightShadowBias)) << "the unshadowed projected program";
    EXPECT_TRUE(shadows.uploads.HasMatrix(SemanticLightShadowMatrix0));
    const nGPURenderer::ShadowSplit* split = shadows.GetShadowSplit(spot, 0);
    ASSERT_NE(split, nullptr);
    const nVector mapped = InAtlas(split->shadowMatrix, nVector(-3.0f, 0.0f, 10.0f));
    EXPECT_NEAR(mapped.x, 0.5f, 1e-4f);
    EXPECT_NEAR(mapped.y, 0.5f, 1e-4f);
}

// Each row: the setting, the size the atlas gets and whether a line says so. The largest size
// is checked without an atlas: one of that size would take a gigabyte.
TEST_F(ShadowPassTest, TheAtlasSizeIsHeldToWhatTheDeviceTakes)
{
    const uint32_t largest = shadows.GetMaxTextureSize();
    ASSERT_GE(largest, 1024u);
    struct Case
    {
        int32_t setting;
        uint32_t size;
        bool logged;
    };
    const Case cases[] = {{0, 16, true}, {-3, 16, true}, {512, 512, false}, {100000, largest, true}};
    for (const Case& row : cases)
    {
        SetInt("ShadowMapping:Size", row.setting);
        nMetaTagValue mapping;
        mapping.SetBool(row.size < 4096);
        shadows.GetRegistry().SetKey("ShadowMapping:Enable", &mapping);
        log.clear();
        shadows.CreateShadowMaps();
        EXPECT_EQ(shadows.GetShadowMapSize(), row.size) << row.setting;
        const size_t noted = log.find("[*] ShadowMapping:Size ");
        EXPECT_EQ(noted != std::string::npos, row.logged) << log;
        if (noted != std::string::npos)
        {
            EXPECT_EQ(log.find("[*]", noted + 1), std::string::npos) << "one line: " << log;
        }
        if (row.size >= 4096)
            continue;
        ASSERT_NE(shadows.GetShadowMap(0), nullptr) << row.setting;
        glBindTexture(GL_TEXTURE_2D, shadows.GetShadowMap(0)->GetName());
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, GLint(row.size)) << row.setting;
    }
}
