#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nMemory.h"

#include <cstdint>

// The part of a geometry that collision shapes are built from: vertex positions (x, y, z per
// vertex) and polygons as runs of vertex indices, one run per polygon.
struct nPhysicMeshData
{
    nAutoArray<float> positions{MemCategoryGeometry};
    nAutoArray<uint32_t> polygonSizes{MemCategoryGeometry};
    nAutoArray<uint32_t> polygonIndices{MemCategoryGeometry};

    uint32_t GetVertexCount() const { return positions.GetCount() / 3; }
    uint32_t GetPolygonCount() const { return polygonSizes.GetCount(); }
};
