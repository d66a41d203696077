#pragma once

#include "core/base/nAutoPtr.h"
#include "physics/nBulletShape.h"
#include "platform/nstring/nString.h"

#include <cstdint>

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
    uint32_t GetTriangleCount() const { return m_triangleCount; }

private:
    struct Arrays; // in Bullet's scalar type, which only the implementation sees

    nBulletMesh();
    bool Build(const nPhysicMeshData& data);

    nString m_geometryName;
    nAutoPtr<Arrays> m_arrays;
    uint32_t m_triangleCount = 0;
    btTriangleIndexVertexArray* m_meshInterface = nullptr;
};
