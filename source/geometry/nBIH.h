#pragma once

#include "core/base/nAutoArray.h"
#include "core/math/nBIHNode.h"
#include "core/math/nMinMax.h"
#include "core/math/nVector.h"

#include <cstdint>

// What one walk through a bounding interval hierarchy carries: the nearest hit a leaf test has
// reported and how far the walk went. The caller owns it, so any number of walks may run over one
// built hierarchy at once; the nodes still to visit live in the walk itself.
struct nBIHState
{
    // In closest-hit mode a hit only prunes nodes that start beyond it; otherwise the first hit
    // ends the walk.
    bool closestHit = true;
    bool hit = false;
    float distance = -1.0f;
    nVector origin;
    nVector direction;
    uint32_t steps = 0;

    // What a leaf test calls for each hit it keeps, so the walk can skip what lies beyond.
    void RecordHit(float t)
    {
        hit = true;
        distance = t;
    }
};

// One node of a built hierarchy, as a walk reads it: 16 bytes, the two children of a split next to
// each other in the node array.
struct nBIHFlatNode
{
    uint32_t kindAndIndex; // low 2 bits: split axis or 3 for a leaf; above: first child or first item
    float clip[2];         // of a split: the left clip, then the right one, so a walk picks by index
    uint32_t count;        // items of a leaf

    uint32_t GetKind() const { return kindAndIndex & 3u; }
    uint32_t GetIndex() const { return kindAndIndex >> 2; }
    bool IsLeaf() const { return GetKind() == BIHNodeLeaf; }
    float GetLeftClip() const { return clip[0]; }
    float GetRightClip() const { return clip[1]; }
};

// The items of a leaf: a run of the hierarchy's index array.
struct nBIHLeaf
{
    uint32_t first;
    uint32_t count;
};

// A bounding interval hierarchy over boxes: each split node keeps, on one axis, the largest
// extent of its lower items and the smallest of its upper items, so the two children may overlap
// or leave a gap. Item indices are reordered so that every leaf names one run of them. Derived
// hierarchies say what an item is through their leaf test. The build makes a tree of nBIHNode and
// lays it out in one array, the form walks read.
class nBIH
{
public:
    static constexpr uint32_t DefaultLeafLimit = 8;
    static constexpr uint32_t MaxDepth = 64;
    static constexpr float ClipMargin = 0.0001f;
    // Item and node indices share a word with the node kind.
    static constexpr uint32_t MaxItems = 1u << 29;
    // A walk keeps at most one node to visit later per level below the root.
    static constexpr uint32_t StackCapacity = MaxDepth + 1;

    explicit nBIH(uint32_t leafLimit = DefaultLeafLimit);
    nBIH(const nBIH&) = delete;
    nBIH& operator=(const nBIH&) = delete;
    virtual ~nBIH();

    // Tests the leaf's items against the ray between tNear and tFar. What it finds goes to the
    // caller's record through user; a hit it reports to the state prunes the rest of the walk.
    virtual void IntersectLeaf(const nBIHLeaf& leaf, float tNear, float tFar, nBIHState& state,
                               void* user) = 0;
    // False for no items or when memory runs out; the hierarchy is then empty.
    virtual bool Build(uint32_t count, const nMinMax* boxes);
    // A walk that calls IntersectLeaf on every leaf the ray reaches; a positive maxDistance
    // limits the ray.
    virtual void Intersect(nBIHState& state, const nVector& origin, const nVector& direction,
                           float maxDistance, void* user);
    virtual void Clear();

    // The walk of Intersect with the leaf test given directly (no virtual call per leaf).
    template <typename LeafTest>
    void Traverse(nBIHState& state, const nVector& origin, const nVector& direction, float maxDistance,
                  LeafTest&& leafTest) const;

    uint32_t GetLeafLimit() const { return m_leafLimit; }
    const nMinMax& GetRootBox() const { return m_rootBox; }
    bool IsBuilt() const { return m_nodes.GetCount() != 0; }
    // Node 0 is the root.
    const nBIHFlatNode& GetNode(uint32_t index) const { return *m_nodes.At(index); }
    uint32_t GetNodeCount() const { return m_nodeCount; }
    uint32_t GetLeafCount() const { return m_leafCount; }
    uint32_t GetMaxDepth() const { return m_maxDepth; }
    const uint32_t* GetIndices() const { return m_indices.GetData(); }

    // The part of the ray inside the box, from 0 on: false when it misses.
    static bool ClipRay(const nMinMax& box, const nVector& origin, const nVector& direction, float& tNear,
                        float& tFar);

private:
    bool Split(nBIHNode& node, nMinMax box, const nMinMax* boxes, uint32_t first, uint32_t count,
               uint32_t depth);
    void Flatten(const nBIHNode& node, uint32_t index, uint32_t& next);

    uint32_t m_leafLimit;
    nMinMax m_rootBox{nVector(0.0f, 0.0f, 0.0f, 1.0f), nVector(0.0f, 0.0f, 0.0f, 1.0f)};
    nAutoArray<nBIHFlatNode> m_nodes;
    nAutoArray<uint32_t> m_indices;
    uint32_t m_nodeCount = 0;
    uint32_t m_leafCount = 0;
    uint32_t m_maxDepth = 0;
};

template <typename LeafTest>
void nBIH::Traverse(nBIHState& state, const nVector& origin, const nVector& direction, float maxDistance,
                    LeafTest&& leafTest) const
{
    state.hit = false;
    state.distance = -1.0f;
    state.steps = 0;
    if (!IsBuilt())
        return;
    float rootNear = 0.0f;
    float rootFar = 0.0f;
    if (!ClipRay(m_rootBox, origin, direction, rootNear, rootFar))
        return;
    // Copies whose address is never taken, so they can live in registers.
    float tNear = rootNear;
    float tFar = rootFar;
    if (maxDistance > 0.0f)
    {
        if (tNear >= maxDistance)
            return;
        if (tFar > maxDistance)
            tFar = maxDistance;
    }
    state.origin = origin;
    state.direction = direction;
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {direction.x, direction.y, direction.z};
    // Per axis, which side the ray meets first (0, the lower child, when it runs up the axis): it
    // picks the clips and children by index, not by a branch that random rays mispredict.
    float inverse[3];
    uint32_t nearSide[3];
    for (int axis = 0; axis < 3; ++axis)
    {
        inverse[axis] = d[axis] != 0.0f ? 1.0f / d[axis] : 0.0f;
        nearSide[axis] = d[axis] > 0.0f ? 0u : 1u;
    }

    // Each entry waits one level deeper than the one below it, so a built hierarchy never needs
    // more than MaxDepth of them; the bound is checked all the same.
    struct Entry
    {
        uint32_t node;
        float tNear;
        float tFar;
    };
    Entry stack[StackCapacity];
    uint32_t stackSize = 0;
    uint32_t steps = 0;
    const nBIHFlatNode* nodes = m_nodes.GetData();
    uint32_t current = 0;
    for (;;)
    {
        // After a hit a node is worth a visit only when it starts before the hit.
        const bool skip = state.hit && (!state.closestHit || !(state.distance > tNear));
        if (!skip)
        {
            ++steps;
            const nBIHFlatNode& node = nodes[current];
            const uint32_t axis = node.GetKind();
            if (axis == BIHNodeLeaf)
                leafTest(nBIHLeaf{node.GetIndex(), node.count}, tNear, tFar, state);
            else
            {
                const uint32_t children = node.GetIndex();
                if (d[axis] == 0.0f)
                {
                    const float position = o[axis];
                    if (position < node.GetLeftClip())
                    {
                        if (position > node.GetRightClip() && stackSize < StackCapacity)
                            stack[stackSize++] = {children + 1, tNear, tFar};
                        current = children;
                        continue;
                    }
                    if (position > node.GetRightClip())
                    {
                        current = children + 1;
                        continue;
                    }
                }
                else
                {
                    const uint32_t side = nearSide[axis];
                    const float tExit = (node.clip[side] - o[axis]) * inverse[axis];
                    const float tEnter = (node.clip[side ^ 1u] - o[axis]) * inverse[axis];
                    if (tExit > tNear)
                    {
                        if (tFar > tEnter && stackSize < StackCapacity)
                            stack[stackSize++] = {children + (side ^ 1u), tEnter > tNear ? tEnter : tNear,
                                                  tFar};
                        if (tExit < tFar)
                            tFar = tExit;
                        current = children + side;
                        continue;
                    }
                    if (tFar > tEnter)
                    {
                        if (tEnter > tNear)
                            tNear = tEnter;
                        current = children + (side ^ 1u);
                        continue;
                    }
                }
            }
        }
        if (stackSize == 0)
        {
            state.steps = steps;
            return;
        }
        const Entry& next = stack[--stackSize];
        current = next.node;
        tNear = next.tNear;
        tFar = next.tFar;
    }
}
