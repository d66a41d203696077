#include "physics/nBulletMesh.h"

#include "core/base/nAutoArray.h"
#include "physics/nPhysicMeshData.h"

#include <BulletCollision/CollisionShapes/btBvhTriangleMeshShape.h>
#include <BulletCollision/CollisionShapes/btTriangleIndexVertexArray.h>

#include <new>

struct nBulletMesh::Arrays
{
    nAutoArray<btScalar> vertices{MemCategoryGeometry};
    nAutoArray<int32_t> indices{MemCategoryGeometry};
};

nBulletMesh::nBulletMesh() : m_arrays(new (std::nothrow) Arrays()) {}

nBulletMesh::~nBulletMesh()
{
    // The tree refers to the mesh interface, which refers to the arrays: delete in that order.
    delete m_shape;
    m_shape = nullptr;
    delete m_meshInterface;
}

nBulletMesh* nBulletMesh::Create(const nString& geometryName, const nPhysicMeshData& data)
{
    nBulletMesh* mesh = new (std::nothrow) nBulletMesh();
    if (mesh && !mesh->m_arrays)
    {
        delete mesh;
        return nullptr;
    }
    if (!mesh)
        return nullptr;
    mesh->m_geometryName = geometryName;
    if (!mesh->Build(data))
    {
        delete mesh;
        return nullptr;
    }
    return mesh;
}

bool nBulletMesh::Build(const nPhysicMeshData& data)
{
    const uint32_t vertexCount = data.GetVertexCount();
    const uint32_t polygonCount = data.GetPolygonCount();
    const uint32_t* sizes = data.polygonSizes.GetData();
    nAutoArray<btScalar>& vertices = m_arrays->vertices;
    nAutoArray<int32_t>& triangleIndices = m_arrays->indices;

    // Polygons whose indices run past the index data or the vertices are left out, so bad
    // data never reaches the tree.
    uint64_t triangleCount = 0;
    uint64_t offset = 0;
    for (uint32_t polygon = 0; polygon < polygonCount; ++polygon)
    {
        if (offset + sizes[polygon] > data.polygonIndices.GetCount())
            break;
        if (sizes[polygon] >= 3)
            triangleCount += sizes[polygon] - 2;
        offset += sizes[polygon];
    }
    if (triangleCount * 3 > UINT32_MAX || !vertices.Resize(vertexCount * 3) ||
        !triangleIndices.Resize(static_cast<uint32_t>(triangleCount * 3)))
        return false;

    nVector sum(0.0f, 0.0f, 0.0f);
    const float* positions = data.positions.GetData();
    for (uint32_t i = 0; i < vertexCount * 3; i += 3)
    {
        sum += nVector(positions[i], positions[i + 1], positions[i + 2]);
        for (uint32_t axis = 0; axis < 3; ++axis)
            *vertices.At(i + axis) = positions[i + axis];
    }
    if (vertexCount)
    {
        m_centre = sum * (1.0f / static_cast<float>(vertexCount));
        m_centre.w = 1.0f;
    }

    uint32_t written = 0;
    offset = 0;
    const uint32_t* indices = data.polygonIndices.GetData();
    for (uint32_t polygon = 0; polygon < polygonCount; ++polygon)
    {
        const uint32_t size = sizes[polygon];
        if (offset + size > data.polygonIndices.GetCount())
            break;
        const uint32_t* corners = indices + offset;
        offset += size;
        if (size < 3)
            continue;
        bool valid = true;
        for (uint32_t corner = 0; corner < size; ++corner)
            valid = valid && corners[corner] < vertexCount;
        for (uint32_t corner = 1; corner + 1 < size; ++corner)
        {
            // An index outside the vertices makes a degenerate triangle on vertex 0 rather than
            // a read outside the array.
            *triangleIndices.At(written++) = valid ? static_cast<int32_t>(corners[0]) : 0;
            *triangleIndices.At(written++) = valid ? static_cast<int32_t>(corners[corner]) : 0;
            *triangleIndices.At(written++) = valid ? static_cast<int32_t>(corners[corner + 1]) : 0;
        }
    }
    m_triangleCount = written / 3;
    if (written == 0)
        return true; // nothing to collide with: the mesh exists but builds no shape

    btIndexedMesh part;
    part.m_numTriangles = static_cast<int>(written / 3);
    part.m_triangleIndexBase = reinterpret_cast<const unsigned char*>(triangleIndices.GetData());
    part.m_triangleIndexStride = 3 * sizeof(int32_t);
    part.m_numVertices = static_cast<int>(vertexCount);
    part.m_vertexBase = reinterpret_cast<const unsigned char*>(vertices.GetData());
    part.m_vertexStride = 3 * sizeof(btScalar);
    part.m_indexType = PHY_INTEGER;
    part.m_vertexType = sizeof(btScalar) == sizeof(double) ? PHY_DOUBLE : PHY_FLOAT;
    m_meshInterface = new btTriangleIndexVertexArray();
    m_meshInterface->addIndexedMesh(part, PHY_INTEGER);
    m_shape = new btBvhTriangleMeshShape(m_meshInterface, true, true);
    return true;
}
