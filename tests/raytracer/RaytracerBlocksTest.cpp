#include "RaytracerFixture.h"

#include "geometry/nTexture.h"
#include "raytracer/nRaytracerShaderValue.h"
#include "render/shader/nComponentShaderBlocks.h"
#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nOperatorShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nSceneShaderBlocks.h"
#include "render/shader/nValueShaderBlocks.h"

#include <functional>
#include <memory>

namespace
{

// A hit on the wall at the middle of the view, and blocks evaluated there.
class RaytracerBlocksTest : public RaytracerFixture
{
public: // the case table builds its trees through it
    void SetUp() override
    {
        RaytracerFixture::SetUp();
        wall = AddWall(10.0f);
        wall->GetObject().SetPosition(nVector(10.0f, 0.0f, 0.0f));
        nGeometry& geometry = *wall->GetObject().GetGeometry();
        geometry.uvSets[0].Resize(4);
        for (uint32_t corner = 0; corner < 4; ++corner)
            *geometry.uvSets[0].At(corner) = nUV(float(corner), 0.5f);
        // The fixed-function map reads the vertex normals, which the grab computes.
        GiveFixedFunctionMap(MaterialOf(wall));
        raytracer = std::make_unique<nRaytracer>(nullptr);
        ASSERT_TRUE(raytracer->SetScene(scene));
        uint64_t rays = 0;
        raytracer->GetPrimaryHierarchy().TraceRay(hit, nVector(0, 0, -5), nVector(0, 0, 1), -1.0f, true,
                                                  rays);
        ASSERT_TRUE(hit.hit);
        raytracer->ResolveHit(hit);

        texture = new nTexture(nullptr, 0, 0);
        texture->AddRef();
        texture->Allocate(4, 1, PixelFormatBGRA8);
        for (uint32_t x = 0; x < 4; ++x)
            reinterpret_cast<uint32_t*>(texture->GetPixels())[x] = 0xFF000000u | (x * 64u) << 16;
    }

    void TearDown() override
    {
        texture->Release();
        RaytracerFixture::TearDown();
    }

    template <typename Block, typename... Args> Block* Make(Args&&... args)
    {
        blocks.push_back(std::make_unique<Block>(std::forward<Args>(args)...));
        return static_cast<Block*>(blocks.back().get());
    }

    template <typename Block, typename... Args>
    Block* Connect(std::initializer_list<nShaderBlock*> inputs, Args&&... args)
    {
        Block* block = Make<Block>(std::forward<Args>(args)...);
        uint32_t index = 0;
        for (nShaderBlock* input : inputs)
            EXPECT_TRUE(block->SetInput(index++, input)) << nShaderBlock::GetKindName(block->GetKind());
        return block;
    }

    nColorShaderBlock* Colour(float r, float g, float b, float a)
    {
        nColorShaderBlock* block = Make<nColorShaderBlock>();
        const float values[4] = {r, g, b, a};
        std::copy(values, values + 4, block->color);
        return block;
    }

    nRaytracerShaderValue Evaluate(const nShaderBlock* block, bool* result = nullptr)
    {
        nRaytracerShaderValue value;
        const bool evaluated = raytracer->EvaluateShaderBlock(hit, block, value, 0);
        if (result)
            *result = evaluated;
        return value;
    }

    nMObject* wall = nullptr;
    std::unique_ptr<nRaytracer> raytracer;
    nRaytracerHit hit;
    nTexture* texture = nullptr;
    std::vector<std::unique_ptr<nShaderBlock>> blocks;
};

TEST_F(RaytracerBlocksTest, BlocksHaveTheirCPUValues)
{
    struct Case
    {
        const char* name;
        std::function<nShaderBlock*(RaytracerBlocksTest&)> build;
        std::array<float, 4> expected;
    };
    using T = RaytracerBlocksTest;
    const float red3 = float(192) / 255.0f;
    const Case cases[] = {
        {"Sampler at u -0.25 samples 0.75",
         [](T& t)
         {
             return t.Connect<nSampler2dShaderBlock>(
                 {t.Make<nTextureShaderBlock>(t.texture), t.Make<nConstantShaderBlock>(-0.25f, 0.0f)});
         },
         {red3, 0, 0, 1}},
        {"Sampler at u 1 samples 0",
         [](T& t)
         {
             return t.Connect<nSampler2dShaderBlock>(
                 {t.Make<nTextureShaderBlock>(t.texture), t.Make<nConstantShaderBlock>(1.0f, 0.0f)});
         },
         {0, 0, 0, 1}},
        {"Sampler without a texture",
         [](T& t)
         {
             return t.Connect<nSampler2dShaderBlock>(
                 {t.Make<nTextureShaderBlock>(), t.Make<nConstantShaderBlock>(0.5f, 0.0f)});
         },
         {0, 0, 0, 1}},
        {"Build (2, 2, 2, 1) takes the x of each input",
         [](T& t)
         {
             return t.Connect<nBuildShaderBlock>({t.Make<nConstantShaderBlock>(1.0f, 2.0f, 3.0f),
                                                  t.Make<nConstantShaderBlock>(4.0f, 5.0f, 6.0f),
                                                  t.Make<nConstantShaderBlock>(7.0f, 8.0f, 9.0f)},
                                                 2u, 2u, 2u, 1u);
         },
         {1, 4, 7, 1}},
        {"Unpack (1, 0.5, 0, 1)",
         [](T& t) { return t.Connect<nUnpackColorToVectorShaderBlock>({t.Colour(1, 0.5f, 0, 1)}); },
         {1, 0, -1, 1}},
        {"Pack (1, 0, -1, 1)",
         [](T& t) { return t.Connect<nPackVectorToColorShaderBlock>({t.Colour(1, 0, -1, 1)}); },
         {1, 0.5f, 0, 1}},
        {"Swizzle (z, x, none, none)",
         [](T& t) { return t.Connect<nSwizzleShaderBlock>({t.Colour(1, 2, 3, 4)}, 3u, 1u, 0u, 0u); },
         {3, 1, 0, 1}},
        {"Mul of a direction by the model matrix",
         [](T& t) {
             return t.Connect<nMulOperatorShaderBlock>(
                 {t.Make<nModelMatrixShaderBlock>(), t.Colour(1, 2, 3, 0)});
         },
         {1, 2, 3, 0}},
        {"Mul of a point by the model matrix",
         [](T& t) {
             return t.Connect<nMulOperatorShaderBlock>(
                 {t.Make<nModelMatrixShaderBlock>(), t.Colour(1, 2, 3, 1)});
         },
         {11, 2, 3, 1}},
        {"Mul of two vectors",
         [](T& t) {
             return t.Connect<nMulOperatorShaderBlock>({t.Colour(1, 2, 3, 4), t.Colour(2, 3, 4, 5)});
         },
         {2, 6, 12, 1}},
        {"Mix",
         [](T& t)
         {
             return t.Connect<nMixOperatorShaderBlock>(
                 {t.Colour(1, 0, 0, 1), t.Colour(0, 1, 0, 1), t.Make<nMaterialParamShaderBlock>(4u)});
         },
         {0.4f, 0.6f, 0, 1}},
        {"Clamp",
         [](T& t)
         {
             return t.Connect<nClampShaderBlock>(
                 {t.Colour(-1, 0.5f, 3, 9), t.Colour(0, 0, 0, 0), t.Colour(1, 1, 1, 1)});
         },
         {0, 0.5f, 1, 1}},
        {"Dot",
         [](T& t) {
             return t.Connect<nDotOperatorShaderBlock>({t.Colour(1, 2, 3, 0), t.Colour(4, 5, 6, 0)});
         },
         {32, 0, 0, 1}},
        {"Material glossiness", [](T& t) { return t.Make<nMaterialParamShaderBlock>(4u); }, {0.4f, 0, 0, 1}},
        {"Material diffuse",
         [](T& t) { return t.Make<nMaterialParamShaderBlock>(0u); },
         {0.5f, 0.25f, 0.75f, 1}},
        {"Normal stream", [](T& t) { return t.Make<nGeometryNormalShaderBlock>(); }, {0, 0, -1, 1}},
        {"Vertex stream in object space",
         [](T& t) { return t.Make<nGeometryVertexShaderBlock>(); },
         {-10, 0, 10, 1}},
        {"UV stream", [](T& t) { return t.Make<nGeometryUVShaderBlock>(0u); }, {0.95f, 0.5f, 0, 0}},
        {"an absent UV set gives no value",
         [](T& t) { return t.Make<nGeometryUVShaderBlock>(2u); },
         {0, 0, 0, 0}},
        {"Screen UV", [](T& t) { return t.Make<nScreenUVShaderBlock>(); }, {0.5f, 0.5f, 0.5f, 1}},
        {"View vector", [](T& t) { return t.Make<nViewVectorShaderBlock>(); }, {0, 0, 1, 1}},
        {"Clock", [](T& t) { return t.Make<nClockShaderBlock>(); }, {0, 0, 0, 1}},
        {"Viewport has no value", [](T& t) { return t.Make<nViewportShaderBlock>(); }, {0, 0, 0, 0}},
    };
    for (const Case& c : cases)
    {
        bool evaluated = false;
        const nRaytracerShaderValue value = Evaluate(c.build(*this), &evaluated);
        EXPECT_TRUE(evaluated) << c.name;
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(value.vector[i], c.expected[i], 1e-5f) << c.name << ", component " << i;
    }
}

TEST_F(RaytracerBlocksTest, ChannelsFallBackWithoutAMapAndDeepTreesFail)
{
    EXPECT_EQ(raytracer->EvaluateChannel(hit, 9).r, -1.0f);
    MaterialOf(wall).SetShaderMap(nullptr);
    const nMaterial* material = hit.material;
    ASSERT_EQ(material, &MaterialOf(wall));
    const nColor channels[] = {raytracer->EvaluateChannel(hit, 0), raytracer->EvaluateChannel(hit, 1),
                               raytracer->EvaluateChannel(hit, 2), raytracer->EvaluateChannel(hit, 7),
                               raytracer->EvaluateChannel(hit, 9)};
    EXPECT_EQ(channels[0].r, -1.0f);
    EXPECT_EQ(channels[1].b, 1.0f);
    EXPECT_EQ(channels[2].g, 0.25f);
    EXPECT_EQ(channels[3].r, 1.0f);
    for (float component : {channels[4].r, channels[4].g, channels[4].b, channels[4].a})
        EXPECT_EQ(component, -1.0f);

    // A chain deeper than the evaluator goes fails as a whole.
    nShaderBlock* chain = Colour(1, 1, 1, 1);
    for (uint32_t i = 0; i < nRaytracer::MaxShaderDepth; ++i)
        chain = Connect<nNormalizeOperatorShaderBlock>({chain});
    bool evaluated = true;
    Evaluate(chain, &evaluated);
    EXPECT_FALSE(evaluated);
}

} // namespace
