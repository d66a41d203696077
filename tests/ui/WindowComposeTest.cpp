#include "ui/Scene2DFixture.h"

#include "geometry/nTexture.h"
#include "render/nRenderTexture.h"

#include <cmath>
#include <string>

namespace
{
constexpr uint32_t SkinBackground = 0xFF332211u; // red 0x11 in the low byte
constexpr uint32_t InteriorColour = 0x00112233u; // the same colour as a BGRA8 pixel, without alpha

// Skin part p is an opaque picture whose pixel (x, y) reads 0xFF, p + 1, x, y from the top byte.
uint32_t SkinPixel(uint32_t part, uint32_t x, uint32_t y)
{
    return 0xFF000000u | ((part + 1) << 16) | (x << 8) | y;
}

class WindowCompose : public Scene2DFixture
{
protected:
    void SetSkin(uint32_t side, int32_t titleHeight = 8)
    {
        std::string names[Scene2DSkinPartCount];
        const char* paths[Scene2DSkinPartCount];
        for (uint32_t part = 0; part < Scene2DSkinPartCount; ++part)
        {
            names[part] = "skin" + std::to_string(side) + "_" + std::to_string(part) + ".tga";
            paths[part] = names[part].c_str();
            WritePicture(names[part], side, side,
                         [part](uint32_t x, uint32_t y) { return SkinPixel(part, x, y); });
        }
        ASSERT_TRUE(scene->SetSkin(paths, SkinBackground, 0xFFFFFFFFu, 2, titleHeight, 16, "Default"));
    }
    uint32_t Pixel(nWindow* window, uint32_t x, uint32_t y)
    {
        return *reinterpret_cast<const uint32_t*>(window->GetCacheTexture()->GetPixelAddress(x, y));
    }
    uint32_t Alpha(nWindow* window, uint32_t x, uint32_t y) { return Pixel(window, x, y) >> 24; }
};
} // namespace

TEST_F(WindowCompose, TheCacheIsTheNextPowerOfTwoAndOnlyGrows)
{
    nWindow* window = AddWindow("w", 0, 0, 310, 200);
    nTexture* cache = window->GetCacheTexture();
    EXPECT_EQ(cache->GetWidth(), 512u);
    EXPECT_EQ(cache->GetHeight(), 256u);
    window->SetSize(600, 200);
    EXPECT_EQ(cache->GetWidth(), 1024u);
    EXPECT_EQ(cache->GetHeight(), 256u);
    window->SetSize(310, 200);
    EXPECT_EQ(cache->GetWidth(), 1024u);
    EXPECT_EQ(window->GetWidth(), 310.0f);

    log.text.clear();
    window->SetSize(1.0e30f, std::nanf(""));
    EXPECT_EQ(cache->GetWidth(), nWindow::MaxCacheSide);
    EXPECT_EQ(cache->GetHeight(), 1u);
    EXPECT_EQ(window->GetHeight(), 1.0f);
    EXPECT_NE(log.text.find("[*] Window 'w' is larger than its cache can be"), std::string::npos);
    EXPECT_NE(log.text.find("[*] 2D item 'w' was given a size that is not a number; 1 is used.\n"),
              std::string::npos);
}

TEST_F(WindowCompose, ASkinPlacesCornersTilesEdgesAndFillsTheInterior)
{
    SetSkin(8);
    nWindow* window = AddWindow("w", 0, 0, 64, 40);
    window->Draw(nullptr);
    EXPECT_EQ(Pixel(window, 0, 0), SkinPixel(4, 0, 0));
    EXPECT_EQ(Pixel(window, 63, 7), SkinPixel(5, 7, 7));
    EXPECT_EQ(Pixel(window, 1, 33), SkinPixel(6, 1, 1));
    EXPECT_EQ(Pixel(window, 60, 39), SkinPixel(7, 4, 7));
    EXPECT_EQ(Pixel(window, 8 + 19, 3), SkinPixel(0, 3, 3));
    EXPECT_EQ(Pixel(window, 8 + 40, 38), SkinPixel(3, 0, 6));
    EXPECT_EQ(Pixel(window, 2, 8 + 13) & 0xFFFFFFu, SkinPixel(1, 2, 5) & 0xFFFFFFu);
    EXPECT_EQ(Pixel(window, 57, 8 + 9) & 0xFFFFFFu, SkinPixel(2, 1, 1) & 0xFFFFFFu);
    EXPECT_EQ(Pixel(window, 30, 20) & 0xFFFFFFu, InteriorColour);

    // The 24 rows below the corner fade over 16 rows and come back over 8.
    EXPECT_EQ(Alpha(window, 30, 8), 254u);
    EXPECT_EQ(Alpha(window, 2, 8), 254u);
    EXPECT_EQ(Alpha(window, 30, 23), 218u);
    EXPECT_EQ(Alpha(window, 30, 24), 216u);
    EXPECT_EQ(Alpha(window, 30, 31), 249u);
    EXPECT_EQ(Alpha(window, 30, 32), 255u);
}

TEST_F(WindowCompose, ShadingDarkensTheTenRowsAboveTheBottomOfTheTitleBand)
{
    SetSkin(8);
    nWindow* small = AddWindow("small", 0, 0, 64, 40);
    small->Draw(nullptr);
    small->SetShaded(true);
    const uint32_t expected8[] = {205, 180, 155, 130, 105, 80, 55, 30};
    for (uint32_t row = 0; row < 8; ++row)
        EXPECT_EQ(Alpha(small, 20, row), expected8[row]) << row;
    EXPECT_EQ(small->GetRect().y1, 8);
    small->SetShaded(false);
    EXPECT_TRUE(small->HasFlag(SpriteFlagComposePending));

    SetSkin(16);
    nWindow* large = AddWindow("large", 0, 0, 100, 60);
    large->Draw(nullptr);
    large->SetShaded(true);
    const uint32_t expected16[] = {255, 230, 205, 180, 155, 130, 105, 80, 55, 30};
    EXPECT_EQ(Alpha(large, 40, 5), 255u);
    for (uint32_t row = 0; row < 10; ++row)
        EXPECT_EQ(Alpha(large, 40, 6 + row), expected16[row]) << row;
}

TEST_F(WindowCompose, AWindowSmallerThanItsCornersStaysInsideItsCache)
{
    SetSkin(8);
    nWindow* window = AddWindow("tiny", 0, 0, 4, 4);
    window->Draw(nullptr);
    EXPECT_EQ(window->GetCacheTexture()->GetWidth(), 4u);
    // The bottom-right corner, placed last, covers the whole window from (-4, -4).
    EXPECT_EQ(Pixel(window, 0, 0), SkinPixel(7, 4, 4));
    EXPECT_EQ(Pixel(window, 3, 3), SkinPixel(7, 7, 7));
    window->SetShaded(true);
}

TEST_F(WindowCompose, WithoutACompleteSkinOrWithNoDecorationTheBackgroundColourFills)
{
    nWindow* window = AddWindow("w", 0, 0, 30, 20);
    window->SetBackgroundColor(1.0f, 0.0f, 0.0f, 0.5f);
    window->Draw(nullptr);
    EXPECT_EQ(Pixel(window, 5, 5), 0x80FF0000u);
    SetSkin(8);
    window->AddStyle(StyleNoDecoration);
    window->Invalidate();
    window->Draw(nullptr);
    EXPECT_EQ(Pixel(window, 0, 0), 0x80FF0000u);
}

TEST_F(WindowCompose, ABackgroundPictureIsCopiedAndDropsTheDecoration)
{
    WritePicture("back.tga", 10, 6, [](uint32_t x, uint32_t y) { return 0xFF000000u | (x << 8) | y; });
    nWindow* window = AddWindow("w", 0, 0, 16, 16);
    ASSERT_TRUE(window->SetBackgroundPicture("back.tga"));
    EXPECT_TRUE(window->HasStyle(StyleNoDecoration));
    EXPECT_FALSE(window->HasTitle());
    window->Draw(nullptr);
    EXPECT_EQ(Pixel(window, 9, 5), 0xFF000905u);
    EXPECT_EQ(Pixel(window, 10, 5), 0u);
    EXPECT_FALSE(window->SetBackgroundPicture("missing.tga"));
    EXPECT_EQ(window->GetBackgroundPicture(), nullptr);
}

TEST_F(WindowCompose, WidgetsDrawInsideTheBordersAndTheUploadFollowsTheComposition)
{
    nSharedPtr<nRenderTexture> data(new nRenderTexture(&renderer));
    renderer.nextTextureData = data.Get();
    SetSkin(8, 10);
    nWindow* window = AddWindow("w", 0, 0, 64, 40);
    auto* widget = new FlatWidget(scene, 1, 0xFF0000FFu);
    window->SetBaseWidget(widget);
    scene->Render(true);
    EXPECT_EQ(widget->GetRect().x0, 8);
    EXPECT_EQ(widget->GetRect().y0, 14);
    EXPECT_EQ(widget->GetRect().x1, 56);
    EXPECT_EQ(widget->GetRect().y1, 32);
    EXPECT_EQ(Pixel(window, 8, 14), 0xFF0000FFu);
    EXPECT_NE(Pixel(window, 7, 14), 0xFF0000FFu);
    ASSERT_EQ(renderer.uploads.size(), 1u);
    EXPECT_EQ(renderer.uploads[0].texture, data.Get());
    EXPECT_EQ(renderer.uploads[0].width, 64u);

    // Nothing is composed or uploaded again until the tree is dirty.
    scene->Render(true);
    EXPECT_EQ(widget->draws, 1);
    EXPECT_EQ(renderer.uploads.size(), 1u);
    widget->Invalidate();
    scene->Render(true);
    EXPECT_EQ(widget->draws, 2);
    EXPECT_EQ(renderer.uploads.size(), 2u);

    // Without a title the widget has the whole window.
    window->AddStyle(StyleNoTitleBar);
    window->Invalidate();
    window->Draw(nullptr);
    EXPECT_EQ(widget->GetRect().x0, 0);
    EXPECT_EQ(widget->GetRect().y1, 40);
}
