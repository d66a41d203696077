#include "engine/items/nMObject.h"

#include "engine/items/nManagedBlock.h"

nMObject::nMObject(nScene* scene) : nMItem(scene, ItemTypeObject), m_object(scene->GetEngine())
{
    AttachItem(m_object);
    scene->AddRenderable(&m_object, false);
}

nMObject::~nMObject()
{
    Retire();
}

void nMObject::SetFlag(uint32_t bits, bool on)
{
    if (bits & MItemFlagStatic)
    {
        nScene* scene = GetScene();
        scene->RemoveRenderable(&m_object);
        scene->AddRenderable(&m_object, on);
    }
    nMItem::SetFlag(bits, on);
}

bool nMObject::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    return ParseManagedBlock(
        file, tag, *this, {"MObject", "Object", "Could not parse managed object. Root tag id is incorrect ("},
        [this](nMetaFile& f, nMetaTag& part) { m_object.ParseTag(f, part); });
}

nMetaTag* nMObject::SerializeTag(nMetaFile& file)
{
    return SerializeManagedBlock(file, *this, "MObject", "Could not create managed root tag to serialize.\n",
                                 m_object.SerializeTag(file));
}
