#pragma once

#include <cstdint>

// Interleaved PCM: little-endian signed samples for 16 bits. Kind 0 is the only kind.
struct nSampleFormat
{
    uint32_t kind = 0;
    uint32_t channels = 2;
    uint32_t rate = 48000;
    uint32_t bitsPerSample = 16;
};
