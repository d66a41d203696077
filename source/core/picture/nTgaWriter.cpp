#include "core/picture/nTgaWriter.h"

#include "core/base/nLog.h"
#include "core/picture/nPicture.h"

#include <cstring>

namespace
{

bool IsWritable(const nPixelFormat& format)
{
    return format == PixelFormatRGBA8 || format == PixelFormatBGRA8 || format == PixelFormatBGR8 ||
           format == PixelFormatRGB24 || format == PixelFormatRGB555;
}

} // namespace

bool nTgaWriter::Encode(const nPicture& picture, nAutoArray<uint8_t>& file)
{
    const nPixelFormat& format = picture.GetFormat();
    if (!IsWritable(format))
    {
        nLogHolder::Get() << "[!] Only supports BGRA8/BGR8/RGB24/RGB555.\n";
        return false;
    }
    const uint32_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();
    // The header holds 16-bit sizes; writing the low bits of a larger size would corrupt the file.
    if (!picture.HasPixels() || width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF)
    {
        nLogHolder::Get() << "[!] Cannot write a " << width << "x" << height << " picture as TGA.\n";
        return false;
    }
    const size_t pixelBytes = picture.GetByteSize();
    if (!file.Resize(uint32_t(18 + pixelBytes)))
    {
        nLogHolder::Get() << "[!] Failed to allocate " << uint32_t(18 + pixelBytes)
                          << " bytes for a TGA file.\n";
        return false;
    }
    uint8_t* out = file.GetData();
    std::memset(out, 0, 18);
    out[2] = 2;
    out[12] = uint8_t(width);
    out[13] = uint8_t(width >> 8);
    out[14] = uint8_t(height);
    out[15] = uint8_t(height >> 8);
    out[16] = format.bitsPerPixel;
    out[17] = uint8_t(format.alphaWidth | 0x20);
    out += 18;

    const uint8_t* in = picture.GetPixels();
    const size_t count = size_t(width) * height;
    if (format.bitsPerPixel == 32 || format == PixelFormatRGB24)
    {
        const uint32_t bytes = format.GetBytesPerPixel();
        const uint32_t blue = format.blueShift / 8, green = format.greenShift / 8, red = format.redShift / 8;
        const uint32_t alpha = format.alphaShift / 8;
        for (size_t i = 0; i < count; ++i, in += bytes, out += bytes)
        {
            out[0] = in[blue];
            out[1] = in[green];
            out[2] = in[red];
            if (bytes == 4)
                out[3] = in[alpha];
        }
    }
    else
        std::memcpy(out, in, pixelBytes);
    return true;
}
