#pragma once

#include <cstddef>
#include <cstdint>

class nPicture;

// Decodes a whole TGA file held in memory (types 1, 2, 3, 9 and 10) into a BGRA8 picture whose
// first row is the top row. Every count in the header is checked against the bytes that follow
// it before anything is allocated; the picture is only replaced when decoding succeeds.
class nTgaReader
{
public:
    static constexpr size_t HeaderSize = 18;

    nTgaReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    // False without a message when the header names no supported image type, so that files of
    // other formats can fall through to the codecs quietly.
    static bool HasSupportedType(const uint8_t* header, size_t size);

    bool Read(nPicture& picture);

private:
    bool ReadPalette(uint32_t entries, uint32_t entryBits);
    uint32_t DecodePixel(const uint8_t* bytes) const;
    bool DecodeIndices(uint32_t* pixels, size_t count);
    void DecodeTrueColour(uint32_t* pixels, uint32_t width, uint32_t height, bool topFirst);
    bool DecodeRunLength(uint32_t* pixels, size_t count, bool mapped);
    bool LookUp(uint8_t index, uint32_t& pixel) const;

    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
    uint32_t m_depth = 0;
    uint32_t m_palette[256] = {};
    uint32_t m_paletteCount = 0;
};
