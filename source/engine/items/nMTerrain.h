#pragma once

#include "engine/items/nMItem.h"
#include "engine/items/nSceneItemPart.h"
#include "engine/items/nTerrain.h"

// The managed terrain; its file block is "MTerrain". The scene queues it for drawing itself
// (terrains are in neither culling system); its heights also shape its physics heightfields.
class nMTerrain : public nMItem
{
public:
    explicit nMTerrain(nScene* scene);
    ~nMTerrain() override;

    void Update() override {}
    void PrepareRender() override {}
    // The material on the renderer, normals and tree again, then the managed set-up.
    void Setup() override;
    // After the block, every heightfield shape of the physics item takes the heights.
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;
    // Every point of the grid, as far apart as the terrain's own points.
    void ShapeHeightfields();

    nTerrain& GetTerrain() { return m_terrain; }

private:
    nSceneItemPart<nTerrain> m_terrain;
};
