#include "engine/scene/nScene.h"

#include "engine/items/nMItem.h"
#include "engine/items/nTrigger.h"

bool nScene::DeleteItem(nMItem* item)
{
    if (item && !m_deletionQueue.Find(item))
        m_deletionQueue.PushBack(item);
    return true;
}

// The destructor takes the item out of every list (RemoveMItem), so only what must happen while
// it is still whole is done here.
void nScene::FlushDeletionQueue()
{
    const ItemWalk walk(*this); // "OnDelete" runs while the item is still listed
    while (nList<nMItem*>::Node* head = m_deletionQueue.GetHead())
    {
        nMItem* item = head->value;
        Broadcast(SceneMessageItemDeleting, item);
        if (m_currentCamera == item->GetItem())
            m_currentCamera = nullptr;
        nListIterator<nTrigger*> triggers;
        while (nTrigger* trigger = m_triggers.Next(triggers))
            trigger->RemoveItem(item);
        m_deletionQueue.RemoveNode(head);
        delete item;
        Broadcast(SceneMessageItemDeleted, item);
    }
}
