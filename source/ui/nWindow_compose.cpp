#include "ui/nWindow.h"

#include "core/picture/nPicture.h"
#include "geometry/nTexture.h"
#include "ui/nScene2D.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr int32_t GradientFallPercent = 70;
constexpr float GradientDepth = 0.15f;
constexpr uint32_t ShadeRows = 10;
constexpr uint8_t ShadeFactors[ShadeRows] = {255, 230, 205, 180, 155, 130, 105, 80, 55, 30};
constexpr uint32_t AlphaByte = 3; // byte of alpha in a BGRA8 pixel

bool IsUsable(const nPicture* picture)
{
    return picture && picture->HasPixels() && picture->GetBitsPerPixel() == 32 && !picture->GetFloatFlag();
}

// The packed colour (red in the low byte) as a BGRA8 pixel word.
uint32_t BGRAFromRGBA(uint32_t colour)
{
    const uint32_t red = colour & 0xFFu;
    const uint32_t green = (colour >> 8) & 0xFFu;
    const uint32_t blue = (colour >> 16) & 0xFFu;
    const uint32_t alpha = colour >> 24;
    return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

uint32_t ByteOf(float channel)
{
    if (std::isnan(channel))
        return 0;
    return uint32_t(std::clamp(channel, 0.0f, 1.0f) * 255.0f + 0.5f);
}

// The rows and columns of [x0, x1) x [y0, y1) that lie inside the picture.
struct Span
{
    int32_t x0, y0, x1, y1;
    bool IsEmpty() const { return x0 >= x1 || y0 >= y1; }
};

Span ClipTo(const nPicture& picture, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    return Span{std::max(x0, 0), std::max(y0, 0), std::min(x1, int32_t(picture.GetWidth())),
                std::min(y1, int32_t(picture.GetHeight()))};
}

void FillRect(nPicture& cache, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pixel)
{
    const Span span = ClipTo(cache, x0, y0, x1, y1);
    if (span.IsEmpty())
        return;
    for (int32_t y = span.y0; y < span.y1; ++y)
    {
        auto* row = reinterpret_cast<uint32_t*>(cache.GetPixelAddress(0, uint32_t(y)));
        std::fill(row + span.x0, row + span.x1, pixel);
    }
}

// Covers [x0, x1) x [y0, y1) with the picture, its first pixel at (x0, y0) and its columns and
// rows repeating from there; only the part inside the cache is written.
void Tile(const nPicture* source, nPicture& cache, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    if (!IsUsable(source))
        return;
    const Span span = ClipTo(cache, x0, y0, x1, y1);
    if (span.IsEmpty())
        return;
    const int64_t sourceWidth = source->GetWidth();
    const int64_t sourceHeight = source->GetHeight();
    for (int32_t y = span.y0; y < span.y1; ++y)
    {
        const uint8_t* sourceRow = source->GetPixelAddress(0, uint32_t((int64_t(y) - y0) % sourceHeight));
        uint8_t* row = cache.GetPixelAddress(0, uint32_t(y));
        int32_t x = span.x0;
        while (x < span.x1)
        {
            const int64_t column = (int64_t(x) - x0) % sourceWidth;
            const int32_t run = int32_t(std::min<int64_t>(sourceWidth - column, span.x1 - x));
            std::memcpy(row + size_t(x) * 4, sourceRow + column * 4, size_t(run) * 4);
            x += run;
        }
    }
}

void ScaleAlphaRow(nPicture& cache, int32_t y, int32_t width, uint32_t factor, uint32_t divisor)
{
    if (y < 0 || y >= int32_t(cache.GetHeight()))
        return;
    const int32_t end = std::min(width, int32_t(cache.GetWidth()));
    uint8_t* pixel = cache.GetPixelAddress(0, uint32_t(y));
    for (int32_t x = 0; x < end; ++x, pixel += 4)
        pixel[AlphaByte] = uint8_t(pixel[AlphaByte] * factor / divisor);
}
} // namespace

void nWindow::Compose()
{
    nTexture* cache = m_cache.Get();
    nScene2D* scene = GetScene();
    if (!cache || !cache->HasPixels())
        return;
    if (m_backgroundPicture)
    {
        std::memset(cache->GetPixels(), 0, cache->GetByteSize());
        const nPicture* picture = m_backgroundPicture.Get();
        Tile(picture, *cache, 0, 0, int32_t(picture->GetWidth()), int32_t(picture->GetHeight()));
        return;
    }
    if (HasStyle(StyleNoDecoration) || !scene || !scene->IsSkinComplete())
    {
        const uint32_t pixel = (ByteOf(m_backgroundColor[3]) << 24) | (ByteOf(m_backgroundColor[0]) << 16) |
                               (ByteOf(m_backgroundColor[1]) << 8) | ByteOf(m_backgroundColor[2]);
        FillRect(*cache, 0, 0, GetCacheWidth(), GetCacheHeight(), pixel);
        return;
    }
    ComposeSkin();
}

// Interior, corners and tiled edges, then a vertical alpha gradient below the top-left corner:
// over the first 70 % of the rows it falls from 1 by 0.15, over the rest it rises back to 1.
void nWindow::ComposeSkin()
{
    nPicture& cache = *m_cache;
    const nScene2D& scene = *GetScene();
    const nRect rect = nSprite2D::GetRect();
    const int32_t w = rect.x1;
    const int32_t h = rect.y1;
    auto width = [&](nScene2DSkinPart part) { return scene.GetSkinWidth(part); };
    auto height = [&](nScene2DSkinPart part) { return scene.GetSkinHeight(part); };
    auto picture = [&](nScene2DSkinPart part) { return scene.GetSkinPicture(part); };

    std::memset(cache.GetPixels(), 0, cache.GetByteSize());
    FillRect(cache, width(Scene2DSkinLeft), height(Scene2DSkinTop), w - width(Scene2DSkinRight),
             h - height(Scene2DSkinBottom), BGRAFromRGBA(scene.GetSkinBackgroundColor()));

    Tile(picture(Scene2DSkinTop), cache, width(Scene2DSkinTopLeft), 0, w - width(Scene2DSkinTopRight),
         height(Scene2DSkinTop));
    Tile(picture(Scene2DSkinBottom), cache, width(Scene2DSkinBottomLeft), h - height(Scene2DSkinBottom),
         w - width(Scene2DSkinBottomRight), h);
    Tile(picture(Scene2DSkinLeft), cache, 0, height(Scene2DSkinTopLeft), width(Scene2DSkinLeft),
         h - height(Scene2DSkinBottomLeft));
    Tile(picture(Scene2DSkinRight), cache, w - width(Scene2DSkinRight), height(Scene2DSkinTopRight), w,
         h - height(Scene2DSkinBottomRight));
    Tile(picture(Scene2DSkinTopLeft), cache, 0, 0, width(Scene2DSkinTopLeft), height(Scene2DSkinTopLeft));
    Tile(picture(Scene2DSkinTopRight), cache, w - width(Scene2DSkinTopRight), 0, w,
         height(Scene2DSkinTopRight));
    Tile(picture(Scene2DSkinBottomLeft), cache, 0, h - height(Scene2DSkinBottomLeft),
         width(Scene2DSkinBottomLeft), h);
    Tile(picture(Scene2DSkinBottomRight), cache, w - width(Scene2DSkinBottomRight),
         h - height(Scene2DSkinBottomRight), w, h);

    const int32_t first = height(Scene2DSkinTopLeft);
    const int64_t rows = int64_t(h) - first - height(Scene2DSkinBottomRight);
    if (rows <= 0)
        return;
    const int64_t falling = rows * GradientFallPercent / 100;
    const int64_t rising = rows - falling;
    float factor = 1.0f;
    const float fall = falling > 0 ? GradientDepth / float(falling) : 0.0f;
    const int64_t cacheHeight = cache.GetHeight();
    for (int64_t row = 0; row < falling; ++row)
    {
        if (first + row >= cacheHeight)
            return;
        ScaleAlphaRow(cache, int32_t(first + row), w, uint32_t(std::lround(factor * 255.0f)), 256);
        factor -= fall;
    }
    const float rise = rising > 0 ? (1.0f - factor) / float(rising) : 0.0f;
    for (int64_t row = 0; row < rising && first + falling + row < cacheHeight; ++row)
    {
        ScaleAlphaRow(cache, int32_t(first + falling + row), w, uint32_t(std::lround(factor * 255.0f)), 256);
        factor += rise;
    }
}

// Shading darkens the ten rows just above the bottom of the title band; unshading composes the
// window afresh.
void nWindow::SetShaded(bool shaded)
{
    if (shaded == IsShaded())
        return;
    if (!shaded)
    {
        Invalidate();
        SetFlags(SpriteFlagShaded, false);
        return;
    }
    nTexture* cache = m_cache.Get();
    if (cache && cache->HasPixels() && GetScene())
    {
        const int32_t top = GetScene()->GetSkinHeight(Scene2DSkinTop) - int32_t(ShadeRows);
        for (uint32_t row = 0; row < ShadeRows; ++row)
            ScaleAlphaRow(*cache, top + int32_t(row), nSprite2D::GetRect().x1, ShadeFactors[row], 255);
    }
    UploadCacheTexture();
    SetFlags(SpriteFlagShaded, true);
}
