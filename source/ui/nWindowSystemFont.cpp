#include "ui/nWindowSystemFont.h"

#include <ft2build.h>
#include <freetype/freetype.h>

#include <algorithm>
#include <cstring>

namespace
{
constexpr int32_t MinPixelSize = 1;
constexpr int32_t MaxPixelSize = 1024;
// Past these the caches start again, so that many sizes or a large alphabet cannot grow them
// without bound.
constexpr size_t MaxCachedMetrics = 16384;
constexpr size_t MaxCachedBitmapBytes = size_t(16) << 20;
} // namespace

nWindowSystemFont::nWindowSystemFont(const nString& name, nAutoArray<uint8_t>&& bytes)
    : nLinkedListEntryId(name), m_bytes(std::move(bytes))
{
}

nWindowSystemFont::~nWindowSystemFont()
{
    if (m_face)
        FT_Done_Face(m_face);
}

bool nWindowSystemFont::Open(FT_LibraryRec_* library)
{
    if (!library || m_face || m_bytes.GetCount() == 0)
        return false;
    if (FT_New_Memory_Face(library, m_bytes.GetData(), FT_Long(m_bytes.GetCount()), 0, &m_face) != 0)
    {
        m_face = nullptr;
        return false;
    }
    m_hasKerning = FT_HAS_KERNING(m_face);
    return true;
}

void nWindowSystemFont::SetPixelSize(int32_t size)
{
    size = std::clamp(size, MinPixelSize, MaxPixelSize);
    if (!m_face || size == m_size)
        return;
    if (FT_Set_Pixel_Sizes(m_face, 0, FT_UInt(size)) == 0)
        m_size = size;
}

const nGlyphMetrics* nWindowSystemFont::GetGlyphMetrics(uint32_t character)
{
    if (!m_face || m_size == 0)
        return nullptr;
    const uint64_t key = Key(m_size, character);
    auto found = m_metrics.find(key);
    if (found != m_metrics.end())
        return &found->second;
    nGlyphMetrics metrics;
    metrics.index = FT_Get_Char_Index(m_face, FT_ULong(character));
    if (FT_Load_Glyph(m_face, metrics.index, FT_LOAD_DEFAULT) != 0)
        return nullptr;
    metrics.advance = int32_t(m_face->glyph->advance.x);
    metrics.height = int32_t(m_face->glyph->metrics.height);
    if (m_metrics.size() >= MaxCachedMetrics)
        m_metrics.clear();
    return &m_metrics.emplace(key, metrics).first->second;
}

const nGlyphBitmap* nWindowSystemFont::GetGlyphBitmap(uint32_t index)
{
    if (!m_face || m_size == 0)
        return nullptr;
    const uint64_t key = Key(m_size, index);
    auto found = m_bitmaps.find(key);
    if (found != m_bitmaps.end())
        return &found->second;
    if (FT_Load_Glyph(m_face, index, FT_LOAD_RENDER) != 0)
        return nullptr;
    const FT_GlyphSlot slot = m_face->glyph;
    const FT_Bitmap& source = slot->bitmap;
    nGlyphBitmap bitmap;
    bitmap.left = slot->bitmap_left;
    bitmap.top = slot->bitmap_top;
    // Only 8-bit coverage is drawn; another pixel mode (a bitmap strike) draws as an empty glyph.
    if (source.pixel_mode == FT_PIXEL_MODE_GRAY && source.buffer)
    {
        bitmap.width = source.width;
        bitmap.rows = source.rows;
        bitmap.coverage.resize(size_t(source.width) * source.rows);
        for (uint32_t row = 0; row < source.rows; ++row)
        {
            // A negative pitch stores the rows bottom to top.
            const uint32_t stored = source.pitch < 0 ? source.rows - 1 - row : row;
            const size_t offset = size_t(stored) * size_t(source.pitch < 0 ? -source.pitch : source.pitch);
            std::memcpy(bitmap.coverage.data() + size_t(row) * source.width, source.buffer + offset,
                        source.width);
        }
    }
    if (m_bitmapBytes + bitmap.coverage.size() > MaxCachedBitmapBytes)
    {
        m_bitmaps.clear();
        m_bitmapBytes = 0;
    }
    m_bitmapBytes += bitmap.coverage.size();
    return &m_bitmaps.emplace(key, std::move(bitmap)).first->second;
}

int32_t nWindowSystemFont::GetKerning(uint32_t left, uint32_t right) const
{
    if (!m_hasKerning || !m_face || left == 0 || right == 0)
        return 0;
    FT_Vector delta{};
    if (FT_Get_Kerning(m_face, left, right, FT_KERNING_DEFAULT, &delta) != 0)
        return 0;
    return int32_t(delta.x);
}

void nWindowSystemFont::GetTextExtent(const char* text, int32_t size, int32_t& width, int32_t& height)
{
    width = 0;
    height = 0;
    if (!text || !m_face)
        return;
    SetPixelSize(size);
    int64_t sum = 0;
    int32_t tallest = 0;
    uint32_t previous = 0;
    while (*text)
    {
        uint32_t character = 0;
        const int length = Utf8DecodeChar(text, &character);
        text += length > 0 ? length : 1;
        if (character == '\n')
            continue;
        const nGlyphMetrics* metrics = GetGlyphMetrics(character);
        if (!metrics)
            continue;
        sum += GetKerning(previous, metrics->index) + metrics->advance;
        tallest = std::max(tallest, metrics->height);
        previous = metrics->index;
    }
    width = int32_t(std::clamp<int64_t>(sum >> 6, 0, INT32_MAX));
    height = tallest >> 6;
}
