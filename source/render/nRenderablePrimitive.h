#pragma once

#include <cstdint>

// One draw entry that a renderable adds to the renderer's draw list: kind 0 an object with one of
// its geometries, 1 an emitter, 2 a terrain node. The payload is a pointer, not a 32-bit word.
struct nRenderablePrimitive
{
    enum Kind : uint32_t
    {
        KindObject = 0,
        KindEmitter = 1,
        KindTerrainNode = 2,
    };

    uint32_t kind = KindObject;
    void* item = nullptr;
    void* payload = nullptr;
};
