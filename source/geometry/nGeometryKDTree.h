#pragma once

#include "core/base/nAutoArray.h"
#include "core/math/nVector.h"
#include "geometry/nGeometryTree.h"

#include <cstdint>
#include <vector>

// The KD-tree kind of ray tree (kind 1) over a geometry's triangles (polygons of exactly three
// corners; others take no part). Splits cycle through x, y and z; a triangle is listed in every
// leaf whose box it touches. Every leaf links each of its six faces to the smallest node beyond
// it (a rope), so a query walks from leaf to leaf without a stack. A maxDistance other than -1
// limits the ray.
class nGeometryKDTree : public nGeometryTree
{
public:
    static constexpr uint32_t LeafTriangleLimit = 5; // fewer make a leaf
    static constexpr uint32_t MaxDepth = 500;
    static constexpr float MinExtent = 0.1f;
    static constexpr int32_t NoNode = -1;
    // Faces in rope order: -x, +x, -y, +y, -z, +z.
    static constexpr uint32_t FaceCount = 6;

    struct Node
    {
        float boxMin[3];
        float boxMax[3];
        float split;
        int32_t ropes[FaceCount];
        int32_t index;
        int32_t left;
        int32_t right;
        uint32_t firstTriangle; // leaves: a run of the triangle list
        uint32_t triangleCount;
        uint8_t axis;
        uint8_t leaf;
    };

    nGeometryKDTree();
    ~nGeometryKDTree() override;

    void Intersect(nGeometryHit& hit, const nVector& origin, const nVector& direction,
                   float maxDistance) const override;
    bool Build(nGeometry* geometry) override;
    void Clear() override;

    uint32_t GetTriangleCount() const { return m_triangleCount; }
    uint32_t GetNodeCount() const { return m_nodes.GetCount(); }
    const Node& GetNode(uint32_t index) const { return *m_nodes.At(index); }

private:
    // What the descent to a leaf reads of a node, 8 bytes: the split position, and in one word
    // the kind (split axis, or 3 for a leaf) over 2 bits and the index of the lower child (the
    // upper one follows it) or, for a leaf, of the leaf itself.
    struct DescentNode
    {
        float split;
        uint32_t word;
    };
    static constexpr uint32_t DescentLeaf = 3;
    static constexpr uint32_t DescentIndexMask = (1u << 30) - 1;

    // A triangle's first corner and its two edges from it, as the hit test reads them.
    struct Triangle
    {
        float corner[3];
        float edge1[3];
        float edge2[3];
        uint16_t material;
    };
    class Builder;

    bool IsDoubleSided(uint32_t materialSlot) const;

    uint32_t m_triangleCount = 0;
    nAutoArray<Node> m_nodes;
    nAutoArray<DescentNode> m_descent;
    nAutoArray<nVector> m_vertices;
    nAutoArray<Triangle> m_triangles;        // per polygon; unused for polygons that are not triangles
    nAutoArray<uint32_t> m_triangleVertices; // three per polygon
    nAutoArray<uint32_t> m_leafTriangles;    // polygon indices, leaf after leaf
};
