#pragma once

#include "core/base/nAutoArray.h"

#include <cstdint>

// Bicubic resampling of rows of three 8-bit channels per pixel into a new block of
// newWidth x newHeight x 3 bytes. False (and an empty block) for empty sizes.
bool PictureResampleBicubic(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t newWidth,
                            uint32_t newHeight, nAutoArray<uint8_t>& out);
