#include "core/picture/nTgaReader.h"

#include "core/base/nLog.h"
#include "core/picture/nPicture.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

enum : uint8_t
{
    TypeMapped = 1,
    TypeTrueColour = 2,
    TypeGrey = 3,
    TypeMappedRunLength = 9,
    TypeTrueColourRunLength = 10,
    TypeGreyRunLength = 11,
};

// Defined by the format but not read here: no image data, and the two Huffman-coded types.
constexpr uint8_t TypeNoImage = 0;
constexpr uint8_t TypeHuffman = 32;
constexpr uint8_t TypeHuffmanQuadtree = 33;

constexpr uint8_t DescriptorRightFirst = 0x10;
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

// An 8-bit grey value fills all four bytes: grey font pages are their own coverage.
uint32_t FromGrey(const uint8_t* bytes)
{
    return bytes[0] * 0x01010101u;
}

// 16-bit grey files hold the grey value, then its alpha.
uint32_t FromGreyAlpha(const uint8_t* bytes)
{
    return Bgra(bytes[0], bytes[0], bytes[0], bytes[1]);
}

uint32_t From24(const uint8_t* bytes)
{
    return Bgra(bytes[0], bytes[1], bytes[2], 0xFF);
}

uint32_t From32(const uint8_t* bytes)
{
    return Bgra(bytes[0], bytes[1], bytes[2], bytes[3]);
}

// Pixels are widened from the last to the first, so that in place no value is overwritten
// before it is read, except those of the first few pixels when the pixel data starts within
// their widened bytes: those are set aside first.
template <uint32_t Bytes, typename Convert>
void WidenBackward(uint8_t* target, const uint8_t* source, size_t count, Convert convert)
{
    size_t setAside = 0;
    const uintptr_t from = reinterpret_cast<uintptr_t>(source), to = reinterpret_cast<uintptr_t>(target);
    if (from > to && from < to + count * 4)
        setAside = std::min(count, (from - to - 1) / (4 - Bytes) + 1);
    std::vector<uint8_t> firstValues(source, source + setAside * Bytes);
    for (size_t i = count; i-- > setAside;)
    {
        const uint32_t pixel = convert(source + i * Bytes);
        std::memcpy(target + i * 4, &pixel, 4);
    }
    for (size_t i = 0; i < setAside; ++i)
    {
        const uint32_t pixel = convert(firstValues.data() + i * Bytes);
        std::memcpy(target + i * 4, &pixel, 4);
    }
}

} // namespace

bool nTgaReader::IsTgaHeader(const uint8_t* header, size_t size)
{
    if (size < HeaderSize || header[1] > 1)
        return false;
    switch (header[2])
    {
    case TypeNoImage:
    case TypeMapped:
    case TypeTrueColour:
    case TypeGrey:
    case TypeMappedRunLength:
    case TypeTrueColourRunLength:
    case TypeGreyRunLength:
    case TypeHuffman:
    case TypeHuffmanQuadtree:
        return true;
    default:
        return false;
    }
}

bool nTgaReader::ReadPalette(uint32_t first, uint32_t entries, uint32_t entryBits)
{
    const uint32_t entryBytes = entryBits / 8;
    if (uint64_t(entries) * entryBytes > m_size - m_position)
    {
        nLogHolder::Get() << "[!] TGA palette of " << entries << " entries is longer than the file.\n";
        return false;
    }
    // Pixel values index the map from its first entry; entries past 255 cannot be reached.
    m_paletteFirst = std::min(first, 256u);
    m_paletteEnd = std::min(first + entries, 256u);
    for (uint32_t index = m_paletteFirst; index < m_paletteEnd; ++index)
    {
        const uint8_t* entry = m_data + m_position + size_t(index - first) * entryBytes;
        if (entryBytes == 2)
            m_palette[index] = From16(entry);
        else if (entryBytes == 3)
        {
            // Pure magenta is the transparent colour of 24-bit palettes.
            const bool magenta = entry[0] == 0xFF && entry[1] == 0x00 && entry[2] == 0xFF;
            m_palette[index] = Bgra(entry[0], entry[1], entry[2], magenta ? 0x00 : 0xFF);
        }
        else
            m_palette[index] = From32(entry);
    }
    m_position += size_t(entries) * entryBytes;
    return true;
}

uint32_t nTgaReader::DecodePixel(const uint8_t* bytes) const
{
    switch (m_depth)
    {
    case 8:
        return FromGrey(bytes);
    case 16:
        return m_grey ? FromGreyAlpha(bytes) : From16(bytes);
    case 24:
        return From24(bytes);
    default:
        return From32(bytes);
    }
}

bool nTgaReader::LookUp(uint8_t index, uint32_t& pixel) const
{
    if (index < m_paletteFirst || index >= m_paletteEnd)
    {
        nLog& log = nLogHolder::Get()
                    << "[!] TGA pixel index " << unsigned(index) << " is outside the palette of "
                    << m_paletteEnd - m_paletteFirst << " entries";
        if (m_paletteFirst != 0)
            log << " from index " << m_paletteFirst;
        log << ".\n";
        return false;
    }
    pixel = m_palette[index];
    return true;
}

bool nTgaReader::DecodeValue(const uint8_t* bytes, uint32_t& pixel) const
{
    if (m_mapped)
        return LookUp(bytes[0], pixel);
    pixel = DecodePixel(bytes);
    return true;
}

bool nTgaReader::DecodeUncompressed(uint8_t* target)
{
    const uint8_t* source = m_data + m_position;
    const size_t count = size_t(m_width) * m_height;
    if (m_mapped)
    {
        // Indices are checked before any pixel is written.
        const auto [smallest, largest] = std::minmax_element(source, source + count);
        uint32_t pixel;
        if (!LookUp(*smallest, pixel) || !LookUp(*largest, pixel))
            return false;
        const uint32_t* palette = m_palette;
        WidenBackward<1>(target, source, count, [palette](const uint8_t* v) { return palette[v[0]]; });
        return true;
    }
    switch (m_depth)
    {
    case 8:
        WidenBackward<1>(target, source, count, FromGrey);
        break;
    case 16:
        if (m_grey)
            WidenBackward<2>(target, source, count, FromGreyAlpha);
        else
            WidenBackward<2>(target, source, count, From16);
        break;
    case 24:
        WidenBackward<3>(target, source, count, From24);
        break;
    default:
        std::memmove(target, source, count * 4);
        break;
    }
    return true;
}

// A truncated packet stream ends decoding: what was decoded stays and the rest remains zero.
bool nTgaReader::DecodeRunLength(uint32_t* pixels, size_t count)
{
    const uint32_t bytes = m_mapped ? 1 : m_depth / 8;
    size_t written = 0;
    while (written < count && m_position < m_size)
    {
        const uint8_t header = m_data[m_position++];
        const bool run = header >= 128;
        const size_t length = std::min<size_t>(run ? header - 127u : header + 1u, count - written);
        const size_t values = run ? 1 : length;
        const size_t readable = std::min(values, (m_size - m_position) / bytes);
        for (size_t i = 0; i < readable; ++i, m_position += bytes)
        {
            uint32_t pixel;
            if (!DecodeValue(m_data + m_position, pixel))
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

bool nTgaReader::ParseHeader()
{
    if (!IsTgaHeader(m_data, m_size))
        return false;
    const uint8_t* header = m_data;
    const uint8_t type = header[2];
    if (type == TypeNoImage || type == TypeHuffman || type == TypeHuffmanQuadtree)
    {
        nLogHolder::Get() << "[!] TGA image type " << unsigned(type) << " is not supported.\n";
        return false;
    }
    const uint32_t mapFirst = ReadU16(header + 3);
    const uint32_t mapLength = ReadU16(header + 5);
    const uint32_t mapBits = header[7];
    m_width = ReadU16(header + 12);
    m_height = ReadU16(header + 14);
    m_depth = header[16];
    m_topFirst = (header[17] & DescriptorTopFirst) != 0;
    m_rightFirst = (header[17] & DescriptorRightFirst) != 0;
    m_mapped = type == TypeMapped || type == TypeMappedRunLength;
    m_grey = type == TypeGrey || type == TypeGreyRunLength;
    m_runLength = type == TypeMappedRunLength || type == TypeTrueColourRunLength || type == TypeGreyRunLength;

    m_position = HeaderSize + header[0];
    if (m_position > m_size)
    {
        nLogHolder::Get() << "[!] TGA file ends inside its image ID.\n";
        return false;
    }
    if (m_mapped)
    {
        if (mapBits != 16 && mapBits != 24 && mapBits != 32)
        {
            nLogHolder::Get()
                << "[!] Palette is in unsupported pixel format (neither RGB16, RGB24 or BGR8).\n";
            return false;
        }
        if (m_depth != 8)
        {
            nLogHolder::Get() << "[!] TGA colour-mapped picture with " << m_depth
                              << "-bit indices is not supported.\n";
            return false;
        }
        if (!ReadPalette(mapFirst, mapLength, mapBits))
            return false;
    }
    else
    {
        // 8-bit true-colour pixels read as grey, but only uncompressed ones.
        const bool depthKnown =
            m_depth == 16 || m_depth == 24 || m_depth == 32 || (m_depth == 8 && (m_grey || !m_runLength));
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
                nLogHolder::Get() << "[!] TGA palette of " << mapLength
                                  << " entries is longer than the file.\n";
                return false;
            }
            m_position += mapBytes;
        }
    }

    const uint32_t valueBytes = m_mapped ? 1 : m_depth / 8;
    const uint64_t count = uint64_t(m_width) * m_height;
    const uint64_t leastBytes = m_runLength ? (count + 127) / 128 * (1 + valueBytes) : count * valueBytes;
    if (leastBytes > m_size - m_position)
    {
        nLogHolder::Get() << "[!] TGA header claims " << m_width << "x" << m_height
                          << " pixels, more than the file holds.\n";
        return false;
    }
    if (count == 0 || count * 4 > nPicture::MaxBlockBytes)
    {
        nPicture::LogAllocationFailure(m_width, m_height, 32);
        return false;
    }
    return true;
}

bool nTgaReader::Decode(uint8_t* target)
{
    const size_t count = size_t(m_width) * m_height;
    if (m_runLength ? !DecodeRunLength(reinterpret_cast<uint32_t*>(target), count)
                    : !DecodeUncompressed(target))
        return false;
    Orient(target);
    return true;
}

// Files may store their rows bottom first and their columns right first; pictures are top first
// and left first.
void nTgaReader::Orient(uint8_t* target) const
{
    const size_t pitch = size_t(m_width) * 4;
    if (!m_topFirst)
        for (uint32_t top = 0, bottom = m_height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(target + top * pitch, target + (top + 1) * pitch, target + bottom * pitch);
    if (m_rightFirst)
        for (uint32_t row = 0; row < m_height; ++row)
        {
            uint32_t* pixels = reinterpret_cast<uint32_t*>(target + row * pitch);
            std::reverse(pixels, pixels + m_width);
        }
}
