#include "render/gl/nDDSFile.h"

#include <GL/glext.h>

#include <algorithm>
#include <cstring>

namespace
{
constexpr size_t HeaderSize = 4 + 124;
constexpr uint32_t FlagMipmapCount = 0x20000;
constexpr uint32_t PixelFlagFourCC = 4;

uint32_t ReadU32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

constexpr uint32_t FourCC(const char (&code)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

// Pixel bytes (or bytes per 4x4 block when compressed) and the GL layout of one file format.
struct Layout
{
    uint32_t code;
    bool compressed;
    uint32_t bytes;
    GLenum internalFormat;
    GLenum dataFormat;
    GLenum dataType;
};

// X8 layouts are stored without alpha so that sampling gives an alpha of 1.
const Layout FourCCLayouts[] = {
    {FourCC("DXT1"), true, 8, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0},
    {FourCC("DXT2"), true, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0},
    {FourCC("DXT3"), true, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0},
    {FourCC("DXT4"), true, 16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0},
    {FourCC("DXT5"), true, 16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0},
    {20, false, 3, GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE},
    {21, false, 4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE},
    {22, false, 4, GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE},
    {35, false, 4, GL_RGB10_A2, GL_BGRA, GL_UNSIGNED_INT_2_10_10_10_REV},
    {23, false, 2, GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5},
    {28, false, 1, GL_ALPHA8, GL_ALPHA, GL_UNSIGNED_BYTE},
    {31, false, 4, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV},
    {32, false, 4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE},
    {33, false, 4, GL_RGB8, GL_RGBA, GL_UNSIGNED_BYTE},
    {36, false, 8, GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT},
    {113, false, 8, GL_RGBA16F_ARB, GL_RGBA, GL_HALF_FLOAT},
    {50, false, 1, GL_LUMINANCE8, GL_LUMINANCE, GL_UNSIGNED_BYTE},
    {51, false, 2, GL_LUMINANCE8_ALPHA8, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE},
    {81, false, 2, GL_LUMINANCE16, GL_LUMINANCE, GL_UNSIGNED_SHORT},
    {111, false, 2, GL_LUMINANCE16F_ARB, GL_LUMINANCE, GL_HALF_FLOAT},
    {114, false, 4, GL_LUMINANCE32F_ARB, GL_LUMINANCE, GL_FLOAT},
    {116, false, 16, GL_RGBA32F_ARB, GL_RGBA, GL_FLOAT},
};

const Layout* FindLayout(uint32_t pixelFlags, uint32_t fourCC, uint32_t bitCount)
{
    static const Layout ARGB32 = {0, false, 4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE};
    static const Layout XRGB32 = {0, false, 4, GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE};
    static const Layout RGB24 = {0, false, 3, GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE};
    static const Layout Luminance8 = {0, false, 1, GL_LUMINANCE8, GL_LUMINANCE, GL_UNSIGNED_BYTE};
    if (pixelFlags & PixelFlagFourCC)
    {
        for (const Layout& layout : FourCCLayouts)
        {
            if (layout.code == fourCC)
                return &layout;
        }
        return nullptr;
    }
    if (pixelFlags == 0x41 && bitCount == 32)
        return &ARGB32;
    if (pixelFlags == 0x40 && bitCount == 32)
        return &XRGB32;
    if (pixelFlags == 0x40 && bitCount == 24)
        return &RGB24;
    if (bitCount == 8)
        return &Luminance8;
    return nullptr;
}

uint32_t LevelsFor(uint32_t width, uint32_t height)
{
    uint32_t levels = 1;
    for (uint32_t largest = std::max(width, height); largest > 1; largest >>= 1)
        ++levels;
    return levels;
}
} // namespace

nDDSFile::Result nDDSFile::Parse(const uint8_t* data, size_t size)
{
    levelCount = 0;
    if (size < 4)
    {
        reason = "it is too short";
        return Corrupt;
    }
    if (memcmp(data, "DDS ", 4) != 0)
        return NotDDS;
    if (size < HeaderSize)
    {
        reason = "its header is cut short";
        return Corrupt;
    }
    const uint8_t* header = data + 4;
    const uint32_t flags = ReadU32(header + 4);
    const uint32_t height = ReadU32(header + 8);
    const uint32_t width = ReadU32(header + 12);
    const uint32_t mipmapCount = ReadU32(header + 24);
    const uint32_t pixelFlags = ReadU32(header + 76);
    const uint32_t fourCC = ReadU32(header + 80);
    const uint32_t bitCount = ReadU32(header + 84);

    const Layout* layout = FindLayout(pixelFlags, fourCC, bitCount);
    if (layout == nullptr)
        return Unsupported;
    if (width == 0 || height == 0 || width > MaxDimension || height > MaxDimension)
    {
        reason = "its size is out of range";
        return Corrupt;
    }
    compressed = layout->compressed;
    internalFormat = layout->internalFormat;
    dataFormat = layout->dataFormat;
    dataType = layout->dataType;

    uint32_t count = (flags & FlagMipmapCount) && mipmapCount > 0 ? mipmapCount : 1;
    count = std::min(count, LevelsFor(width, height));

    size_t offset = HeaderSize;
    uint32_t levelWidth = width;
    uint32_t levelHeight = height;
    for (uint32_t level = 0; level < count; ++level)
    {
        const size_t levelSize = compressed
                                     ? size_t{(levelWidth + 3) / 4} * ((levelHeight + 3) / 4) * layout->bytes
                                     : size_t{levelWidth} * levelHeight * layout->bytes;
        if (levelSize > size - offset)
        {
            reason = "its pixels are cut short";
            return Corrupt;
        }
        levels[level] = {levelWidth, levelHeight, offset, levelSize};
        offset += levelSize;
        levelWidth = std::max(1u, levelWidth / 2);
        levelHeight = std::max(1u, levelHeight / 2);
    }
    levelCount = count;
    return Loaded;
}
