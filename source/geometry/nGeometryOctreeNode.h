#pragma once

#include "core/base/nSharedPtr.h"
#include "core/math/nMinMax.h"
#include "geometry/nGeometry.h"

#include <cstdint>

class nEngineServices;
class nFrustum;
class nMatrix4;

// One node of the tree that splits a large geometry into leaf geometries; the root is the
// geometry's octree. Flags hold the frustum state written before each draw: only nodes whose
// flags, and whose ancestors' flags, are non-zero are visited by NextLeaf.
class nGeometryOctreeNode
{
public:
    nEngineServices* engine;
    uint32_t flags = 0;
    nMinMax box{nVector(0.0f, 0.0f, 0.0f, 1.0f), nVector(0.0f, 0.0f, 0.0f, 1.0f)};
    nGeometryOctreeNode* parent = nullptr;
    nGeometryOctreeNode* low = nullptr;  // owned
    nGeometryOctreeNode* high = nullptr; // owned
    nSharedPtr<nGeometry> leaf;
    uint32_t axis = 0;
    float split = 0.0f;

    nGeometryOctreeNode(nEngineServices* engine, nGeometryOctreeNode* parent) : engine(engine), parent(parent)
    {
    }
    nGeometryOctreeNode(const nGeometryOctreeNode&) = delete;
    nGeometryOctreeNode& operator=(const nGeometryOctreeNode&) = delete;
    ~nGeometryOctreeNode();

    // Advances cursor (null starts at this node) depth first, low before high, to the next visible
    // node holding a leaf geometry, and answers that geometry, or null at the end.
    nGeometry* NextLeaf(nGeometryOctreeNode*& cursor);
    // Writes the frustum state of this subtree for the geometry placed by matrix: 0 outside, 1
    // wholly inside, 2 crossing. The children of an inside node take 1 untested; nothing below an
    // outside node is touched. Without a frustum every node counts as inside.
    void SetVisibility(const nFrustum* frustum, const nMatrix4& matrix);
    // Asks the renderer for the render data of every leaf that has none.
    void SetupLeaves();
    // The debug colour of a node at the given depth, as a packed ARGB word.
    static uint32_t GetDebugColor(uint32_t depth);
    uint32_t GetDepth() const;
};
