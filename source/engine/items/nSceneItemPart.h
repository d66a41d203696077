#pragma once

#include "engine/items/nMItem.h"
#include "engine/scene/nScene.h"

// The item part of a managed kind: parenting it tells the scene's listeners before and after,
// with the managed item as data.
template <typename Part> class nSceneItemPart : public Part
{
public:
    explicit nSceneItemPart(Quenvar* engine) : Part(engine) {}

    void SetParent(nItem* parent) override
    {
        nMItem* owner = this->GetMItem();
        if (owner)
            owner->GetScene()->Broadcast(SceneMessageParentChanging, owner);
        Part::SetParent(parent);
        if (owner)
            owner->GetScene()->Broadcast(SceneMessageParentChanged, owner);
    }
};
