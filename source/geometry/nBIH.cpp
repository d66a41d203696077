#include "geometry/nBIH.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "platform/nPlatform.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace
{
float Component(const nVector& v, uint32_t axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

uint32_t LongestAxis(const nMinMax& box)
{
    const float x = box.max.x - box.min.x;
    const float y = box.max.y - box.min.y;
    const float z = box.max.z - box.min.z;
    if (x > y && x > z)
        return 0;
    if (y > x && y > z)
        return 1;
    return 2;
}

uint32_t ElapsedMilliseconds(uint64_t start)
{
    const nPlatform& platform = nPlatform::Get();
    return uint32_t((platform.GetClock() - start) * 1000 / platform.GetClockFrequency());
}
} // namespace

nBIH::nBIH(uint32_t leafLimit)
    : m_leafLimit(leafLimit), m_nodes(MemCategoryGeometry), m_indices(MemCategoryGeometry)
{
}

nBIH::~nBIH() = default;

void nBIH::Clear()
{
    m_nodes.Free();
    m_indices.Free();
    m_rootBox = nMinMax(nVector(0.0f, 0.0f, 0.0f, 1.0f), nVector(0.0f, 0.0f, 0.0f, 1.0f));
    m_nodeCount = 0;
    m_leafCount = 0;
    m_maxDepth = 0;
}

bool nBIH::Build(uint32_t count, const nMinMax* boxes)
{
    nLogHolder::Get() << "Building bounding interval hierarchy BIH...\n";
    const uint64_t start = nPlatform::Get().GetClock();
    nBIH::Clear(); // only the hierarchy: a derived one keeps what it prepared for its items
    if (count == 0 || !boxes || count > MaxItems)
        return false;
    if (!m_indices.ResizeForOverwrite(count))
    {
        nLogHolder::Get() << "[!] Failed to allocate BIH indice array.\n";
        return false;
    }
    nMinMax box = boxes[0];
    for (uint32_t i = 0; i < count; ++i)
    {
        *m_indices.At(i) = i;
        box.min = box.min.Min(boxes[i].min);
        box.max = box.max.Max(boxes[i].max);
    }
    box.min = box.min - nVector(ClipMargin, ClipMargin, ClipMargin, 0.0f);
    box.max = box.max + nVector(ClipMargin, ClipMargin, ClipMargin, 0.0f);
    box.min.w = 1.0f;
    box.max.w = 1.0f;
    m_rootBox = box;
    m_nodeCount = 1;
    nBIHNode root;
    if (!Split(root, box, boxes, 0, count, 0))
    {
        nBIH::Clear();
        return false;
    }
    if (!m_nodes.ResizeForOverwrite(m_nodeCount))
    {
        nLogHolder::Get() << "[!] Failed to allocate BIH root node.\n";
        nBIH::Clear();
        return false;
    }
    uint32_t next = 1;
    Flatten(root, 0, next);
    nLogHolder::Get() << "Done in " << ElapsedMilliseconds(start) << "ms. " << m_nodeCount << " nodes, "
                      << m_leafCount << " leaves, depth = " << m_maxDepth << ".\n";
    return true;
}

bool nBIH::Split(nBIHNode& node, nMinMax box, const nMinMax* boxes, uint32_t first, uint32_t count,
                 uint32_t depth)
{
    uint32_t* indices = m_indices.GetData();
    if (count <= m_leafLimit || depth == MaxDepth)
    {
        node.MakeLeaf(indices + first, count, m_leafCount);
        m_maxDepth = std::max(m_maxDepth, depth);
        return true;
    }
    const uint32_t axis = LongestAxis(box);
    const float middle = (Component(box.min, axis) + Component(box.max, axis)) * 0.5f;
    // Lower items from the front, upper ones from the back; the order inside each side is free.
    uint32_t left = first;
    uint32_t right = first + count;
    float leftClip = -std::numeric_limits<float>::infinity();
    float rightClip = std::numeric_limits<float>::infinity();
    while (left < right)
    {
        const nMinMax& item = boxes[indices[left]];
        const float itemLower = Component(item.min, axis);
        const float itemUpper = Component(item.max, axis);
        if (itemUpper - middle > middle - itemLower) // its centre lies above the middle
        {
            rightClip = std::min(rightClip, itemLower);
            std::swap(indices[left], indices[--right]);
        }
        else
        {
            leftClip = std::max(leftClip, itemUpper);
            ++left;
        }
    }
    if (!node.MakeSplit(uint8_t(axis), leftClip + ClipMargin, rightClip - ClipMargin))
    {
        nLogHolder::Get() << "[!] Failed to allocate BIH node children.\n";
        return false;
    }
    m_nodeCount += 2;
    nMinMax lowerBox = box;
    BIHHalveBox(lowerBox, uint8_t(axis), false);
    nMinMax upperBox = box;
    BIHHalveBox(upperBox, uint8_t(axis), true);
    const uint32_t leftCount = left - first;
    return Split(node.split.children[0], lowerBox, boxes, first, leftCount, depth + 1) &&
           Split(node.split.children[1], upperBox, boxes, left, count - leftCount, depth + 1);
}

// Depth first, the two children of a split side by side.
void nBIH::Flatten(const nBIHNode& node, uint32_t index, uint32_t& next)
{
    nBIHFlatNode& flat = *m_nodes.At(index);
    if (node.IsLeaf())
    {
        const uint32_t first = node.leaf.firstItem ? uint32_t(node.leaf.firstItem - m_indices.GetData()) : 0;
        flat = nBIHFlatNode{first << 2 | BIHNodeLeaf, {0.0f, 0.0f}, node.leaf.count};
        return;
    }
    const uint32_t children = next;
    next += 2;
    flat = nBIHFlatNode{children << 2 | node.kind, {node.split.leftClip, node.split.rightClip}, 0};
    Flatten(node.split.children[0], children, next);
    Flatten(node.split.children[1], children + 1, next);
}

void nBIH::Intersect(nBIHState& state, const nVector& origin, const nVector& direction, float maxDistance,
                     void* user)
{
    Traverse(state, origin, direction, maxDistance,
             [this, user](const nBIHLeaf& leaf, float tNear, float tFar, nBIHState& walk)
             { IntersectLeaf(leaf, tNear, tFar, walk, user); });
}

bool nBIH::ClipRay(const nMinMax& box, const nVector& origin, const nVector& direction, float& tNear,
                   float& tFar)
{
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {direction.x, direction.y, direction.z};
    const float lo[3] = {box.min.x, box.min.y, box.min.z};
    const float hi[3] = {box.max.x, box.max.y, box.max.z};
    float nearT = 0.0f; // hits behind the origin are no hits
    float farT = std::numeric_limits<float>::infinity();
    for (int axis = 0; axis < 3; ++axis)
    {
        if (d[axis] == 0.0f)
        {
            if (o[axis] < lo[axis] || o[axis] > hi[axis])
                return false;
            continue;
        }
        const float inverse = 1.0f / d[axis];
        float t0 = (lo[axis] - o[axis]) * inverse;
        float t1 = (hi[axis] - o[axis]) * inverse;
        if (t0 > t1)
            std::swap(t0, t1);
        nearT = std::max(nearT, t0);
        farT = std::min(farT, t1);
    }
    // NaN from a non-finite ray fails here too.
    if (!(nearT <= farT))
        return false;
    tNear = nearT;
    tFar = farT;
    return true;
}
