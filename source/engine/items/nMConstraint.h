#pragma once

#include "engine/items/nItem.h"
#include "engine/items/nMItem.h"

class nPhysicConstraint;

// The managed item that carries one physics constraint between two simulated items, so that
// constraints have names and ids and are saved like other items. Its file block is "MConstraint".
class nMConstraint : public nMItem
{
public:
    // The physics constraint comes from the scene's physics world; without one there is none.
    explicit nMConstraint(nScene* scene);
    ~nMConstraint() override;

    void Update() override {}
    void PrepareRender() override {}
    // Only the joint's own set-up: a constraint sends no "OnSetupDone".
    void Setup() override;
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

    nPhysicConstraint* GetPhysicConstraint() const { return m_constraint; }
    // Clears body A and body B where they are the given physics item.
    void ForgetPhysicItem(const nPhysicItem* item);

private:
    void ReleaseConstraint();

    nItem m_item;
    nPhysicConstraint* m_constraint = nullptr;
};
