#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nMemory.h"

#include <cstdint>
#include <span>

class nGeometry;

// The polygons that use each vertex, in polygon order (a polygon using a vertex twice is listed
// twice), held in two arrays: one list for all vertices and where each vertex's part begins. Two
// allocations serve a mesh of any size.
class nVertexPolygonIndex
{
public:
    bool Build(const nGeometry& geometry);

    uint32_t GetVertexCount() const { return m_starts.GetCount() ? m_starts.GetCount() - 1 : 0; }
    // The polygons around vertex; none for a vertex the geometry does not have.
    std::span<const uint32_t> Of(uint32_t vertex) const
    {
        if (vertex >= GetVertexCount())
            return {};
        return {m_polygons.GetData() + *m_starts.At(vertex), *m_starts.At(vertex + 1) - *m_starts.At(vertex)};
    }

private:
    nAutoArray<uint32_t> m_starts{MemCategoryGeometry};
    nAutoArray<uint32_t> m_polygons{MemCategoryGeometry};
};
