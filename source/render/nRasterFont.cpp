#include "render/nRasterFont.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "geometry/nTexture.h"
#include "render/nEngineServices.h"

#include <algorithm>
#include <cstdio>

namespace
{
// A Real, or an Integer taken as a number; false for any other value.
bool ReadNumber(const nMetaTag& tag, float& value)
{
    if (tag.GetValue().GetFloat(value))
        return true;
    int32_t integer = 0;
    if (!tag.GetValue().GetInt(integer))
        return false;
    value = float(integer);
    return true;
}

// The path without its file name's extension: a dot in a folder name is no extension.
nString PageBaseOf(const char* path)
{
    nString base(path);
    const char* text = base.GetText() ? base.GetText() : "";
    int64_t dot = -1;
    for (int64_t i = int64_t(base.GetLength()) - 1; i >= 0; --i)
    {
        if (text[i] == '/' || text[i] == '\\' || text[i] == ':')
            break;
        if (text[i] == '.')
        {
            dot = i;
            break;
        }
    }
    return dot < 0 ? base : base.Left(uint32_t(dot));
}
} // namespace

nRasterFont::nRasterFont(nEngineServices* engine) : m_engine(engine) {}

nRasterFont::~nRasterFont()
{
    Clear();
}

void nRasterFont::Clear()
{
    m_pages.Clear();
    for (nRasterGlyph& glyph : m_glyphs)
        glyph = nRasterGlyph();
    m_height = 0.0f;
    m_baseLine = 0.0f;
    m_pageCount = 0;
    m_name = "";
}

bool nRasterFont::ReadHeader(const nMetaTag& common, const char* path)
{
    nLinkedListIterator iterator;
    while (nMetaTag* child = common.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Height")
            ReadNumber(*child, m_height);
        else if (name == "BaseLine")
            ReadNumber(*child, m_baseLine);
        else if (name == "PageCount")
            child->GetValue().GetInt(m_pageCount);
        else
            nLogHolder::Get() << "[*] Unexpected tag in font description header ('" << name << "').\n";
    }
    if (m_pageCount < 0 || m_pageCount > MaxPageCount)
    {
        nLogHolder::Get() << "[!] Invalid page count " << m_pageCount << " in font description '" << path
                          << "' (at most " << MaxPageCount << ").\n";
        return false;
    }
    return true;
}

// Ids of 256 and above are no characters of the font and are skipped without a word.
void nRasterFont::ReadGlyph(const nMetaTag& tag, const char* path)
{
    const nMetaTag* idTag = tag.GetTypedTag("Id;", TagTypeInteger);
    int32_t id = -1;
    if (!idTag || !idTag->GetValue().GetInt(id) || id < 0)
    {
        nLogHolder::Get() << "[*] Glyph with no or invalid ID in font '" << path << "', skipping.\n";
        return;
    }
    if (id >= int32_t(GlyphCount))
        return;
    nRasterGlyph glyph;
    glyph.valid = true;
    static const struct
    {
        const char* name;
        float nRasterGlyph::*field;
    } fields[] = {{"U", &nRasterGlyph::u},
                  {"V", &nRasterGlyph::v},
                  {"W", &nRasterGlyph::w},
                  {"H", &nRasterGlyph::h},
                  {"OffsetU", &nRasterGlyph::offsetU},
                  {"OffsetV", &nRasterGlyph::offsetV},
                  {"Step", &nRasterGlyph::step}};
    for (const auto& field : fields)
        if (const nMetaTag* value = tag.GetTag(field.name))
            ReadNumber(*value, glyph.*field.field);
    if (const nMetaTag* page = tag.GetTag("Page"))
        page->GetValue().GetInt(glyph.page);
    if (glyph.page < 0 || glyph.page >= m_pageCount)
    {
        nLogHolder::Get() << "[*] Invalid glyph page in font '" << path << "' (Glyph #" << id
                          << "), skipping.\n";
        glyph.valid = false;
    }
    m_glyphs[id] = glyph;
}

bool nRasterFont::Load(const char* path, const char* pageBase)
{
    Clear();
    nMetaFile description;
    if (!path || !description.Load(path))
    {
        nLogHolder::Get() << "[!] Failed to load raster font description file '" << (path ? path : "")
                          << "'.\n";
        return false;
    }
    const nMetaTag* common = MetaFindTagInList(&description.GetRoots(), "Font:Common;", false);
    if (!common)
    {
        nLogHolder::Get() << "[!] Missing base tag in font description ('" << path << "').\n";
        return false;
    }
    if (!ReadHeader(*common, path))
    {
        Clear();
        return false;
    }
    nLinkedListIterator roots;
    while (const nMetaTag* root = description.GetNextRoot(roots))
    {
        if (root->GetName() != "Font")
            continue;
        nLinkedListIterator children;
        while (const nMetaTag* child = root->GetNextChild(children))
            if (child->GetName() == "Char")
                ReadGlyph(*child, path);
    }
    if (!m_glyphs[' '].valid)
        nLogHolder::Get() << "[*] No space character in font '" << path << "'.\n";
    const nString base = pageBase && *pageBase ? nString(pageBase) : PageBaseOf(path);
    for (int32_t page = 0; page < m_pageCount; ++page)
    {
        char suffix[16];
        std::snprintf(suffix, sizeof(suffix), "_%02d.tga", page);
        const nString pagePath = base + suffix;
        nTexture* texture = m_engine ? m_engine->LoadTexture(pagePath.GetText(), false, false) : nullptr;
        if (!m_pages.PushBack(nSharedPtr<nTexture>(texture)))
        {
            nLogHolder::Get() << "[!] Failed to allocate raster font page.\n";
            Clear();
            return false;
        }
    }
    m_name = path;
    return true;
}

const nRasterGlyph* nRasterFont::GetGlyph(uint32_t code) const
{
    return code < GlyphCount && m_glyphs[code].valid ? &m_glyphs[code] : nullptr;
}

nTexture* nRasterFont::GetPageTexture(uint32_t page) const
{
    uint32_t index = 0;
    for (auto* node = m_pages.GetHead(); node; node = node->next, ++index)
        if (index == page)
            return node->value.Get();
    return nullptr;
}

bool nRasterFont::GetPageSize(float& width, float& height) const
{
    const nTexture* page = GetPageTexture(0);
    if (!page)
        return false;
    width = float(page->GetWidth());
    height = float(page->GetHeight());
    return true;
}

float nRasterFont::GetLineHeight(bool normalised) const
{
    float width = 0.0f, height = 0.0f;
    if (!GetPageSize(width, height))
        return -1.0f;
    return normalised ? m_height : m_height * width;
}

float nRasterFont::GetBaseline(bool normalised) const
{
    float width = 0.0f, height = 0.0f;
    if (!GetPageSize(width, height))
        return -1.0f;
    return normalised ? m_baseLine : m_baseLine * width;
}

void nRasterFont::ComputeTextSize(const char* text, bool normalised, float& width, float& height) const
{
    float pageWidth = 0.0f, pageHeight = 0.0f;
    if (!GetPageSize(pageWidth, pageHeight))
    {
        width = height = -1.0f;
        return;
    }
    width = 0.0f;
    for (const char* at = text ? text : ""; *at && *at != '\n'; ++at)
        if (const nRasterGlyph* glyph = GetGlyph(uint8_t(*at)))
            width += glyph->step;
    height = m_height;
    if (!normalised)
    {
        width *= pageWidth;
        height *= pageHeight;
    }
}

void nRasterFont::ComputeTextBlockSize(const char* text, bool normalised, float& width, float& height) const
{
    float lineWidth = 0.0f, lineHeight = 0.0f;
    const char* at = text ? text : "";
    ComputeTextSize(at, normalised, lineWidth, lineHeight);
    if (lineWidth < 0.0f)
    {
        width = height = -1.0f;
        return;
    }
    width = 0.0f;
    height = 0.0f;
    for (;;)
    {
        ComputeTextSize(at, normalised, lineWidth, lineHeight);
        width = std::max(width, lineWidth);
        height += lineHeight;
        while (*at && *at != '\n')
            ++at;
        if (!*at)
            break;
        ++at;
    }
}
