#pragma once

#include "core/base/nLog.h"
#include "core/picture/nPicture.h"

#include <cstring>
#include <string>
#include <vector>

// Installs itself as the process log for its lifetime and keeps every written line.
class PictureLog : public nLog
{
public:
    PictureLog() { nLogHolder::Set(this); }
    ~PictureLog() override { nLogHolder::Set(nullptr); }
    void Output(const char* line, uint8_t) override { text += line; }
    std::string text;
};

inline uint32_t PixelWord(const nPicture& picture, uint32_t x, uint32_t y)
{
    uint32_t word;
    std::memcpy(&word, picture.GetPixelAddress(x, y), 4);
    return word;
}

inline std::vector<uint8_t> PixelBytes(const nPicture& picture)
{
    return std::vector<uint8_t>(picture.GetPixels(), picture.GetPixels() + picture.GetByteSize());
}

// A picture of the given format whose block holds exactly these bytes.
inline void MakePicture(nPicture& picture, uint32_t width, uint32_t height, const nPixelFormat& format,
                        const std::vector<uint8_t>& bytes)
{
    picture.Allocate(width, height, format);
    std::memcpy(picture.GetPixels(), bytes.data(), std::min<size_t>(bytes.size(), picture.GetByteSize()));
}

struct TgaHeader
{
    uint8_t idLength = 0;
    uint8_t mapType = 0;
    uint8_t type = 2;
    uint16_t mapFirst = 0;
    uint16_t mapLength = 0;
    uint8_t mapBits = 0;
    uint16_t width = 1;
    uint16_t height = 1;
    uint8_t depth = 32;
    uint8_t descriptor = 0x20;
};

inline std::vector<uint8_t> TgaFile(const TgaHeader& h, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> file = {h.idLength,
                                 h.mapType,
                                 h.type,
                                 uint8_t(h.mapFirst),
                                 uint8_t(h.mapFirst >> 8),
                                 uint8_t(h.mapLength),
                                 uint8_t(h.mapLength >> 8),
                                 h.mapBits,
                                 0,
                                 0,
                                 0,
                                 0,
                                 uint8_t(h.width),
                                 uint8_t(h.width >> 8),
                                 uint8_t(h.height),
                                 uint8_t(h.height >> 8),
                                 h.depth,
                                 h.descriptor};
    file.insert(file.end(), body.begin(), body.end());
    return file;
}
