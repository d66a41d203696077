#pragma once

#include "core/base/nAutoArray.h"

#include <cstdint>

class nEGLDisplayList;
class nLightSource;
class nMaterial;
class nRenderItem;
class nTerrainPatch;

// One drawn thing of a frame: an item with one display list of its geometry (kind 0), or a
// terrain patch (kind 2).
struct nGPURenderPrimitive
{
    uint32_t kind = 0;
    nRenderItem* item = nullptr;
    nEGLDisplayList* displayList = nullptr;
    nTerrainPatch* patch = nullptr;
};

// The primitives of one frame list, held by value: they live only for the frame.
using nGPURenderPrimitiveList = nAutoArray<nGPURenderPrimitive>;

// The material the primitive draws with: its display list's, or its terrain patch's; null without.
const nMaterial* GetPrimitiveMaterial(const nGPURenderPrimitive& primitive);

// What a pass draws with: lighting 0 base, 1 light accumulation; blend class 0 none (G-buffer),
// 1 opaque, 2 transparent; the index into each material's programs; the light of a light pass.
struct nGPUPass
{
    enum Lighting : uint32_t
    {
        Base = 0,
        Light = 1,
    };
    enum BlendClass : uint32_t
    {
        BlendNone = 0,
        BlendOpaque = 1,
        BlendTransparent = 2,
    };

    uint32_t lighting = Base;
    uint32_t blendClass = BlendOpaque;
    uint32_t programIndex = 2;
    nLightSource* light = nullptr;
};
