#include "engine/scene/nScene.h"

#include "engine/items/nItem.h"
#include "engine/items/nMItem.h"
#include "physics/nPhysicItem.h"
#include "script/units/nItemEventHandler.h"

void nScene::ActivateItem(nMItem* item, bool active, bool recursive)
{
    if (!item)
        return;
    const ItemWalk walk(*this); // "OnActivate" runs between the lists and the item's own field
    if (item->GetEnabledField() != active)
    {
        nList<nMItem*>& joining = active ? m_pendingActivate : m_pendingDeactivate;
        nList<nMItem*>& leaving = active ? m_pendingDeactivate : m_pendingActivate;
        if (!joining.Find(item))
            joining.PushBack(item);
        leaving.Remove(item);
        item->GetEventHandler()->OnActivate(item, active);
        item->SetEnabledField(active);
    }
    if (!recursive)
        return;
    nListIterator<nItem*> children;
    while (nItem* child = item->GetItem()->GetChildren().Next(children))
        ActivateItem(child->GetMItem(), active, true);
}

// An inactive item's body leaves the simulation until the item is active again.
void nScene::ApplyPendingActivation()
{
    nListIterator<nMItem*> iterator;
    while (nMItem* item = m_pendingActivate.Next(iterator))
    {
        if (!m_activeItems.Contains(item))
            m_activeItems.PushBack(item);
        if (nPhysicItem* body = item->GetPhysicItem())
            body->SetSimulated(true);
    }
    iterator = nListIterator<nMItem*>();
    while (nMItem* item = m_pendingDeactivate.Next(iterator))
    {
        m_activeItems.Remove(item);
        if (nPhysicItem* body = item->GetPhysicItem())
            body->SetSimulated(false);
    }
    m_pendingActivate.Clear();
    m_pendingDeactivate.Clear();
}
