#include "core/picture/nPicture.h"

#include <cstring>

namespace
{

struct ChannelMove
{
    uint32_t mask;
    uint8_t shift;
    uint8_t width;
};

uint32_t ReadWord(const uint8_t* pixel, uint32_t bytes)
{
    switch (bytes)
    {
    case 1:
        return pixel[0];
    case 2:
        return uint32_t(pixel[0]) | uint32_t(pixel[1]) << 8;
    case 3:
        return uint32_t(pixel[0]) | uint32_t(pixel[1]) << 8 | uint32_t(pixel[2]) << 16;
    default:
        uint32_t word;
        std::memcpy(&word, pixel, 4);
        return word;
    }
}

void WriteWord(uint8_t* pixel, uint32_t bytes, uint32_t word)
{
    for (uint32_t i = 0; i < bytes; ++i)
        pixel[i] = uint8_t(word >> (8 * i));
}

// The channel moved to an 8-bit range by shifting alone (a 5-bit 31 becomes 248).
uint32_t Widen(uint32_t word, const ChannelMove& channel)
{
    if (channel.width == 0)
        return 0;
    const uint32_t value = (word & channel.mask) >> channel.shift;
    return channel.width >= 8 ? (value >> (channel.width - 8)) & 0xFF : (value << (8 - channel.width)) & 0xFF;
}

uint32_t Narrow(uint32_t value8, const ChannelMove& channel)
{
    if (channel.width == 0)
        return 0;
    const uint32_t value = channel.width >= 8 ? value8 << (channel.width - 8) : value8 >> (8 - channel.width);
    return (value << channel.shift) & channel.mask;
}

// Order: alpha, red, green, blue.
void Channels(const nPixelFormat& format, ChannelMove out[4])
{
    out[0] = {format.alphaMask, format.alphaShift, format.alphaWidth};
    out[1] = {format.redMask, format.redShift, format.redWidth};
    out[2] = {format.greenMask, format.greenShift, format.greenWidth};
    out[3] = {format.blueMask, format.blueShift, format.blueWidth};
}

void MoveBytesInPlace(uint8_t* pixels, size_t count, const nPixelFormat& from, const nPixelFormat& to)
{
    const uint32_t a0 = from.alphaShift, r0 = from.redShift, g0 = from.greenShift, b0 = from.blueShift;
    const uint32_t a1 = to.alphaShift, r1 = to.redShift, g1 = to.greenShift, b1 = to.blueShift;
    // Uniform shift counts keep this loop vectorisable: it runs at memory speed.
    for (size_t i = 0; i < count; ++i)
    {
        uint32_t word;
        std::memcpy(&word, pixels + i * 4, 4);
        word = ((word >> a0) & 0xFF) << a1 | ((word >> r0) & 0xFF) << r1 | ((word >> g0) & 0xFF) << g1 |
               ((word >> b0) & 0xFF) << b1;
        std::memcpy(pixels + i * 4, &word, 4);
    }
}

// Formats whose channels are whole bytes (or absent) convert by moving bytes.
bool HasByteChannels(const nPixelFormat& format)
{
    if (format.floatFlag || (format.bitsPerPixel != 24 && format.bitsPerPixel != 32))
        return false;
    const uint8_t widths[4] = {format.alphaWidth, format.redWidth, format.greenWidth, format.blueWidth};
    const uint8_t shifts[4] = {format.alphaShift, format.redShift, format.greenShift, format.blueShift};
    for (int c = 0; c < 4; ++c)
        if ((widths[c] != 0 && widths[c] != 8) || (widths[c] == 8 && shifts[c] % 8 != 0))
            return false;
    return format.redWidth == 8 && format.greenWidth == 8 && format.blueWidth == 8;
}

template <uint32_t SourceBytes, uint32_t TargetBytes>
void MoveByteChannels(const uint8_t* in, uint8_t* out, size_t count, const nPixelFormat& from,
                      const nPixelFormat& to)
{
    // For each target byte: the source byte it takes, or SourceBytes for opaque alpha.
    uint8_t take[TargetBytes];
    for (uint32_t k = 0; k < TargetBytes; ++k)
        take[k] = SourceBytes;
    take[to.redShift / 8] = uint8_t(from.redShift / 8);
    take[to.greenShift / 8] = uint8_t(from.greenShift / 8);
    take[to.blueShift / 8] = uint8_t(from.blueShift / 8);
    if (to.alphaWidth)
        take[to.alphaShift / 8] = from.alphaWidth ? uint8_t(from.alphaShift / 8) : uint8_t(SourceBytes);
    for (size_t i = 0; i < count; ++i, in += SourceBytes, out += TargetBytes)
    {
        uint8_t pixel[SourceBytes + 1];
        std::memcpy(pixel, in, SourceBytes);
        pixel[SourceBytes] = 0xFF;
        for (uint32_t k = 0; k < TargetBytes; ++k)
            out[k] = pixel[take[k]];
    }
}

bool IsPackedDepth(uint32_t bits)
{
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

} // namespace

bool nPicture::Convert(const nPixelFormat& format)
{
    if (format == m_format)
        return true;
    if (format.bitsPerPixel == 0)
    {
        Clear();
        return true;
    }
    if (!m_pixels)
        return false;
    const size_t count = size_t(m_width) * m_height;

    if (m_format.IsFourByte() && format.IsFourByte())
    {
        MoveBytesInPlace(m_pixels, count, m_format, format);
        m_format = format;
        return true;
    }

    const bool fromFloat = m_format.floatFlag != 0 && m_format.bitsPerPixel == 96;
    const bool toFloat = format.floatFlag != 0 && format.bitsPerPixel == 96;
    if ((!fromFloat && !IsPackedDepth(m_format.bitsPerPixel)) ||
        (!toFloat && !IsPackedDepth(format.bitsPerPixel)))
        return false;

    const uint32_t targetBytes = format.bitsPerPixel / 8u;
    const uint64_t blockBytes = uint64_t(count) * targetBytes;
    if (blockBytes > MaxBlockBytes)
        return false;
    uint8_t* block = AllocBlock(size_t(blockBytes));
    if (!block)
        return false;

    if (HasByteChannels(m_format) && HasByteChannels(format))
    {
        const uint32_t pair = m_format.bitsPerPixel * 100 + format.bitsPerPixel;
        if (pair == 2432)
            MoveByteChannels<3, 4>(m_pixels, block, count, m_format, format);
        else if (pair == 3224)
            MoveByteChannels<4, 3>(m_pixels, block, count, m_format, format);
        else if (pair == 2424)
            MoveByteChannels<3, 3>(m_pixels, block, count, m_format, format);
        else
            MoveByteChannels<4, 4>(m_pixels, block, count, m_format, format);
        return ReplaceBlock(block, m_width, m_height, format);
    }

    ChannelMove source[4];
    ChannelMove target[4];
    Channels(m_format, source);
    Channels(format, target);
    // A source without alpha is opaque, whatever the target's alpha width.
    const bool opaque = m_format.alphaWidth == 0 || fromFloat;
    const uint32_t sourceBytes = m_format.bitsPerPixel / 8u;

    for (size_t i = 0; i < count; ++i)
    {
        uint32_t value8[4];
        if (fromFloat)
        {
            float rgb[3];
            std::memcpy(rgb, m_pixels + i * 12, 12);
            for (int c = 0; c < 3; ++c)
            {
                const float scaled = rgb[2 - c] * 255.0f;
                value8[1 + c] = scaled >= 255.0f ? 255u : scaled > 0.0f ? uint32_t(scaled) & 0xFF : 0u;
            }
        }
        else
        {
            const uint32_t word = ReadWord(m_pixels + i * sourceBytes, sourceBytes);
            for (int c = 1; c < 4; ++c)
                value8[c] = Widen(word, source[c]);
        }
        value8[0] = opaque ? 255u : Widen(ReadWord(m_pixels + i * sourceBytes, sourceBytes), source[0]);

        if (toFloat)
        {
            const float rgb[3] = {value8[3] / 255.0f, value8[2] / 255.0f, value8[1] / 255.0f};
            std::memcpy(block + i * 12, rgb, 12);
            continue;
        }
        uint32_t word = 0;
        for (int c = 0; c < 4; ++c)
            word |= Narrow(value8[c], target[c]);
        WriteWord(block + i * targetBytes, targetBytes, word);
    }
    return ReplaceBlock(block, m_width, m_height, format);
}
