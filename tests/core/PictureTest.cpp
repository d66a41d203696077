#include "PictureTestSupport.h"

#include "core/base/nMemory.h"
#include "core/base/nSharedPtr.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

TEST(PixelFormat, ShiftsAndWidthsComeFromTheMasks)
{
    EXPECT_EQ(PixelFormatRGB565.redShift, 11);
    EXPECT_EQ(PixelFormatRGB565.greenWidth, 6);
    EXPECT_EQ(PixelFormatBGR8.alphaShift, 32); // no alpha
    EXPECT_EQ(PixelFormatBGR8.alphaWidth, 0);
    EXPECT_EQ(PixelFormatARGB8.blueShift, 24);
    EXPECT_FALSE(PixelFormatBGRA8 == PixelFormatRGBA8);
    nPixelFormat copy;
    copy.Set(1, 0xFF000000, 0xFF0000, 0xFF00, 0xFF, 32, 0);
    EXPECT_TRUE(copy == PixelFormatBGRA8);
}

TEST(Picture, FormatNames)
{
    struct Case
    {
        nPixelFormat format;
        const char* name;
    } cases[] = {
        {PixelFormatBGRA8, "B8G8R8A8"}, {PixelFormatRGBA8, "R8G8B8A8"},    {PixelFormatARGB8, "A8R8G8B8"},
        {PixelFormatBGR8, "B8G8R8"},    {PixelFormatRGB24, "R8G8B8"},      {PixelFormatRGB555, "B5G5R5"},
        {PixelFormatRGB565, "B5G6R5"},  {PixelFormatARGB4444, "B4G4R4A4"}, {PixelFormatNone, "NONE"},
    };
    for (const Case& c : cases)
    {
        nPicture picture;
        picture.SetSizeOnly(1, 1);
        if (c.format.id == 1)
            picture.Allocate(1, 1, c.format);
        EXPECT_EQ(picture.GetFormatName(), c.name);
    }
}

TEST(Picture, NewPicturesAreEmptyAndZeroSizesFailToAllocate)
{
    nPicture picture;
    EXPECT_FALSE(picture.HasPixels());
    EXPECT_EQ(picture.GetFormatName(), "NONE");
    PictureLog log;
    EXPECT_FALSE(picture.Allocate(0, 10, PixelFormatBGRA8));
    EXPECT_FALSE(picture.Allocate(100000, 100000, PixelFormatBGRA8)); // beyond the largest block
    EXPECT_EQ(log.text, "[!] Failed to allocate picture buffer (0x10@32bpp).\n"
                        "[!] Failed to allocate picture buffer (100000x100000@32bpp).\n");
    EXPECT_FALSE(picture.HasPixels());
}

TEST(Picture, APictureObjectCountsUnderThePictureCategory)
{
    const nMemCounters before = MemGetCounters(MemCategoryPicture);
    {
        const nSharedPtr<nPicture> picture(new nPicture());
        ASSERT_TRUE(picture);
        const nMemCounters held = MemGetCounters(MemCategoryPicture);
        EXPECT_EQ(held.liveCount, before.liveCount + 1);
        EXPECT_EQ(held.liveBytes, before.liveBytes + sizeof(nPicture));
        ASSERT_TRUE(picture->Allocate(2, 2, PixelFormatBGRA8));
        EXPECT_EQ(MemGetCounters(MemCategoryPicture).liveCount, before.liveCount + 2);
    }
    EXPECT_EQ(MemGetCounters(MemCategoryPicture).liveCount, before.liveCount);
    EXPECT_EQ(MemGetCounters(MemCategoryPicture).liveBytes, before.liveBytes);
}

TEST(Picture, ReallocatingTheSameSizeAndDepthKeepsThePixels)
{
    nPicture picture(2, 2, PixelFormatBGRA8);
    picture.GetPixels()[0] = 7;
    ASSERT_TRUE(picture.Allocate(2, 2, PixelFormatRGBA8));
    EXPECT_EQ(picture.GetPixels()[0], 7);
    EXPECT_TRUE(picture.GetFormat() == PixelFormatRGBA8);
    ASSERT_TRUE(picture.Allocate(3, 2, PixelFormatRGBA8));
    EXPECT_EQ(picture.GetPixels()[0], 0);
}

TEST(Picture, BorrowedBuffersAreNeverFreedByThePicture)
{
    uint8_t pixels[16] = {1};
    {
        nPicture picture;
        picture.SetBuffer(pixels, 2, 2, PixelFormatBGRA8, false);
        nPicture copy(picture);
        EXPECT_TRUE(copy.Equals(picture));
        EXPECT_NE(copy.GetPixels(), pixels);
        picture.Clear();
        EXPECT_FALSE(picture.HasPixels());
    }
    EXPECT_EQ(pixels[0], 1);
}

TEST(Picture, EqualsComparesFormatSizeAndBytes)
{
    nPicture a(2, 1, PixelFormatBGRA8), b(2, 1, PixelFormatBGRA8), wide(4, 1, PixelFormatBGRA8);
    EXPECT_TRUE(a.Equals(b));
    b.GetPixels()[5] = 1;
    EXPECT_FALSE(a.Equals(b));
    EXPECT_FALSE(a.Equals(wide));
    nPicture empty;
    EXPECT_FALSE(empty.Equals(empty));
}

TEST(Picture, SetFormatOnlyReinterpretsPixelsOfTheSameDepth)
{
    nPicture picture;
    MakePicture(picture, 1, 1, PixelFormatBGRA8, {1, 2, 3, 4});
    EXPECT_TRUE(picture.SetFormat(PixelFormatRGBA8));
    EXPECT_EQ(PixelBytes(picture), (std::vector<uint8_t>{1, 2, 3, 4}));
    PictureLog log;
    EXPECT_FALSE(picture.SetFormat(PixelFormatBGR8));
    EXPECT_EQ(log.text,
              "[!] (Picture::SetFormat) Target format requires a data conversion. See Convert().\n");
    EXPECT_TRUE(picture.GetFormat() == PixelFormatRGBA8);
}

// One pixel of red 0x80, green 0x40, blue 0x20, alpha 0x10 in every named packed format.
struct Sample
{
    nPixelFormat format;
    std::vector<uint8_t> bytes;
};

const Sample Samples[] = {
    {PixelFormatBGRA8, {0x20, 0x40, 0x80, 0x10}},
    {PixelFormatRGBA8, {0x80, 0x40, 0x20, 0x10}},
    {PixelFormatARGB8, {0x10, 0x80, 0x40, 0x20}},
    {PixelFormatBGR8, {0x20, 0x40, 0x80}},
    {PixelFormatRGB24, {0x80, 0x40, 0x20}},
    {PixelFormatRGB555, {0x04, 0x41}},   // 0x4104: r 16, g 8, b 4
    {PixelFormatRGB565, {0x04, 0x82}},   // 0x8204: r 16, g 16, b 4
    {PixelFormatARGB4444, {0x42, 0x18}}, // 0x1842: a 1, r 8, g 4, b 2
};

TEST(PictureConvert, EveryNamedFormatToEveryOther)
{
    for (const Sample& from : Samples)
        for (const Sample& to : Samples)
        {
            nPicture picture;
            MakePicture(picture, 1, 1, from.format, from.bytes);
            SCOPED_TRACE(picture.GetFormatName().GetText());
            ASSERT_TRUE(picture.Convert(to.format));
            SCOPED_TRACE(picture.GetFormatName().GetText());
            EXPECT_TRUE(picture.GetFormat() == to.format);
            std::vector<uint8_t> expected = to.bytes;
            // Alpha is full when the source has none; the 4-bit formats keep 0x10 as 1.
            const bool sourceAlpha = from.format.alphaWidth != 0;
            if (!sourceAlpha && to.format.alphaWidth == 8)
                expected[to.format.alphaShift / 8] = 0xFF;
            if (!sourceAlpha && to.format == PixelFormatARGB4444)
                expected[1] |= 0xF0;
            if (from.format == PixelFormatARGB4444 && to.format.alphaWidth == 8)
                expected[to.format.alphaShift / 8] = 0x10;
            EXPECT_EQ(PixelBytes(picture), expected);
        }
}

TEST(PictureConvert, NarrowChannelsWidenWithZeroLowBits)
{
    nPicture picture;
    MakePicture(picture, 1, 1, PixelFormatRGB565, {0xFF, 0xFF});
    ASSERT_TRUE(picture.Convert(PixelFormatBGRA8));
    EXPECT_EQ(PixelBytes(picture), (std::vector<uint8_t>{248, 252, 248, 255}));
}

TEST(PictureConvert, FloatPicturesTakeFloatTwoAsRed)
{
    nPicture picture(2, 1, PixelFormatRGB32F);
    const float values[6] = {0.25f, 0.5f, 1.5f, -1.0f, 0.0f, 1.0f};
    std::memcpy(picture.GetPixels(), values, sizeof(values));
    ASSERT_TRUE(picture.Convert(PixelFormatRGBA8));
    EXPECT_EQ(PixelBytes(picture), (std::vector<uint8_t>{255, 127, 63, 255, 255, 0, 0, 255}));
    ASSERT_TRUE(picture.Convert(PixelFormatRGB32F));
    float back[6];
    std::memcpy(back, picture.GetPixels(), sizeof(back));
    EXPECT_FLOAT_EQ(back[0], 63 / 255.0f);
    EXPECT_FLOAT_EQ(back[2], 1.0f);
}

TEST(PictureConvert, EdgeCases)
{
    nPicture picture(1, 1, PixelFormatBGRA8);
    EXPECT_TRUE(picture.Convert(PixelFormatBGRA8));
    EXPECT_TRUE(picture.Convert(PixelFormatNone));
    EXPECT_FALSE(picture.HasPixels());
    EXPECT_FALSE(picture.Convert(PixelFormatRGBA8)); // nothing to convert
    nPicture odd;
    odd.SetBuffer(new uint8_t[0], 0, 0, nPixelFormat::Make(0, 0x7, 0x38, 0xC0, 12), false);
    EXPECT_FALSE(odd.Convert(PixelFormatBGRA8));
    delete[] odd.GetPixels();
}

TEST(Picture, InvertTransparencyAndChecksum)
{
    nPicture picture;
    MakePicture(picture, 2, 1, PixelFormatBGRA8, {0, 10, 20, 255, 1, 2, 3, 255});
    EXPECT_FALSE(picture.HasTransparentPixel());
    picture.Invert(true, false, true, false);
    EXPECT_EQ(PixelBytes(picture), (std::vector<uint8_t>{255, 10, 235, 255, 254, 2, 252, 255}));
    picture.Invert(false, false, false, true);
    EXPECT_TRUE(picture.HasTransparentPixel());
    ASSERT_TRUE(picture.ComputeChecksum());
    EXPECT_EQ(picture.GetChecksum(), 0x00EB0AFFu + 0x00FC02FEu);

    nPicture nibbles;
    MakePicture(nibbles, 1, 1, PixelFormatARGB4444, {0x00, 0xE0}); // alpha 14 of 15
    EXPECT_TRUE(nibbles.HasTransparentPixel());
    nPicture opaque(1, 1, PixelFormatBGR8);
    EXPECT_FALSE(opaque.HasTransparentPixel());
    nPicture empty;
    EXPECT_FALSE(empty.ComputeChecksum());
}

TEST(PictureSample, BilinearPackedSamples)
{
    nPicture picture;
    MakePicture(picture, 2, 2, PixelFormatRGBA8,
                {0, 0, 0, 255, 200, 0, 0, 255, /* second row */ 0, 100, 0, 255, 200, 100, 0, 255});
    uint8_t out[4];
    picture.SamplePacked(0.0f, 0.0f, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{0, 0, 0, 255}));
    picture.SamplePacked(0.25f, 0.0f, out); // half way between the first two pixels
    EXPECT_EQ(out[0], 100);
    picture.SamplePacked(0.25f, 0.25f, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{100, 50, 0, 255}));
    picture.SamplePacked(1.0f, 1.0f, out); // the last pixel, repeated for its missing neighbours
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{200, 100, 0, 255}));
    picture.SamplePacked(-5.0f, NAN, out);
    EXPECT_EQ(out[0], 0);

    float colour[4];
    picture.SampleColor(1.0f, 0.0f, colour);
    EXPECT_NEAR(colour[0], 200 / 255.0f, 1e-6);
    nPicture bgra(picture);
    bgra.Convert(PixelFormatBGRA8);
    bgra.SampleColor(1.0f, 0.0f, colour);
    EXPECT_NEAR(colour[0], 200 / 255.0f, 1e-6); // red, whatever the byte order
}

TEST(PictureSample, EmptyPicturesSampleMagenta)
{
    nPicture empty;
    uint8_t out[4];
    empty.SamplePacked(0.5f, 0.5f, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{0xFF, 0, 0xFF, 0xFF}));
    float floats[4];
    EXPECT_EQ(empty.Sample(0.5f, 0.5f, floats), floats);
    EXPECT_EQ(std::vector<float>(floats, floats + 4), (std::vector<float>{1, 0, 1, 1}));
}

TEST(PictureSample, FloatPicturesSampleTheirThreeFloats)
{
    nPicture picture(2, 1, PixelFormatRGB32F);
    const float values[6] = {0.0f, 0.0f, 0.0f, 1.0f, 0.5f, 0.25f};
    std::memcpy(picture.GetPixels(), values, sizeof(values));
    float out[4];
    picture.SampleBilinear(0.25f, 0.0f, out);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
    EXPECT_FLOAT_EQ(out[2], 0.125f);
    picture.SampleColor(1.0f, 0.0f, out);
    EXPECT_FLOAT_EQ(out[0], 0.25f); // red is float 2
}

TEST(Picture, LerpColor)
{
    EXPECT_EQ(PictureLerpColor(0x00000000, 0xFFFFFFFF, 0.5f), 0x7F7F7F7Fu);
    EXPECT_EQ(PictureLerpColor(0x10203040, 0xFFFFFFFF, 0.0f), 0x10203040u);
    EXPECT_EQ(PictureLerpColor(0x10203040, 0xFFFFFFFF, 2.0f), 0xFFFFFFFFu);
}

} // namespace
