#include "core/picture/nPictureBlit.h"

#include "core/picture/nPicture.h"
#include "core/picture/nPictureBlend.h"

#include <algorithm>
#include <cstring>

namespace
{

void BlitRows(const nPicture& source, nPicture& destination, int64_t sx, int64_t sy, int64_t dx, int64_t dy,
              int64_t width, int64_t height, uint32_t mode)
{
    const nPixelFormat& format = source.GetFormat();
    const uint8_t positions[4] = {uint8_t(format.redShift / 8), uint8_t(format.greenShift / 8),
                                  uint8_t(format.blueShift / 8), uint8_t(format.alphaShift / 8)};
    const size_t rowBytes = size_t(width) * format.GetBytesPerPixel();
    // Within one picture a downward move copies from the bottom up, so no row is read after it was written.
    const bool upward = &source == &destination && dy > sy;
    for (int64_t step = 0; step < height; ++step)
    {
        const int64_t row = upward ? height - 1 - step : step;
        const uint8_t* in = source.GetPixelAddress(uint32_t(sx), uint32_t(sy + row));
        uint8_t* out = destination.GetPixelAddress(uint32_t(dx), uint32_t(dy + row));
        if (mode == PictureBlitCopy)
        {
            std::memmove(out, in, rowBytes);
            continue;
        }
        for (int64_t x = 0; x < width; ++x, in += 4, out += 4)
        {
            if (mode == PictureBlitOver)
            {
                const uint8_t colour[3] = {in[positions[0]], in[positions[1]], in[positions[2]]};
                PictureBlendPixel(out, colour, positions, in[positions[3]]);
            }
            else
                out[positions[3]] = uint8_t((in[positions[0]] + in[positions[1]] + in[positions[2]]) / 3);
        }
    }
}

void CopyRows(const nPicture& from, int64_t fromX, int64_t fromY, nPicture& to, int64_t toX, int64_t toY,
              int64_t width, int64_t height)
{
    const size_t rowBytes = size_t(width) * from.GetFormat().GetBytesPerPixel();
    for (int64_t row = 0; row < height; ++row)
        std::memcpy(to.GetPixelAddress(uint32_t(toX), uint32_t(toY + row)),
                    from.GetPixelAddress(uint32_t(fromX), uint32_t(fromY + row)), rowBytes);
}

} // namespace

bool PictureBlit(nPicture& source, nPicture& destination, const nRect* sourceRect,
                 const nRect* destinationRect, uint32_t mode)
{
    if (!source.HasPixels() || !destination.HasPixels())
        return false;
    const bool fourByte =
        source.GetBitsPerPixel() == 32 && !source.GetFloatFlag() && source.GetFormat().alphaWidth == 8;
    if ((mode == PictureBlitOver || mode == PictureBlitAlphaFromColour) && !fourByte)
        return false;

    const nRect whole{0, 0, int32_t(source.GetWidth()), int32_t(source.GetHeight())};
    const nRect requested = sourceRect ? *sourceRect : whole;
    int64_t sx0 = std::max<int64_t>(requested.x0, 0), sy0 = std::max<int64_t>(requested.y0, 0);
    int64_t sx1 = std::min<int64_t>(requested.x1, whole.x1), sy1 = std::min<int64_t>(requested.y1, whole.y1);
    if (sx0 >= sx1 || sy0 >= sy1)
        return false;
    const int64_t originX = destinationRect ? destinationRect->x0 : 0;
    const int64_t originY = destinationRect ? destinationRect->y0 : 0;
    int64_t dx0 = originX + (sx0 - requested.x0), dy0 = originY + (sy0 - requested.y0);
    // Clip the placed area to the destination, shrinking the source area by the same amounts.
    if (dx0 < 0)
    {
        sx0 -= dx0;
        dx0 = 0;
    }
    if (dy0 < 0)
    {
        sy0 -= dy0;
        dy0 = 0;
    }
    const int64_t width = std::min(sx1 - sx0, int64_t(destination.GetWidth()) - dx0);
    const int64_t height = std::min(sy1 - sy0, int64_t(destination.GetHeight()) - dy0);
    if (width <= 0 || height <= 0)
        return false;
    if (mode != PictureBlitCopy && mode != PictureBlitOver && mode != PictureBlitAlphaFromColour)
        return true;

    if (destination.GetFormat() == source.GetFormat())
    {
        BlitRows(source, destination, sx0, sy0, dx0, dy0, width, height, mode);
        return true;
    }
    // Only the covered area goes through the source's format and back: converting the whole
    // destination would cost every other pixel its alpha or its low bits.
    nPicture area(uint32_t(width), uint32_t(height), destination.GetFormat());
    if (!area.HasPixels())
        return false;
    CopyRows(destination, dx0, dy0, area, 0, 0, width, height);
    if (!area.Convert(source.GetFormat()))
        return false;
    BlitRows(source, area, sx0, sy0, 0, 0, width, height, mode);
    if (!area.Convert(destination.GetFormat()))
        return false;
    CopyRows(area, 0, 0, destination, dx0, dy0, width, height);
    return true;
}
