#pragma once

#include "engine/items/nMItem.h"
#include "engine/items/nObject.h"
#include "engine/items/nSceneItemPart.h"

// The managed object; its file block is "MObject".
class nMObject : public nMItem
{
public:
    explicit nMObject(nScene* scene);
    ~nMObject() override;

    void Update() override {}
    void PrepareRender() override {}
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

    nObject& GetObject() { return m_object; }

private:
    nSceneItemPart<nObject> m_object;
};
