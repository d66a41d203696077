#pragma once

#include "core/base/nLinkedList.h"
#include "platform/nstring/nString.h"

#include <utility>

class nLinkedListEntryId : public nLinkedListEntry
{
public:
    nLinkedListEntryId() = default;
    explicit nLinkedListEntryId(const nString& id) : m_id(id) {}

    const nString& GetId() const { return m_id; }
    void SetId(const nString& id) { m_id = id; }
    void SetId(nString&& id) { m_id = std::move(id); }

private:
    nString m_id;
};

// An intrusive list whose entries can be found by their id; it links only entries that carry one.
class nLinkedListId : public nLinkedList
{
public:
    nLinkedListEntryId* Add(nLinkedListEntryId* entry, bool atTail = true, bool skipCheck = false)
    {
        return static_cast<nLinkedListEntryId*>(nLinkedList::Add(entry, atTail, skipCheck));
    }
    nLinkedListEntryId* InsertBefore(nLinkedListEntryId* entry, nLinkedListEntryId* before,
                                     bool skipCheck = false)
    {
        return static_cast<nLinkedListEntryId*>(nLinkedList::InsertBefore(entry, before, skipCheck));
    }
    nLinkedListEntryId* InsertAfter(nLinkedListEntryId* entry, nLinkedListEntryId* after,
                                    bool skipCheck = false)
    {
        return static_cast<nLinkedListEntryId*>(nLinkedList::InsertAfter(entry, after, skipCheck));
    }

    nLinkedListEntryId* Find(const nString& id, bool warn = true) const;
};
