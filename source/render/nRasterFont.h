#pragma once

#include "core/base/nList.h"
#include "core/base/nSharedPtr.h"
#include "platform/nstring/nString.h"

#include <cstdint>

class nEngineServices;
class nTexture;

// One character of a raster font; every measure is a fraction of the page's size.
struct nRasterGlyph
{
    bool valid = false;
    float u = 0.0f;
    float v = 0.0f;
    float w = 0.0f;
    float h = 0.0f;
    float offsetU = 0.0f;
    float offsetV = 0.0f;
    float step = 0.0f; // the advance
    int32_t page = 0;
};

// A font of 256 glyphs drawn from page textures, for the renderer's own text (the profiler and
// the script writer fonts). Its description is NML: "Font:Common;" holds "Height", "BaseLine" and
// "PageCount", and each "Char" of "Font" one glyph. Page n is the picture "<base>_<nn>.tga",
// loaded through the engine's texture loader; the base is the description path without the
// file name's extension unless Load is given one.
class nRasterFont
{
public:
    static constexpr uint32_t GlyphCount = 256;
    static constexpr int32_t MaxPageCount = 256;

    explicit nRasterFont(nEngineServices* engine);
    nRasterFont(const nRasterFont&) = delete;
    nRasterFont& operator=(const nRasterFont&) = delete;
    ~nRasterFont();

    // False after one "[!]" line, with the font left empty; problems with single glyphs only
    // log a "[*]" line and skip the glyph.
    bool Load(const char* path, const char* pageBase = nullptr);
    void Clear();

    // Null for a code without a valid glyph.
    const nRasterGlyph* GetGlyph(uint32_t code) const;
    // Null past the pages or for a page whose picture did not load.
    nTexture* GetPageTexture(uint32_t page) const;
    uint32_t GetPageCount() const { return m_pages.GetCount(); }
    // As stored (normalised) or in pixels of page 0's width; -1 without pages.
    float GetLineHeight(bool normalised) const;
    float GetBaseline(bool normalised) const;
    // One line, up to the end or a newline: the sum of the glyphs' steps and the line height,
    // in pixels of page 0 unless normalised; (-1, -1) without pages.
    void ComputeTextSize(const char* text, bool normalised, float& width, float& height) const;
    // Every line: the widest line and one line height per line.
    void ComputeTextBlockSize(const char* text, bool normalised, float& width, float& height) const;

    const nString& GetName() const { return m_name; }
    nEngineServices* GetEngine() const { return m_engine; }

private:
    bool ReadHeader(const class nMetaTag& common, const char* path);
    void ReadGlyph(const class nMetaTag& tag, const char* path);
    // Page 0's picture size; false without it.
    bool GetPageSize(float& width, float& height) const;

    nEngineServices* m_engine;
    nList<nSharedPtr<nTexture>> m_pages;
    nRasterGlyph m_glyphs[GlyphCount];
    float m_height = 0.0f;
    float m_baseLine = 0.0f;
    int32_t m_pageCount = 0; // as the description declares it
    nString m_name;
};
