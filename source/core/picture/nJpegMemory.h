#pragma once

#include <cstddef>
#include <cstdint>

// JPEG decoding and encoding between memory blocks. Library errors are logged and end the call
// with 0; nothing is left allocated then.

// Decodes to RGBA8 rows (alpha 255) from three-component and grey files; CMYK is refused. The
// block comes from the C heap: free it with JpegFreePixels.
int JpegDecodeMemory(const uint8_t* data, size_t size, uint8_t** pixels, uint32_t* width, uint32_t* height);
void JpegFreePixels(uint8_t* pixels);

// Encodes rows of width x 3 bytes (red, green, blue) into the target block. An encoding larger
// than the capacity fails instead of overrunning the block.
int JpegEncodeMemory(uint8_t* target, size_t capacity, size_t* size, int quality, const uint8_t* pixels,
                     uint32_t width, uint32_t height);
