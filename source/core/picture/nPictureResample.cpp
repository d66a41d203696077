#include "core/picture/nPictureResample.h"

#include "core/picture/nPicture.h"

#include <algorithm>

namespace
{

// Passes through p1 at t = 0 and p2 at t = 1.
float Interpolate(float p0, float p1, float p2, float p3, float t)
{
    const float value =
        p1 + 0.5f * t *
                 ((p2 - p0) + t * ((p0 - 2 * p1 + p2) + t * (3 * (p0 - p3) + 9 * (p2 - p1) +
                                                             t * (5 * (p3 - p0) + 15 * (p1 - p2) +
                                                                  t * (2 * (p0 - p3) + 6 * (p2 - p1))))));
    return std::clamp(value, 0.0f, 255.0f);
}

} // namespace

// The four taps are the columns and rows ix - 1 .. ix + 2, so that an output pixel whose position
// falls exactly on a source pixel takes that pixel's value.
bool PictureResampleBicubic(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t newWidth,
                            uint32_t newHeight, nAutoArray<uint8_t>& out)
{
    out.Free();
    const uint64_t bytes = uint64_t(newWidth) * newHeight * 3;
    if (!pixels || width == 0 || height == 0 || bytes == 0 || bytes > nPicture::MaxBlockBytes ||
        !out.Resize(uint32_t(bytes)))
        return false;
    const float stepX = float(width) / float(newWidth), stepY = float(height) / float(newHeight);
    auto column = [&](int64_t x) { return uint32_t(std::clamp<int64_t>(x, 0, int64_t(width) - 1)); };
    auto row = [&](int64_t y) { return uint32_t(std::clamp<int64_t>(y, 0, int64_t(height) - 1)); };
    uint8_t* target = out.GetData();
    for (uint32_t j = 0; j < newHeight; ++j)
    {
        const float y = float(j) * stepY;
        const int64_t iy = int64_t(y);
        const float fy = y - float(iy);
        for (uint32_t i = 0; i < newWidth; ++i)
        {
            const float x = float(i) * stepX;
            const int64_t ix = int64_t(x);
            const float fx = x - float(ix);
            for (uint32_t c = 0; c < 3; ++c)
            {
                float rows[4];
                for (int k = 0; k < 4; ++k)
                {
                    const uint8_t* line = pixels + size_t(row(iy - 1 + k)) * width * 3;
                    rows[k] = Interpolate(line[column(ix - 1) * 3 + c], line[column(ix) * 3 + c],
                                          line[column(ix + 1) * 3 + c], line[column(ix + 2) * 3 + c], fx);
                }
                *target++ = uint8_t(Interpolate(rows[0], rows[1], rows[2], rows[3], fy));
            }
        }
    }
    return true;
}
