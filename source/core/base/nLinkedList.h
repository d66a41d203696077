#pragma once

#include <cstdint>

class nLinkedList;

// The links live in the object itself. An entry knows the list it is in, so membership tests
// are immediate and an entry can never be linked into two lists at once.
class nLinkedListEntry
{
public:
    nLinkedListEntry() = default;
    nLinkedListEntry(const nLinkedListEntry&) : nLinkedListEntry() {}
    nLinkedListEntry& operator=(const nLinkedListEntry&) { return *this; }
    virtual ~nLinkedListEntry();

    nLinkedListEntry* GetPrev() const { return m_prev; }
    nLinkedListEntry* GetNext() const { return m_next; }
    nLinkedList* GetList() const { return m_list; }

private:
    friend class nLinkedList;

    nLinkedListEntry* m_prev = nullptr;
    nLinkedListEntry* m_next = nullptr;
    nLinkedList* m_list = nullptr;
};

struct nLinkedListIterator
{
    nLinkedListEntry* current = nullptr;
    nLinkedListEntry* next = nullptr;
};

// An intrusive list; by default it owns its entries and deletes them when asked to.
class nLinkedList
{
public:
    nLinkedList() = default;
    nLinkedList(const nLinkedList&) = delete;
    nLinkedList& operator=(const nLinkedList&) = delete;
    virtual ~nLinkedList();

    nLinkedListEntry* Add(nLinkedListEntry* entry, bool atTail = true, bool skipCheck = false);
    nLinkedListEntry* InsertBefore(nLinkedListEntry* entry, nLinkedListEntry* before, bool skipCheck = false);
    nLinkedListEntry* InsertAfter(nLinkedListEntry* entry, nLinkedListEntry* after, bool skipCheck = false);
    bool Unlink(nLinkedListEntry* entry);
    bool Remove(nLinkedListEntry* entry, bool deleteEntry = true);
    void Clear(bool deleteEntries = true);
    bool Contains(const nLinkedListEntry* entry) const;
    nLinkedListEntry* GetAt(uint32_t index) const;
    nLinkedListEntry* Next(nLinkedListIterator& iterator) const;

    uint32_t GetCount() const { return m_count; }
    nLinkedListEntry* GetHead() const { return m_head; }
    nLinkedListEntry* GetTail() const { return m_tail; }
    bool IsNotOwner() const { return m_notOwner; }
    void SetNotOwner(bool notOwner) { m_notOwner = notOwner; }

private:
    bool CanLink(nLinkedListEntry* entry, bool skipCheck) const;
    void Link(nLinkedListEntry* entry, nLinkedListEntry* prev, nLinkedListEntry* next);

    uint32_t m_count = 0;
    nLinkedListEntry* m_head = nullptr;
    nLinkedListEntry* m_tail = nullptr;
    bool m_notOwner = false;
};
