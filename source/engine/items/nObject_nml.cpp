#include "engine/items/nObject.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nItemTags.h"

namespace
{
constexpr const char* Block = "Object";
}

bool nObject::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (!CheckBlockName(tag, Block, "Could not parse object. Root tag id is incorrect ("))
        return false;
    const nMetaTag* cache = tag.GetTag("CacheGeometry");
    m_cacheGeometry = !cache || (cache->GetType() == TagTypeBool && cache->GetBool());
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Item")
            nItem::ParseTag(file, *child);
        else if (name != "CacheGeometry")
            LogUnknownTag(*child, Block);
    }
    return true;
}

nMetaTag* nObject::SerializeTag(nMetaFile& file) const
{
    nMetaTag* tag = new nMetaTag(Block);
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not serialize object. Failed to create root tag.\n";
        return nullptr;
    }
    AddChildBlock(*tag, nItem::SerializeTag(file));
    if (!m_cacheGeometry)
        tag->AddChildBool("CacheGeometry", false);
    return tag;
}
