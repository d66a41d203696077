#pragma once

#include <cstdint>
#include <string>

// An uncompressed 24-bit TGA of width x height pixels, all of one colour (blue, green, red).
inline std::string TgaFile(uint16_t width, uint16_t height, uint8_t blue = 0x10, uint8_t green = 0x20,
                           uint8_t red = 0x30)
{
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = char(width & 0xFF);
    file[13] = char(width >> 8);
    file[14] = char(height & 0xFF);
    file[15] = char(height >> 8);
    file[16] = 24;
    for (uint32_t pixel = 0; pixel < uint32_t(width) * height; ++pixel)
        file += std::string{char(blue), char(green), char(red)};
    return file;
}
