#pragma once

#include "core/nml/nMetaTag.h"
#include "engine/items/nItemTags.h"
#include "engine/items/nMItem.h"

struct nManagedBlockNames
{
    const char* block;
    const char* part;
    const char* mismatchText;
};

// The envelope of a managed kind ("MCamera", "Trigger" ...): "MItem" goes to the managed part and
// the kind's part to readPart. A part that fails does not stop the walk; the envelope answers true
// once its name is right.
template <typename ReadPart>
bool ParseManagedBlock(nMetaFile& file, nMetaTag& tag, nMItem& item, const nManagedBlockNames& names,
                       ReadPart readPart)
{
    if (!CheckBlockName(tag, names.block, names.mismatchText))
        return false;
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        if (child->GetName() == "MItem")
            item.ParseManagedTag(file, *child);
        else if (child->GetName() == names.part)
            readPart(file, *child);
        else
            LogUnknownTag(*child, names.block);
    }
    return true;
}

// The envelope with the "MItem" block and then the kind's part, which it takes.
nMetaTag* SerializeManagedBlock(nMetaFile& file, const nMItem& item, const char* block, const char* failure,
                                nMetaTag* part);
