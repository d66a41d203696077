#include "platform/nBitOps.h"

#include <bit>
#include <cstring>

uint32_t BitCount(uint32_t value)
{
    return static_cast<uint32_t>(std::popcount(value));
}

uint32_t LowestSetBit(uint32_t value)
{
    return static_cast<uint32_t>(std::countr_zero(value));
}

uint32_t BitWrite(uint8_t* buffer, uint32_t bitOffset, uint32_t count, uint32_t value)
{
    if (count > 32)
        count = 32;
    uint32_t position = bitOffset;
    for (uint32_t i = count; i > 0; --i, ++position)
    {
        if ((value >> (i - 1)) & 1u)
            buffer[position >> 3] |= static_cast<uint8_t>(1u << (position & 7));
    }
    return position & 7;
}

uint32_t BitWrite16(uint8_t* buffer, uint32_t bitOffset, uint16_t value)
{
    return BitWrite(buffer, bitOffset, 16, value);
}

uint32_t BitRead(const uint8_t* buffer, uint32_t bitOffset, uint32_t count)
{
    if (count > 32)
        count = 32;
    uint32_t value = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        const uint32_t position = bitOffset + i;
        value = (value << 1) | ((buffer[position >> 3] >> (position & 7)) & 1u);
    }
    return value;
}

uint16_t BitRead16(const uint8_t* buffer, uint32_t bitOffset)
{
    return static_cast<uint16_t>(BitRead(buffer, bitOffset, 16));
}

bool MemoryDiffers(const void* first, const void* second, size_t size)
{
    if (first == nullptr || second == nullptr)
        return true;
    return std::memcmp(first, second, size) != 0;
}

bool IdentifierEquals(const void* first, const void* second)
{
    return std::memcmp(first, second, 16) == 0;
}
