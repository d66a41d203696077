#pragma once

#include "core/base/nAutoArray.h"
#include "physics/nBulletShape.h"
#include "platform/nstring/nString.h"

#include <LinearMath/btScalar.h>

class btTriangleIndexVertexArray;
struct nPhysicMeshData;

// A geometry's polygons as a static triangle mesh with a quantized bounding-volume tree, shared by
// every shape that names the geometry. Polygons are split into fans; those below three vertices
// are skipped, so a geometry of lines and points gives a mesh without triangles and no shape.
class nBulletMesh : public nBulletShape
{
public:
    // Null when memory runs out.
    static nBulletMesh* Create(const nString& geometryName, const nPhysicMeshData& data);
    ~nBulletMesh() override;

    const nString& GetGeometryName() const { return m_geometryName; }
    uint32_t GetTriangleCount() const { return m_indices.GetCount() / 3; }

private:
    nBulletMesh() = default;
    bool Build(const nPhysicMeshData& data);

    nString m_geometryName;
    nAutoArray<btScalar> m_vertices{MemCategoryGeometry};
    nAutoArray<int32_t> m_indices{MemCategoryGeometry};
    btTriangleIndexVertexArray* m_meshInterface = nullptr;
};
