#include "engine/scene/nScene.h"

#include "core/base/nLog.h"
#include "core/math/nVector.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nItem.h"
#include "engine/items/nItemTags.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMEmitter.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nMTerrain.h"
#include "engine/items/nTrigger.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"
#include "geometry/nTexture.h"
#include "physics/nPhysicConstraint.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicWorld.h"
#include "script/units/nScriptUnit.h"

#include <cmath>

namespace
{
const char* TextOf(const nString& text)
{
    return text.GetText() ? text.GetText() : "";
}

template <typename Kind>
void WriteKind(nMetaFile& file, nMetaTag& items, const nList<Kind*>& list, const nScene& scene, nGroup* filter,
               uint32_t flags)
{
    nListIterator<Kind*> iterator;
    while (Kind* item = list.Next(iterator))
        if (scene.IsItemExported(item, filter, flags))
            AddChildBlock(items, item->SerializeTag(file));
}

void WriteColor(nMetaTag& parent, const char* name, const nColor& color)
{
    WriteVectorTag(parent, name, nVector(color.r, color.g, color.b, color.a));
}

int32_t OwnerUid(const nPhysicItem* body)
{
    nMItem* owner = body ? dynamic_cast<nMItem*>(body->GetOwner()) : nullptr;
    return owner ? owner->GetUid() : -1;
}

// Every bound bone whose item is a managed item (of the filter group when there is one), with its
// bind matrix.
void WriteSkin(nMetaTag& skins, nMObject& owner, nGroup* filter)
{
    nObject& object = owner.GetObject();
    nMetaTag* skin = skins.AddChild("Skin");
    if (!skin)
    {
        nLogHolder::Get() << "[!] Failed to allocate skin tag.\n";
        return;
    }
    skin->AddChildInt("UId", owner.GetUid());
    for (uint32_t index = 0; index < object.GetBoneCount(); ++index)
    {
        nItem* boneItem = object.GetBone(index);
        nMItem* bone = boneItem ? boneItem->GetMItem() : nullptr;
        if (!bone || (filter && !filter->IsMember(bone)))
            continue;
        nMetaTag* entry = skin->AddChild("Bone");
        if (!entry)
        {
            nLogHolder::Get() << "[!] Failed to allocate bone tag.\n";
            continue;
        }
        entry->AddChildInt("Index", int32_t(index));
        entry->AddChildInt("UId", bone->GetUid());
        nMatrix4 bind;
        if (object.GetBindMatrix(index, bind))
            AddChildBlock(*entry, bind.Serialize("BindMatrix"));
        else
            nLogHolder::Get() << "[!] Failed to serialize bone n\xB0" << index << " bind matrix for object '"
                              << owner.GetName() << "'.\n";
    }
}

// The frequency as written: a step of 1/60 s writes 60, not the float's 59.99998.
float WrittenFrequency(float step)
{
    return std::round(1000.0f / step) / 1000.0f;
}
} // namespace

bool nScene::IsItemExported(nMItem* item, nGroup* filterGroup, uint32_t flags) const
{
    if (filterGroup && !filterGroup->IsMember(item))
        return false;
    switch (item->GetKind())
    {
    case ItemTypeCamera:
        return flags & ImportFlagCamera;
    case ItemTypeObject:
        return flags & ImportFlagObject;
    case ItemTypeLight:
        return flags & ImportFlagLight;
    case ItemTypeTrigger:
        return flags & ImportFlagTrigger;
    case ItemTypeEmitter:
        return flags & ImportFlagEmitter;
    case ItemTypeInstance:
        return flags & ImportFlagInstance;
    case ItemTypeTerrain:
        return flags & ImportFlagTerrain;
    default:
        return true;
    }
}

nMetaTag* nScene::Serialize(nMetaFile& file, nGroup* filterGroup, uint32_t flags)
{
    nMetaTag* root = file.AddRoot("Scene");
    if (!root)
    {
        nLogHolder::Get() << "[!] Could not create scene root tag to serialize.\n";
        return nullptr;
    }
    if (!filterGroup)
    {
        AddChildBlock(*root, nScriptedObject::Serialize());
        if (nScriptUnit* unit = GetScriptUnits().IsEmpty() ? nullptr : GetScriptUnits().GetHead()->value)
            AddChildBlock(*root, unit->Serialize());
    }
    nMetaTag* items = root->AddChild("Items");
    if (!items)
    {
        nLogHolder::Get() << "[!] Failed to allocate <Items> root tag.\n";
        return nullptr;
    }
    WriteKind(file, *items, m_cameras, *this, filterGroup, flags);
    WriteKind(file, *items, m_objects, *this, filterGroup, flags);
    WriteKind(file, *items, m_lights, *this, filterGroup, flags);
    WriteKind(file, *items, m_triggers, *this, filterGroup, flags);
    WriteKind(file, *items, m_instances, *this, filterGroup, flags);
    WriteKind(file, *items, m_emitters, *this, filterGroup, flags);
    WriteKind(file, *items, m_terrains, *this, filterGroup, flags);
    if (flags & ImportFlagConstraint)
        WriteKind(file, *items, m_constraints, *this, filterGroup, flags);

    nMetaTag* links = root->AddChild("Links");
    if (!links)
    {
        nLogHolder::Get() << "[!] Failed to allocate <Links> root tag.\n";
        return nullptr;
    }
    nWalkList<nMItem*>::Walk walk(m_allItems);
    while (nMItem* item = walk.Next())
    {
        nItem* parent = item->GetItem()->GetParent();
        nMItem* parentItem = parent ? parent->GetMItem() : nullptr;
        if (!parentItem || !IsItemExported(item, filterGroup, flags) || !IsItemExported(parentItem, filterGroup, flags))
            continue;
        nMetaTag* link = links->AddChild("Link");
        if (!link)
        {
            nLogHolder::Get() << "[!] Failed to allocate link tag.\n";
            continue;
        }
        link->AddChildInt("Item", item->GetUid());
        link->AddChildInt("Link", parentItem->GetUid());
    }
    nMetaTag* skins = root->AddChild("Skins");
    if (!skins)
    {
        nLogHolder::Get() << "[!] Failed to allocate <Skins> root tag.\n";
        return nullptr;
    }
    nListIterator<nMObject*> objects;
    while (nMObject* object = m_objects.Next(objects))
        if (object->GetObject().GetBoneCount() > 0 && (!filterGroup || filterGroup->IsMember(object)))
            WriteSkin(*skins, *object, filterGroup);
    if (nMetaTag* constraints = root->AddChild("Constraints"))
    {
        nListIterator<nMConstraint*> list;
        while (nMConstraint* constraint = m_constraints.Next(list))
        {
            if (filterGroup && !filterGroup->IsMember(constraint))
                continue;
            nMetaTag* entry = constraints->AddChild("Constraint");
            if (!entry)
                continue;
            entry->AddChildInt("Uid", constraint->GetUid());
            nPhysicConstraint* physic = constraint->GetPhysicConstraint();
            const int32_t uidA = physic ? OwnerUid(physic->GetItemA()) : -1;
            const int32_t uidB = physic ? OwnerUid(physic->GetItemB()) : -1;
            if (uidA >= 0)
                entry->AddChildInt("UidA", uidA);
            if (uidB >= 0)
                entry->AddChildInt("UidB", uidB);
        }
    }
    if (filterGroup)
        return root;

    if ((flags & ImportFlagGroup) && !m_groups.IsEmpty())
    {
        nMetaTag* groups = root->AddChild("Groups");
        if (!groups)
        {
            nLogHolder::Get() << "[!] Failed to allocate <Groups> root tag.\n";
            return nullptr;
        }
        nListIterator<nGroup*> list;
        while (nGroup* group = m_groups.Next(list))
        {
            nMetaTag* entry = groups->AddChild("Group");
            if (!entry)
                continue;
            entry->AddChildString("Id", TextOf(group->GetName()));
            nListIterator<nMItem*> members;
            while (nMItem* member = group->GetItems().Next(members))
                entry->AddChildInt("Item", member->GetUid());
        }
    }
    if (flags & ImportFlagGlobals)
    {
        nMetaTag* globals = root->AddChild("Globals");
        if (!globals)
        {
            nLogHolder::Get() << "[!] Failed to allocate <Globals> root tag.\n";
            return nullptr;
        }
        WriteColor(*globals, "BackgroundColor", m_backgroundColor);
        WriteColor(*globals, "AmbientColor", m_ambientColor);
        if (m_irradiance)
            globals->AddChildString("Irradiance", TextOf(m_irradiance->GetName()));
        if (m_radiance)
            globals->AddChildString("Radiance", TextOf(m_radiance->GetName()));
        globals->AddChildFloat("AmbientIntensity", m_ambientIntensity);
        globals->AddChildFloat("TargetExposure", m_targetExposure);
        globals->AddChildFloat("FogNear", m_fogNear);
        globals->AddChildFloat("FogFar", m_fogFar);
        WriteColor(*globals, "FogColor", m_fogColor);
    }
    if ((flags & ImportFlagPhysic) && m_physicWorld)
        if (nMetaTag* physics = root->AddChild("Physics"))
            physics->AddChildFloat("Frequency", WrittenFrequency(m_physicWorld->GetFixedTimeStep()));
    if (m_currentCamera && m_currentCamera->GetMItem())
        root->AddChildString("CurrentCamera", TextOf(m_currentCamera->GetMItem()->GetName()));
    return root;
}
