#include "core/base/nLinkedListId.h"

#include "core/base/nLog.h"

// The list links only nLinkedListEntryId entries, which is what makes the downcast sound.
nLinkedListEntryId* nLinkedListId::Find(const nString& id, bool warn) const
{
    for (nLinkedListEntry* entry = GetHead(); entry; entry = entry->GetNext())
    {
        auto* named = static_cast<nLinkedListEntryId*>(entry);
        if (named->GetId() == id)
            return named;
    }
    if (warn)
        nLogHolder::Get() << "[*] LListID failed to find '" << id << "'.\n";
    return nullptr;
}
