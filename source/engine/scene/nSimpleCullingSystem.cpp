#include "engine/scene/nSimpleCullingSystem.h"

#include "core/math/nMinMax.h"

void nSimpleCullingSystem::GetWorldMinMax(nMinMax& box) const
{
    const nList<nRenderable*>::Node* node = m_members.GetList().GetHead();
    if (!node)
        return;
    node->value->GetWorldMinMax(box);
    for (node = node->next; node; node = node->next)
    {
        nMinMax member;
        node->value->GetWorldMinMax(member);
        box = box.Union(member);
    }
}

void nSimpleCullingSystem::Render(nCamera* camera, nItem* viewItem,
                                  nAutoList<nRenderablePrimitive*>* drawList, int32_t pass, bool cull)
{
    for (const nList<nRenderable*>::Node* node = m_members.GetList().GetHead(); node; node = node->next)
        if (node->value->IsRenderable())
            node->value->Render(camera, viewItem, drawList, pass, cull);
}
