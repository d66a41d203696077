#include "PictureMemoryFile.h"
#include "PictureTestSupport.h"

#include "core/base/nAutoArray.h"
#include "core/picture/nTgaWriter.h"

#include <gtest/gtest.h>

namespace
{

std::vector<uint32_t> Words(const nPicture& picture)
{
    std::vector<uint32_t> words;
    for (uint32_t y = 0; y < picture.GetHeight(); ++y)
        for (uint32_t x = 0; x < picture.GetWidth(); ++x)
            words.push_back(PixelWord(picture, x, y));
    return words;
}

std::vector<uint32_t> Read(const std::vector<uint8_t>& file)
{
    nPicture picture;
    EXPECT_TRUE(ReadTgaBytes(picture, file));
    EXPECT_TRUE(picture.GetFormat() == PixelFormatBGRA8);
    return Words(picture);
}

TEST(TgaReader, BottomUpTwentyFourBitFileReadsTopRowFirstWithFullAlpha)
{
    // The file's first row (blue, green) is the picture's bottom row.
    const auto file = TgaFile({.width = 2, .height = 2, .depth = 24, .descriptor = 0},
                              {0xFF, 0, 0, 0, 0xFF, 0, /* top: */ 0, 0, 0xFF, 0x10, 0x20, 0x30});
    EXPECT_EQ(Read(file), (std::vector<uint32_t>{0xFFFF0000, 0xFF302010, 0xFF0000FF, 0xFF00FF00}));
}

TEST(TgaReader, DescriptorBit5KeepsTheRowOrder)
{
    const auto file =
        TgaFile({.width = 1, .height = 2, .depth = 32, .descriptor = 0x28}, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(Read(file), (std::vector<uint32_t>{0x04030201, 0x08070605}));
}

TEST(TgaReader, PixelDepthsDecodeToBgra)
{
    struct Case
    {
        uint8_t type;
        uint8_t depth;
        std::vector<uint8_t> pixel;
        uint32_t expected;
    } cases[] = {
        {3, 8, {0x7F}, 0x7F7F7F7F},              // grey: all four bytes, alpha included
        {2, 8, {0x40}, 0x40404040},              // 8-bit true colour reads as grey too
        {2, 16, {0xFF, 0xFF}, 0xFFF8F8F8},       // bit 15 ignored, alpha full
        {2, 16, {0x1F, 0x00}, 0xFF0000F8},       // low five bits are blue
        {2, 16, {0x00, 0x7C}, 0xFFF80000},       // red
        {2, 24, {0x01, 0x02, 0x03}, 0xFF030201}, // B, G, R
        {2, 32, {0x01, 0x02, 0x03, 0x04}, 0x04030201},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(int(c.depth));
        EXPECT_EQ(Read(TgaFile({.type = c.type, .depth = c.depth}, c.pixel)),
                  std::vector<uint32_t>{c.expected});
    }
}

TEST(TgaReader, RunLengthPacketsCrossRowsAndStopAtTheLastPixel)
{
    // 3 x 2: a run of 4 red, a raw packet of 1 green, a run of 5 blue of which only 1 fits.
    const auto file = TgaFile({.type = 10, .width = 3, .height = 2, .depth = 24, .descriptor = 0x20},
                              {0x83, 0, 0, 0xFF, 0x00, 0, 0xFF, 0, 0x84, 0xFF, 0, 0});
    EXPECT_EQ(Read(file), (std::vector<uint32_t>{0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFF00FF00,
                                                 0xFF0000FF}));
}

TEST(TgaReader, SingleRunAndRawPacketsGiveOnePixelEach)
{
    const auto file =
        TgaFile({.type = 10, .width = 2, .height = 1, .depth = 32}, {0x80, 1, 2, 3, 4, 0x00, 5, 6, 7, 8});
    EXPECT_EQ(Read(file), (std::vector<uint32_t>{0x04030201, 0x08070605}));
}

TEST(TgaReader, TruncatedRunLengthDataKeepsWhatWasDecodedAndZeroesTheRest)
{
    PictureLog log;
    const auto file =
        TgaFile({.type = 10, .width = 4, .height = 1, .depth = 32}, {0x81, 1, 2, 3, 4, 0x01, 5});
    EXPECT_EQ(Read(file), (std::vector<uint32_t>{0x04030201, 0x04030201, 0, 0}));
}

std::vector<uint8_t> Palette24(std::initializer_list<uint32_t> bgr)
{
    std::vector<uint8_t> bytes;
    for (uint32_t colour : bgr)
        bytes.insert(bytes.end(), {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)});
    return bytes;
}

TEST(TgaReader, ColourMappedPixelsUseThePaletteAndMagentaIsTransparent)
{
    // Entries in file order B, G, R: magenta, a grey, pure red.
    auto body = Palette24({0xFF00FF, 0x808080, 0xFF0000});
    body.insert(body.end(), {2, 1, 0, 2});
    const auto file =
        TgaFile({.mapType = 1, .type = 1, .mapLength = 3, .mapBits = 24, .width = 4, .depth = 8}, body);
    EXPECT_EQ(Read(file), (std::vector<uint32_t>{0xFFFF0000, 0xFF808080, 0x00FF00FF, 0xFFFF0000}));

    auto runs = Palette24({0x0000FF, 0x00FF00});
    runs.insert(runs.end(), {0x82, 1, 0x00, 0});
    const auto mapped =
        TgaFile({.mapType = 1, .type = 9, .mapLength = 2, .mapBits = 24, .width = 4, .depth = 8}, runs);
    EXPECT_EQ(Read(mapped), (std::vector<uint32_t>{0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF0000FF}));
}

TEST(TgaReader, SixteenAndThirtyTwoBitPaletteEntriesConvert)
{
    const auto sixteen = TgaFile(
        {.mapType = 1, .type = 1, .mapLength = 1, .mapBits = 16, .width = 1, .depth = 8}, {0x00, 0x7C, 0});
    EXPECT_EQ(Read(sixteen), std::vector<uint32_t>{0xFFF80000});
    const auto thirtyTwo = TgaFile(
        {.mapType = 1, .type = 1, .mapLength = 1, .mapBits = 32, .width = 1, .depth = 8}, {1, 2, 3, 4, 0});
    EXPECT_EQ(Read(thirtyTwo), std::vector<uint32_t>{0x04030201});
}

TEST(TgaReader, ImageIdAndTheColourMapOfATrueColourFileAreSkipped)
{
    const auto file = TgaFile({.idLength = 2, .mapType = 1, .mapLength = 2, .mapBits = 24, .depth = 24},
                              {'i', 'd', 9, 9, 9, 9, 9, 9, 1, 2, 3});
    EXPECT_EQ(Read(file), std::vector<uint32_t>{0xFF030201});
}

// Files as common tools write them, each decoded to the picture an independent decoder shows.
TEST(TgaReader, FilesOfEveryKindDecodeToTheirKnownPicture)
{
    const auto palette = Palette24({0x0000FF, 0x00FF00, 0xFF0000}); // blue, green, red
    const auto withPalette = [&](std::vector<uint8_t> pixels)
    {
        auto body = palette;
        body.insert(body.end(), pixels.begin(), pixels.end());
        return body;
    };
    struct Case
    {
        const char* name;
        std::vector<uint8_t> file;
        std::vector<uint32_t> expected;
    } cases[] = {
        {"run-length grey",
         TgaFile({.type = 11, .width = 3, .depth = 8}, {0x81, 0x40, 0x00, 0x90}),
         {0x40404040, 0x40404040, 0x90909090}},
        {"run-length grey with alpha, bottom row first",
         TgaFile({.type = 11, .width = 2, .height = 2, .depth = 16, .descriptor = 0x08},
                 {0x81, 0x10, 0xFF, 0x01, 0x20, 0x80, 0x30, 0x00}),
         {0x80202020, 0x00303030, 0xFF101010, 0xFF101010}},
        {"grey with alpha",
         TgaFile({.type = 3, .width = 2, .depth = 16, .descriptor = 0x28}, {0x7F, 0xFF, 0xC0, 0x40}),
         {0xFF7F7F7F, 0x40C0C0C0}},
        {"colour map from entry 5",
         TgaFile(
             {.mapType = 1, .type = 1, .mapFirst = 5, .mapLength = 3, .mapBits = 24, .width = 3, .depth = 8},
             withPalette({7, 5, 6})),
         {0xFFFF0000, 0xFF0000FF, 0xFF00FF00}},
        {"run-length colour map from entry 200",
         TgaFile({.mapType = 1,
                  .type = 9,
                  .mapFirst = 200,
                  .mapLength = 3,
                  .mapBits = 24,
                  .width = 3,
                  .depth = 8},
                 withPalette({0x81, 202, 0x00, 201})),
         {0xFFFF0000, 0xFFFF0000, 0xFF00FF00}},
        {"right to left, bottom row first",
         TgaFile({.width = 2, .height = 2, .depth = 24, .descriptor = 0x10},
                 {1, 1, 1, 2, 2, 2, /* top: */ 3, 3, 3, 4, 4, 4}),
         {0xFF040404, 0xFF030303, 0xFF020202, 0xFF010101}},
        {"right to left, top row first, run-length",
         TgaFile({.type = 10, .width = 3, .height = 2, .depth = 32, .descriptor = 0x38},
                 {0x82, 1, 1, 1, 1, 0x02, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4}),
         {0x01010101, 0x01010101, 0x01010101, 0x04040404, 0x03030303, 0x02020202}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        PictureLog log;
        EXPECT_EQ(Read(c.file), c.expected);
        EXPECT_EQ(log.text, "");
    }
}

// Pictures large enough that the file's pixel data, read into the picture's own block, starts
// inside the bytes of its first widened pixels.
TEST(TgaReader, UncompressedFilesOfEveryDepthDecodeBehindALongHeader)
{
    const uint16_t width = 300, height = 5;
    for (uint8_t depth : {8, 16, 24, 32})
        for (bool mapped : {false, true})
        {
            if (mapped && depth != 8)
                continue;
            SCOPED_TRACE(int(depth) * 10 + mapped);
            std::vector<uint8_t> body(200, 'i');
            std::vector<uint32_t> palette;
            if (mapped)
                for (uint32_t i = 0; i < 256; ++i)
                {
                    body.insert(body.end(), {uint8_t(i), uint8_t(i * 3), uint8_t(i * 7)});
                    const bool magenta = i == 0xFF && uint8_t(i * 3) == 0 && uint8_t(i * 7) == 0xFF;
                    palette.push_back(uint32_t(i) | uint32_t(uint8_t(i * 3)) << 8 |
                                      uint32_t(uint8_t(i * 7)) << 16 | (magenta ? 0u : 0xFF000000u));
                }
            std::vector<uint32_t> expected(size_t(width) * height);
            for (size_t row = 0; row < height; ++row) // bottom row first in the file
                for (size_t x = 0; x < width; ++x)
                {
                    uint8_t v[4];
                    for (int k = 0; k < 4; ++k)
                        v[k] = uint8_t((row * width + x) * 13 + k * 71);
                    body.insert(body.end(), v, v + depth / 8);
                    uint32_t& pixel = expected[(height - 1 - row) * width + x];
                    const uint32_t word16 = v[0] | v[1] << 8;
                    pixel = mapped        ? palette[v[0]]
                            : depth == 8  ? v[0] * 0x01010101u
                            : depth == 16 ? (word16 << 3 & 0xF8) | (word16 >> 2 & 0xF8) << 8 |
                                                (word16 >> 7 & 0xF8) << 16 | 0xFF000000u
                            : depth == 24 ? (v[0] | v[1] << 8 | v[2] << 16 | 0xFF000000u)
                                          : (v[0] | v[1] << 8 | v[2] << 16 | uint32_t(v[3]) << 24);
                }
            const TgaHeader header{.idLength = 200,
                                   .mapType = uint8_t(mapped),
                                   .type = uint8_t(mapped ? 1 : 2),
                                   .mapLength = uint16_t(mapped ? 256 : 0),
                                   .mapBits = uint8_t(mapped ? 24 : 0),
                                   .width = width,
                                   .height = height,
                                   .depth = depth,
                                   .descriptor = 0};
            EXPECT_EQ(Read(TgaFile(header, body)), expected);
        }
}

TEST(TgaReader, BadFilesFailWithALineAndLeaveThePictureAsItWas)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> file;
        const char* message;
    } cases[] = {
        {"Huffman-coded", TgaFile({.type = 32, .depth = 8}, {0x80, 1}),
         "[!] TGA image type 32 is not supported.\n"},
        {"no image data", TgaFile({.type = 0, .depth = 0}, {}), "[!] TGA image type 0 is not supported.\n"},
        {"not a TGA: unknown colour map type", TgaFile({.mapType = 2, .depth = 24}, {1, 2, 3}), ""},
        {"not a TGA: unknown image type", TgaFile({.type = 4, .depth = 24}, {1, 2, 3}), ""},
        {"short header", {0, 0, 2, 0, 0}, ""},
        {"8-bit palette",
         TgaFile({.mapType = 1, .type = 1, .mapLength = 1, .mapBits = 8, .depth = 8}, {1, 0}),
         "[!] Palette is in unsupported pixel format (neither RGB16, RGB24 or BGR8).\n"},
        {"index past the palette",
         TgaFile({.mapType = 1, .type = 1, .mapLength = 1, .mapBits = 24, .depth = 8}, {1, 2, 3, 1}),
         "[!] TGA pixel index 1 is outside the palette of 1 entries.\n"},
        {"index below the first entry",
         TgaFile({.mapType = 1, .type = 1, .mapFirst = 2, .mapLength = 1, .mapBits = 24, .depth = 8},
                 {1, 2, 3, 1}),
         "[!] TGA pixel index 1 is outside the palette of 1 entries from index 2.\n"},
        {"run index past the palette",
         TgaFile({.mapType = 1, .type = 9, .mapLength = 1, .mapBits = 24, .width = 2, .depth = 8},
                 {1, 2, 3, 0x81, 5}),
         "[!] TGA pixel index 5 is outside the palette of 1 entries.\n"},
        {"palette longer than the file",
         TgaFile({.mapType = 1, .type = 1, .mapLength = 256, .mapBits = 24, .depth = 8}, {1, 2, 3}),
         "[!] TGA palette of 256 entries is longer than the file.\n"},
        {"huge header, tiny file", TgaFile({.width = 65535, .height = 65535, .depth = 32}, {1, 2, 3, 4}),
         "[!] TGA header claims 65535x65535 pixels, more than the file holds.\n"},
        {"huge run-length header",
         TgaFile({.type = 10, .width = 65535, .height = 65535, .depth = 32}, {0xFF, 1, 2, 3, 4}),
         "[!] TGA header claims 65535x65535 pixels, more than the file holds.\n"},
        {"truncated rows", TgaFile({.width = 2, .height = 2, .depth = 24}, {1, 2, 3, 4, 5, 6, 7}),
         "[!] TGA header claims 2x2 pixels, more than the file holds.\n"},
        {"image id past the end", TgaFile({.idLength = 200}, {1, 2, 3, 4}),
         "[!] TGA file ends inside its image ID.\n"},
        {"zero width", TgaFile({.width = 0, .height = 3}, {}),
         "[!] Failed to allocate picture buffer (0x3@32bpp).\n"},
        {"15-bit pixels", TgaFile({.depth = 15}, {1, 2}),
         "[!] TGA pixel depth 15 is not supported for image type 2.\n"},
        {"8-bit run-length colour", TgaFile({.type = 10, .depth = 8}, {0x80, 1}),
         "[!] TGA pixel depth 8 is not supported for image type 10.\n"},
        {"16-bit indices",
         TgaFile({.mapType = 1, .type = 1, .mapLength = 1, .mapBits = 24, .depth = 16}, {1, 2, 3, 0, 0}),
         "[!] TGA colour-mapped picture with 16-bit indices is not supported.\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        PictureLog log;
        nPicture picture(1, 1, PixelFormatRGBA8);
        picture.GetPixels()[0] = 42;
        EXPECT_FALSE(ReadTgaBytes(picture, c.file));
        EXPECT_EQ(log.text, c.message);
        EXPECT_TRUE(picture.GetFormat() == PixelFormatRGBA8);
        EXPECT_EQ(picture.GetPixels()[0], 42);
    }
}

std::vector<uint8_t> Encode(const nPicture& picture)
{
    nAutoArray<uint8_t> file(MemCategoryGeneral);
    if (!nTgaWriter::Encode(picture, file))
        return {};
    return std::vector<uint8_t>(file.GetData(), file.GetData() + file.GetCount());
}

TEST(TgaWriter, TwoRedBgraPixelsGiveAStandardTopFirstFile)
{
    nPicture picture(2, 1, PixelFormatBGRA8);
    picture.Fill(1, 0, 0, 1);
    EXPECT_EQ(Encode(picture),
              (std::vector<uint8_t>{0, 0, 2, 0,  0,    0,    0,    0,    0,    0,    0,    0,    2,
                                    0, 1, 0, 32, 0x28, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF}));
}

TEST(TgaWriter, PixelBytesPerFormat)
{
    struct Case
    {
        const char* name;
        nPixelFormat format;
        std::vector<uint8_t> pixel;
        uint8_t depth;
        uint8_t descriptor;
        std::vector<uint8_t> written;
    } cases[] = {
        {"RGBA8 is written B, G, R, A", PixelFormatRGBA8, {1, 2, 3, 4}, 32, 0x28, {3, 2, 1, 4}},
        {"ARGB8", PixelFormatARGB8, {4, 1, 2, 3}, 32, 0x28, {3, 2, 1, 4}},
        {"RGB24 is written B, G, R", PixelFormatRGB24, {1, 2, 3}, 24, 0x20, {3, 2, 1}},
        {"BGR8 as it stands", PixelFormatBGR8, {1, 2, 3}, 24, 0x20, {1, 2, 3}},
        {"RGB555 as it stands", PixelFormatRGB555, {0x34, 0x12}, 16, 0x20, {0x34, 0x12}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        PictureLog log;
        nPicture picture;
        MakePicture(picture, 1, 1, c.format, c.pixel);
        const auto file = Encode(picture);
        if (c.format == PixelFormatARGB8)
        {
            EXPECT_TRUE(file.empty()); // not a format the writer takes
            continue;
        }
        ASSERT_EQ(file.size(), 18 + c.written.size());
        EXPECT_EQ(file[16], c.depth);
        EXPECT_EQ(file[17], c.descriptor);
        EXPECT_EQ(std::vector<uint8_t>(file.begin() + 18, file.end()), c.written);
    }
}

TEST(TgaWriter, OtherFormatsFailWithTheMessage)
{
    for (const nPixelFormat& format : {PixelFormatRGB565, PixelFormatARGB4444, PixelFormatRGB32F})
    {
        PictureLog log;
        nPicture picture(1, 1, format);
        EXPECT_TRUE(Encode(picture).empty());
        EXPECT_EQ(log.text, "[!] Only supports BGRA8/BGR8/RGB24/RGB555.\n");
    }
}

TEST(TgaWriter, WrittenPicturesReadBackWithTheSameColours)
{
    nPicture bgra;
    MakePicture(bgra, 2, 2, PixelFormatBGRA8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    nPicture back;
    ASSERT_TRUE(ReadTgaBytes(back, Encode(bgra)));
    EXPECT_TRUE(back.Equals(bgra));

    nPicture rgba(bgra);
    ASSERT_TRUE(rgba.Convert(PixelFormatRGBA8));
    ASSERT_TRUE(ReadTgaBytes(back, Encode(rgba)));
    EXPECT_TRUE(back.Equals(bgra));

    nPicture rgb24;
    MakePicture(rgb24, 1, 1, PixelFormatRGB24, {0x10, 0x20, 0x30});
    ASSERT_TRUE(ReadTgaBytes(back, Encode(rgb24)));
    EXPECT_EQ(PixelWord(back, 0, 0), 0xFF102030u); // red 0x10 stays red
}

} // namespace
