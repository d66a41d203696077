#include "render/gl/nGPURenderer.h"

#include "core/base/nLog.h"
#include "core/math/nColor.h"
#include "geometry/nTexture.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nGPUImmediateInputs.h"
#include "render/gl/nShaderSemantic.h"
#include "render/nRasterFont.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
using nGPUImmediateInputs::BlendOneMinusSourceAlpha;
using nGPUImmediateInputs::BlendSourceAlpha;
using nGPUImmediateInputs::IndexUnsignedShort;
using nGPUImmediateInputs::PrimitiveTriangles;

// Glyphs gathered before a draw; a page change draws what was gathered first.
constexpr uint32_t TextChunkQuads = 1024;

enum TextAlignment : int32_t
{
    AlignLeft = 0,
    AlignCentre = 1,
    AlignRight = 2,
};

// Text is laid out in window fractions (0..1, y down), the pen included. Font measures are
// fractions of the page: in pixel mode a page texel becomes one window pixel at scale 1, in
// normalised mode the page spans the window; correcting the aspect narrows horizontal extents by
// window height / window width.
struct TextSpace
{
    TextSpace(const nTexture& firstPage, uint32_t windowWidth, uint32_t windowHeight, nTextFlags flags,
              float scale)
        : width(float(windowWidth)), height(float(windowHeight)), pixels(!flags.normalised)
    {
        const float pageWidth = pixels ? float(firstPage.GetWidth()) / height : 1.0f;
        const float pageHeight = pixels ? float(firstPage.GetHeight()) / height : 1.0f;
        unitX = scale * pageWidth * (flags.correctAspect ? height / width : 1.0f);
        unitY = scale * pageHeight;
    }
    float SnapX(float x) const { return pixels ? std::floor(x * width + 0.5f) / width : x; }

    float width;
    float height;
    bool pixels;
    float unitX = 1.0f;
    float unitY = 1.0f;
};

// The glyph quads of one draw, in clip space, with their page coordinates.
class GlyphBatch
{
public:
    GlyphBatch(nGPURenderer& renderer, nGPUImmediateBuffers& buffers, nEGLProgram& program,
               const nColor* colour, uint32_t capacity)
        : m_renderer(renderer), m_buffers(buffers), m_program(program), m_colour(colour), m_capacity(capacity)
    {
    }

    void SetPage(const nTexture* page)
    {
        if (page == m_page)
            return;
        Flush();
        m_page = page;
        nGPUImmediateInputs::BindTexture(m_program, page);
    }

    void Add(const nRasterGlyph& glyph, float left, float top, float right, float bottom)
    {
        if (m_count == m_capacity)
            Flush();
        const float clipLeft = 2.0f * left - 1.0f;
        const float clipRight = 2.0f * right - 1.0f;
        const float clipTop = 1.0f - 2.0f * top;
        const float clipBottom = 1.0f - 2.0f * bottom;
        // Counter-clockwise on screen, as the front faces that culling keeps; pages are stored
        // top row first, so v grows downwards.
        const float corners[4][4] = {{clipLeft, clipBottom, glyph.u, glyph.v + glyph.h},
                                     {clipRight, clipBottom, glyph.u + glyph.w, glyph.v + glyph.h},
                                     {clipRight, clipTop, glyph.u + glyph.w, glyph.v},
                                     {clipLeft, clipTop, glyph.u, glyph.v}};
        float* position = m_buffers.GetPositions() + m_count * 4 * nGPUImmediateBuffers::PositionFloats;
        float* uv = m_buffers.GetUVs() + m_count * 4 * nGPUImmediateBuffers::UVFloats;
        float* colour = m_buffers.GetColours() + m_count * 4 * nGPUImmediateBuffers::ColourFloats;
        for (const auto& corner : corners)
        {
            *position++ = corner[0];
            *position++ = corner[1];
            *position++ = 0.0f;
            *uv++ = corner[2];
            *uv++ = corner[3];
            if (m_colour)
            {
                *colour++ = m_colour->r;
                *colour++ = m_colour->g;
                *colour++ = m_colour->b;
                *colour++ = m_colour->a;
            }
        }
        ++m_count;
    }

    void Flush()
    {
        if (m_count == 0)
            return;
        const uint16_t* indices = m_buffers.GetQuadIndices(m_count);
        if (indices)
            m_renderer.DrawPrimitives(PrimitiveTriangles, 6 * m_count, IndexUnsignedShort, indices);
        m_count = 0;
    }

private:
    nGPURenderer& m_renderer;
    nGPUImmediateBuffers& m_buffers;
    nEGLProgram& m_program;
    const nColor* m_colour;
    const nTexture* m_page = nullptr;
    uint32_t m_capacity;
    uint32_t m_count = 0;
};

bool HasTextInputs(nEGLProgram& program)
{
    return program.FindInput(SemanticPosition) && program.FindInput(SemanticUV0) &&
           program.FindInput(SemanticNativeTexture);
}
} // namespace

void nGPURenderer::Write(nRasterFont* font, const char* text, float& x, float& y, nTextFlags flags,
                         float scale, const nColor* colour, int32_t alignment)
{
    if (!font || !text)
        return;
    const nTexture* firstPage = font->GetPageTexture(0);
    if (!firstPage)
    {
        nLogHolder::Get() << "[!] No glyph page in raster font '" << font->GetName() << "'.\n";
        return;
    }
    nEGLProgram* program = GetLibraryProgram(colour ? LibrarySingleTextureColor : LibrarySingleTexture);
    if (!program || !HasTextInputs(*program))
    {
        nLogHolder::Get() << "[!] Invalid program.\n";
        return;
    }
    const uint32_t capacity = std::max<uint32_t>(1, std::min<size_t>(std::strlen(text), TextChunkQuads));
    if (!m_immediate.ReserveQuads(capacity) || !m_immediate.GetQuadIndices(capacity))
        return;
    uint32_t windowWidth = 1;
    uint32_t windowHeight = 1;
    GetWindowSize(windowWidth, windowHeight);
    const TextSpace space(*firstPage, std::max(windowWidth, 1u), std::max(windowHeight, 1u), flags, scale);
    const float startX = space.pixels ? x / space.width : x;
    float penX = startX;
    float penY = space.pixels ? std::floor(y + 0.5f) / space.height : y;
    const float lineHeight = font->GetLineHeight(true) * space.unitY;

    EnableBlending(true);
    SetBlendFunc(BlendSourceAlpha, BlendOneMinusSourceAlpha);
    EnableDepthTest(false);
    EnableDepthWrite(false);
    if (nGPUImmediateInputs::Begin(*this, *program, true))
    {
        nGPUImmediateInputs::BindArray(*program, SemanticPosition, 3, 0, m_immediate.GetPositions());
        nGPUImmediateInputs::BindArray(*program, SemanticUV0, 2, 0, m_immediate.GetUVs());
        nGPUImmediateInputs::BindArray(*program, SemanticVertexColor, 4, 0, m_immediate.GetColours());
        GlyphBatch batch(*this, m_immediate, *program, colour, capacity);
        bool lineStart = true;
        for (const char* at = text; *at; ++at)
        {
            if (lineStart && (alignment == AlignCentre || alignment == AlignRight))
            {
                float width = 0.0f;
                float height = 0.0f;
                font->ComputeTextSize(at, true, width, height);
                width *= space.unitX;
                penX = space.SnapX(penX - (alignment == AlignCentre ? 0.5f * width : width));
            }
            lineStart = false;
            if (*at == '\n')
            {
                penX = startX;
                penY += lineHeight;
                lineStart = true;
                continue;
            }
            const nRasterGlyph* glyph = font->GetGlyph(static_cast<uint8_t>(*at));
            if (!glyph)
                continue;
            if (const nTexture* page = font->GetPageTexture(static_cast<uint32_t>(glyph->page)))
            {
                batch.SetPage(page);
                const float left = penX + glyph->offsetU * space.unitX;
                const float top = penY + glyph->offsetV * space.unitY;
                batch.Add(*glyph, left, top, left + glyph->w * space.unitX, top + glyph->h * space.unitY);
            }
            penX += glyph->step * space.unitX;
        }
        batch.Flush();
        program->Unbind();
    }
    EnableDepthWrite(true);
    EnableDepthTest(true);
    EnableBlending(false);

    x = space.pixels ? penX * space.width : penX;
    y = space.pixels ? penY * space.height : penY;
}
