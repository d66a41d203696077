#include "geometry/nGeometryKDTree.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "geometry/nGeometry.h"
#include "platform/nPlatform.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace
{
float Coordinate(const nVector& v, uint32_t axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

// Separating-axis test of a triangle against a box given by its centre and half size: the three
// box normals, the triangle's normal and the nine cross products of their edges.
bool TriangleOverlapsBox(const float centre[3], const float half[3], const nVector& p0, const nVector& p1,
                         const nVector& p2)
{
    const float v[3][3] = {{p0.x - centre[0], p0.y - centre[1], p0.z - centre[2]},
                           {p1.x - centre[0], p1.y - centre[1], p1.z - centre[2]},
                           {p2.x - centre[0], p2.y - centre[1], p2.z - centre[2]}};
    for (int axis = 0; axis < 3; ++axis)
    {
        const float lo = std::min({v[0][axis], v[1][axis], v[2][axis]});
        const float hi = std::max({v[0][axis], v[1][axis], v[2][axis]});
        if (lo > half[axis] || hi < -half[axis])
            return false;
    }
    float edges[3][3];
    for (int e = 0; e < 3; ++e)
        for (int axis = 0; axis < 3; ++axis)
            edges[e][axis] = v[(e + 1) % 3][axis] - v[e][axis];
    for (int e = 0; e < 3; ++e)
        for (int unit = 0; unit < 3; ++unit)
        {
            // edge x unit axis
            float test[3] = {0.0f, 0.0f, 0.0f};
            const int a = (unit + 1) % 3;
            const int b = (unit + 2) % 3;
            test[a] = edges[e][b];
            test[b] = -edges[e][a];
            float lo = 0.0f;
            float hi = 0.0f;
            for (int corner = 0; corner < 3; ++corner)
            {
                const float projected =
                    test[0] * v[corner][0] + test[1] * v[corner][1] + test[2] * v[corner][2];
                lo = corner == 0 ? projected : std::min(lo, projected);
                hi = corner == 0 ? projected : std::max(hi, projected);
            }
            const float radius =
                half[0] * std::fabs(test[0]) + half[1] * std::fabs(test[1]) + half[2] * std::fabs(test[2]);
            if (lo > radius || hi < -radius)
                return false;
        }
    const float normal[3] = {edges[0][1] * edges[1][2] - edges[0][2] * edges[1][1],
                             edges[0][2] * edges[1][0] - edges[0][0] * edges[1][2],
                             edges[0][0] * edges[1][1] - edges[0][1] * edges[1][0]};
    float nearest[3];
    float farthest[3];
    for (int axis = 0; axis < 3; ++axis)
    {
        nearest[axis] = normal[axis] > 0.0f ? -half[axis] - v[0][axis] : half[axis] - v[0][axis];
        farthest[axis] = normal[axis] > 0.0f ? half[axis] - v[0][axis] : -half[axis] - v[0][axis];
    }
    const float dotNearest = normal[0] * nearest[0] + normal[1] * nearest[1] + normal[2] * nearest[2];
    const float dotFarthest = normal[0] * farthest[0] + normal[1] * farthest[1] + normal[2] * farthest[2];
    return !(dotNearest > 0.0f) && dotFarthest >= 0.0f;
}
} // namespace

// Builds the nodes depth first. Content can ask for splits that never separate its triangles (a
// large triangle repeated, say), which would double the nodes at every level; past a node budget
// far above what real meshes need, nodes become leaves instead.
class nGeometryKDTree::Builder
{
public:
    Builder(const nGeometryKDTree& tree, uint32_t triangleCount, const std::vector<uint32_t>& triangles)
        : m_tree(tree), m_nodeBudget(uint64_t(triangleCount) * 32 + 100000)
    {
        m_nodes.reserve(size_t(triangleCount) * 4 + 1);
        // What the splits read of each triangle, gathered once.
        m_bounds.resize(tree.m_triangles.GetCount());
        for (uint32_t triangle : triangles)
        {
            Bounds& bounds = m_bounds[triangle];
            for (uint32_t axis = 0; axis < 3; ++axis)
            {
                const float a = Coordinate(Corner(triangle, 0), axis);
                const float b = Coordinate(Corner(triangle, 1), axis);
                const float c = Coordinate(Corner(triangle, 2), axis);
                bounds.lo[axis] = std::min({a, b, c});
                bounds.hi[axis] = std::max({a, b, c});
                bounds.centroid[axis] = (a + b + c) * 0.33f;
            }
        }
    }

    bool Run(const float boxMin[3], const float boxMax[3], std::vector<uint32_t> triangles)
    {
        Node root = NewNode(boxMin, boxMax, 0);
        m_nodes.push_back(root);
        Split(0, std::move(triangles), 0);
        Node none{};
        for (int32_t& rope : none.ropes)
            rope = NoNode;
        LinkRopes(0, none.ropes);
        return true;
    }

    std::vector<Node> m_nodes;
    std::vector<uint32_t> m_leafTriangles;

private:
    struct Bounds
    {
        float lo[3];
        float hi[3];
        float centroid[3]; // the coordinates' sum times 0.33
    };

    static Node NewNode(const float boxMin[3], const float boxMax[3], uint8_t axis)
    {
        Node node{};
        for (int i = 0; i < 3; ++i)
        {
            node.boxMin[i] = boxMin[i];
            node.boxMax[i] = boxMax[i];
        }
        for (int32_t& rope : node.ropes)
            rope = NoNode;
        node.left = node.right = NoNode;
        node.axis = axis;
        node.leaf = 1;
        return node;
    }

    const nVector& Corner(uint32_t triangle, uint32_t corner) const
    {
        return *m_tree.m_vertices.At(*m_tree.m_triangleVertices.At(triangle * 3 + corner));
    }

    void MakeLeaf(uint32_t index, const std::vector<uint32_t>& triangles)
    {
        Node& node = m_nodes[index];
        node.leaf = 1;
        node.firstTriangle = uint32_t(m_leafTriangles.size());
        node.triangleCount = uint32_t(triangles.size());
        m_leafTriangles.insert(m_leafTriangles.end(), triangles.begin(), triangles.end());
    }

    void Split(uint32_t index, std::vector<uint32_t> triangles, uint32_t depth)
    {
        Node node = m_nodes[index];
        node.index = int32_t(index);
        m_nodes[index].index = int32_t(index);
        bool small = false;
        for (int axis = 0; axis < 3; ++axis)
            small = small || node.boxMax[axis] - node.boxMin[axis] < MinExtent;
        if (triangles.size() < LeafTriangleLimit || depth >= MaxDepth || small ||
            m_nodes.size() + 2 > m_nodeBudget)
        {
            MakeLeaf(index, triangles);
            return;
        }
        const uint32_t axis = node.axis;
        float smallest = m_bounds[triangles[0]].lo[axis];
        float largest = m_bounds[triangles[0]].hi[axis];
        double centroids = 0.0;
        for (uint32_t triangle : triangles)
        {
            const Bounds& bounds = m_bounds[triangle];
            smallest = std::min(smallest, bounds.lo[axis]);
            largest = std::max(largest, bounds.hi[axis]);
            centroids += double(bounds.centroid[axis]);
        }
        const float middle = (node.boxMin[axis] + node.boxMax[axis]) * 0.5f;
        float split = float(centroids / double(triangles.size()));
        if (middle > largest)
            split = largest;
        if (smallest > middle)
            split = smallest;
        if (!(split > node.boxMin[axis] && split < node.boxMax[axis]))
            split = middle;

        float leftMax[3] = {node.boxMax[0], node.boxMax[1], node.boxMax[2]};
        float rightMin[3] = {node.boxMin[0], node.boxMin[1], node.boxMin[2]};
        leftMax[axis] = split;
        rightMin[axis] = split;
        const uint8_t nextAxis = uint8_t((axis + 1) % 3);
        std::vector<uint32_t> left;
        std::vector<uint32_t> right;
        left.reserve(triangles.size());
        right.reserve(triangles.size());
        {
            float leftCentre[3];
            float leftHalf[3];
            float rightCentre[3];
            float rightHalf[3];
            for (int i = 0; i < 3; ++i)
            {
                // A hair wider than the box: a triangle on a boundary belongs to both sides, and
                // keeping one too many costs a test while losing one loses hits.
                leftCentre[i] = (node.boxMin[i] + leftMax[i]) * 0.5f;
                leftHalf[i] = (leftMax[i] - node.boxMin[i]) * 0.5f * 1.00001f + 1e-6f;
                rightCentre[i] = (rightMin[i] + node.boxMax[i]) * 0.5f;
                rightHalf[i] = (node.boxMax[i] - rightMin[i]) * 0.5f * 1.00001f + 1e-6f;
            }
            for (uint32_t triangle : triangles)
            {
                const Bounds& bounds = m_bounds[triangle];
                // Only a triangle that spans the split needs the full test on each side.
                if (bounds.hi[axis] < split)
                    left.push_back(triangle);
                else if (bounds.lo[axis] > split)
                    right.push_back(triangle);
                else
                {
                    const nVector& p0 = Corner(triangle, 0);
                    const nVector& p1 = Corner(triangle, 1);
                    const nVector& p2 = Corner(triangle, 2);
                    if (TriangleOverlapsBox(leftCentre, leftHalf, p0, p1, p2))
                        left.push_back(triangle);
                    if (TriangleOverlapsBox(rightCentre, rightHalf, p0, p1, p2))
                        right.push_back(triangle);
                }
            }
        }
        triangles.clear();
        triangles.shrink_to_fit();
        const uint32_t leftIndex = uint32_t(m_nodes.size());
        m_nodes.push_back(NewNode(node.boxMin, leftMax, nextAxis));
        m_nodes.push_back(NewNode(rightMin, node.boxMax, nextAxis));
        Node& parent = m_nodes[index];
        parent.leaf = 0;
        parent.split = split;
        parent.left = int32_t(leftIndex);
        parent.right = int32_t(leftIndex + 1);
        Split(leftIndex, std::move(left), depth + 1);
        Split(leftIndex + 1, std::move(right), depth + 1);
    }

    // A rope on a face goes down to the smallest node whose region still covers the whole face.
    int32_t Tighten(int32_t rope, uint32_t face, const Node& node) const
    {
        const uint32_t faceAxis = face / 2;
        const bool maximumFace = (face & 1) != 0;
        while (rope != NoNode)
        {
            const Node& target = m_nodes[size_t(rope)];
            if (target.leaf)
                break;
            if (target.axis == faceAxis)
                rope = maximumFace ? target.left : target.right;
            else if (target.split <= node.boxMin[target.axis])
                rope = target.right;
            else if (target.split >= node.boxMax[target.axis])
                rope = target.left;
            else
                break;
        }
        return rope;
    }

    void LinkRopes(uint32_t index, const int32_t (&inherited)[FaceCount])
    {
        int32_t ropes[FaceCount];
        for (uint32_t face = 0; face < FaceCount; ++face)
            ropes[face] = Tighten(inherited[face], face, m_nodes[index]);
        Node& node = m_nodes[index];
        for (uint32_t face = 0; face < FaceCount; ++face)
            node.ropes[face] = ropes[face];
        if (node.leaf)
            return;
        const uint32_t axis = node.axis;
        const int32_t left = node.left;
        const int32_t right = node.right;
        int32_t leftRopes[FaceCount];
        int32_t rightRopes[FaceCount];
        for (uint32_t face = 0; face < FaceCount; ++face)
            leftRopes[face] = rightRopes[face] = ropes[face];
        leftRopes[axis * 2 + 1] = right;
        rightRopes[axis * 2] = left;
        LinkRopes(uint32_t(left), leftRopes);
        LinkRopes(uint32_t(right), rightRopes);
    }

    const nGeometryKDTree& m_tree;
    uint64_t m_nodeBudget;
    std::vector<Bounds> m_bounds; // per polygon
};

bool nGeometryKDTree::Build(nGeometry* geometry)
{
    Clear();
    nLogHolder::Get() << "Building KD-Tree...\n";
    const uint64_t start = nPlatform::Get().GetClock();
    if (!geometry || geometry->materials.GetCount() == 0 || geometry->polygons.GetCount() == 0)
        return false;
    const uint32_t polygonCount = geometry->polygons.GetCount();
    const uint32_t vertexCount = geometry->vertices.GetCount();
    if (!m_vertices.ResizeForOverwrite(vertexCount) || !m_triangles.Resize(polygonCount) ||
        !m_triangleVertices.Resize(polygonCount * 3))
    {
        nLogHolder::Get() << "[!] Failed to allocate KD-Tree triangles.\n";
        Clear();
        return false;
    }
    for (uint32_t v = 0; v < vertexCount; ++v)
        *m_vertices.At(v) = *geometry->vertices.At(v);
    std::vector<uint32_t> triangles;
    triangles.reserve(polygonCount);
    for (uint32_t p = 0; p < polygonCount; ++p)
    {
        const nPolygon& polygon = *geometry->polygons.At(p);
        if (polygon.bindingCount != 3 || uint64_t(polygon.firstBinding) + 3 > geometry->bindings.GetCount())
            continue;
        const uint32_t* corners = geometry->GetPolygonBindings(p);
        if (corners[0] >= vertexCount || corners[1] >= vertexCount || corners[2] >= vertexCount)
            continue;
        const nVector& p0 = *m_vertices.At(corners[0]);
        const nVector e1 = *m_vertices.At(corners[1]) - p0;
        const nVector e2 = *m_vertices.At(corners[2]) - p0;
        *m_triangles.At(p) =
            Triangle{{p0.x, p0.y, p0.z}, {e1.x, e1.y, e1.z}, {e2.x, e2.y, e2.z}, polygon.material};
        for (uint32_t c = 0; c < 3; ++c)
            *m_triangleVertices.At(p * 3 + c) = corners[c];
        triangles.push_back(p);
    }
    m_triangleCount = uint32_t(triangles.size());
    float boxMin[3] = {0.0f, 0.0f, 0.0f};
    float boxMax[3] = {0.0f, 0.0f, 0.0f};
    for (uint32_t v = 0; v < vertexCount; ++v)
    {
        const nVector& p = *m_vertices.At(v);
        const float c[3] = {p.x, p.y, p.z};
        for (int axis = 0; axis < 3; ++axis)
        {
            boxMin[axis] = v == 0 ? c[axis] : std::min(boxMin[axis], c[axis]);
            boxMax[axis] = v == 0 ? c[axis] : std::max(boxMax[axis], c[axis]);
        }
    }
    Builder builder(*this, m_triangleCount, triangles);
    builder.Run(boxMin, boxMax, std::move(triangles));
    const size_t nodeCount = builder.m_nodes.size();
    if (nodeCount > DescentIndexMask || !m_nodes.ResizeForOverwrite(uint32_t(nodeCount)) ||
        !m_descent.ResizeForOverwrite(uint32_t(nodeCount)) ||
        !m_leafTriangles.ResizeForOverwrite(uint32_t(builder.m_leafTriangles.size())))
    {
        nLogHolder::Get() << "[!] Failed to allocate KD-Tree nodes.\n";
        Clear();
        return false;
    }
    std::copy(builder.m_nodes.begin(), builder.m_nodes.end(), m_nodes.GetData());
    for (uint32_t i = 0; i < nodeCount; ++i)
    {
        const Node& node = *m_nodes.At(i);
        *m_descent.At(i) = node.leaf
                               ? DescentNode{0.0f, DescentLeaf << 30 | i}
                               : DescentNode{node.split, uint32_t(node.axis) << 30 | uint32_t(node.left)};
    }
    std::copy(builder.m_leafTriangles.begin(), builder.m_leafTriangles.end(), m_leafTriangles.GetData());
    m_geometry = geometry;
    const nPlatform& platform = nPlatform::Get();
    nLogHolder::Get() << "Done in "
                      << uint32_t((platform.GetClock() - start) * 1000 / platform.GetClockFrequency())
                      << "ms.\n";
    return true;
}
