#include "engine/items/nTrigger.h"

#include "engine/items/nManagedBlock.h"
#include "script/units/nItemEventHandler.h"

#include <new>

nTrigger::nTrigger(nScene* scene) : nMItem(scene, ItemTypeTrigger), m_item(scene->GetEngine())
{
    AttachItem(m_item);
}

nTrigger::~nTrigger()
{
    ClearEntries();
    Retire();
}

bool nTrigger::IsPointInside(const nVector& worldPoint)
{
    const nVector p = worldPoint.MulMatrix4(m_item.GetInverseMatrix());
    return p.x > -0.5f && p.x < 0.5f && p.y > -0.5f && p.y < 0.5f && p.z > -0.5f && p.z < 0.5f;
}

void nTrigger::Evaluate()
{
    if (!IsEnabled())
        return;
    BeginEvaluation();
    nWalkList<nMItem*>::Walk items(GetScene()->GetActiveItems());
    while (nMItem* item = items.Next())
        if ((item->GetFlags() & MItemFlagTriggerDetected) && item->IsEnabled())
            ItemInside(item);
    EndEvaluation();
}

void nTrigger::BeginEvaluation()
{
    nListIterator<nTriggerItem*> iterator;
    while (nTriggerItem* entry = m_entries.Next(iterator))
        entry->seen = false;
}

void nTrigger::ItemInside(nMItem* item)
{
    if (!IsPointInside(item->GetItem()->GetWorldPosition()))
        return;
    GetEventHandler()->OnTrigger(item, static_cast<nMItem*>(this));
    if (nList<nTriggerItem*>::Node* node = FindEntry(item))
    {
        node->value->seen = true;
        return;
    }
    auto* entry = new (std::nothrow) nTriggerItem{true, item};
    if (!entry || !m_entries.PushBack(entry))
    {
        delete entry;
        return;
    }
    GetEventHandler()->OnEnterTrigger(item, static_cast<nMItem*>(this));
    GetEventHandler()->OnItemEnter(this, item);
}

void nTrigger::EndEvaluation()
{
    nListIterator<nTriggerItem*> iterator;
    while (nTriggerItem* entry = m_entries.Next(iterator))
    {
        if (entry->seen)
            continue;
        nMItem* item = entry->item;
        m_entries.RemoveNode(iterator.current);
        SendExit(item);
    }
}

void nTrigger::RemoveItem(nMItem* item)
{
    if (nList<nTriggerItem*>::Node* node = FindEntry(item))
    {
        m_entries.RemoveNode(node);
        SendExit(item);
    }
}

void nTrigger::SendExit(nMItem* item)
{
    GetEventHandler()->OnExitTrigger(item, static_cast<nMItem*>(this));
    GetEventHandler()->OnItemExit(this, item);
}

void nTrigger::ForgetItem(nMItem* item)
{
    m_entries.RemoveNode(FindEntry(item));
}

void nTrigger::ClearEntries()
{
    m_entries.Clear();
}

bool nTrigger::HasItem(const nMItem* item) const
{
    return FindEntry(item) != nullptr;
}

nList<nTriggerItem*>::Node* nTrigger::FindEntry(const nMItem* item) const
{
    for (nList<nTriggerItem*>::Node* node = m_entries.GetHead(); node; node = node->next)
        if (node->value->item == item)
            return node;
    return nullptr;
}

bool nTrigger::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    return ParseManagedBlock(file, tag, *this, {"Trigger", "Item", "Could not parse trigger. Root tag id is incorrect ("},
                             [this](nMetaFile& f, nMetaTag& part) { m_item.ParseTag(f, part); });
}

nMetaTag* nTrigger::SerializeTag(nMetaFile& file)
{
    return SerializeManagedBlock(file, *this, "Trigger", "Could not create managed root tag to serialize.\n",
                                 m_item.SerializeTag(file));
}
