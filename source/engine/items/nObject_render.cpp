#include "engine/items/nObject.h"

#include "core/math/nFrustum.h"
#include "core/math/nMinMax.h"
#include "engine/Quenvar.h"
#include "engine/items/nCamera.h"
#include "geometry/nGeometry.h"
#include "geometry/nGeometryOctreeNode.h"

// Each level is drawn below its own distance and the last level of a chain at any distance; a
// "LodNull" level beyond its distance hides the object. The walk compares squared distances.
nGeometry* nObject::SelectGeometry(float squaredDistance, int32_t pass) const
{
    nGeometry* level = m_geometry.Get();
    for (uint32_t depth = 1; depth < MaxLodLevels; ++depth)
    {
        if (level->lodDistance * level->lodDistance > squaredDistance)
            break;
        if (level->flags & nGeometry::FlagLodNull)
            return nullptr;
        if (!level->lodProxy)
            break;
        level = level->lodProxy.Get();
    }
    if (pass == 1)
    {
        if (level->flags & nGeometry::FlagShadowNull)
            return nullptr;
        if (level->shadowProxy)
            level = level->shadowProxy.Get();
    }
    return level->flags & nGeometry::FlagHidden ? nullptr : level;
}

void nObject::Render(nCamera* camera, nItem* viewItem, nAutoList<nRenderablePrimitive*>* drawList,
                     int32_t pass, bool cull)
{
    if (!m_geometry)
        return;
    Update();
    const nVector position = GetWorldMatrix().GetTranslation();
    const nVector eye = viewItem ? viewItem->GetStoredWorldMatrix().GetTranslation() : position;
    const nVector offset = position - eye;
    nGeometry* level = SelectGeometry(offset.LengthSquared(), pass);
    if (!level)
        return;

    // The engine's culling counter times the tests; a draw that tests nothing (the tree culling
    // system's, which tested its node) does not read the clock twice per object for it.
    const nFrustum* frustum = camera ? &camera->GetViewFrustum() : nullptr;
    Quenvar* engine = GetEngine();
    nPerfCounter* culling =
        engine && ((cull && frustum) || level->octree) ? &engine->GetCullingCounter() : nullptr;
    if (culling)
        culling->Begin(true);
    bool visible = true;
    if (cull && frustum)
    {
        nMinMax box;
        GetMinMax(box);
        visible = frustum->TestMinMax(box, &GetWorldMatrix()) != nFrustum::Outside;
    }
    if (visible && level->octree)
    {
        level->octree->SetVisibility(frustum, GetWorldMatrix());
        nGeometryOctreeNode* cursor = nullptr;
        while (nGeometry* leaf = level->octree->NextLeaf(cursor))
            AppendDrawEntry(drawList, nRenderablePrimitive::KindObject, static_cast<nItem*>(this), leaf);
    }
    else if (visible)
        AppendDrawEntry(drawList, nRenderablePrimitive::KindObject, static_cast<nItem*>(this), level);
    if (culling)
        culling->End();
}

const nMatrix4* nObject::GetRenderBoneMatrices(uint32_t& count) const
{
    count = m_skin ? m_skin->matrices.GetCount() : 0;
    return count ? m_skin->matrices.At(0) : nullptr;
}
