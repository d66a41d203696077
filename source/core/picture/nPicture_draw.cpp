#include "core/picture/nPicture.h"

#include "core/picture/nPictureBlend.h"

#include <cmath>
#include <utility>

namespace
{

struct Positions
{
    uint8_t bytes[4];
};

Positions ChannelPositions(const nPixelFormat& format)
{
    return {{uint8_t(format.redShift / 8), uint8_t(format.greenShift / 8), uint8_t(format.blueShift / 8),
             uint8_t(format.alphaShift / 8)}};
}

// Moves the end points of a segment along it so that its coordinate "axis" lies within
// [low, high]; false when the segment lies wholly outside.
bool ClipAxis(float& a1, float& b1, float& a2, float& b2, float low, float high)
{
    if ((a1 < low && a2 < low) || (a1 > high && a2 > high))
        return false;
    const float startA = a1, startB = b1, endA = a2, endB = b2;
    auto along = [&](float limit)
    { return endA != startA ? startB + (limit - startA) * (endB - startB) / (endA - startA) : startB; };
    auto clamp = [&](float& a, float& b)
    {
        const float limit = a < low ? low : a > high ? high : a;
        if (limit != a)
        {
            b = along(limit);
            a = limit;
        }
    };
    clamp(a1, b1);
    clamp(a2, b2);
    return true;
}

// Unit steps from "from" while below "to", counted in integers: beyond 2^24 adding 1.0f to a
// float no longer moves it, so a float-stepped walk across a picture that wide would never end.
uint64_t StepCount(float from, float to)
{
    return to > from ? uint64_t(std::ceil(double(to) - double(from))) : 0;
}

} // namespace

bool nPicture::SetPixel(float x, float y, float red, float green, float blue, float alpha, const nRectF* clip)
{
    if (!IsPacked32() || m_format.alphaWidth != 8)
        return false;
    if (clip && !(clip->x0 <= x && x < clip->x1 && clip->y0 <= y && y < clip->y1))
        return false;
    if (!(x >= 0.0f && y >= 0.0f && x < float(m_width) && y < float(m_height)))
        return false;
    const uint8_t colour[3] = {PictureColorByte(red), PictureColorByte(green), PictureColorByte(blue)};
    PictureBlendPixel(GetPixelAddress(uint32_t(x), uint32_t(y)), colour, ChannelPositions(m_format).bytes,
                      PictureColorByte(alpha));
    return true;
}

bool nPicture::PlotAntialiased(float x, float y, float red, float green, float blue, float alpha,
                               const nRectF* clip)
{
    if (!IsPacked32() || m_format.alphaWidth != 8)
        return false;
    if (clip && !(clip->x0 <= x && x < clip->x1 - 1 && clip->y0 <= y && y < clip->y1 - 1))
        return false;
    if (!(x >= 0.0f && y >= 0.0f && x < float(m_width) && y < float(m_height)))
        return false;
    const uint32_t ix = uint32_t(x), iy = uint32_t(y);
    const float fx = x - float(ix), fy = y - float(iy);
    const uint32_t a = PictureColorByte(alpha);
    const uint8_t colour[3] = {PictureColorByte(red), PictureColorByte(green), PictureColorByte(blue)};
    const Positions positions = ChannelPositions(m_format);
    const float weights[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    for (uint32_t i = 0; i < 4; ++i)
    {
        const uint32_t px = ix + (i & 1), py = iy + (i >> 1);
        if (px < m_width && py < m_height) // the right and lower neighbours may lie outside
            PictureBlendPixel(GetPixelAddress(px, py), colour, positions.bytes,
                              uint32_t(weights[i] * float(a)));
    }
    return true;
}

template <typename Plot>
bool nPicture::DrawLineWith(float x1, float y1, float x2, float y2, const nRectF* clip, Plot plot)
{
    if (!IsPacked32() || m_format.alphaWidth != 8)
        return false;
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return false;
    const float dx = x2 - x1, dy = y2 - y1;
    const bool steep = std::fabs(dy) > std::fabs(dx);
    if (steep)
    {
        const float start = std::floor(y1);
        if (dy != 0.0f)
            x1 += (start - y1) * dx / dy;
        y1 = start;
    }
    else
    {
        const float start = std::floor(x1);
        if (dx != 0.0f)
            y1 += (start - x1) * dy / dx;
        x1 = start;
    }
    // Always within the picture as well, so that a far-reaching line costs no more than the picture.
    nRectF area{0.0f, 0.0f, float(m_width), float(m_height)};
    if (clip)
        area = area.Intersect(*clip);
    if (area.Width() <= 0.0f || area.Height() <= 0.0f)
        return true;
    if (!ClipAxis(x1, y1, x2, y2, area.x0, area.x1) || !ClipAxis(y1, x1, y2, x2, area.y0, area.y1))
        return true;
    if (!steep)
    {
        if (x1 > x2)
        {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const float slope = x2 != x1 ? (y2 - y1) / (x2 - x1) : 0.0f;
        const uint64_t steps = StepCount(x1, x2);
        float y = y1;
        for (uint64_t i = 0; i < steps; ++i, y += slope)
            plot(x1 + float(i), y);
    }
    else
    {
        if (y1 > y2)
        {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const float slope = y2 != y1 ? (x2 - x1) / (y2 - y1) : 0.0f;
        const uint64_t steps = StepCount(y1, y2);
        float x = x1;
        for (uint64_t i = 0; i < steps; ++i, x += slope)
            plot(x, y1 + float(i));
    }
    return true;
}

bool nPicture::DrawLine(float x1, float y1, float x2, float y2, float red, float green, float blue,
                        float alpha, const nRectF* clip)
{
    return DrawLineWith(x1, y1, x2, y2, clip,
                        [&](float x, float y) { PlotAntialiased(x, y, red, green, blue, alpha, clip); });
}

bool nPicture::DrawLineAliased(float x1, float y1, float x2, float y2, float red, float green, float blue,
                               float alpha, const nRectF* clip)
{
    return DrawLineWith(x1, y1, x2, y2, clip,
                        [&](float x, float y) { SetPixel(x, y, red, green, blue, alpha, clip); });
}
