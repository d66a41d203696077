#include "geometry/nGeometryKDTree.h"

#include "core/base/nMemory.h"
#include "geometry/nBIH.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"

#include <cmath>
#include <limits>

namespace
{
constexpr float DeterminantEpsilon = 1e-6f;
} // namespace

nGeometryKDTree::nGeometryKDTree()
    : m_nodes(MemCategoryGeometry), m_descent(MemCategoryGeometry), m_vertices(MemCategoryGeometry),
      m_triangles(MemCategoryGeometry), m_triangleVertices(MemCategoryGeometry),
      m_leafTriangles(MemCategoryGeometry)
{
}

nGeometryKDTree::~nGeometryKDTree() = default;

void nGeometryKDTree::Clear()
{
    m_geometry = nullptr;
    m_triangleCount = 0;
    m_nodes.Free();
    m_descent.Free();
    m_vertices.Free();
    m_triangles.Free();
    m_triangleVertices.Free();
    m_leafTriangles.Free();
}

bool nGeometryKDTree::IsDoubleSided(uint32_t materialSlot) const
{
    const nMaterial* material = m_geometry->GetMaterial(materialSlot);
    return material && (material->renderFlags & MaterialDoubleSided);
}

void nGeometryKDTree::Intersect(nGeometryHit& hit, const nVector& origin, const nVector& direction,
                                float maxDistance) const
{
    hit.hit = 0;
    hit.origin = origin;
    hit.direction = direction;
    if (m_nodes.GetCount() == 0)
        return;
    const Node& root = *m_nodes.At(0);
    const nMinMax rootBox(nVector(root.boxMin[0], root.boxMin[1], root.boxMin[2]),
                          nVector(root.boxMax[0], root.boxMax[1], root.boxMax[2]));
    float t = 0.0f;
    float tEnd = 0.0f;
    if (!nBIH::ClipRay(rootBox, origin, direction, t, tEnd))
        return;
    if (maxDistance != -1.0f && maxDistance < tEnd)
        tEnd = maxDistance;
    if (t > tEnd)
        return;
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {direction.x, direction.y, direction.z};
    float inverse[3];
    for (int axis = 0; axis < 3; ++axis)
        inverse[axis] = d[axis] != 0.0f ? 1.0f / d[axis] : 0.0f;

    int32_t current = 0;
    // Every rope leads on along the ray, so a walk visits each leaf once at most.
    for (uint32_t guard = 0; current != NoNode && guard <= m_nodes.GetCount(); ++guard)
    {
        const float point[3] = {o[0] + d[0] * t, o[1] + d[1] * t, o[2] + d[2] * t};
        const DescentNode* descent = m_descent.GetData();
        uint32_t index = uint32_t(current);
        for (;;)
        {
            const DescentNode& step = descent[index];
            const uint32_t axis = step.word >> 30;
            if (axis == DescentLeaf)
                break;
            const float p = point[axis];
            const bool left = p < step.split || (p == step.split && d[axis] < 0.0f);
            index = (step.word & DescentIndexMask) + (left ? 0u : 1u);
        }
        const Node* node = m_nodes.At(index);
        for (uint32_t i = 0; i < node->triangleCount; ++i)
        {
            const uint32_t polygon = *m_leafTriangles.At(node->firstTriangle + i);
            const Triangle& triangle = *m_triangles.At(polygon);
            ++hit.tested;
            const float* e1 = triangle.edge1;
            const float* e2 = triangle.edge2;
            const float p[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2],
                                d[0] * e2[1] - d[1] * e2[0]};
            const float det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
            if (det > -DeterminantEpsilon && det < DeterminantEpsilon)
                continue;
            const bool backFace = det <= -DeterminantEpsilon;
            const float inverseDet = 1.0f / det;
            const float s[3] = {o[0] - triangle.corner[0], o[1] - triangle.corner[1],
                                o[2] - triangle.corner[2]};
            const float u = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) * inverseDet;
            if (!(u >= 0.0f && u <= 1.0f))
                continue;
            const float q[3] = {s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2],
                                s[0] * e1[1] - s[1] * e1[0]};
            const float v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) * inverseDet;
            if (!(v >= 0.0f && u + v <= 1.0f))
                continue;
            const float distance = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) * inverseDet;
            if (!(distance >= 0.0f && distance <= tEnd) || (hit.hit && hit.distance <= distance))
                continue;
            if (backFace && !IsDoubleSided(triangle.material))
                continue;
            hit.hit = 1;
            hit.distance = distance;
            hit.polygon = polygon;
            hit.triangle = 0;
            hit.barycentrics[0] = u;
            hit.barycentrics[1] = v;
            hit.barycentrics[2] = 1.0f - u - v;
            hit.backFace = backFace ? 1 : 0;
            hit.geometry = m_geometry;
        }
        // Leave through the face the ray reaches first.
        float exit = std::numeric_limits<float>::infinity();
        uint32_t exitFace = 0;
        for (uint32_t axis = 0; axis < 3; ++axis)
        {
            if (d[axis] == 0.0f)
                continue;
            const bool upward = d[axis] > 0.0f;
            const float plane = upward ? node->boxMax[axis] : node->boxMin[axis];
            const float tPlane = (plane - o[axis]) * inverse[axis];
            if (tPlane < exit)
            {
                exit = tPlane;
                exitFace = axis * 2 + (upward ? 1 : 0);
            }
        }
        if ((hit.hit && hit.distance <= exit) || !(exit < tEnd))
            return;
        if (exit > t)
            t = exit;
        current = node->ropes[exitFace];
    }
}
