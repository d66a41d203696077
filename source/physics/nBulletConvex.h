#pragma once

#include "physics/nBulletShape.h"
#include "platform/nstring/nString.h"

struct nPhysicMeshData;

// The convex hull of a geometry's vertices, shared by every shape that names the geometry.
class nBulletConvex : public nBulletShape
{
public:
    // Null when the data holds no vertex or memory runs out.
    static nBulletConvex* Create(const nString& geometryName, const nPhysicMeshData& data);

    const nString& GetGeometryName() const { return m_geometryName; }

private:
    nString m_geometryName;
};
