#include "geometry/nGeometryOctreeNode.h"

#include "core/math/nFrustum.h"
#include "core/math/nMatrix4.h"
#include "geometry/nGeometry.h"
#include "render/nEngineServices.h"
#include "render/nProfileScope.h"
#include "render/nRenderer.h"

nGeometryOctreeNode::~nGeometryOctreeNode()
{
    delete low;
    delete high;
}

namespace
{
// The next node after node in depth-first order within the subtree of root, skipping the
// children of a node whose flags are zero.
nGeometryOctreeNode* NextVisible(nGeometryOctreeNode* root, nGeometryOctreeNode* node)
{
    if (node->flags)
    {
        if (node->low)
            return node->low;
        if (node->high)
            return node->high;
    }
    while (node != root)
    {
        nGeometryOctreeNode* parent = node->parent;
        if (node == parent->low && parent->high)
            return parent->high;
        node = parent;
    }
    return nullptr;
}
} // namespace

nGeometry* nGeometryOctreeNode::NextLeaf(nGeometryOctreeNode*& cursor)
{
    nGeometryOctreeNode* node = cursor ? NextVisible(this, cursor) : this;
    for (; node; node = NextVisible(this, node))
        if (node->flags && node->leaf)
        {
            cursor = node;
            return node->leaf.Get();
        }
    cursor = nullptr;
    return nullptr;
}

void nGeometryOctreeNode::SetVisibility(const nFrustum* frustum, const nMatrix4& matrix)
{
    if (!frustum || (parent && parent->flags == nFrustum::Inside))
        flags = nFrustum::Inside;
    else
        flags = static_cast<uint32_t>(frustum->TestMinMax(box, &matrix));
    if (flags == nFrustum::Outside)
        return;
    if (low)
        low->SetVisibility(frustum, matrix);
    if (high)
        high->SetVisibility(frustum, matrix);
}

void nGeometryOctreeNode::SetupLeaves()
{
    if (leaf && !leaf->renderData && engine)
    {
        const nProfileScope scope(engine, "Octree Leaf Setup");
        leaf->renderData = engine->GetRenderer()->SetupGeometry(leaf.Get());
    }
    if (low)
        low->SetupLeaves();
    if (high)
        high->SetupLeaves();
}

uint32_t nGeometryOctreeNode::GetDebugColor(uint32_t depth)
{
    static const uint32_t colors[4] = {0xFFB40000u, 0xD420A500u, 0x3D62D300u, 0x47C8FF00u};
    return colors[depth & 3];
}

uint32_t nGeometryOctreeNode::GetDepth() const
{
    uint32_t depth = 0;
    for (const nGeometryOctreeNode* node = parent; node; node = node->parent)
        ++depth;
    return depth;
}
