#include "render/nNullRenderer.h"

#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTagValue.h"
#include "geometry/nTexture.h"

#include <gtest/gtest.h>

#include <tuple>

namespace
{
struct Viewport
{
    int32_t x, y, width, height;
    bool operator==(const Viewport&) const = default;
};

Viewport ViewportOf(const nRenderer& renderer)
{
    Viewport viewport{};
    renderer.GetViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    return viewport;
}
} // namespace

TEST(NullRenderer, OpensAndClosesKeepingTheOutputSize)
{
    nNullRenderer renderer(nullptr);
    EXPECT_EQ(ViewportOf(renderer), (Viewport{0, 0, 1, 1}));
    EXPECT_FALSE(renderer.IsOpen());
    EXPECT_TRUE(renderer.IsClosed());

    EXPECT_TRUE(renderer.Open(800, 600, 32, true, nullptr));
    EXPECT_EQ(ViewportOf(renderer), (Viewport{0, 0, 800, 600}));
    EXPECT_TRUE(renderer.IsOpen());
    EXPECT_FALSE(renderer.IsClosed());
    uint32_t width = 0, height = 0;
    renderer.GetOutputSize(width, height);
    EXPECT_EQ(width, 800u);
    EXPECT_EQ(height, 600u);

    EXPECT_TRUE(renderer.Resize(640, 480));
    EXPECT_EQ(ViewportOf(renderer), (Viewport{0, 0, 640, 480}));
    renderer.Close();
    EXPECT_FALSE(renderer.IsOpen());
    EXPECT_TRUE(renderer.IsClosed());
}

TEST(NullRenderer, NamesItselfAndSetsNothingUp)
{
    nNullRenderer renderer(nullptr);
    EXPECT_STREQ(renderer.GetName(), "Null Renderer.");
    EXPECT_STREQ(renderer.GetDescription(), "A null renderer that renders nothing.");
    EXPECT_STREQ(renderer.GetVersion(), "0.0");
    EXPECT_EQ(renderer.GetMaxBatchVertexCount(), 16384u);
    EXPECT_TRUE(renderer.BeginFrame());
    EXPECT_EQ(renderer.SetupTexture(nullptr), nullptr);
    EXPECT_EQ(renderer.SetupGeometry(nullptr), nullptr);
    EXPECT_EQ(renderer.SetupMaterial(nullptr), nullptr);
    EXPECT_EQ(renderer.LoadTexture("a.dds"), nullptr);
    EXPECT_EQ(renderer.GetWindowHandle(), nullptr);
}

TEST(NullRenderer, FogRepairsItsDistances)
{
    nNullRenderer renderer(nullptr);
    const nColor red(1.0f, 0.0f, 0.0f, 1.0f);
    renderer.SetFog(true, &red, 2.0f, 8.0f);

    renderer.SetFog(true, nullptr, 0.0005f, 10.0f);
    EXPECT_TRUE(renderer.IsFogEnabled());
    EXPECT_FLOAT_EQ(renderer.GetFogNear(), 2.0f);
    EXPECT_FLOAT_EQ(renderer.GetFogFar(), 10.0f);
    EXPECT_FLOAT_EQ(renderer.GetFogColour().r, 1.0f);

    renderer.SetFog(false, nullptr, 5.0f, 2.0f);
    EXPECT_FALSE(renderer.IsFogEnabled());
    EXPECT_FLOAT_EQ(renderer.GetFogNear(), 5.0f);
    EXPECT_FLOAT_EQ(renderer.GetFogFar(), 5.001f);
}

TEST(NullRenderer, TextureSizesArePowersOfTwoForAnySize)
{
    const std::tuple<uint32_t, bool, uint32_t> cases[] = {
        {0, true, 1},
        {1, true, 1},
        {1, false, 1},
        {100, true, 128},
        {100, false, 128},
        {90, false, 64},
        {6000, false, 4096},
        {6000, true, 8192},
        {0xFFFFFFFFu, false, 4096},
        {0xFFFFFFFFu, true, 0x80000000u},
        {0x80000001u, true, 0x80000000u},
    };
    for (const auto& [size, exact, expected] : cases)
        EXPECT_EQ(nRenderer::ComputeTextureSize(size, exact), expected)
            << size << (exact ? " exact" : " nearest");
}

TEST(NullRenderer, HearsEveryChangeOfItsRegistry)
{
    class ListeningRenderer : public nNullRenderer
    {
    public:
        using nNullRenderer::nNullRenderer;
        int32_t OnRegistryMessage(nRegistryMessage message, const char* keyPath) override
        {
            heard.push_back({message, keyPath});
            return 0;
        }
        std::vector<std::pair<nRegistryMessage, std::string>> heard;
    };
    ListeningRenderer renderer(nullptr);
    nMetaTagValue value;
    value.SetInt(3);
    renderer.GetRegistry().SetKey("Shader:Enable", &value);
    ASSERT_EQ(renderer.heard.size(), 1u);
    EXPECT_EQ(renderer.heard[0].first, RegistryKeyChanged);
    EXPECT_EQ(renderer.heard[0].second, "Shader:Enable");
}

TEST(NullRenderer, SettingsSnapshotRoundTripsAndRefusesAnotherRenderer)
{
    nNullRenderer renderer(nullptr);
    nMetaTagValue value;
    value.SetInt(2);
    renderer.GetRegistry().SetKey("Texture:Filtering:Sample", &value);
    nMetaTag* snapshot = renderer.SerializeSettings();
    ASSERT_NE(snapshot, nullptr);
    EXPECT_EQ(snapshot->GetName(), "Null Renderer.");
    ASSERT_NE(snapshot->GetTag("Version"), nullptr);

    nNullRenderer other(nullptr);
    EXPECT_TRUE(other.ParseSettings(snapshot));
    EXPECT_FLOAT_EQ(other.GetRegistry().GetFloat("Texture:Filtering:Sample", 0.0f), 2.0f);
    EXPECT_EQ(other.GetRegistry().GetTypedTag("Version", TagTypeString), nullptr);

    nMetaTag foreign("EGL Renderer");
    EXPECT_FALSE(other.ParseSettings(&foreign));
    EXPECT_FLOAT_EQ(other.GetRegistry().GetFloat("Texture:Filtering:Sample", 0.0f), 2.0f);
    delete snapshot;
}

TEST(NullRenderer, OutputSizeIsTheOutputTexturesWhileOneIsSet)
{
    nNullRenderer renderer(nullptr);
    renderer.Open(800, 600, 32, true, nullptr);
    const nSharedPtr<nTexture> texture(new nTexture(nullptr, 0, 0));
    ASSERT_TRUE(texture->Allocate(64, 32, PixelFormatBGRA8));
    renderer.SetOutputTexture(texture.Get());
    uint32_t width = 0, height = 0;
    renderer.GetOutputSize(width, height);
    EXPECT_EQ(width, 64u);
    EXPECT_EQ(height, 32u);
    renderer.SetOutputTexture(nullptr);
    renderer.GetOutputSize(width, height);
    EXPECT_EQ(width, 800u);
    EXPECT_EQ(height, 600u);
}
