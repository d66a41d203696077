#pragma once

#include "core/base/nArrayEntry.h"

#include <cstdint>

// An array of entry pointers in list order, with room reserved ahead so that insertion rarely
// reallocates; reading an entry is a single look-up. Owns its entries.
class nArrayList
{
public:
    explicit nArrayList(uint32_t capacity = 0);
    nArrayList(const nArrayList&) = delete;
    nArrayList& operator=(const nArrayList&) = delete;
    virtual ~nArrayList();

    bool Reserve(uint32_t capacity);
    bool PushBack(nArrayEntry* entry, bool grow);
    bool Insert(nArrayEntry* entry, uint32_t index, bool grow);
    nArrayEntry* GetAt(int index) const;
    // Unchecked, for loops that already hold the index within the count.
    nArrayEntry* At(uint32_t index) const { return m_entries[index]; }
    // The entries in list order, valid until the list changes.
    nArrayEntry* const* GetEntries() const { return m_entries; }
    int IndexOf(const nArrayEntry* entry) const;
    bool RemoveAt(int index);
    bool Remove(nArrayEntry* entry);
    // Shrinks first when less than half is used; deletes the entry only when it was in
    // the list, so an entry that belongs elsewhere is never freed here.
    bool RemoveAndShrink(nArrayEntry* entry, bool deleteEntry);
    void Clear(bool deleteEntries);
    void Swap(nArrayList& other);

    uint32_t GetCount() const { return m_count; }
    uint32_t GetCapacity() const { return m_capacity; }

private:
    bool Grow(bool grow);

    nArrayEntry** m_entries = nullptr;
    uint32_t m_capacity = 0;
    uint32_t m_count = 0;
};
