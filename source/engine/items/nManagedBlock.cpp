#include "engine/items/nManagedBlock.h"

#include "core/base/nLog.h"

nMetaTag* SerializeManagedBlock(nMetaFile& file, const nMItem& item, const char* block, const char* failure,
                                nMetaTag* part)
{
    nMetaTag* tag = new nMetaTag(block);
    if (!tag)
    {
        delete part;
        nLogHolder::Get() << "[!] " << failure;
        return nullptr;
    }
    AddChildBlock(*tag, item.SerializeManagedTag(file));
    AddChildBlock(*tag, part);
    return tag;
}
