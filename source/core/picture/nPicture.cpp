#include "core/picture/nPicture.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"

#include <cstring>

void* nPicture::operator new(size_t size) noexcept
{
    return MemAllocPicture(size);
}

void nPicture::operator delete(void* memory) noexcept
{
    MemFreePicture(memory);
}

nPicture::nPicture(const nPicture& other) : nSharedObject()
{
    CopyFrom(other);
}

nPicture::nPicture(uint32_t width, uint32_t height, const nPixelFormat& format)
{
    Allocate(width, height, format);
}

nPicture::~nPicture()
{
    FreeBuffer();
}

uint8_t* nPicture::AllocBlock(size_t bytes)
{
    return static_cast<uint8_t*>(MemNew(bytes, MemCategoryPicture));
}

void nPicture::FreeBlock(uint8_t* block)
{
    if (block)
        MemDelete(block, MemCategoryPicture);
}

void nPicture::FreeBuffer()
{
    if (!(m_bufferFlags & BufferBorrowed))
        FreeBlock(m_pixels);
    m_pixels = nullptr;
    m_bufferFlags &= ~BufferBorrowed;
}

void nPicture::Reset()
{
    m_pixels = nullptr;
    m_checksum = 0;
    m_width = 0;
    m_height = 0;
    m_format = PixelFormatNone;
    m_stateFlags = 0;
    m_bufferFlags = 0;
}

void nPicture::Clear()
{
    FreeBuffer();
    Reset();
}

bool nPicture::Allocate(uint32_t width, uint32_t height, const nPixelFormat& format)
{
    const bool owned = m_pixels && !(m_bufferFlags & BufferBorrowed);
    if (owned && width == m_width && height == m_height && format.bitsPerPixel == m_format.bitsPerPixel)
    {
        m_format = format;
        return true;
    }
    FreeBuffer();
    const uint64_t bytes = uint64_t(width) * height * (format.bitsPerPixel / 8u);
    if (bytes != 0 && bytes <= MaxBlockBytes)
    {
        m_pixels = AllocBlock(size_t(bytes));
        if (m_pixels)
        {
            std::memset(m_pixels, 0, size_t(bytes));
            m_width = width;
            m_height = height;
            m_format = format;
        }
    }
    if (!m_pixels)
    {
        LogAllocationFailure(width, height, format.bitsPerPixel);
        return false;
    }
    return true;
}

void nPicture::LogAllocationFailure(uint32_t width, uint32_t height, uint32_t bitsPerPixel)
{
    nLogHolder::Get() << "[!] Failed to allocate picture buffer (" << width << "x" << height << "@"
                      << bitsPerPixel << "bpp).\n";
}

void nPicture::SetBuffer(uint8_t* pixels, uint32_t width, uint32_t height, const nPixelFormat& format,
                         bool owned)
{
    if (!pixels)
        return;
    FreeBuffer();
    m_checksum = 0;
    m_pixels = pixels;
    m_width = width;
    m_height = height;
    m_format = format;
    if (!owned)
        m_bufferFlags |= BufferBorrowed;
}

bool nPicture::ReplaceBlock(uint8_t* block, uint32_t width, uint32_t height, const nPixelFormat& format)
{
    SetBuffer(block, width, height, format, true);
    return true;
}

void nPicture::SetSizeOnly(uint32_t width, uint32_t height)
{
    Clear();
    m_stateFlags |= StateSizeOnly;
    m_width = width;
    m_height = height;
}

bool nPicture::CopyFrom(const nPicture& other)
{
    if (&other == this)
        return true;
    Clear();
    if (other.IsSizeOnly())
    {
        SetSizeOnly(other.m_width, other.m_height);
        return true;
    }
    if (!other.m_pixels || !Allocate(other.m_width, other.m_height, other.m_format))
        return false;
    std::memcpy(m_pixels, other.m_pixels, GetByteSize());
    return true;
}

bool nPicture::Equals(const nPicture& other) const
{
    if (!(m_format == other.m_format) || !m_pixels || !other.m_pixels)
        return false;
    // Sizes are compared too: equal formats over different sizes would compare unrelated bytes.
    if (m_width != other.m_width || m_height != other.m_height)
        return false;
    return std::memcmp(m_pixels, other.m_pixels, GetByteSize()) == 0;
}

bool nPicture::SetFormat(const nPixelFormat& format)
{
    if (format.bitsPerPixel != m_format.bitsPerPixel)
    {
        nLogHolder::Get()
            << "[!] (Picture::SetFormat) Target format requires a data conversion. See Convert().\n";
        return false;
    }
    m_format = format;
    return true;
}

void nPicture::Invert(bool red, bool green, bool blue, bool alpha)
{
    if (!m_pixels || m_format.bitsPerPixel != 32 || !(red || green || blue || alpha))
        return;
    uint32_t mask = 0;
    if (red)
        mask |= m_format.redMask;
    if (green)
        mask |= m_format.greenMask;
    if (blue)
        mask |= m_format.blueMask;
    if (alpha)
        mask |= m_format.alphaMask;
    const size_t count = size_t(m_width) * m_height;
    for (size_t i = 0; i < count; ++i)
    {
        uint32_t word;
        std::memcpy(&word, m_pixels + i * 4, 4);
        word ^= mask;
        std::memcpy(m_pixels + i * 4, &word, 4);
    }
}

namespace
{

uint32_t ReadWord(const uint8_t* pixel, uint32_t bytes)
{
    uint32_t word = 0;
    for (uint32_t i = 0; i < bytes; ++i)
        word |= uint32_t(pixel[i]) << (8 * i);
    return word;
}

// A channel's value moved up to the top of an 8-bit range (no bit replication).
uint32_t Channel8(uint32_t word, uint32_t mask, uint8_t shift, uint8_t width)
{
    if (width == 0)
        return 0;
    const uint32_t value = (word & mask) >> shift;
    return width >= 8 ? (value & 0xFF) : ((value << (8 - width)) & 0xFF);
}

} // namespace

bool nPicture::HasTransparentPixel() const
{
    if (!m_pixels || m_width == 0 || m_height == 0 || m_format.floatFlag || m_format.alphaWidth == 0)
        return false;
    // The raw channel value against its own maximum, so that a narrow alpha channel (4 bits) is
    // transparent below 15 and not only at 0.
    const uint32_t bytes = m_format.GetBytesPerPixel();
    const uint32_t opaque = m_format.alphaMask >> m_format.alphaShift;
    const size_t count = size_t(m_width) * m_height;
    for (size_t i = 0; i < count; ++i)
        if (((ReadWord(m_pixels + i * bytes, bytes) & m_format.alphaMask) >> m_format.alphaShift) < opaque)
            return true;
    return false;
}

bool nPicture::ComputeChecksum()
{
    if (!m_pixels || m_width == 0 || m_height == 0 || m_format.floatFlag)
        return false;
    const nPixelFormat& f = m_format;
    const uint32_t bytes = f.GetBytesPerPixel();
    const size_t count = size_t(m_width) * m_height;
    uint32_t sum = 0;
    for (size_t i = 0; i < count; ++i)
    {
        const uint32_t word = ReadWord(m_pixels + i * bytes, bytes);
        sum += (Channel8(word, f.alphaMask, f.alphaShift, f.alphaWidth) << 24) +
               (Channel8(word, f.redMask, f.redShift, f.redWidth) << 16) +
               (Channel8(word, f.greenMask, f.greenShift, f.greenWidth) << 8) +
               Channel8(word, f.blueMask, f.blueShift, f.blueWidth);
    }
    m_checksum = sum;
    return true;
}

nString nPicture::GetFormatName() const
{
    if (m_format.id != 1)
        return nString("NONE");
    struct Channel
    {
        const char* letter;
        uint8_t shift;
        uint8_t width;
    };
    Channel channels[4] = {{"R", m_format.redShift, m_format.redWidth},
                           {"G", m_format.greenShift, m_format.greenWidth},
                           {"B", m_format.blueShift, m_format.blueWidth},
                           {"A", m_format.alphaShift, m_format.alphaWidth}};
    // A stable sort, so channels of equal shift keep the order red, green, blue, alpha.
    for (int i = 1; i < 4; ++i)
        for (int j = i; j > 0 && channels[j].shift < channels[j - 1].shift; --j)
            std::swap(channels[j], channels[j - 1]);
    nString name;
    for (const Channel& channel : channels)
        if (channel.width != 0)
            name += nString::Format("%s%d", channel.letter, channel.width);
    if (m_format.floatFlag)
        name += "F";
    return name;
}

uint32_t PictureLerpColor(uint32_t a, uint32_t b, float t)
{
    const uint32_t weight = t <= 0.0f ? 0 : t >= 1.0f ? 65536 : uint32_t(t * 65536.0f);
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const uint64_t x = (a >> shift) & 0xFF;
        const uint64_t y = (b >> shift) & 0xFF;
        result |= uint32_t(((x * (65536 - weight) + y * weight) >> 16) & 0xFF) << shift;
    }
    return result;
}
