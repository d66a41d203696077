#pragma once

#include <cstddef>
#include <cstdint>

// Bit fields are numbered from bit 0 of byte 0 upward within each byte; a field is written and
// read most significant bit first.
uint32_t BitCount(uint32_t value);
uint32_t LowestSetBit(uint32_t value);
uint32_t BitWrite(uint8_t* buffer, uint32_t bitOffset, uint32_t count, uint32_t value);
uint32_t BitWrite16(uint8_t* buffer, uint32_t bitOffset, uint16_t value);
uint32_t BitRead(const uint8_t* buffer, uint32_t bitOffset, uint32_t count);
uint16_t BitRead16(const uint8_t* buffer, uint32_t bitOffset);

bool MemoryDiffers(const void* first, const void* second, size_t size);
bool IdentifierEquals(const void* first, const void* second);
