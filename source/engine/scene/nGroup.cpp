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

void nGroup::DestroyWhenUnwalked()
{
    if (m_walks > 0)
        m_destroyWhenUnwalked = true;
    else
        delete this;
}

// The walks that send events cover the members the group had when they began: an event may add
// members, or delete the group (which then lives until the walk ends).
void nGroup::Activate(bool active)
{
    const WalkScope walk(*this);
    nListWalk<nMItem*> items = m_items.BeginWalk();
    while (nMItem* item = m_items.Next(items))
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
    const WalkScope walk(*this);
    nListWalk<nMItem*> items = m_items.BeginWalk();
    while (nMItem* item = m_items.Next(items))
        item->Setup();
}

void nGroup::SetupScript()
{
    const WalkScope walk(*this);
    nListWalk<nMItem*> items = m_items.BeginWalk();
    while (nMItem* item = m_items.Next(items))
        item->SetupScript();
}

void nGroup::Reset(bool withScript)
{
    const WalkScope walk(*this);
    nListWalk<nMItem*> items = m_items.BeginWalk();
    while (nMItem* item = m_items.Next(items))
        item->Reset();
    if (!withScript)
        return;
    items = m_items.BeginWalk();
    while (nMItem* item = m_items.Next(items))
        item->SendReset();
}

void nGroup::SetMotion(const char* name, nAnimationSourceList** outSources, float fadeTime, bool add, float weight)
{
    StartItemMotions(m_items, name, outSources, fadeTime, add, weight);
}
