#include "core/base/nArrayList.h"

#include "core/base/nLog.h"

#include <new>
#include <utility>

nArrayList::nArrayList(uint32_t capacity)
{
    if (capacity > 0)
        Reserve(capacity);
}

nArrayList::~nArrayList()
{
    Clear(true);
}

bool nArrayList::Reserve(uint32_t capacity)
{
    if (capacity == m_capacity)
        return false;
    if (capacity < m_count)
    {
        nLogHolder::Get() << "[!] Cannot shrink array, too many entries.\n";
        return false;
    }
    nArrayEntry** entries = new (std::nothrow) nArrayEntry*[capacity];
    if (!entries)
    {
        nLogHolder::Get() << "[!] Failed to resize array, new() failed.\n";
        return false;
    }
    for (uint32_t i = 0; i < capacity; ++i)
        entries[i] = i < m_count ? m_entries[i] : nullptr;
    delete[] m_entries;
    m_entries = entries;
    m_capacity = capacity;
    return true;
}

bool nArrayList::Grow(bool grow)
{
    if (m_count < m_capacity)
        return true;
    // An emptied list has no capacity left to double; the fixed step restarts it.
    return grow && Reserve(m_capacity * 2 + 4);
}

bool nArrayList::PushBack(nArrayEntry* entry, bool grow)
{
    return Insert(entry, m_count, grow);
}

bool nArrayList::Insert(nArrayEntry* entry, uint32_t index, bool grow)
{
    if (index > m_count)
    {
        nLogHolder::Get() << "[*] Out of bound array access.\n";
        return false;
    }
    if (!Grow(grow))
        return false;
    for (uint32_t i = m_count; i > index; --i)
        m_entries[i] = m_entries[i - 1];
    m_entries[index] = entry;
    ++m_count;
    return true;
}

nArrayEntry* nArrayList::GetAt(int index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= m_count)
    {
        nLogHolder::Get() << "[*] Out of bound array access.\n";
        return nullptr;
    }
    return m_entries[index];
}

int nArrayList::IndexOf(const nArrayEntry* entry) const
{
    for (uint32_t i = 0; i < m_count; ++i)
        if (m_entries[i] == entry)
            return static_cast<int>(i);
    return -1;
}

bool nArrayList::RemoveAt(int index)
{
    if (index < 0 || static_cast<uint32_t>(index) >= m_count)
    {
        nLogHolder::Get() << "[*] Out of bound array access.\n";
        return false;
    }
    for (uint32_t i = static_cast<uint32_t>(index); i + 1 < m_count; ++i)
        m_entries[i] = m_entries[i + 1];
    --m_count;
    m_entries[m_count] = nullptr;
    return true;
}

bool nArrayList::Remove(nArrayEntry* entry)
{
    const int index = IndexOf(entry);
    return index >= 0 && RemoveAt(index);
}

bool nArrayList::RemoveAndShrink(nArrayEntry* entry, bool deleteEntry)
{
    if (m_count < m_capacity / 2)
        Reserve(m_capacity / 2 > 64 ? m_capacity / 2 : 64);
    if (!Remove(entry))
        return false;
    if (deleteEntry)
        delete entry;
    return true;
}

void nArrayList::Clear(bool deleteEntries)
{
    if (deleteEntries)
        for (uint32_t i = 0; i < m_count; ++i)
            delete m_entries[i];
    delete[] m_entries;
    m_entries = nullptr;
    m_capacity = 0;
    m_count = 0;
}

void nArrayList::Swap(nArrayList& other)
{
    std::swap(m_entries, other.m_entries);
    std::swap(m_capacity, other.m_capacity);
    std::swap(m_count, other.m_count);
}
