#include "engine/scene/nOctreeCullingSystem.h"

#include "core/base/nLog.h"
#include "engine/items/nCamera.h"
#include "platform/nPlatform.h"

#include <algorithm>

namespace
{
// Records of fewer members than this are not split further.
constexpr uint32_t MinimumSplitCount = 5;

float Component(const nVector& vector, int axis)
{
    return axis == 0 ? vector.x : axis == 1 ? vector.y : vector.z;
}

nMinMax UnionOf(nOctreeCullingSystem::CachedNode* const* begin, nOctreeCullingSystem::CachedNode* const* end)
{
    nMinMax box = (*begin)->box;
    for (auto* const* record = begin + 1; record != end; ++record)
        box = box.Union((*record)->box);
    return box;
}

// The longest side, with ties going to z, then to y.
int SplitAxis(const nVector& extent)
{
    if (extent.x > extent.y && extent.x > extent.z)
        return 0;
    if (extent.y > extent.x && extent.y > extent.z)
        return 1;
    return 2;
}
} // namespace

void nOctreeCullingSystem::Add(nRenderable* renderable)
{
    m_members.Add(renderable);
    m_stale = true;
}

void nOctreeCullingSystem::Remove(nRenderable* renderable)
{
    if (m_members.Remove(renderable))
        m_stale = true;
}

void nOctreeCullingSystem::GetWorldMinMax(nMinMax& box) const
{
    if (m_root)
        box = m_root->box;
}

void nOctreeCullingSystem::Render(nCamera* camera, nItem* viewItem,
                                  nAutoList<nRenderablePrimitive*>* drawList, int32_t pass, bool cull)
{
    if (m_stale)
        Rebuild();
    if (!m_root)
        return;
    if (cull && camera)
        DrawCulled(m_root.get(), camera, viewItem, drawList, pass);
    else
        DrawAll(*m_root, camera, viewItem, drawList, pass);
}

bool nOctreeCullingSystem::Rebuild()
{
    nPlatform& platform = nPlatform::Get();
    const uint64_t start = platform.GetClock();
    m_root.reset();
    const uint32_t count = m_members.GetList().GetCount();
    if (count > 0)
    {
        nAutoArray<CachedNode*> records(MemCategoryGeneral);
        if (!m_cache.Resize(count) || !records.Resize(count))
            return false;
        uint32_t index = 0;
        for (const nList<nRenderable*>::Node* node = m_members.GetList().GetHead(); node; node = node->next, ++index)
        {
            CachedNode& cached = *m_cache.At(index);
            cached.renderable = node->value;
            node->value->GetWorldMinMax(cached.box);
            *records.At(index) = &cached;
        }
        m_root = BuildNode(records.GetData(), records.GetData() + count);
    }
    else
        m_cache.Free();
    m_stale = false;
    const double milliseconds =
        double(platform.GetClock() - start) * 1000.0 / double(platform.GetClockFrequency());
    nLogHolder::Get() << "Done, in " << float(milliseconds) << " ms.\n";
    return true;
}

std::unique_ptr<nOctreeCullingSystem::TreeNode> nOctreeCullingSystem::BuildNode(CachedNode** begin,
                                                                                CachedNode** end)
{
    if (uint32_t(end - begin) < MinimumSplitCount)
        return MakeLeaf(begin, end);
    const nMinMax box = UnionOf(begin, end);
    const int axis = SplitAxis(box.max - box.min);
    const float half = (Component(box.max, axis) - Component(box.min, axis)) * 0.5f;
    auto extent = [axis](const CachedNode* record)
    { return Component(record->box.max, axis) - Component(record->box.min, axis); };
    // Large members go apart from the small ones; otherwise the members split at the middle.
    CachedNode** middle;
    if (std::any_of(begin, end, [&](const CachedNode* record) { return extent(record) > half; }))
        middle = std::stable_partition(begin, end,
                                       [&](const CachedNode* record) { return extent(record) > half; });
    else
    {
        const float mid = (Component(box.min, axis) + Component(box.max, axis)) * 0.5f;
        middle = std::stable_partition(
            begin, end,
            [&](const CachedNode* record)
            { return (Component(record->box.min, axis) + Component(record->box.max, axis)) * 0.5f < mid; });
    }
    if (middle == begin || middle == end)
        return MakeLeaf(begin, end);

    std::unique_ptr<TreeNode> node(new (std::nothrow) TreeNode);
    if (!node)
        return nullptr;
    node->first = BuildNode(begin, middle);
    node->second = BuildNode(middle, end);
    // A child whose leaf could not be allocated is left out with its members.
    if (node->first && node->second)
        node->box = node->first->box.Union(node->second->box);
    else if (node->first || node->second)
        node->box = (node->first ? node->first : node->second)->box;
    else
        return nullptr;
    return node;
}

std::unique_ptr<nOctreeCullingSystem::TreeNode> nOctreeCullingSystem::MakeLeaf(CachedNode** begin,
                                                                               CachedNode** end)
{
    std::unique_ptr<TreeNode> node(new (std::nothrow) TreeNode);
    const uint32_t count = uint32_t(end - begin);
    if (!node || !node->items.Resize(count))
    {
        nLogHolder::Get() << "[!] Failed to allocatel leaf container.\n";
        return nullptr;
    }
    std::copy(begin, end, node->items.GetData());
    node->box = UnionOf(begin, end);
    return node;
}

void nOctreeCullingSystem::DrawAll(const TreeNode& node, nCamera* camera, nItem* viewItem,
                                   nAutoList<nRenderablePrimitive*>* drawList, int32_t pass)
{
    if (node.first)
        DrawAll(*node.first, camera, viewItem, drawList, pass);
    if (node.second)
        DrawAll(*node.second, camera, viewItem, drawList, pass);
    for (uint32_t index = 0; index < node.items.GetCount(); ++index)
    {
        nRenderable* renderable = (*node.items.At(index))->renderable;
        if (renderable->IsRenderable())
            renderable->Render(camera, viewItem, drawList, pass, false);
    }
}

void nOctreeCullingSystem::DrawCulled(const TreeNode* node, nCamera* camera, nItem* viewItem,
                                      nAutoList<nRenderablePrimitive*>* drawList, int32_t pass)
{
    const nFrustum& frustum = camera->GetViewFrustum();
    while (node && !node->IsLeaf())
    {
        const int test = frustum.TestMinMax(node->box, nullptr);
        if (test == nFrustum::Outside)
            return;
        if (test == nFrustum::Inside)
        {
            DrawAll(*node, camera, viewItem, drawList, pass);
            return;
        }
        DrawCulled(node->first.get(), camera, viewItem, drawList, pass);
        node = node->second.get();
    }
    if (node)
        DrawAll(*node, camera, viewItem, drawList, pass);
}
