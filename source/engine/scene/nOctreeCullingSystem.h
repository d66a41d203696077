#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nList.h"
#include "core/math/nMinMax.h"
#include "engine/scene/nRenderableMembers.h"
#include "render/nRenderable.h"

#include <memory>

// Stands for a set of renderables in the render queue and keeps them in a binary tree of
// bounding boxes, built by the first draw after the membership changed and then kept: a member
// that moves keeps its box of the last build. A culled draw skips the subtrees outside the
// camera's view frustum and tests no member on its own. It owns none of the members.
class nOctreeCullingSystem : public nRenderable
{
public:
    // A member and its world box at build time.
    struct CachedNode
    {
        nRenderable* renderable = nullptr;
        nMinMax box;
    };

    // A leaf holds at least one member; an inner node none, and both children.
    struct TreeNode
    {
        nAutoArray<CachedNode*> items{MemCategoryGeneral};
        nMinMax box;
        std::unique_ptr<TreeNode> first;
        std::unique_ptr<TreeNode> second;

        bool IsLeaf() const { return !first && !second; }
    };

    nOctreeCullingSystem() = default;
    nOctreeCullingSystem(const nOctreeCullingSystem&) = delete;
    nOctreeCullingSystem& operator=(const nOctreeCullingSystem&) = delete;

    void Add(nRenderable* renderable);
    void Remove(nRenderable* renderable);
    const nList<nRenderable*>& GetMembers() const { return m_members.GetList(); }

    // The root's box; left as it is while there is no tree.
    void GetWorldMinMax(nMinMax& box) const override;
    void Render(nCamera* camera, nItem* viewItem, nAutoList<nRenderablePrimitive*>* drawList, int32_t pass,
                bool cull) override;

    // Sorts the members into a new tree; false when memory runs out, and the next draw tries again.
    bool Rebuild();
    const TreeNode* GetRoot() const { return m_root.get(); }

private:
    std::unique_ptr<TreeNode> BuildNode(CachedNode** begin, CachedNode** end);
    std::unique_ptr<TreeNode> MakeLeaf(CachedNode** begin, CachedNode** end);
    void DrawAll(const TreeNode& node, nCamera* camera, nItem* viewItem,
                 nAutoList<nRenderablePrimitive*>* drawList, int32_t pass);
    void DrawCulled(const TreeNode* node, nCamera* camera, nItem* viewItem,
                    nAutoList<nRenderablePrimitive*>* drawList, int32_t pass);

    // Set by every change of membership, so a tree never keeps a member that left, even when
    // as many joined as left.
    bool m_stale = false;
    nAutoArray<CachedNode> m_cache{MemCategoryGeneral};
    std::unique_ptr<TreeNode> m_root;
    nRenderableMembers m_members;
};
