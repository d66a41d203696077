#pragma once

#include "core/base/nMemory.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

// An owned array whose storage is counted under the memory category it was given. Resizing
// does not keep the contents; new elements are value-initialised.
template <typename T> class nAutoArray
{
public:
    explicit nAutoArray(uint32_t category) : m_category(category) {}
    nAutoArray(uint32_t count, uint32_t category) : m_category(category) { Resize(count); }
    nAutoArray(const nAutoArray& other, uint32_t category) : m_category(category)
    {
        if (Resize(other.m_count))
            for (uint32_t i = 0; i < m_count; ++i)
                m_data[i] = other.m_data[i];
    }
    nAutoArray(const nAutoArray& other) : nAutoArray(other, other.m_category) {}
    nAutoArray(nAutoArray&& other) noexcept
        : m_count(other.m_count), m_data(other.m_data), m_category(other.m_category)
    {
        other.m_count = 0;
        other.m_data = nullptr;
    }
    nAutoArray& operator=(const nAutoArray&) = delete;
    nAutoArray& operator=(nAutoArray&& other) noexcept
    {
        if (&other != this)
        {
            Free();
            m_count = other.m_count;
            m_data = other.m_data;
            m_category = other.m_category;
            other.m_count = 0;
            other.m_data = nullptr;
        }
        return *this;
    }
    ~nAutoArray() { Free(); }

    bool Resize(uint32_t count) { return Allocate(count, true); }
    // For storage that is written in full at once (a file read, an inflated entry, a decoded
    // chunk): plain elements (trivially copyable and destructible, vectors and UVs included) are
    // left uninitialised, which spares a pass over large blocks; others are default-constructed.
    bool ResizeForOverwrite(uint32_t count) { return Allocate(count, false); }

    void Free()
    {
        if (!m_data)
            return;
        MemTrackFree(GetSize(), m_category);
        std::destroy_n(m_data, m_count);
        MemFreeBlock(m_data, sizeof(T) * size_t(m_count));
        m_data = nullptr;
        m_count = 0;
    }

    T* At(uint32_t index) { return m_data + index; }
    const T* At(uint32_t index) const { return m_data + index; }
    uint64_t GetSize() const { return static_cast<uint64_t>(m_count) * sizeof(T); }
    uint32_t GetCount() const { return m_count; }
    uint32_t GetCategory() const { return m_category; }
    T* GetData() { return m_data; }
    const T* GetData() const { return m_data; }

private:
    // Raw storage holds such elements without constructing them.
    static constexpr bool IsPlain = std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>;

    bool Allocate(uint32_t count, bool initialise)
    {
        if (count == m_count)
            return true;
        Free();
        if (count == 0)
            return true;
        static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "over-aligned elements");
        m_data = static_cast<T*>(MemAllocateBlock(sizeof(T) * size_t(count)));
        if (!m_data)
            return false;
        if (initialise)
            std::uninitialized_value_construct_n(m_data, count);
        else if constexpr (!IsPlain)
            std::uninitialized_default_construct_n(m_data, count);
        m_count = count;
        MemTrackAlloc(GetSize(), m_category);
        return true;
    }

    uint32_t m_count = 0;
    T* m_data = nullptr;
    uint32_t m_category;
};

using nScalarArray = nAutoArray<uint32_t>;
