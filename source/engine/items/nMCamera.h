#pragma once

#include "engine/items/nCamera.h"
#include "engine/items/nMItem.h"
#include "engine/items/nSceneItemPart.h"

// The managed camera; its file block is "MCamera".
class nMCamera : public nMItem
{
public:
    explicit nMCamera(nScene* scene);
    ~nMCamera() override;

    void Update() override {}
    void PrepareRender() override;
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

    nCamera& GetCamera() { return m_camera; }

private:
    nSceneItemPart<nCamera> m_camera;
};
