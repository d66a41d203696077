#pragma once

#include <cstdint>

constexpr uint32_t EndianLittle = 2;
constexpr uint32_t EndianBig = 1;

uint32_t PlatformGetHostEndianness();
void PlatformSwapBytes(uint32_t size, void* value);

// The byte order of some stored data: values read or stored through it are swapped when that
// order differs from the host's. Any order other than EndianLittle counts as big endian.
class nEndian
{
public:
    explicit nEndian(uint32_t order) : m_order(order) {}

    uint32_t GetOrder() const { return m_order; }

    uint16_t ReadU16(const void* source) const;
    int32_t ReadS32(const void* source) const;
    uint32_t ReadU32(const void* source) const;
    float ReadFloat(const void* source) const;

    void StoreU16(void* target, uint16_t value) const;
    void StoreS32(void* target, int32_t value) const;
    void StoreU32(void* target, uint32_t value) const;
    void StoreFloat(void* target, float value) const;

private:
    bool NeedsSwap() const;
    void Load(const void* source, void* value, uint32_t size) const;
    void Store(void* target, const void* value, uint32_t size) const;

    uint32_t m_order;
};
