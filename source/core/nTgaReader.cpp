#include "core/nTgaReader.h"

#include "core/nLog.h"
#include "core/nPicture.h"

#include <algorithm>
#include <cstring>

namespace
{

enum : uint8_t
{
    TypeMapped = 1,
    TypeTrueColour = 2,
    TypeGrey = 3,
    TypeMappedRunLength = 9,
    TypeTrueColourRunLength = 10,
};

constexpr uint8_t DescriptorTopFirst = 0x20;

uint16_t ReadU16(const uint8_t* bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t Bgra(uint32_t blue, uint32_t green, uint32_t red, uint32_t alpha)
{
    return blue | green << 8 | red << 16 | alpha << 24;
}

uint32_t From16(const uint8_t* bytes)
{
    const uint32_t v = ReadU16(bytes);
    return Bgra((v << 3) & 0xF8, (v >> 2) & 0xF8, (v >> 7) & 0xF8, 0xFF);
}

} // namespace

bool nTgaReader::HasSupportedType(const uint8_t* header, size_t size)
{
    if (size < HeaderSize)
        return false;
    const uint8_t type = header[2];
    return type == TypeMapped || type == TypeTrueColour || type == TypeGrey || type == TypeMappedRunLength ||
           type == TypeTrueColourRunLength;
}

bool nTgaReader::ReadPalette(uint32_t entries, uint32_t entryBits)
{
    const uint32_t entryBytes = entryBits / 8;
    if (uint64_t(entries) * entryBytes > m_size - m_position)
    {
        nLogHolder::Get() << "[!] TGA palette of " << entries << " entries is longer than the file.\n";
        return false;
    }
    m_paletteCount = std::min(entries, 256u);
    for (uint32_t i = 0; i < m_paletteCount; ++i)
    {
        const uint8_t* entry = m_data + m_position + size_t(i) * entryBytes;
        if (entryBytes == 2)
            m_palette[i] = From16(entry);
        else if (entryBytes == 3)
        {
            // Pure magenta is the transparent colour of 24-bit palettes.
            const bool magenta = entry[0] == 0xFF && entry[1] == 0x00 && entry[2] == 0xFF;
            m_palette[i] = Bgra(entry[0], entry[1], entry[2], magenta ? 0x00 : 0xFF);
        }
        else
            m_palette[i] = Bgra(entry[0], entry[1], entry[2], entry[3]);
    }
    m_position += size_t(entries) * entryBytes;
    return true;
}

uint32_t nTgaReader::DecodePixel(const uint8_t* bytes) const
{
    switch (m_depth)
    {
    case 8:
        return Bgra(bytes[0], bytes[0], bytes[0], bytes[0]);
    case 16:
        return From16(bytes);
    case 24:
        return Bgra(bytes[0], bytes[1], bytes[2], 0xFF);
    default:
        return Bgra(bytes[0], bytes[1], bytes[2], bytes[3]);
    }
}

bool nTgaReader::LookUp(uint8_t index, uint32_t& pixel) const
{
    if (index >= m_paletteCount)
    {
        nLogHolder::Get() << "[!] TGA pixel index " << unsigned(index) << " is outside the palette of "
                          << m_paletteCount << " entries.\n";
        return false;
    }
    pixel = m_palette[index];
    return true;
}

bool nTgaReader::DecodeIndices(uint32_t* pixels, size_t count)
{
    const uint8_t* indices = m_data + m_position;
    for (size_t i = 0; i < count; ++i)
        if (!LookUp(indices[i], pixels[i]))
            return false;
    return true;
}

void nTgaReader::DecodeTrueColour(uint32_t* pixels, uint32_t width, uint32_t height, bool topFirst)
{
    const uint32_t bytes = m_depth / 8;
    const size_t fileRow = size_t(width) * bytes;
    for (uint32_t row = 0; row < height; ++row)
    {
        const uint8_t* source = m_data + m_position + row * fileRow;
        uint32_t* target = pixels + size_t(topFirst ? row : height - 1 - row) * width;
        switch (m_depth)
        {
        case 32:
            std::memcpy(target, source, fileRow);
            break;
        case 24:
            for (uint32_t x = 0; x < width; ++x, source += 3)
                target[x] = Bgra(source[0], source[1], source[2], 0xFF);
            break;
        case 16:
            for (uint32_t x = 0; x < width; ++x, source += 2)
                target[x] = From16(source);
            break;
        default:
            for (uint32_t x = 0; x < width; ++x)
                target[x] = source[x] * 0x01010101u;
            break;
        }
    }
}

// A truncated packet stream ends decoding: what was decoded stays and the rest remains zero.
bool nTgaReader::DecodeRunLength(uint32_t* pixels, size_t count, bool mapped)
{
    const uint32_t bytes = mapped ? 1 : m_depth / 8;
    size_t written = 0;
    while (written < count && m_position < m_size)
    {
        const uint8_t header = m_data[m_position++];
        const bool run = header >= 128;
        const size_t length = std::min<size_t>(run ? header - 127u : header + 1u, count - written);
        const size_t values = run ? 1 : length;
        const size_t available = (m_size - m_position) / bytes;
        const size_t readable = std::min(values, available);
        for (size_t i = 0; i < readable; ++i, m_position += bytes)
        {
            uint32_t pixel;
            if (!mapped)
                pixel = DecodePixel(m_data + m_position);
            else if (!LookUp(m_data[m_position], pixel))
                return false;
            if (run)
            {
                std::fill_n(pixels + written, length, pixel);
                written += length;
            }
            else
                pixels[written++] = pixel;
        }
        if (readable < values)
            break;
        if (!run)
            m_position += (header + 1u - length) * bytes; // a raw packet cut at the last pixel
    }
    std::fill(pixels + written, pixels + count, 0u);
    return true;
}

bool nTgaReader::Read(nPicture& picture)
{
    if (!HasSupportedType(m_data, m_size))
        return false;
    const uint8_t* header = m_data;
    const uint8_t type = header[2];
    const uint32_t mapLength = ReadU16(header + 5);
    const uint32_t mapBits = header[7];
    const uint32_t width = ReadU16(header + 12);
    const uint32_t height = ReadU16(header + 14);
    m_depth = header[16];
    bool topFirst = (header[17] & DescriptorTopFirst) != 0;
    const bool mapped = type == TypeMapped || type == TypeMappedRunLength;
    const bool runLength = type == TypeMappedRunLength || type == TypeTrueColourRunLength;

    m_position = HeaderSize + header[0];
    if (m_position > m_size)
    {
        nLogHolder::Get() << "[!] TGA file ends inside its image ID.\n";
        return false;
    }
    if (mapped)
    {
        if (mapBits != 16 && mapBits != 24 && mapBits != 32)
        {
            nLogHolder::Get() << "[!] Palette is in unsupported pixel format (neither RGB16, RGB24 or BGR8).\n";
            return false;
        }
        if (m_depth != 8)
        {
            nLogHolder::Get() << "[!] TGA colour-mapped picture with " << m_depth << "-bit indices is not supported.\n";
            return false;
        }
        if (!ReadPalette(mapLength, mapBits))
            return false;
    }
    else
    {
        const bool depthKnown = m_depth == 16 || m_depth == 24 || m_depth == 32 || (m_depth == 8 && !runLength);
        if (!depthKnown)
        {
            nLogHolder::Get() << "[!] TGA pixel depth " << m_depth << " is not supported for image type "
                              << unsigned(type) << ".\n";
            return false;
        }
        // A colour map in a true-colour file precedes the pixels and is skipped.
        if (header[1] == 1)
        {
            const size_t mapBytes = size_t(mapLength) * ((mapBits + 7) / 8);
            if (mapBytes > m_size - m_position)
            {
                nLogHolder::Get() << "[!] TGA palette of " << mapLength << " entries is longer than the file.\n";
                return false;
            }
            m_position += mapBytes;
        }
    }

    const uint32_t valueBytes = mapped ? 1 : m_depth / 8;
    const uint64_t count = uint64_t(width) * height;
    const uint64_t leastBytes = runLength ? (count + 127) / 128 * (1 + valueBytes) : count * valueBytes;
    if (leastBytes > m_size - m_position)
    {
        nLogHolder::Get() << "[!] TGA header claims " << width << "x" << height
                          << " pixels, more than the file holds.\n";
        return false;
    }
    const uint64_t blockBytes = count * 4;
    uint8_t* block = blockBytes != 0 && blockBytes <= nPicture::MaxBlockBytes
                         ? picture.AllocBlock(size_t(blockBytes))
                         : nullptr;
    if (!block)
    {
        nPicture::LogAllocationFailure(width, height, 32);
        return false;
    }

    uint32_t* pixels = reinterpret_cast<uint32_t*>(block);
    bool decoded = true;
    if (runLength)
        decoded = DecodeRunLength(pixels, count, mapped);
    else if (mapped)
        decoded = DecodeIndices(pixels, count);
    else
    {
        DecodeTrueColour(pixels, width, height, topFirst);
        topFirst = true;
    }
    if (!decoded)
    {
        picture.FreeBlock(block);
        return false;
    }
    if (!topFirst)
    {
        const size_t pitch = size_t(width) * 4;
        for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(block + top * pitch, block + (top + 1) * pitch, block + bottom * pitch);
    }
    picture.SetBuffer(block, width, height, PixelFormatBGRA8, true);
    return true;
}
