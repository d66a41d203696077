#pragma once

#include "engine/items/nItem.h"
#include "engine/items/nMItem.h"
#include "engine/items/nSceneItemPart.h"

// One item inside a trigger, in the order the items entered.
struct nTriggerItem
{
    bool seen = false;
    nMItem* item = nullptr;
};

// An invisible box, the unit cube of its own item space: once per scene update it finds which
// detectable items have their world position inside and sends enter, stay and exit events to
// the item and to itself. Its file block is "Trigger".
class nTrigger : public nMItem
{
public:
    explicit nTrigger(nScene* scene);
    ~nTrigger() override;

    void Update() override {}
    void PrepareRender() override {}
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

    // Strictly inside: a point on a face is outside.
    bool IsPointInside(const nVector& worldPoint);
    // One evaluation over the scene's active items; a disabled trigger keeps its entries.
    void Evaluate();
    void BeginEvaluation();
    void ItemInside(nMItem* item);
    void EndEvaluation();
    // The item leaves with its exit events.
    void RemoveItem(nMItem* item);
    // The item's entry goes without events (the item is being destroyed with its scene).
    void ForgetItem(nMItem* item);
    void ClearEntries();
    bool HasItem(const nMItem* item) const;

    nItem& GetTriggerItem() { return m_item; }
    const nAutoList<nTriggerItem*>& GetEntries() const { return m_entries; }

private:
    nList<nTriggerItem*>::Node* FindEntry(const nMItem* item) const;
    void SendExit(nMItem* item);

    nSceneItemPart<nItem> m_item;
    nAutoList<nTriggerItem*> m_entries;
};
