#pragma once

#include <cstdint>

class nRenderItem;

// One draw entry that a renderable adds to the renderer's draw list: kind 0 an object with one of
// its geometries (the payload an nGeometry), 1 an emitter (the payload the emitter), 2 a terrain
// node (the payload its nTerrainPatch). The item is the drawn item. The payload is a pointer, not a
// 32-bit word.
struct nRenderablePrimitive
{
    enum Kind : uint32_t
    {
        KindObject = 0,
        KindEmitter = 1,
        KindTerrainNode = 2,
    };

    uint32_t kind = KindObject;
    nRenderItem* item = nullptr;
    void* payload = nullptr;
};
