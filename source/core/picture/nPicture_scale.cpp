#include "core/picture/nPicture.h"

#include "core/base/nLog.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{

// A negative side keeps the aspect ratio from the other one; false for sizes that cannot be made.
bool ResolveSize(int32_t& width, int32_t& height, uint32_t oldWidth, uint32_t oldHeight)
{
    if ((width < 0 && height < 0) || oldWidth == 0 || oldHeight == 0)
        return false;
    if (width < 0)
        width = int32_t(int64_t(oldWidth) * height / oldHeight);
    else if (height < 0)
        height = int32_t(int64_t(oldHeight) * width / oldWidth);
    return width > 0 && height > 0;
}

// Moves a packed 32-bit word between two formats of four 8-bit channels.
uint32_t Reorder(uint32_t word, const nPixelFormat& from, const nPixelFormat& to)
{
    if (from == to)
        return word;
    return ((word >> from.alphaShift) & 0xFF) << to.alphaShift |
           ((word >> from.redShift) & 0xFF) << to.redShift |
           ((word >> from.greenShift) & 0xFF) << to.greenShift |
           ((word >> from.blueShift) & 0xFF) << to.blueShift;
}

} // namespace

bool nPicture::Resize(int32_t width, int32_t height)
{
    if (!m_pixels || !ResolveSize(width, height, m_width, m_height))
        return false;
    if (uint32_t(width) == m_width && uint32_t(height) == m_height)
        return true;
    const bool isFloat = m_format.floatFlag != 0;
    if (!isFloat && m_format.bitsPerPixel != 32)
        return false;
    const uint32_t pixelBytes = isFloat ? 12 : 4;
    const uint64_t bytes = uint64_t(width) * uint64_t(height) * pixelBytes;
    uint8_t* block = bytes <= MaxBlockBytes ? AllocBlock(size_t(bytes)) : nullptr;
    if (!block)
    {
        LogAllocationFailure(uint32_t(width), uint32_t(height), pixelBytes * 8);
        return false;
    }
    uint8_t* out = block;
    for (int32_t j = 0; j < height; ++j)
        for (int32_t i = 0; i < width; ++i, out += pixelBytes)
        {
            const float u = float(i) / float(width), v = float(j) / float(height);
            if (isFloat)
            {
                float sample[4];
                SampleBilinear(u, v, sample);
                std::memcpy(out, sample, 12);
            }
            else
                SamplePacked(u, v, out);
        }
    return ReplaceBlock(block, uint32_t(width), uint32_t(height), isFloat ? PixelFormatRGB32F : m_format);
}

// Each output pixel is the average of the source area its footprint covers, partly covered
// source pixels weighted by their share.
bool nPicture::Shrink(int32_t width, int32_t height)
{
    if (!m_pixels || !ResolveSize(width, height, m_width, m_height))
        return false;
    if (uint32_t(width) > m_width || uint32_t(height) > m_height)
        return Resize(width, height);
    if (uint32_t(width) == m_width && uint32_t(height) == m_height)
        return true;
    if (!IsPacked32())
        return false;
    const uint64_t bytes = uint64_t(width) * uint64_t(height) * 4;
    uint8_t* block = AllocBlock(size_t(bytes));
    if (!block)
    {
        LogAllocationFailure(uint32_t(width), uint32_t(height), 32);
        return false;
    }
    const double stepX = double(m_width) / width, stepY = double(m_height) / height;
    std::vector<double> sums(size_t(width) * 4);
    for (int32_t j = 0; j < height; ++j)
    {
        std::fill(sums.begin(), sums.end(), 0.0);
        const double top = j * stepY, bottom = std::min((j + 1) * stepY, double(m_height));
        for (uint32_t sy = uint32_t(top); sy < m_height && double(sy) < bottom; ++sy)
        {
            const double coverY = std::min(bottom, sy + 1.0) - std::max(top, double(sy));
            for (int32_t i = 0; i < width; ++i)
            {
                const double left = i * stepX, right = std::min((i + 1) * stepX, double(m_width));
                for (uint32_t sx = uint32_t(left); sx < m_width && double(sx) < right; ++sx)
                {
                    const double cover = coverY * (std::min(right, sx + 1.0) - std::max(left, double(sx)));
                    const uint8_t* pixel = GetPixelAddress(sx, sy);
                    for (int c = 0; c < 4; ++c)
                        sums[size_t(i) * 4 + c] += cover * pixel[c];
                }
            }
        }
        uint8_t* out = block + size_t(j) * width * 4;
        for (size_t k = 0; k < sums.size(); ++k)
            out[k] = uint8_t(std::clamp(sums[k] / (stepX * stepY) + 0.5, 0.0, 255.0));
    }
    return ReplaceBlock(block, uint32_t(width), uint32_t(height), m_format);
}

bool nPicture::BlitScaled(const nPicture& source, nPicture& destination, const nRectF& rect)
{
    if (!source.IsPacked32() || !destination.IsPacked32() || source.m_format.alphaWidth != 8 ||
        destination.m_format.alphaWidth != 8)
        return false;
    const float rectWidth = rect.Width(), rectHeight = rect.Height();
    if (!(rectWidth > 0.0f) || !(rectHeight > 0.0f))
        return false;
    const nRectF area = rect.Intersect({0.0f, 0.0f, float(destination.m_width), float(destination.m_height)});
    if (!(area.x0 < area.x1) || !(area.y0 < area.y1))
        return false;
    const uint32_t x0 = uint32_t(std::floor(area.x0)), y0 = uint32_t(std::floor(area.y0));
    const uint32_t x1 = std::min(uint32_t(std::ceil(area.x1)), destination.m_width);
    const uint32_t y1 = std::min(uint32_t(std::ceil(area.y1)), destination.m_height);
    for (uint32_t y = y0; y < y1; ++y)
    {
        const float coverY = std::min(float(y + 1), rect.y1) - std::max(float(y), rect.y0);
        const float v = (std::max(float(y), rect.y0) - rect.y0) / rectHeight;
        for (uint32_t x = x0; x < x1; ++x)
        {
            const float coverX = std::min(float(x + 1), rect.x1) - std::max(float(x), rect.x0);
            const float u = (std::max(float(x), rect.x0) - rect.x0) / rectWidth;
            const uint32_t sample = Reorder(source.SamplePacked(u, v), source.m_format, destination.m_format);
            uint32_t* pixel = reinterpret_cast<uint32_t*>(destination.GetPixelAddress(x, y));
            const float cover = coverX * coverY;
            *pixel = cover >= 1.0f ? sample : PictureLerpColor(*pixel, sample, cover);
        }
    }
    return true;
}
