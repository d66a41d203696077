#include "engine/items/nObject.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nItemTags.h"
#include "engine/items/nMObject.h"

namespace
{
constexpr const char* Block = "Object";
}

bool nObject::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (!CheckBlockName(tag, Block, "Could not parse object. Root tag id is incorrect ("))
        return false;
    Quenvar* engine = GetEngine();
    if (engine)
        engine->PushLoadContext(static_cast<nMObject*>(GetMItem()));
    const nMetaTag* cache = tag.GetTag("CacheGeometry");
    m_cacheGeometry = !cache || (cache->GetType() == TagTypeBool && cache->GetBool());
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Item")
            nItem::ParseTag(file, *child);
        else if (name == "Geometry")
            ReadStringTag(*child, Block, m_geometryName);
        else if (name == "Occluder")
            ReadStringTag(*child, Block, m_occluderName);
        else if (name != "CacheGeometry")
            LogUnknownTag(*child, Block);
    }
    if (engine)
        engine->PopLoadContext();
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
    if (!m_geometryName.IsEmpty())
        tag->AddChildString("Geometry", m_geometryName.GetText());
    if (!m_occluderName.IsEmpty())
        tag->AddChildString("Occluder", m_occluderName.GetText());
    return tag;
}
