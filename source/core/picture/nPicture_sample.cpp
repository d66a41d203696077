#include "core/picture/nPicture.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace
{

struct SamplePosition
{
    uint32_t x0, y0, x1, y1; // the four neighbours are (x0|x1, y0|y1)
    float fx, fy;
};

// Clamps to the picture and repeats the pixel itself for neighbours beyond the last column or row.
SamplePosition Locate(float u, float v, uint32_t width, uint32_t height)
{
    float x = u * float(width);
    float y = v * float(height);
    if (!(x > 0.0f)) // also catches NaN
        x = 0.0f;
    if (!(y > 0.0f))
        y = 0.0f;
    if (x >= float(width))
        x = float(width - 1);
    if (y >= float(height))
        y = float(height - 1);
    SamplePosition p;
    p.x0 = uint32_t(x);
    p.y0 = uint32_t(y);
    // Float rounding can put x just at the width; the neighbour rule keeps indices inside.
    if (p.x0 >= width)
        p.x0 = width - 1;
    if (p.y0 >= height)
        p.y0 = height - 1;
    p.fx = x - float(p.x0);
    p.fy = y - float(p.y0);
    const bool lastColumn = p.x0 + 1 >= width;
    const bool lastRow = p.y0 + 1 >= height;
    p.x1 = p.x0 + 1;
    p.y1 = p.y0 + 1;
    if (lastColumn || lastRow)
    {
        // Any neighbour that would leave the picture repeats (x0, y0).
        p.x1 = lastColumn ? p.x0 : p.x1;
        p.y1 = lastRow ? p.y0 : p.y1;
    }
    return p;
}

} // namespace

void nPicture::SamplePacked(float u, float v, uint8_t out[4], uint32_t width, uint32_t height) const
{
    if (!m_pixels || m_width == 0 || m_height == 0)
    {
        out[0] = 0xFF;
        out[1] = 0x00;
        out[2] = 0xFF;
        out[3] = 0xFF;
        return;
    }
    if (m_format.floatFlag)
    {
        float sample[4];
        SampleBilinear(u, v, sample, width, height);
        for (int i = 0; i < 4; ++i)
        {
            const float scaled = sample[i] * 255.0f;
            out[i] = scaled >= 255.0f ? 255 : scaled > 0.0f ? uint8_t(scaled) : 0;
        }
        return;
    }
    if (m_format.bitsPerPixel != 32)
    {
        std::memset(out, 0, 4);
        return;
    }
    const uint32_t w = width ? width : m_width;
    const uint32_t h = height ? height : m_height;
    SamplePosition p = Locate(u, v, w, h);
    // An override larger than the picture must not read past it.
    auto pixel = [&](uint32_t x, uint32_t y)
    { return GetPixelAddress(x < m_width ? x : m_width - 1, y < m_height ? y : m_height - 1); };
    const uint8_t* p00 = pixel(p.x0, p.y0);
    const uint8_t* p10 = p.x1 == p.x0 ? p00 : pixel(p.x1, p.y0);
    const uint8_t* p01 = p.y1 == p.y0 ? p00 : pixel(p.x0, p.y1);
    const uint8_t* p11 = (p.x1 == p.x0 || p.y1 == p.y0) ? p00 : pixel(p.x1, p.y1);
    // Fractions in 256ths, so that the four weights sum to exactly 65536: with 255ths they sum
    // to 65025 and every sample came out darker, opaque alpha included.
    const uint32_t fx = std::min(uint32_t(p.fx * 256.0f), 255u);
    const uint32_t fy = std::min(uint32_t(p.fy * 256.0f), 255u);
    const uint32_t w00 = (256 - fx) * (256 - fy), w10 = fx * (256 - fy), w01 = (256 - fx) * fy, w11 = fx * fy;
    for (int i = 0; i < 4; ++i)
        out[i] = uint8_t((p00[i] * w00 + p10[i] * w10 + p01[i] * w01 + p11[i] * w11) >> 16);
}

uint32_t nPicture::SamplePacked(float u, float v, uint32_t width, uint32_t height) const
{
    uint8_t bytes[4];
    SamplePacked(u, v, bytes, width, height);
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

void nPicture::SampleBilinear(float u, float v, float out[4], uint32_t width, uint32_t height) const
{
    // The packed path also yields the empty picture's magenta, which reads back as exactly 1, 0, 1, 1.
    if (!m_pixels || m_width == 0 || m_height == 0 || !m_format.floatFlag)
    {
        uint8_t bytes[4];
        SamplePacked(u, v, bytes, width, height);
        for (int i = 0; i < 4; ++i)
            out[i] = bytes[i] / 255.0f;
        return;
    }
    const uint32_t w = width ? width : m_width;
    const uint32_t h = height ? height : m_height;
    SamplePosition p = Locate(u, v, w, h);
    auto pixel = [&](uint32_t x, uint32_t y)
    {
        float rgb[3];
        std::memcpy(rgb, GetPixelAddress(x < m_width ? x : m_width - 1, y < m_height ? y : m_height - 1), 12);
        return std::to_array(rgb);
    };
    const auto p00 = pixel(p.x0, p.y0);
    const auto p10 = p.x1 == p.x0 ? p00 : pixel(p.x1, p.y0);
    const auto p01 = p.y1 == p.y0 ? p00 : pixel(p.x0, p.y1);
    const auto p11 = (p.x1 == p.x0 || p.y1 == p.y0) ? p00 : pixel(p.x1, p.y1);
    const float w00 = (1 - p.fx) * (1 - p.fy), w10 = p.fx * (1 - p.fy), w01 = (1 - p.fx) * p.fy,
                w11 = p.fx * p.fy;
    for (int i = 0; i < 3; ++i)
        out[i] = p00[i] * w00 + p10[i] * w10 + p01[i] * w01 + p11[i] * w11;
    out[3] = 1.0f;
}

float* nPicture::Sample(float u, float v, float out[4], uint32_t width, uint32_t height) const
{
    SampleBilinear(u, v, out, width, height);
    return out;
}

void nPicture::SampleColor(float u, float v, float out[4], uint32_t width, uint32_t height) const
{
    float sample[4];
    SampleBilinear(u, v, sample, width, height);
    if (m_format.floatFlag || !m_pixels || m_format.bitsPerPixel != 32)
    {
        // Float pixels hold blue, green, red; the empty picture's magenta reads the same either way.
        out[0] = m_pixels && m_format.floatFlag ? sample[2] : sample[0];
        out[1] = sample[1];
        out[2] = m_pixels && m_format.floatFlag ? sample[0] : sample[2];
        out[3] = sample[3];
        return;
    }
    out[0] = sample[m_format.redShift / 8];
    out[1] = sample[m_format.greenShift / 8];
    out[2] = sample[m_format.blueShift / 8];
    out[3] = m_format.alphaWidth ? sample[m_format.alphaShift / 8] : 1.0f;
}
