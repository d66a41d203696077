#include "PictureTestSupport.h"

#include "core/math/nColor.h"
#include "core/picture/nPictureBlend.h"
#include "core/picture/nPictureBlit.h"
#include "core/picture/nPictureResample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace
{

// A picture whose pixel (x, y) holds the word 0xFF000000 | y << 8 | x.
nPicture Numbered(uint32_t width, uint32_t height, const nPixelFormat& format = PixelFormatBGRA8)
{
    nPicture picture(width, height, format);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t word = 0xFF000000u | y << 8 | x;
            std::memcpy(picture.GetPixelAddress(x, y), &word, 4);
        }
    return picture;
}

TEST(PictureFill, FillsWholePicturesAndClippedRectangles)
{
    nPicture picture(3, 2, PixelFormatBGRA8);
    ASSERT_TRUE(picture.Fill(1, 0, 0, 1));
    EXPECT_EQ(PixelWord(picture, 2, 1), 0xFFFF0000u); // bytes 00 00 FF FF
    ASSERT_TRUE(picture.Fill(0, 0, 1, 0.5f, nullptr, true));
    EXPECT_EQ(PixelWord(picture, 0, 0), 0xFF0000FFu); // alpha kept
    const nRect partlyOutside{2, -5, 10, 1};
    ASSERT_TRUE(picture.Fill(0, 1, 0, 1, &partlyOutside));
    EXPECT_EQ(PixelWord(picture, 2, 0), 0xFF00FF00u);
    EXPECT_EQ(PixelWord(picture, 1, 0), 0xFF0000FFu);
    EXPECT_EQ(PixelWord(picture, 2, 1), 0xFF0000FFu);

    const nRect empty{1, 1, 1, 2}, outside{5, 5, 9, 9};
    EXPECT_FALSE(picture.Fill(0, 0, 0, 0, &empty));
    EXPECT_FALSE(picture.Fill(0, 0, 0, 0, &outside));
    nPicture rgba(1, 1, PixelFormatRGBA8);
    rgba.Fill(1, 0.5f, 0, 2.0f); // out-of-range values stay within their byte
    EXPECT_EQ(PixelBytes(rgba), (std::vector<uint8_t>{255, 127, 0, 255}));
}

TEST(PictureFill, OtherDepthsAreRefused)
{
    PictureLog log;
    nPicture picture(2, 2, PixelFormatRGB565);
    EXPECT_FALSE(picture.Fill(1, 1, 1, 1));
    EXPECT_EQ(picture.PackColor(1, 1, 1, 1), 0u);
    EXPECT_EQ(log.text, "[*] Unimplemented formatting.\n");
    nPicture empty;
    EXPECT_FALSE(empty.Fill(1, 1, 1, 1));
}

TEST(PictureExpand, GrowsAndCropsEachSide)
{
    nPicture picture = Numbered(2, 2);
    const nColor red(1, 0, 0, 1);
    ASSERT_TRUE(picture.Expand(-2, 0, 2, 0, &red));
    ASSERT_EQ(picture.GetWidth(), 6u);
    ASSERT_EQ(picture.GetHeight(), 2u);
    EXPECT_EQ(PixelWord(picture, 1, 0), 0xFFFF0000u);
    EXPECT_EQ(PixelWord(picture, 2, 1), 0xFF000100u);
    EXPECT_EQ(PixelWord(picture, 5, 1), 0xFFFF0000u);

    nPicture large = Numbered(6, 6);
    ASSERT_TRUE(large.Expand(2, 2, -2, -2));
    ASSERT_EQ(large.GetWidth(), 2u);
    EXPECT_EQ(PixelWord(large, 0, 0), 0xFF000202u);
    EXPECT_EQ(PixelWord(large, 1, 1), 0xFF000303u);

    nPicture top = Numbered(1, 1);
    ASSERT_TRUE(top.Expand(0, -1, 0, 0));
    EXPECT_EQ(PixelWord(top, 0, 0), 0xFF000000u); // default colour: opaque black
    EXPECT_EQ(PixelWord(top, 0, 1), 0xFF000000u);

    PictureLog log;
    nPicture tiny = Numbered(2, 2);
    EXPECT_FALSE(tiny.Expand(2, 0, 0, 0));
    EXPECT_EQ(log.text, "[!] Failed to allocate destination buffer.\n");
    EXPECT_EQ(tiny.GetWidth(), 2u);
}

TEST(PictureFlip, HorizontalVerticalAndBoth)
{
    struct Case
    {
        bool horizontal, vertical;
        uint32_t firstPixel;
    } cases[] = {{true, false, 0xFF000002},
                 {false, true, 0xFF000100},
                 {true, true, 0xFF000102},
                 {false, false, 0xFF000000}};
    for (const Case& c : cases)
    {
        nPicture picture = Numbered(3, 2);
        ASSERT_TRUE(picture.Flip(c.horizontal, c.vertical));
        EXPECT_EQ(PixelWord(picture, 0, 0), c.firstPixel);
    }
    nPicture grey(1, 1, PixelFormatBGR8);
    EXPECT_FALSE(grey.Flip(true, false));
}

TEST(PictureGrey, AveragesTheColourBytesAndKeepsAlpha)
{
    nPicture picture;
    MakePicture(picture, 1, 1, PixelFormatARGB8, {7, 10, 20, 31});
    ASSERT_TRUE(picture.ToGrey());
    EXPECT_EQ(PixelBytes(picture), (std::vector<uint8_t>{7, 20, 20, 20}));
    nPicture empty;
    EXPECT_FALSE(empty.ToGrey());
}

TEST(PictureSimilar, MeanAbsoluteDifferenceAgainstTheTolerance)
{
    nPicture black(2, 2, PixelFormatBGRA8), white(2, 2, PixelFormatBGRA8);
    black.Fill(0, 0, 0, 1);
    white.Fill(1, 1, 1, 1);
    EXPECT_TRUE(black.IsSimilar(black, 0.0f));
    EXPECT_FALSE(black.IsSimilar(white, 0.5f)); // darker is not "similar" just because the sum is negative
    EXPECT_TRUE(black.IsSimilar(white, 0.75f));
    nPicture other(2, 3, PixelFormatBGRA8);
    EXPECT_FALSE(black.IsSimilar(other, 1.0f));
}

TEST(PictureBlend, OverCompositing)
{
    for (uint32_t d : {0u, 90u, 255u})
        for (uint32_t t : {0u, 128u, 255u})
        {
            const uint32_t opaque = PictureBlendAlpha(255, t);
            EXPECT_EQ(opaque, 255u);
            EXPECT_EQ(PictureBlendChannel(40, 255, d, t, opaque), 40u);
            const uint32_t clear = PictureBlendAlpha(0, t);
            EXPECT_EQ(clear, t);
            EXPECT_EQ(PictureBlendChannel(40, 0, d, t, clear), t ? d : 0u);
        }
}

TEST(PictureBlit, ClipsAtTheDestinationEdge)
{
    nPicture source = Numbered(10, 10);
    nPicture destination(100, 100, PixelFormatBGRA8);
    const nRect at{95, 0, 0, 0};
    ASSERT_TRUE(PictureBlit(source, destination, nullptr, &at, PictureBlitCopy));
    EXPECT_EQ(PixelWord(destination, 95, 0), 0xFF000000u);
    EXPECT_EQ(PixelWord(destination, 99, 9), 0xFF000904u);
    EXPECT_EQ(PixelWord(destination, 94, 0), 0u);
    EXPECT_EQ(PixelWord(destination, 95, 10), 0u);
}

TEST(PictureBlit, ClipsSourceRectanglesAndNegativeDestinations)
{
    nPicture source = Numbered(4, 4);
    nPicture destination(4, 4, PixelFormatBGRA8);
    const nRect sourceRect{-2, 1, 3, 9}, at{-1, 0, 0, 0};
    // The requested corner (-2, 1) lands on (-1, 0): source column 0 lands on column 1.
    ASSERT_TRUE(PictureBlit(source, destination, &sourceRect, &at, PictureBlitCopy));
    EXPECT_EQ(PixelWord(destination, 0, 0), 0u);
    EXPECT_EQ(PixelWord(destination, 1, 0), 0xFF000100u);
    EXPECT_EQ(PixelWord(destination, 3, 2), 0xFF000302u);

    const nRect farAway{50, 50, 0, 0}, outside{10, 10, 20, 20};
    EXPECT_FALSE(PictureBlit(source, destination, nullptr, &farAway, PictureBlitCopy));
    EXPECT_FALSE(PictureBlit(source, destination, &outside, nullptr, PictureBlitCopy));
    nPicture empty;
    EXPECT_FALSE(PictureBlit(empty, destination, nullptr, nullptr, PictureBlitCopy));
}

TEST(PictureBlit, ModesAndFormats)
{
    nPicture source(1, 1, PixelFormatRGBA8);
    source.Fill(0.2f, 0.4f, 0.6f, 0.0f);
    nPicture destination(1, 1, PixelFormatBGRA8);
    destination.Fill(1, 1, 1, 1);
    ASSERT_TRUE(PictureBlit(source, destination, nullptr, nullptr, PictureBlitOver));
    EXPECT_EQ(PixelWord(destination, 0, 0), 0xFFFFFFFFu); // transparent source: nothing changes
    EXPECT_TRUE(destination.GetFormat() == PixelFormatBGRA8);

    ASSERT_TRUE(PictureBlit(source, destination, nullptr, nullptr, PictureBlitAlphaFromColour));
    EXPECT_EQ(PixelWord(destination, 0, 0), 0x66FFFFFFu); // (51 + 102 + 153) / 3

    ASSERT_TRUE(PictureBlit(source, destination, nullptr, nullptr, 5)); // unknown mode: nothing
    EXPECT_EQ(PixelWord(destination, 0, 0), 0x66FFFFFFu);

    ASSERT_TRUE(PictureBlit(source, destination, nullptr, nullptr, PictureBlitCopy));
    EXPECT_EQ(PixelWord(destination, 0, 0), 0x00336699u); // converted back to BGRA8

    nPicture rgb(2, 1, PixelFormatRGB24);
    EXPECT_FALSE(PictureBlit(rgb, destination, nullptr, nullptr, PictureBlitOver));
}

TEST(PictureBlit, BetweenFormatsOnlyTheBlittedRectangleChanges)
{
    struct Case
    {
        const char* name;
        nPixelFormat destinationFormat;
        nPixelFormat sourceFormat;
        std::vector<uint8_t> sourcePixel;
        uint32_t blitted;
    } cases[] = {
        // Through RGB24 the untouched pixels would lose their alpha.
        {"alpha kept", PixelFormatBGRA8, PixelFormatRGB24, {0x10, 0x20, 0x30}, 0xFF102030},
        // Through RGB565 they would lose their low bits.
        {"low bits kept", PixelFormatBGRA8, PixelFormatRGB565, {0x1F, 0xF8}, 0xFFF800F8},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        nPicture destination = Numbered(3, 3, c.destinationFormat);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 3; ++x)
                destination.GetPixelAddress(x, y)[3] = uint8_t(0x40 + y * 3 + x);
        const nPicture before(destination);
        nPicture source;
        MakePicture(source, 1, 1, c.sourceFormat, c.sourcePixel);
        const nRect at{1, 1, 0, 0};
        ASSERT_TRUE(PictureBlit(source, destination, nullptr, &at, PictureBlitCopy));
        EXPECT_TRUE(destination.GetFormat() == c.destinationFormat);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 3; ++x)
                EXPECT_EQ(PixelWord(destination, x, y),
                          x == 1 && y == 1 ? c.blitted : PixelWord(before, x, y))
                    << x << "," << y;
    }
}

TEST(PictureBlit, WithinOnePictureRowsMoveDownIntact)
{
    nPicture picture = Numbered(1, 4);
    const nRect at{0, 1, 0, 0};
    ASSERT_TRUE(PictureBlit(picture, picture, nullptr, &at, PictureBlitCopy));
    EXPECT_EQ(PixelWord(picture, 0, 1), 0xFF000000u);
    EXPECT_EQ(PixelWord(picture, 0, 3), 0xFF000200u);
}

TEST(PictureDraw, PixelsAreCompositedOnlyInsideThePictureAndTheClip)
{
    nPicture picture(4, 4, PixelFormatRGBA8);
    ASSERT_TRUE(picture.SetPixel(1.5f, 2.9f, 1, 0, 0, 1));
    EXPECT_EQ(PixelWord(picture, 1, 2), 0xFF0000FFu);
    nPicture bgra(4, 4, PixelFormatBGRA8);
    ASSERT_TRUE(bgra.SetPixel(0, 0, 1, 0, 0, 1));
    EXPECT_EQ(PixelWord(bgra, 0, 0), 0xFFFF0000u); // red stays red in BGRA8
    EXPECT_FALSE(picture.SetPixel(-0.5f, 0, 1, 1, 1, 1));
    EXPECT_FALSE(picture.SetPixel(4.0f, 0, 1, 1, 1, 1));
    const nRectF clip{0, 0, 2, 2};
    EXPECT_FALSE(picture.SetPixel(3, 3, 1, 1, 1, 1, &clip));

    ASSERT_TRUE(picture.PlotAntialiased(3.5f, 3.5f, 0, 1, 0, 1)); // neighbours beyond the edge are skipped
    EXPECT_EQ(PixelWord(picture, 3, 3), 0x3F00FF00u);
    EXPECT_FALSE(picture.PlotAntialiased(1.5f, 1.5f, 0, 1, 0, 1, &clip)); // needs room for the +1 neighbours
}

TEST(PictureDraw, LinesPlotUpToButNotIncludingTheirEnd)
{
    nPicture picture(6, 6, PixelFormatRGBA8);
    ASSERT_TRUE(picture.DrawLineAliased(0, 0, 4, 0, 1, 1, 1, 1));
    for (uint32_t x = 0; x < 6; ++x)
        EXPECT_EQ(PixelWord(picture, x, 0), x < 4 ? 0xFFFFFFFFu : 0u) << x;

    nPicture steep(6, 6, PixelFormatRGBA8);
    ASSERT_TRUE(steep.DrawLineAliased(2, 5, 2, 1, 1, 1, 1, 1));
    EXPECT_EQ(PixelWord(steep, 2, 1), 0xFFFFFFFFu);
    EXPECT_EQ(PixelWord(steep, 2, 4), 0xFFFFFFFFu);
    EXPECT_EQ(PixelWord(steep, 2, 5), 0u);

    nPicture clipped(6, 6, PixelFormatRGBA8);
    const nRectF clip{2, 0, 4, 6};
    ASSERT_TRUE(clipped.DrawLineAliased(-1e9f, 3, 1e9f, 3, 1, 1, 1, 1, &clip)); // clipped, not walked
    EXPECT_EQ(PixelWord(clipped, 1, 3), 0u);
    EXPECT_EQ(PixelWord(clipped, 2, 3), 0xFFFFFFFFu);
    EXPECT_EQ(PixelWord(clipped, 3, 3), 0xFFFFFFFFu);
    EXPECT_EQ(PixelWord(clipped, 4, 3), 0u);

    nPicture smooth(6, 6, PixelFormatRGBA8);
    ASSERT_TRUE(smooth.DrawLine(0, 0.5f, 3, 0.5f, 1, 1, 1, 1));
    EXPECT_EQ(smooth.GetPixelAddress(1, 0)[3], 127);
    EXPECT_EQ(smooth.GetPixelAddress(1, 1)[3], 127);
    EXPECT_TRUE(smooth.DrawLine(NAN, 0, 1, 1, 1, 1, 1, 1) == false);
}

// Past 2^24 a float step of one no longer advances, so the walk must be counted in integers.
// The clip starts the walk just below 2^24 to keep the test short.
TEST(PictureDraw, LinesAcrossAPictureWiderThanFloatStepsEnd)
{
    const uint32_t width = (1u << 24) + 8;
    const float nearEnd = float(1u << 24) - 4.0f;
    nPicture wide(width, 1, PixelFormatRGBA8);
    ASSERT_NE(wide.GetPixels(), nullptr);
    const nRectF wideClip{nearEnd, 0, float(width), 1};
    ASSERT_TRUE(wide.DrawLineAliased(0, 0, float(width), 0, 1, 1, 1, 1, &wideClip));
    EXPECT_EQ(PixelWord(wide, width - 13, 0), 0u); // before the clip
    EXPECT_EQ(PixelWord(wide, width - 2, 0), 0xFFFFFFFFu);

    nPicture tall(1, width, PixelFormatRGBA8);
    ASSERT_NE(tall.GetPixels(), nullptr);
    const nRectF tallClip{0, nearEnd, 1, float(width)};
    ASSERT_TRUE(tall.DrawLineAliased(0, 0, 0, float(width), 1, 1, 1, 1, &tallClip));
    EXPECT_EQ(PixelWord(tall, 0, width - 2), 0xFFFFFFFFu);
}

TEST(PictureConvolution, KernelsRectanglesAndFailures)
{
    nPicture uniform(4, 4, PixelFormatBGRA8);
    uniform.Fill(0.4f, 0.2f, 0.6f, 1);
    const std::vector<int32_t> ones(9, 1);
    nPicture blurred(uniform);
    ASSERT_TRUE(blurred.ApplyConvolution(3, 3, ones.data()));
    EXPECT_TRUE(blurred.Equals(uniform));

    nPicture dot(3, 3, PixelFormatBGRA8);
    dot.GetPixelAddress(1, 1)[0] = 90;
    const nRect beyond{1, 1, 50, 50};
    ASSERT_TRUE(dot.ApplyConvolution(3, 3, ones.data(), &beyond));
    EXPECT_EQ(dot.GetPixelAddress(1, 1)[0], 10);
    EXPECT_EQ(dot.GetPixelAddress(2, 2)[0], 10);
    EXPECT_EQ(dot.GetPixelAddress(0, 0)[0], 0); // outside the rectangle

    PictureLog log;
    const int32_t edge[3] = {-1, 2, -1};
    EXPECT_FALSE(uniform.ApplyConvolution(0, 3, ones.data()));
    EXPECT_FALSE(uniform.ApplyConvolution(3, 1, edge));
    nPicture rgb(2, 2, PixelFormatRGB24);
    EXPECT_FALSE(rgb.ApplyConvolution(3, 3, ones.data()));
    EXPECT_EQ(log.text, "[!] Invalid kernel size (0x3).\n"
                        "[!] Convolution kernel values sum to 0.\n"
                        "[!] Cannot apply convolution filter to a non RGB32 picture.\n");
}

TEST(PictureResize, SizesAndFormats)
{
    struct Case
    {
        int32_t width, height;
        bool result;
        uint32_t newWidth, newHeight;
    } cases[] = {{-1, 50, true, 100, 50},  {50, -1, true, 50, 25},     {-1, -1, false, 200, 100},
                 {0, 10, false, 200, 100}, {400, 300, true, 400, 300}, {200, 100, true, 200, 100}};
    for (const Case& c : cases)
    {
        nPicture picture(200, 100, PixelFormatBGRA8);
        picture.Fill(0.5f, 0.25f, 1, 1);
        EXPECT_EQ(picture.Resize(c.width, c.height), c.result);
        EXPECT_EQ(picture.GetWidth(), c.newWidth);
        EXPECT_EQ(picture.GetHeight(), c.newHeight);
        EXPECT_EQ(PixelWord(picture, c.newWidth - 1, c.newHeight - 1), 0xFF7F3FFFu); // colour and alpha kept
    }
    nPicture floats(2, 2, PixelFormatRGB32F);
    ASSERT_TRUE(floats.Resize(4, 4));
    EXPECT_TRUE(floats.GetFormat() == PixelFormatRGB32F);
    nPicture rgb(2, 2, PixelFormatRGB24);
    EXPECT_FALSE(rgb.Resize(4, 4));
    nPicture empty;
    EXPECT_FALSE(empty.Resize(-1, 5));
}

TEST(PictureShrink, AveragesTheFootprint)
{
    nPicture picture;
    MakePicture(picture, 4, 1, PixelFormatRGBA8,
                {0, 0, 0, 255, 100, 0, 0, 255, 200, 0, 0, 255, 40, 0, 0, 255});
    nPicture half(picture);
    ASSERT_TRUE(half.Shrink(2, 1));
    EXPECT_EQ(PixelBytes(half), (std::vector<uint8_t>{50, 0, 0, 255, 120, 0, 0, 255}));

    nPicture three(picture);
    ASSERT_TRUE(three.Shrink(3, 1));                // footprints of 4/3 pixels
    EXPECT_EQ(three.GetPixelAddress(0, 0)[0], 25);  // (0 + 100/3) * 3/4
    EXPECT_EQ(three.GetPixelAddress(1, 0)[0], 150); // (100 * 2/3 + 200 * 2/3) * 3/4

    nPicture larger(picture);
    ASSERT_TRUE(larger.Shrink(8, 2));
    EXPECT_EQ(larger.GetWidth(), 8u);
}

TEST(PictureBlitScaled, CoversTheRectangleAndMixesItsEdges)
{
    nPicture source(2, 2, PixelFormatRGBA8);
    source.Fill(1, 1, 1, 1);
    nPicture destination(4, 4, PixelFormatBGRA8);
    ASSERT_TRUE(nPicture::BlitScaled(source, destination, {0.5f, 0.5f, 2.5f, 2.5f}));
    EXPECT_EQ(PixelWord(destination, 1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(PixelWord(destination, 0, 0), 0x3F3F3F3Fu); // a quarter covered
    EXPECT_EQ(PixelWord(destination, 1, 0), 0x7F7F7F7Fu); // half covered
    EXPECT_EQ(PixelWord(destination, 3, 3), 0u);
    EXPECT_FALSE(nPicture::BlitScaled(source, destination, {10, 10, 20, 20}));
    EXPECT_FALSE(nPicture::BlitScaled(source, destination, {2, 2, 1, 1}));
}

TEST(PictureResample, BicubicKeepsUniformPicturesAndPixelsOnTheGrid)
{
    std::vector<uint8_t> pixels(4 * 2 * 3);
    std::iota(pixels.begin(), pixels.end(), uint8_t(10));
    nAutoArray<uint8_t> same(MemCategoryGeneral);
    ASSERT_TRUE(PictureResampleBicubic(pixels.data(), 4, 2, 4, 2, same));
    EXPECT_EQ(std::vector<uint8_t>(same.GetData(), same.GetData() + same.GetCount()), pixels);

    const std::vector<uint8_t> grey(5 * 5 * 3, 77);
    nAutoArray<uint8_t> scaled(MemCategoryGeneral);
    ASSERT_TRUE(PictureResampleBicubic(grey.data(), 5, 5, 3, 8, scaled));
    ASSERT_EQ(scaled.GetCount(), 3u * 8 * 3);
    for (uint32_t i = 0; i < scaled.GetCount(); ++i)
        EXPECT_EQ(*scaled.At(i), 77);
    EXPECT_FALSE(PictureResampleBicubic(grey.data(), 5, 5, 0, 8, scaled));
}

} // namespace
