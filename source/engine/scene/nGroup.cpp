#include "engine/scene/nGroup.h"

#include "core/base/nLog.h"
#include "engine/items/nItem.h"
#include "engine/items/nMItem.h"
#include "engine/scene/nItemMotions.h"
#include "engine/scene/nScene.h"

#include <cstring>

nMItem* nGroup::AddItem(nMItem* item, bool unique)
{
    if (!item || (unique && IsMember(item)))
        return nullptr;
    return m_items.PushBack(item) ? item : nullptr;
}

nGroup* nGroup::AddGroup(nGroup* group, bool unique)
{
    if (!group || (unique && HasGroup(group)))
        return nullptr;
    return m_children.PushBack(group) ? group : nullptr;
}

nMItem* nGroup::FindItem(const char* name) const
{
    nListIterator<nMItem*> iterator;
    while (nMItem* item = m_items.Next(iterator))
        if (item->GetName() == name)
            return item;
    nLogHolder::Get() << "[*] No item '" << name << "' in group '" << m_name << "'.\n";
    return nullptr;
}

nMItem* nGroup::FindItemByUid(int32_t uid) const
{
    nListIterator<nMItem*> iterator;
    while (nMItem* item = m_items.Next(iterator))
        if (item->GetUid() == uid)
            return item;
    nLogHolder::Get() << "[*] No item with uid '" << uid << "' in group '" << m_name << "'.\n";
    return nullptr;
}

nGroup* nGroup::FindGroup(const char* name) const
{
    nListIterator<nGroup*> iterator;
    while (nGroup* group = m_children.Next(iterator))
        if (group->GetName() == name)
            return group;
    nLogHolder::Get() << "[*] Could not find group '" << name << "' in group '" << m_name << "'.\n";
    return nullptr;
}

void nGroup::Activate(bool active)
{
    nListIterator<nMItem*> iterator;
    while (nMItem* item = m_items.Next(iterator))
        item->GetScene()->ActivateItem(item, active, false);
}

void nGroup::SetInvisible(bool invisible)
{
    nListIterator<nMItem*> iterator;
    while (nMItem* item = m_items.Next(iterator))
        item->GetItem()->SetFlag(ItemFlagInvisible, invisible);
}

void nGroup::OffsetMatrix(const nMatrix4& matrix)
{
    nListIterator<nMItem*> iterator;
    while (nMItem* item = m_items.Next(iterator))
    {
        nItem* node = item->GetItem();
        if (!node->GetParent())
            node->SetMatrix(matrix * node->GetWorldMatrix());
    }
}

void nGroup::SetRootItem(nMItem* root)
{
    nListIterator<nMItem*> iterator;
    if (m_rootItem)
    {
        nItem* oldRoot = m_rootItem->GetItem();
        while (nMItem* item = m_items.Next(iterator))
            if (item->GetItem()->GetParent() == oldRoot)
                item->GetItem()->SetParent(nullptr);
    }
    if (root)
    {
        iterator = nListIterator<nMItem*>();
        while (nMItem* item = m_items.Next(iterator))
            if (!item->GetItem()->GetParent())
                item->GetItem()->SetParent(root->GetItem());
    }
    m_rootItem = root;
}

void nGroup::Setup()
{
    nListIterator<nMItem*> iterator;
    while (nMItem* item = m_items.Next(iterator))
        item->Setup();
}

void nGroup::SetupScript()
{
    nListIterator<nMItem*> iterator;
    while (nMItem* item = m_items.Next(iterator))
        item->SetupScript();
}

void nGroup::Reset(bool withScript)
{
    nListIterator<nMItem*> iterator;
    while (nMItem* item = m_items.Next(iterator))
        item->Reset();
    if (!withScript)
        return;
    iterator = nListIterator<nMItem*>();
    while (nMItem* item = m_items.Next(iterator))
        item->SendReset();
}

void nGroup::SetMotion(const char* name, nAnimationSourceList** outSources, float fadeTime, bool add, float weight)
{
    StartItemMotions(m_items, name, outSources, fadeTime, add, weight);
}
