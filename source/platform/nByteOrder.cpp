#include "platform/nByteOrder.h"

#include "core/base/nLog.h"

#include <atomic>
#include <bit>
#include <cstring>
#include <utility>

static_assert(std::endian::native == std::endian::little, "the engine's data layouts assume a little-endian host");

uint32_t PlatformGetHostEndianness()
{
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true))
        nLogHolder::Get() << "Host memory configuration: Using little endian.\n";
    return EndianLittle;
}

void PlatformSwapBytes(uint32_t size, void* value)
{
    auto* bytes = static_cast<uint8_t*>(value);
    if (size == 2)
        std::swap(bytes[0], bytes[1]);
    else if (size == 4)
    {
        std::swap(bytes[0], bytes[3]);
        std::swap(bytes[1], bytes[2]);
    }
}

bool nEndian::NeedsSwap() const
{
    return (m_order == EndianLittle) != (PlatformGetHostEndianness() == EndianLittle);
}

void nEndian::Load(const void* source, void* value, uint32_t size) const
{
    std::memcpy(value, source, size);
    if (NeedsSwap())
        PlatformSwapBytes(size, value);
}

void nEndian::Store(void* target, const void* value, uint32_t size) const
{
    std::memcpy(target, value, size);
    if (NeedsSwap())
        PlatformSwapBytes(size, target);
}

uint16_t nEndian::ReadU16(const void* source) const
{
    uint16_t value;
    Load(source, &value, sizeof(value));
    return value;
}

int32_t nEndian::ReadS32(const void* source) const
{
    int32_t value;
    Load(source, &value, sizeof(value));
    return value;
}

uint32_t nEndian::ReadU32(const void* source) const
{
    uint32_t value;
    Load(source, &value, sizeof(value));
    return value;
}

float nEndian::ReadFloat(const void* source) const
{
    float value;
    Load(source, &value, sizeof(value));
    return value;
}

void nEndian::StoreU16(void* target, uint16_t value) const
{
    Store(target, &value, sizeof(value));
}

void nEndian::StoreS32(void* target, int32_t value) const
{
    Store(target, &value, sizeof(value));
}

void nEndian::StoreU32(void* target, uint32_t value) const
{
    Store(target, &value, sizeof(value));
}

void nEndian::StoreFloat(void* target, float value) const
{
    Store(target, &value, sizeof(value));
}
