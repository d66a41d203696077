#include "core/picture/nPicture.h"

#include "core/math/nColor.h"
#include "core/base/nLog.h"
#include "core/picture/nPictureBlend.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// Rectangles from callers may reach outside the picture: only the part inside is touched.
bool ClipToPicture(const nRect* rect, uint32_t width, uint32_t height, nRect& out)
{
    if (rect && rect->IsEmpty())
        return false;
    out = rect ? *rect : nRect{0, 0, int32_t(width), int32_t(height)};
    out.x0 = std::max(out.x0, 0);
    out.y0 = std::max(out.y0, 0);
    out.x1 = int32_t(std::min<int64_t>(out.x1, width));
    out.y1 = int32_t(std::min<int64_t>(out.y1, height));
    return !out.IsEmpty();
}

} // namespace

uint32_t nPicture::PackColor(float red, float green, float blue, float alpha) const
{
    if (m_format.bitsPerPixel != 32 || m_format.floatFlag)
    {
        nLogHolder::Get() << "[*] Unimplemented formatting.\n";
        return 0;
    }
    const float values[4] = {red, green, blue, alpha};
    const uint8_t shifts[4] = {m_format.redShift, m_format.greenShift, m_format.blueShift,
                               m_format.alphaShift};
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i)
        if (shifts[i] < 32)
            word |= uint32_t(PictureColorByte(values[i])) << shifts[i];
    return word;
}

bool nPicture::Fill(float red, float green, float blue, float alpha, const nRect* rect, bool keepAlpha)
{
    nRect area;
    if (!IsPacked32() || !ClipToPicture(rect, m_width, m_height, area))
        return false;
    if (!keepAlpha)
    {
        const uint32_t word = PackColor(red, green, blue, alpha);
        for (int32_t y = area.y0; y < area.y1; ++y)
        {
            uint32_t* row = reinterpret_cast<uint32_t*>(GetPixelAddress(area.x0, y));
            std::fill_n(row, area.Width(), word);
        }
        return true;
    }
    const uint8_t r = PictureColorByte(red), g = PictureColorByte(green), b = PictureColorByte(blue);
    const uint32_t rp = m_format.redShift / 8, gp = m_format.greenShift / 8, bp = m_format.blueShift / 8;
    for (int32_t y = area.y0; y < area.y1; ++y)
    {
        uint8_t* pixel = GetPixelAddress(area.x0, y);
        for (int32_t x = area.x0; x < area.x1; ++x, pixel += 4)
        {
            pixel[rp] = r;
            pixel[gp] = g;
            pixel[bp] = b;
        }
    }
    return true;
}

bool nPicture::Expand(int32_t left, int32_t top, int32_t right, int32_t bottom, const nColor* colour)
{
    if (!IsPacked32())
        return false;
    const int64_t newWidth = int64_t(m_width) + right - left;
    const int64_t newHeight = int64_t(m_height) + bottom - top;
    const uint64_t bytes = newWidth > 0 && newHeight > 0 ? uint64_t(newWidth) * uint64_t(newHeight) * 4 : 0;
    uint8_t* block = bytes != 0 && bytes <= MaxBlockBytes ? AllocBlock(size_t(bytes)) : nullptr;
    if (!block)
    {
        nLogHolder::Get() << "[!] Failed to allocate destination buffer.\n";
        return false;
    }
    const uint32_t fill =
        colour ? PackColor(colour->r, colour->g, colour->b, colour->a) : PackColor(0, 0, 0, 1);
    uint32_t* out = reinterpret_cast<uint32_t*>(block);
    const uint32_t* in = reinterpret_cast<const uint32_t*>(m_pixels);
    // Destination column x shows source column x + left.
    const int64_t x0 = std::clamp<int64_t>(-int64_t(left), 0, newWidth);
    const int64_t x1 = std::clamp<int64_t>(int64_t(m_width) - left, x0, newWidth);
    for (int64_t y = 0; y < newHeight; ++y)
    {
        uint32_t* row = out + y * newWidth;
        const int64_t sy = y + top;
        if (sy < 0 || sy >= int64_t(m_height))
        {
            std::fill_n(row, newWidth, fill);
            continue;
        }
        std::fill(row, row + x0, fill);
        std::memcpy(row + x0, in + sy * m_width + (x0 + left), size_t(x1 - x0) * 4);
        std::fill(row + x1, row + newWidth, fill);
    }
    return ReplaceBlock(block, uint32_t(newWidth), uint32_t(newHeight), m_format);
}

bool nPicture::Flip(bool horizontal, bool vertical)
{
    if (!IsPacked32())
        return false;
    uint32_t* pixels = reinterpret_cast<uint32_t*>(m_pixels);
    if (horizontal && vertical)
        std::reverse(pixels, pixels + size_t(m_width) * m_height);
    else if (horizontal)
        for (uint32_t y = 0; y < m_height; ++y)
            std::reverse(pixels + size_t(y) * m_width, pixels + size_t(y + 1) * m_width);
    else if (vertical && m_height > 1)
        for (uint32_t top = 0, bottom = m_height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(pixels + size_t(top) * m_width, pixels + size_t(top + 1) * m_width,
                             pixels + size_t(bottom) * m_width);
    return true;
}

bool nPicture::ToGrey()
{
    if (!IsPacked32() || m_width == 0 || m_height == 0)
        return false;
    const uint32_t rp = m_format.redShift / 8, gp = m_format.greenShift / 8, bp = m_format.blueShift / 8;
    const size_t count = size_t(m_width) * m_height;
    uint8_t* pixel = m_pixels;
    for (size_t i = 0; i < count; ++i, pixel += 4)
    {
        const uint8_t grey = uint8_t((pixel[rp] + pixel[gp] + pixel[bp]) / 3);
        pixel[rp] = pixel[gp] = pixel[bp] = grey;
    }
    return true;
}

// The mean absolute difference per byte, from 0 to 1; signed differences would cancel out.
bool nPicture::IsSimilar(const nPicture& other, float tolerance) const
{
    if (m_width != other.m_width || m_height != other.m_height || !IsPacked32() || !other.IsPacked32() ||
        m_width == 0 || m_height == 0)
        return false;
    const size_t bytes = size_t(m_width) * m_height * 4;
    uint64_t sum = 0;
    for (size_t i = 0; i < bytes; ++i)
        sum += uint64_t(std::abs(int(m_pixels[i]) - int(other.m_pixels[i])));
    const double mean = double(sum) / 255.0 / double(bytes);
    return double(tolerance) >= mean;
}
