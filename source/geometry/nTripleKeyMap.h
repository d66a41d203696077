#pragma once

#include "core/math/nVector.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// A map from three 64-bit words (the bits of a position, the coordinates of a grid cell) to a
// 32-bit value, by open addressing with linear probing. It only grows: the welds that use it add
// entries and never remove one. Half full at most, so a miss ends after a few probes.
class nTripleKeyMap
{
public:
    struct Key
    {
        uint64_t a, b, c;
        bool operator==(const Key& other) const { return a == other.a && b == other.b && c == other.c; }
    };

    // The bits of a position, -0 taken as 0 so that equal positions have one key.
    static Key PositionKey(const nVector& position)
    {
        return {Bits(position.x), Bits(position.y), Bits(position.z)};
    }
    static bool IsFinite(const nVector& v)
    {
        return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
    }

    explicit nTripleKeyMap(uint32_t expectedCount)
    {
        uint32_t capacity = 16;
        while (capacity < 0x80000000u && capacity / 2 < expectedCount)
            capacity *= 2;
        m_entries.resize(capacity);
    }

    // The value stored for the key, or null.
    uint32_t* Find(const Key& key)
    {
        for (size_t at = Slot(key);; at = (at + 1) & (m_entries.size() - 1))
        {
            Entry& entry = m_entries[at];
            if (!entry.used)
                return nullptr;
            if (entry.key == key)
                return &entry.value;
        }
    }

    // The value stored for the key; an absent key is added with the given value first.
    uint32_t& FindOrAdd(const Key& key, uint32_t value)
    {
        if ((m_count + 1) * 2 > m_entries.size())
            Grow();
        size_t at = Slot(key);
        for (; m_entries[at].used; at = (at + 1) & (m_entries.size() - 1))
            if (m_entries[at].key == key)
                return m_entries[at].value;
        m_entries[at] = {key, value, true};
        ++m_count;
        return m_entries[at].value;
    }

private:
    struct Entry
    {
        Key key{0, 0, 0};
        uint32_t value = 0;
        bool used = false;
    };

    static uint64_t Bits(float value)
    {
        if (value == 0.0f)
            value = 0.0f;
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    }

    size_t Slot(const Key& key) const
    {
        uint64_t h =
            key.a * 0x9E3779B97F4A7C15ull ^ key.b * 0xC2B2AE3D27D4EB4Full ^ key.c * 0x165667B19E3779F9ull;
        h ^= h >> 32;
        h *= 0xD6E8FEB86659FD93ull;
        h ^= h >> 32;
        return size_t(h) & (m_entries.size() - 1);
    }

    void Grow()
    {
        std::vector<Entry> old(m_entries.size() * 2);
        old.swap(m_entries);
        for (const Entry& entry : old)
            if (entry.used)
            {
                size_t at = Slot(entry.key);
                while (m_entries[at].used)
                    at = (at + 1) & (m_entries.size() - 1);
                m_entries[at] = entry;
            }
    }

    std::vector<Entry> m_entries;
    size_t m_count = 0;
};
