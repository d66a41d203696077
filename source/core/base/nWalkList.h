#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

// A list of pointers kept in one array, for lists that every frame walks from end to end (a
// scene's items): a walk reads the array in order and fetches the elements a few places ahead
// of the one in use, where a linked list would wait for one scattered node after another.
//
// A walk covers the elements the list held when it began, in list order; what is appended
// meanwhile is not reached, so a walk whose steps add to the list still ends. Any element may
// leave during a walk: its slot is emptied and skipped, and the array closes up over emptied
// slots only while no walk runs, so the places a walk counts on never move.
template <typename T> class nWalkList
{
    static_assert(std::is_pointer_v<T>, "a walk list holds pointers");

public:
    class Walk
    {
    public:
        explicit Walk(const nWalkList& list) : m_list(list), m_index(list.m_first), m_end(list.m_slots.size())
        {
            ++list.m_walks;
        }
        Walk(const Walk&) = delete;
        Walk& operator=(const Walk&) = delete;
        ~Walk()
        {
            if (--m_list.m_walks == 0)
                m_list.CloseUpWhenSparse();
        }

        // The next element still in the list, or null once the walk is over.
        T Next()
        {
            while (m_index < m_end)
            {
                const T value = m_list.m_slots[m_index++];
                if (m_index + FetchAhead < m_end)
                    __builtin_prefetch(m_list.m_slots[m_index + FetchAhead]);
                if (value)
                    return value;
            }
            return nullptr;
        }

    private:
        static constexpr size_t FetchAhead = 4;

        const nWalkList& m_list;
        size_t m_index;
        size_t m_end;
    };

    nWalkList() = default;
    nWalkList(const nWalkList&) = delete;
    nWalkList& operator=(const nWalkList&) = delete;

    void PushBack(T value)
    {
        m_slots.push_back(value);
        ++m_count;
    }

    // False when the value is not in the list.
    bool Remove(T value)
    {
        const size_t index = IndexOf(value);
        if (index == NotFound)
            return false;
        m_slots[index] = nullptr;
        --m_count;
        ++m_emptied;
        if (index == m_first)
            SkipEmptiedFirst();
        if (m_walks == 0)
            CloseUpWhenSparse();
        return true;
    }

    bool Contains(T value) const { return IndexOf(value) != NotFound; }

    // Walks the list, calling visit with each element until it answers false; false then.
    template <typename Visit> bool ForEach(Visit visit) const
    {
        Walk walk(*this);
        while (const T value = walk.Next())
            if (!visit(value))
                return false;
        return true;
    }

    void Clear()
    {
        if (m_walks == 0)
        {
            m_slots.clear();
            m_emptied = 0;
            m_first = 0;
        }
        else
        {
            for (T& slot : m_slots)
                slot = nullptr;
            m_emptied = m_slots.size();
            m_first = m_slots.size();
        }
        m_count = 0;
    }

    // Null when the list is empty.
    T GetFirst() const { return m_first < m_slots.size() ? m_slots[m_first] : nullptr; }
    T GetLast() const
    {
        for (size_t index = m_slots.size(); index > m_first; --index)
            if (m_slots[index - 1])
                return m_slots[index - 1];
        return nullptr;
    }

    uint32_t GetCount() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

private:
    static constexpr size_t NotFound = SIZE_MAX;
    // Emptied slots below this many are only skipped: closing up costs a pass over the array.
    static constexpr size_t MinimumEmptiedToCloseUp = 32;

    // The last element is tried first: one just appended (an item read as inactive) leaves at once.
    size_t IndexOf(T value) const
    {
        if (!value)
            return NotFound;
        if (!m_slots.empty() && m_slots.back() == value)
            return m_slots.size() - 1;
        for (size_t index = m_first; index < m_slots.size(); ++index)
            if (m_slots[index] == value)
                return index;
        return NotFound;
    }

    void SkipEmptiedFirst()
    {
        while (m_first < m_slots.size() && !m_slots[m_first])
            ++m_first;
    }

    // Closing up keeps what the list holds and its order: only where the elements sit changes,
    // so a walk over a list read as constant may still do it once it ends.
    void CloseUpWhenSparse() const
    {
        if (m_emptied == 0 ||
            (m_count != 0 && (m_emptied < MinimumEmptiedToCloseUp || m_emptied * 2 < m_slots.size())))
            return;
        size_t kept = 0;
        for (const T value : m_slots)
            if (value)
                m_slots[kept++] = value;
        m_slots.resize(kept);
        m_emptied = 0;
        m_first = 0;
    }

    mutable std::vector<T> m_slots;
    mutable size_t m_emptied = 0; // slots emptied and not yet closed up
    mutable size_t m_first = 0;   // no element sits below this slot
    mutable uint32_t m_walks = 0; // walks running, nested ones included
    uint32_t m_count = 0;
};
