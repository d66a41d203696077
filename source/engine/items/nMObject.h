#pragma once

#include "engine/items/nMItem.h"
#include "engine/items/nObject.h"
#include "engine/items/nSceneItemPart.h"

// The managed object; its file block is "MObject". Its object is one of the scene's renderables:
// in the tree culling system while the item is static, in the simple one otherwise.
class nMObject : public nMItem
{
public:
    explicit nMObject(nScene* scene);
    ~nMObject() override;

    // The static bit moves the renderable to the culling system that matches it.
    void SetFlag(uint32_t bits, bool on) override;

    void Update() override {}
    void PrepareRender() override {}
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

    nObject& GetObject() { return m_object; }

private:
    nSceneItemPart<nObject> m_object;
};
