#include "core/picture/nPicture.h"

#include "core/base/nLog.h"

#include <algorithm>
#include <cstring>

bool nPicture::ApplyConvolution(uint32_t kernelWidth, uint32_t kernelHeight, const int32_t* kernel,
                                const nRect* rect)
{
    if (!IsPacked32())
    {
        nLogHolder::Get() << "[!] Cannot apply convolution filter to a non RGB32 picture.\n";
        return false;
    }
    if (kernelWidth == 0 || kernelHeight == 0 || !kernel)
    {
        nLogHolder::Get() << "[!] Invalid kernel size (" << kernelWidth << "x" << kernelHeight << ").\n";
        return false;
    }
    const size_t taps = size_t(kernelWidth) * kernelHeight;
    int64_t divisor = 0;
    for (size_t i = 0; i < taps; ++i)
        divisor += kernel[i];
    if (divisor == 0)
    {
        nLogHolder::Get() << "[!] Convolution kernel values sum to 0.\n";
        return false;
    }
    nRect area{0, 0, int32_t(m_width), int32_t(m_height)};
    if (rect)
    {
        area.x0 = std::max(rect->x0, 0);
        area.y0 = std::max(rect->y0, 0);
        area.x1 = int32_t(std::min<int64_t>(rect->x1, m_width));
        area.y1 = int32_t(std::min<int64_t>(rect->y1, m_height));
    }
    if (area.IsEmpty())
        return false;
    nPicture source(*this);
    if (!source.HasPixels())
        return false;
    const int64_t halfWidth = kernelWidth / 2, halfHeight = kernelHeight / 2;
    for (int32_t y = area.y0; y < area.y1; ++y)
        for (int32_t x = area.x0; x < area.x1; ++x)
        {
            int64_t sums[4] = {};
            const int32_t* weight = kernel;
            for (uint32_t j = 0; j < kernelHeight; ++j)
            {
                int64_t sy = y - halfHeight + j;
                if (sy < 0 || sy >= int64_t(m_height))
                    sy = y;
                for (uint32_t i = 0; i < kernelWidth; ++i, ++weight)
                {
                    int64_t sx = x - halfWidth + i;
                    if (sx < 0 || sx >= int64_t(m_width))
                        sx = x;
                    const uint8_t* pixel = source.GetPixelAddress(uint32_t(sx), uint32_t(sy));
                    for (int c = 0; c < 4; ++c)
                        sums[c] += int64_t(*weight) * pixel[c];
                }
            }
            uint8_t* out = GetPixelAddress(uint32_t(x), uint32_t(y));
            for (int c = 0; c < 4; ++c)
                out[c] = uint8_t(std::clamp<int64_t>(sums[c] / divisor, 0, 255));
        }
    return true;
}
