#include "physics/nBulletConvex.h"

#include "core/base/nAutoArray.h"
#include "physics/nPhysicMeshData.h"

#include <BulletCollision/CollisionShapes/btConvexHullShape.h>

#include <new>

nBulletConvex* nBulletConvex::Create(const nString& geometryName, const nPhysicMeshData& data)
{
    const uint32_t count = data.GetVertexCount();
    if (count == 0)
        return nullptr;
    nAutoArray<btScalar> points(MemCategoryGeometry);
    if (!points.Resize(count * 3))
        return nullptr;
    nVector sum(0.0f, 0.0f, 0.0f);
    const float* source = data.positions.GetData();
    for (uint32_t i = 0; i < count * 3; i += 3)
    {
        sum += nVector(source[i], source[i + 1], source[i + 2]);
        *points.At(i) = source[i];
        *points.At(i + 1) = source[i + 1];
        *points.At(i + 2) = source[i + 2];
    }
    nBulletConvex* convex = new (std::nothrow) nBulletConvex();
    if (!convex)
        return nullptr;
    convex->m_geometryName = geometryName;
    convex->m_centre = sum * (1.0f / static_cast<float>(count));
    convex->m_centre.w = 1.0f;
    convex->m_shape = new btConvexHullShape(points.GetData(), static_cast<int>(count), 3 * sizeof(btScalar));
    return convex;
}
