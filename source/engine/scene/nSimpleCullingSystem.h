#pragma once

#include "core/base/nList.h"
#include "engine/scene/nRenderableMembers.h"
#include "render/nRenderable.h"

// Stands for a set of renderables in the render queue and draws every member that is ready, in
// the order they were added. It owns none of them.
class nSimpleCullingSystem : public nRenderable
{
public:
    void Add(nRenderable* renderable) { m_members.Add(renderable); }
    // False when it was no member.
    bool Remove(nRenderable* renderable) { return m_members.Remove(renderable); }
    const nList<nRenderable*>& GetMembers() const { return m_members.GetList(); }

    // The union of the members' boxes; left as it is when there are none.
    void GetWorldMinMax(nMinMax& box) const override;
    void Render(nCamera* camera, nItem* viewItem, nAutoList<nRenderablePrimitive*>* drawList, int32_t pass,
                bool cull) override;

private:
    nRenderableMembers m_members;
};
