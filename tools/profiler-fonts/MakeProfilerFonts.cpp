// Writes a raster font (a description "<base>.nml" and 32-bit pages "<base>_NN.tga", white with
// the glyphs' coverage as alpha) from a TrueType face at one pixel size:
//
//   make_profiler_fonts <face.ttf> <pixel size> <output base>
//
// The profiler fonts of the core data were made with
//   make_profiler_fonts data/core/default.ttf 14 data/core/fonts/profiler_base
//   make_profiler_fonts /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf 14 data/core/fonts/profiler_bold
//
// Every measure in the description is a fraction of the page's side: a glyph's box (U, V, W, H),
// its offset from the pen at the top of the line (OffsetU, OffsetV) and its advance (Step);
// Height is the line's height and BaseLine the distance from the line's top to the baseline.

#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/picture/nPicture.h"
#include "platform/nPlatform.h"
#include "ui/nFontSystem.h"
#include "ui/nWindowSystemFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
constexpr uint32_t PageSide = 256;
constexpr int32_t Padding = 1;

struct PlacedGlyph
{
    uint32_t code;
    uint32_t page;
    int32_t x, y;
    const nGlyphBitmap* bitmap;
    int32_t advance; // 1/64 pixel
};

std::vector<uint32_t> Characters()
{
    std::vector<uint32_t> codes;
    for (uint32_t code = 32; code < 127; ++code)
        codes.push_back(code);
    for (uint32_t code = 160; code < 256; ++code)
        codes.push_back(code);
    return codes;
}

void CopyGlyph(nPicture& page, const nGlyphBitmap& bitmap, int32_t x, int32_t y)
{
    for (uint32_t row = 0; row < bitmap.rows; ++row)
        for (uint32_t column = 0; column < bitmap.width; ++column)
        {
            const uint32_t coverage = bitmap.coverage[size_t(row) * bitmap.width + column];
            *reinterpret_cast<uint32_t*>(page.GetPixelAddress(uint32_t(x) + column, uint32_t(y) + row)) =
                (coverage << 24) | 0x00FFFFFFu;
        }
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: make_profiler_fonts <face.ttf> <pixel size> <output base>\n");
        return 2;
    }
    const int32_t size = std::atoi(argv[2]);
    const nString base(argv[3]);
    nSharedPtr<nIOCFile> host(new nIOCFile(nString("")));
    nPlatform::Get().GetIOSystem().Mount(host.Get());
    if (!FontSystemStartup(argv[1]) || size < 4 || size > 128)
        return 1;
    nWindowSystemFont* font = FontSystemGetDefaultFont();
    font->SetPixelSize(size);
    const FT_Size_Metrics& metrics = font->GetFace()->size->metrics;
    const int32_t ascender = int32_t((metrics.ascender + 63) >> 6);
    const int32_t lineHeight = int32_t((metrics.height + 63) >> 6);

    std::vector<PlacedGlyph> glyphs;
    uint32_t page = 0;
    int32_t x = Padding, y = Padding, rowHeight = 0;
    for (uint32_t code : Characters())
    {
        const nGlyphMetrics* glyph = font->GetGlyphMetrics(code);
        if (!glyph)
            continue;
        const uint32_t index = glyph->index;
        const int32_t advance = glyph->advance;
        const nGlyphBitmap* bitmap = font->GetGlyphBitmap(index);
        if (!bitmap)
            continue;
        const int32_t width = int32_t(bitmap->width), height = int32_t(bitmap->rows);
        if (x + width + Padding > int32_t(PageSide))
        {
            x = Padding;
            y += rowHeight + Padding;
            rowHeight = 0;
        }
        if (y + height + Padding > int32_t(PageSide))
        {
            ++page;
            x = y = Padding;
            rowHeight = 0;
        }
        glyphs.push_back(PlacedGlyph{code, page, x, y, bitmap, advance});
        x += width + Padding;
        rowHeight = std::max(rowHeight, height);
    }

    const float side = float(PageSide);
    nMetaFile description;
    nMetaTag* root = description.AddRoot("Font");
    nMetaTag* common = root->AddChild("Common");
    common->AddChildFloat("Height", float(lineHeight) / side);
    common->AddChildFloat("BaseLine", float(ascender) / side);
    common->AddChildInt("PageCount", int32_t(page + 1));
    std::vector<nPicture> pages(page + 1);
    for (nPicture& picture : pages)
    {
        picture.Allocate(PageSide, PageSide, PixelFormatBGRA8);
        picture.Fill(1.0f, 1.0f, 1.0f, 0.0f);
    }
    for (const PlacedGlyph& glyph : glyphs)
    {
        CopyGlyph(pages[glyph.page], *glyph.bitmap, glyph.x, glyph.y);
        nMetaTag* tag = root->AddChild("Char");
        tag->AddChildInt("Id", int32_t(glyph.code));
        tag->AddChildFloat("U", float(glyph.x) / side);
        tag->AddChildFloat("V", float(glyph.y) / side);
        tag->AddChildFloat("W", float(glyph.bitmap->width) / side);
        tag->AddChildFloat("H", float(glyph.bitmap->rows) / side);
        tag->AddChildFloat("OffsetU", float(glyph.bitmap->left) / side);
        tag->AddChildFloat("OffsetV", float(ascender - glyph.bitmap->top) / side);
        tag->AddChildFloat("Step", float(glyph.advance) / 64.0f / side);
        tag->AddChildInt("Page", int32_t(glyph.page));
    }
    bool written = description.Save((base + ".nml").GetText());
    for (uint32_t n = 0; n < pages.size(); ++n)
    {
        char suffix[16];
        std::snprintf(suffix, sizeof(suffix), "_%02u.tga", n);
        written = nPicture::SaveTGA(pages[n], base + suffix) && written;
    }
    FontSystemShutdown();
    return written ? 0 : 1;
}
