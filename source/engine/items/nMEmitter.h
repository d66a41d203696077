#pragma once

#include "engine/items/nEmitter.h"
#include "engine/items/nMItem.h"
#include "engine/items/nSceneItemPart.h"

// The managed emitter; its file block is "MEmitter". The scene queues it for drawing itself
// (emitters are in neither culling system) and it advances once a frame by the engine's frame time.
class nMEmitter : public nMItem
{
public:
    static constexpr float DefaultPriority = 1.0f;

    explicit nMEmitter(nScene* scene);
    ~nMEmitter() override;

    void Update() override;
    void PrepareRender() override;
    // The pool, then the managed set-up.
    void Setup() override;
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

    nEmitter& GetEmitter() { return m_emitter; }

private:
    nSceneItemPart<nEmitter> m_emitter;
};
