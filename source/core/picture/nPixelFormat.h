#pragma once

#include <bit>
#include <cstdint>

// How a picture packs one pixel. Packed formats hold their channels in a little-endian word of
// bitsPerPixel / 8 bytes, each channel under its mask; shifts and widths are derived from the
// masks so that they can never disagree with them. The float format stores three floats (blue,
// green, red) and abuses the masks as float indices.
struct nPixelFormat
{
    uint32_t id = 0;
    uint32_t alphaMask = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint8_t bitsPerPixel = 0;
    uint8_t floatFlag = 0;
    uint8_t alphaShift = 0;
    uint8_t redShift = 0;
    uint8_t blueShift = 0;
    uint8_t greenShift = 0;
    uint8_t alphaWidth = 0;
    uint8_t redWidth = 0;
    uint8_t blueWidth = 0;
    uint8_t greenWidth = 0;

    static constexpr uint8_t MaskShift(uint32_t mask) { return static_cast<uint8_t>(std::countr_zero(mask)); }
    static constexpr uint8_t MaskWidth(uint32_t mask) { return static_cast<uint8_t>(std::popcount(mask)); }

    constexpr void Set(uint32_t formatId, uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue,
                       uint8_t bits, uint8_t isFloat)
    {
        id = formatId;
        alphaMask = alpha;
        redMask = red;
        greenMask = green;
        blueMask = blue;
        bitsPerPixel = bits;
        floatFlag = isFloat;
        alphaShift = MaskShift(alpha);
        redShift = MaskShift(red);
        greenShift = MaskShift(green);
        blueShift = MaskShift(blue);
        alphaWidth = MaskWidth(alpha);
        redWidth = MaskWidth(red);
        greenWidth = MaskWidth(green);
        blueWidth = MaskWidth(blue);
    }

    static constexpr nPixelFormat Make(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue,
                                       uint8_t bits, uint8_t isFloat = 0)
    {
        nPixelFormat format;
        format.Set(1, alpha, red, green, blue, bits, isFloat);
        return format;
    }

    constexpr bool operator==(const nPixelFormat& other) const
    {
        return id == other.id && bitsPerPixel == other.bitsPerPixel && alphaMask == other.alphaMask &&
               redMask == other.redMask && greenMask == other.greenMask && blueMask == other.blueMask &&
               floatFlag == other.floatFlag;
    }

    constexpr uint32_t GetBytesPerPixel() const { return bitsPerPixel / 8u; }
    // Four 8-bit channels in a 32-bit word: conversions between such formats only move bytes.
    constexpr bool IsFourByte() const
    {
        return bitsPerPixel == 32 && !floatFlag && alphaWidth == 8 && redWidth == 8 && greenWidth == 8 &&
               blueWidth == 8;
    }
};

inline constexpr nPixelFormat PixelFormatNone{};
inline constexpr nPixelFormat PixelFormatBGRA8 = nPixelFormat::Make(0xFF000000, 0xFF0000, 0xFF00, 0xFF, 32);
inline constexpr nPixelFormat PixelFormatRGBA8 = nPixelFormat::Make(0xFF000000, 0xFF, 0xFF00, 0xFF0000, 32);
inline constexpr nPixelFormat PixelFormatARGB8 = nPixelFormat::Make(0xFF, 0xFF00, 0xFF0000, 0xFF000000, 32);
inline constexpr nPixelFormat PixelFormatBGR8 = nPixelFormat::Make(0, 0xFF0000, 0xFF00, 0xFF, 24);
inline constexpr nPixelFormat PixelFormatRGB24 = nPixelFormat::Make(0, 0xFF, 0xFF00, 0xFF0000, 24);
inline constexpr nPixelFormat PixelFormatRGB555 = nPixelFormat::Make(0, 0x7C00, 0x03E0, 0x001F, 16);
inline constexpr nPixelFormat PixelFormatRGB565 = nPixelFormat::Make(0, 0xF800, 0x07E0, 0x001F, 16);
inline constexpr nPixelFormat PixelFormatARGB4444 = nPixelFormat::Make(0xF000, 0x0F00, 0x00F0, 0x000F, 16);
inline constexpr nPixelFormat PixelFormatRGB32F = nPixelFormat::Make(0, 0, 1, 2, 96, 1);
