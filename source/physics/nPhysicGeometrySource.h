#pragma once

class nString;
struct nPhysicMeshData;

// Where a world gets the geometries that Convex and Mesh shapes name; the engine supplies one
// that loads them through its geometry cache.
class nPhysicGeometrySource
{
public:
    virtual ~nPhysicGeometrySource() = default;
    // False when there is no such geometry; true with the data filled (which may be empty).
    virtual bool ReadGeometry(const nString& name, nPhysicMeshData& out) = 0;
};
