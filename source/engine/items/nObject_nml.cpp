#include "engine/items/nObject.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nItemTags.h"
#include "engine/items/nMObject.h"
#include "geometry/nGeometry.h"

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
        else if (name == "Geometry" || name == "Occluder")
            ReadGeometryTag(*child);
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
    WriteGeometryName(*tag, "Geometry", m_geometry.Get(), m_unloadedGeometryName);
    WriteGeometryName(*tag, "Occluder", m_occluder.Get(), m_unloadedOccluderName);
    return tag;
}

// A value of another kind is reported and keeps what the object had; a geometry that cannot be
// loaded leaves the object without one (the loader and the not-found hook have said why) but
// keeps its name for the writer.
void nObject::ReadGeometryTag(const nMetaTag& tag)
{
    nString name;
    if (!ReadStringTag(tag, Block, name))
        return;
    const bool occluder = tag.GetName() == "Occluder";
    Quenvar* engine = GetEngine();
    nGeometry* geometry = nullptr;
    if (engine && !name.IsEmpty())
        geometry = engine->LoadGeometry(name.GetText(), false, !occluder && !m_cacheGeometry);
    if (occluder)
        SetOccluder(geometry);
    else
        SetGeometry(geometry);
    if (!geometry)
        (occluder ? m_unloadedOccluderName : m_unloadedGeometryName) = name;
}

void nObject::WriteGeometryName(nMetaTag& block, const char* tagName, const nGeometry* geometry,
                                const nString& unloadedName)
{
    const nString& name = geometry ? geometry->name : unloadedName;
    if (!name.IsEmpty())
        block.AddChildString(tagName, name.GetText());
}
