#pragma once

#include "physics/nPhysicGeometrySource.h"

class nEngineServices;
class nGeometry;
struct nPhysicMeshData;

// Geometries for Convex and Mesh shapes, loaded CPU-only through the engine's geometry loader so
// that their positions and polygons are still held.
class nGeometryPhysicSource : public nPhysicGeometrySource
{
public:
    explicit nGeometryPhysicSource(nEngineServices& engine) : m_engine(engine) {}

    bool ReadGeometry(const nString& name, nPhysicMeshData& out) override;
    // The positions and the polygons' vertex runs; a polygon naming a missing vertex is left out.
    static void Fill(const nGeometry& geometry, nPhysicMeshData& out);

private:
    nEngineServices& m_engine;
};
