#pragma once

#include "core/base/nAutoArray.h"

#include <cstdint>

class nPicture;

// Encodes a picture as an uncompressed true-colour TGA file (type 2, first row on top).
// 32-bit pictures are written as B, G, R, A and RGB24 as B, G, R, whatever their byte order in
// memory; BGR8 and RGB555 pixels are written as they stand.
class nTgaWriter
{
public:
    static bool Encode(const nPicture& picture, nAutoArray<uint8_t>& file);
};
