#include "render/gl/DDSTestFiles.h"
#include "render/gl/nDDSFile.h"

#include <GL/glext.h>
#include <gtest/gtest.h>

using namespace DDSTestFiles;

TEST(DDSFileTest, DXT1WithoutMipmapFlagHasOneLevel)
{
    const auto bytes = WithPixels(Header(8, 8, 4, false, 4, Code("DXT1"), 0), 32 + 8 + 8 + 8);
    nDDSFile file;
    ASSERT_EQ(file.Parse(bytes.data(), bytes.size()), nDDSFile::Loaded);
    EXPECT_TRUE(file.compressed);
    EXPECT_EQ(file.internalFormat, static_cast<GLenum>(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT));
    ASSERT_EQ(file.levelCount, 1u);
    EXPECT_EQ(file.levels[0].size, 32u);
    EXPECT_EQ(file.levels[0].offset, 128u);
}

TEST(DDSFileTest, MipmapLevelsShrinkToOnePixelBlocks)
{
    const auto bytes = WithPixels(Header(8, 8, 4, true, 4, Code("DXT1"), 0), 32 + 8 + 8 + 8);
    nDDSFile file;
    ASSERT_EQ(file.Parse(bytes.data(), bytes.size()), nDDSFile::Loaded);
    ASSERT_EQ(file.levelCount, 4u);
    const size_t sizes[] = {32, 8, 8, 8};
    const uint32_t widths[] = {8, 4, 2, 1};
    for (uint32_t level = 0; level < 4; ++level)
    {
        EXPECT_EQ(file.levels[level].size, sizes[level]);
        EXPECT_EQ(file.levels[level].width, widths[level]);
    }
    EXPECT_EQ(file.levels[3].offset, 128u + 32 + 8 + 8);
}

TEST(DDSFileTest, LevelCountIsCappedByTheSize)
{
    const auto bytes = WithPixels(Header(2, 1, 30, true, 0x41, 0, 32), 8 + 4);
    nDDSFile file;
    ASSERT_EQ(file.Parse(bytes.data(), bytes.size()), nDDSFile::Loaded);
    EXPECT_EQ(file.levelCount, 2u);
}

TEST(DDSFileTest, ShortOrAbsurdFilesAreCorrupt)
{
    nDDSFile file;
    const uint8_t tiny[] = {'D', 'D'};
    EXPECT_EQ(file.Parse(tiny, sizeof(tiny)), nDDSFile::Corrupt);
    auto header = Header(8, 8, 1, false, 4, Code("DXT1"), 0);
    EXPECT_EQ(file.Parse(header.data(), 100), nDDSFile::Corrupt);
    EXPECT_EQ(file.Parse(header.data(), header.size()), nDDSFile::Corrupt) << "pixels missing";
    const auto huge = WithPixels(Header(0x40000000, 0x40000000, 1, false, 4, Code("DXT1"), 0), 64);
    EXPECT_EQ(file.Parse(huge.data(), huge.size()), nDDSFile::Corrupt);
    const auto empty = WithPixels(Header(0, 8, 1, false, 4, Code("DXT1"), 0), 64);
    EXPECT_EQ(file.Parse(empty.data(), empty.size()), nDDSFile::Corrupt);
    EXPECT_FALSE(file.reason.IsEmpty());
}

TEST(DDSFileTest, OtherFilesAndFormatsAreRefusedQuietly)
{
    nDDSFile file;
    auto bytes = WithPixels(Header(4, 4, 1, false, 4, Code("DXT1"), 0), 8);
    bytes[0] = 'X';
    EXPECT_EQ(file.Parse(bytes.data(), bytes.size()), nDDSFile::NotDDS);
    const auto unknown = WithPixels(Header(4, 4, 1, false, 4, Code("ATI2"), 0), 64);
    EXPECT_EQ(file.Parse(unknown.data(), unknown.size()), nDDSFile::Unsupported);
    const auto layout = WithPixels(Header(4, 4, 1, false, 0x41, 0, 16), 64);
    EXPECT_EQ(file.Parse(layout.data(), layout.size()), nDDSFile::Unsupported);
}

// Uncompressed layouts go to glTexImage2D with a format and type that match the file's bytes.
TEST(DDSFileTest, UncompressedLayoutsHaveMatchingTransferTypes)
{
    struct Case
    {
        uint32_t pixelFlags;
        uint32_t code;
        uint32_t bits;
        uint32_t bytesPerPixel;
        GLenum internalFormat;
        GLenum dataFormat;
        GLenum dataType;
    };
    const Case cases[] = {
        {4, 20, 0, 3, GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE},
        {4, 21, 0, 4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE},
        {4, 22, 0, 4, GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE},
        {4, 23, 0, 2, GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5},
        {4, 35, 0, 4, GL_RGB10_A2, GL_BGRA, GL_UNSIGNED_INT_2_10_10_10_REV},
        {4, 31, 0, 4, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV},
        {4, 36, 0, 8, GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT},
        {4, 113, 0, 8, GL_RGBA16F_ARB, GL_RGBA, GL_HALF_FLOAT},
        {4, 111, 0, 2, GL_LUMINANCE16F_ARB, GL_LUMINANCE, GL_HALF_FLOAT},
        {4, 114, 0, 4, GL_LUMINANCE32F_ARB, GL_LUMINANCE, GL_FLOAT},
        {4, 116, 0, 16, GL_RGBA32F_ARB, GL_RGBA, GL_FLOAT},
        {4, 51, 0, 2, GL_LUMINANCE8_ALPHA8, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE},
        {0x41, 0, 32, 4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE},
        {0x40, 0, 32, 4, GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE},
        {0x40, 0, 24, 3, GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE},
        {0x20000, 0, 8, 1, GL_LUMINANCE8, GL_LUMINANCE, GL_UNSIGNED_BYTE},
    };
    for (const Case& c : cases)
    {
        const auto bytes =
            WithPixels(Header(3, 2, 1, false, c.pixelFlags, c.code, c.bits), 6 * c.bytesPerPixel);
        nDDSFile file;
        ASSERT_EQ(file.Parse(bytes.data(), bytes.size()), nDDSFile::Loaded) << c.code << " " << c.bits;
        EXPECT_FALSE(file.compressed);
        EXPECT_EQ(file.levels[0].size, 6u * c.bytesPerPixel) << c.code;
        EXPECT_EQ(file.internalFormat, c.internalFormat) << c.code;
        EXPECT_EQ(file.dataFormat, c.dataFormat) << c.code;
        EXPECT_EQ(file.dataType, c.dataType) << c.code;
        EXPECT_NE(file.Parse(bytes.data(), bytes.size() - 1), nDDSFile::Loaded) << c.code;
    }
}
