#include "render/nGeometryOctreeDebug.h"

#include "core/math/nTransform.h"
#include "geometry/nGeometryOctreeNode.h"
#include "render/nRenderer.h"

namespace
{
nVector UnpackARGB(uint32_t argb)
{
    return nVector(float((argb >> 16) & 0xFF) / 255.0f, float((argb >> 8) & 0xFF) / 255.0f,
                   float(argb & 0xFF) / 255.0f, float(argb >> 24) / 255.0f);
}

void DrawNode(nRenderer& renderer, const nGeometryOctreeNode& node, const nMatrix4* matrix, uint32_t depth)
{
    if (node.leaf)
    {
        nTransform box = nTransform::FromMinMax(node.box);
        if (matrix)
            box.ApplyMatrix4(*matrix);
        const nVector colour = UnpackARGB(nGeometryOctreeNode::GetDebugColor(depth));
        renderer.DrawBox(box, &colour);
    }
    if (node.low)
        DrawNode(renderer, *node.low, matrix, depth + 1);
    if (node.high)
        DrawNode(renderer, *node.high, matrix, depth + 1);
}
} // namespace

void DrawGeometryOctree(nRenderer& renderer, const nGeometryOctreeNode& root, const nMatrix4* matrix)
{
    DrawNode(renderer, root, matrix, 0);
}
