#include "core/base/nLinkedList.h"

#include "core/base/nLog.h"

// An entry deleted while still linked leaves its list first, so the list never holds a dangling entry.
nLinkedListEntry::~nLinkedListEntry()
{
    if (m_list)
        m_list->Unlink(this);
}

nLinkedList::~nLinkedList()
{
    Clear(true);
}

// Linking an entry that sits in another list would corrupt both lists, skipCheck or not.
bool nLinkedList::CanLink(nLinkedListEntry* entry, bool skipCheck) const
{
    if (!entry)
        return false;
    if (entry->m_list == this && !skipCheck)
        return false;
    if (entry->m_list)
    {
        nLogHolder::Get() << "[!] Linked list entry already belongs to a list.\n";
        return false;
    }
    return true;
}

void nLinkedList::Link(nLinkedListEntry* entry, nLinkedListEntry* prev, nLinkedListEntry* next)
{
    entry->m_prev = prev;
    entry->m_next = next;
    entry->m_list = this;
    if (prev)
        prev->m_next = entry;
    else
        m_head = entry;
    if (next)
        next->m_prev = entry;
    else
        m_tail = entry;
    ++m_count;
}

nLinkedListEntry* nLinkedList::Add(nLinkedListEntry* entry, bool atTail, bool skipCheck)
{
    if (!entry)
        return nullptr;
    if (entry->m_list == this)
        return entry;
    if (!CanLink(entry, skipCheck))
        return nullptr;
    if (atTail)
        Link(entry, m_tail, nullptr);
    else
        Link(entry, nullptr, m_head);
    return entry;
}

nLinkedListEntry* nLinkedList::InsertBefore(nLinkedListEntry* entry, nLinkedListEntry* before, bool skipCheck)
{
    if (!before || before->m_list != this || !CanLink(entry, skipCheck))
        return nullptr;
    Link(entry, before->m_prev, before);
    return entry;
}

nLinkedListEntry* nLinkedList::InsertAfter(nLinkedListEntry* entry, nLinkedListEntry* after, bool skipCheck)
{
    if (!after || after->m_list != this || !CanLink(entry, skipCheck))
        return nullptr;
    Link(entry, after, after->m_next);
    return entry;
}

bool nLinkedList::Unlink(nLinkedListEntry* entry)
{
    if (!Contains(entry))
        return false;
    if (entry->m_prev)
        entry->m_prev->m_next = entry->m_next;
    else
        m_head = entry->m_next;
    if (entry->m_next)
        entry->m_next->m_prev = entry->m_prev;
    else
        m_tail = entry->m_prev;
    entry->m_prev = nullptr;
    entry->m_next = nullptr;
    entry->m_list = nullptr;
    --m_count;
    return true;
}

bool nLinkedList::Remove(nLinkedListEntry* entry, bool deleteEntry)
{
    if (!Unlink(entry))
        return false;
    if (deleteEntry && !m_notOwner)
        delete entry;
    return true;
}

// Entries that are kept are unlinked too, so they can join another list afterwards.
void nLinkedList::Clear(bool deleteEntries)
{
    bool deleting = deleteEntries && !m_notOwner;
    while (nLinkedListEntry* entry = m_head)
    {
        Unlink(entry);
        if (deleting)
            delete entry;
    }
}

bool nLinkedList::Contains(const nLinkedListEntry* entry) const
{
    return entry && entry->m_list == this;
}

nLinkedListEntry* nLinkedList::GetAt(uint32_t index) const
{
    if (index >= m_count)
    {
        nLogHolder::Get() << "[!] out of bound linked list access.\n";
        return nullptr;
    }
    nLinkedListEntry* entry = m_head;
    while (index--)
        entry = entry->m_next;
    return entry;
}

nLinkedListEntry* nLinkedList::Next(nLinkedListIterator& iterator) const
{
    iterator.current = iterator.current ? iterator.next : m_head;
    iterator.next = iterator.current ? iterator.current->m_next : nullptr;
    return iterator.current;
}
