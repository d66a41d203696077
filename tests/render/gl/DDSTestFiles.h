#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// Builds DDS files in memory: a 128-byte header and the given pixel bytes.
namespace DDSTestFiles
{
inline void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline std::vector<uint8_t> Header(uint32_t width, uint32_t height, uint32_t mipmaps, bool mipmapFlag,
                                   uint32_t pixelFlags, uint32_t fourCC, uint32_t bitCount)
{
    std::vector<uint8_t> bytes(128, 0);
    memcpy(bytes.data(), "DDS ", 4);
    PutU32(bytes, 4, 124);
    PutU32(bytes, 8, 0x1007 | (mipmapFlag ? 0x20000u : 0u));
    PutU32(bytes, 12, height);
    PutU32(bytes, 16, width);
    PutU32(bytes, 28, mipmaps);
    PutU32(bytes, 80, pixelFlags);
    PutU32(bytes, 84, fourCC);
    PutU32(bytes, 88, bitCount);
    return bytes;
}

inline uint32_t Code(const char* text)
{
    uint32_t value = 0;
    memcpy(&value, text, 4);
    return value;
}

inline std::vector<uint8_t> WithPixels(std::vector<uint8_t> header, size_t count, uint8_t fill = 0)
{
    header.resize(header.size() + count, fill);
    return header;
}
} // namespace DDSTestFiles
