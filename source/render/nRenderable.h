#pragma once

#include "core/base/nList.h"
#include "render/nRenderablePrimitive.h"

#include <cstdint>
#include <new>

class nCamera;
class nItem;
class nMinMax;

// Everything the renderer draws from its queue. Render adds the draw entries of one pass (0 the
// view, 1 a shadow map) to the renderer's list; with cull set the renderable first tests itself
// against the camera's frustum.
class nRenderable
{
public:
    virtual bool IsRenderable() const { return true; }
    virtual void GetWorldMinMax(nMinMax& box) const = 0;
    virtual void Render(nCamera* camera, nItem* viewItem, nAutoList<nRenderablePrimitive*>* drawList,
                        int32_t pass, bool cull) = 0;
    virtual ~nRenderable() = default;
};

// Appends one entry to a draw list; an entry that cannot be allocated stays out, since the
// renderer reads every entry the list holds.
inline void AppendDrawEntry(nAutoList<nRenderablePrimitive*>* drawList, uint32_t kind, nRenderItem* item,
                            void* payload)
{
    if (!drawList)
        return;
    auto* entry = new (std::nothrow) nRenderablePrimitive{kind, item, payload};
    if (entry && !drawList->PushBack(entry))
        delete entry;
}
