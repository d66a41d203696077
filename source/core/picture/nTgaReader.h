#pragma once

#include <cstddef>
#include <cstdint>

class nPicture;

// Decodes a whole TGA file held in memory (types 1, 2, 3, 9, 10 and 11) into BGRA8 pixels whose
// first row is the top row and first column the left column. Every count in the header is checked
// against the bytes that follow it before the caller allocates anything.
class nTgaReader
{
public:
    static constexpr size_t HeaderSize = 18;

    nTgaReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    // TGA files carry no signature: a header is taken for one when its colour map type and image
    // type are among those the format defines. Other formats (PNG, BMP, GIF, JPEG) never pass, so
    // they fall through to the codecs without a message.
    static bool IsTgaHeader(const uint8_t* header, size_t size);

    // Checks the header, reads the palette and logs why a file is refused.
    bool ParseHeader();
    uint32_t GetWidth() const { return m_width; }
    uint32_t GetHeight() const { return m_height; }
    bool IsRunLength() const { return m_runLength; }
    size_t GetPixelBytes() const { return size_t(m_width) * m_height * 4; }

    // Writes GetPixelBytes bytes. An uncompressed file may be decoded in place: the target may
    // be the start of the block that holds the file, when that block is large enough for both.
    bool Decode(uint8_t* target);

private:
    bool ReadPalette(uint32_t first, uint32_t entries, uint32_t entryBits);
    uint32_t DecodePixel(const uint8_t* bytes) const;
    bool LookUp(uint8_t index, uint32_t& pixel) const;
    bool DecodeValue(const uint8_t* bytes, uint32_t& pixel) const;
    bool DecodeUncompressed(uint8_t* target);
    bool DecodeRunLength(uint32_t* pixels, size_t count);
    void Orient(uint8_t* target) const;

    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_depth = 0;
    bool m_mapped = false;
    bool m_grey = false;
    bool m_runLength = false;
    bool m_topFirst = false;
    bool m_rightFirst = false;
    // Indexed by the pixel value: the file's entries fill m_paletteFirst up to m_paletteEnd.
    uint32_t m_palette[256] = {};
    uint32_t m_paletteFirst = 0;
    uint32_t m_paletteEnd = 0;
};
