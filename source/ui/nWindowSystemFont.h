#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nLinkedListId.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

struct FT_FaceRec_;
struct FT_LibraryRec_;

// A glyph's place in the face and its advance and height at one pixel size, in 1/64 pixel.
struct nGlyphMetrics
{
    uint32_t index = 0;
    int32_t advance = 0;
    int32_t height = 0;
};

// A rendered glyph: 8-bit coverage rows, placed from the pen by left and up by top.
struct nGlyphBitmap
{
    int32_t left = 0;
    int32_t top = 0;
    uint32_t width = 0;
    uint32_t rows = 0;
    std::vector<uint8_t> coverage;
};

// A TrueType face opened by FreeType from the font file's bytes, which it keeps for the face's
// lifetime. Its id is the file name it was loaded from. The face has one current pixel size;
// metrics and rendered glyphs are cached per size, so laying out and drawing the same text
// again asks FreeType nothing.
class nWindowSystemFont : public nLinkedListEntryId
{
public:
    // The bytes are taken over; Open must succeed before the font is used.
    explicit nWindowSystemFont(const nString& name, nAutoArray<uint8_t>&& bytes);
    ~nWindowSystemFont() override;
    nWindowSystemFont(const nWindowSystemFont&) = delete;
    nWindowSystemFont& operator=(const nWindowSystemFont&) = delete;

    bool Open(FT_LibraryRec_* library);
    FT_FaceRec_* GetFace() const { return m_face; }
    bool HasKerning() const { return m_hasKerning; }

    // Sizes are kept within 1..1024 pixels.
    void SetPixelSize(int32_t size);
    int32_t GetPixelSize() const { return m_size; }
    // Of the character at the current size; null when FreeType cannot load its glyph.
    const nGlyphMetrics* GetGlyphMetrics(uint32_t character);
    // Of the glyph index at the current size; null when it cannot be rendered.
    const nGlyphBitmap* GetGlyphBitmap(uint32_t index);
    // The kerning between two glyph indices at the current size, 0 without kerning.
    int32_t GetKerning(uint32_t left, uint32_t right) const;

    // Width and height in pixels of the UTF-8 text at that size: newlines are skipped, the width
    // sums the advances (with kerning), the height is the tallest glyph's.
    void GetTextExtent(const char* text, int32_t size, int32_t& width, int32_t& height);

private:
    static uint64_t Key(int32_t size, uint32_t code) { return (uint64_t(uint32_t(size)) << 32) | code; }

    nAutoArray<uint8_t> m_bytes;
    FT_FaceRec_* m_face = nullptr;
    bool m_hasKerning = false;
    int32_t m_size = 0;
    std::unordered_map<uint64_t, nGlyphMetrics> m_metrics;
    std::unordered_map<uint64_t, nGlyphBitmap> m_bitmaps;
    size_t m_bitmapBytes = 0;
};
