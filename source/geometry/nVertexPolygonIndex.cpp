#include "geometry/nVertexPolygonIndex.h"

#include "geometry/nGeometry.h"

bool nVertexPolygonIndex::Build(const nGeometry& geometry)
{
    const uint32_t vertexCount = geometry.vertices.GetCount();
    m_polygons.Free();
    if (!m_starts.Resize(0) || !m_starts.Resize(vertexCount + 1))
        return false;
    // Counted one slot ahead, so that the running sum leaves each vertex's start in place.
    uint32_t uses = 0;
    for (uint32_t p = 0; p < geometry.polygons.GetCount(); ++p)
    {
        const uint32_t* corners = geometry.GetPolygonBindings(p);
        for (uint32_t c = 0; c < geometry.polygons.At(p)->bindingCount; ++c)
            if (corners[c] < vertexCount)
            {
                ++*m_starts.At(corners[c] + 1);
                ++uses;
            }
    }
    for (uint32_t v = 0; v < vertexCount; ++v)
        *m_starts.At(v + 1) += *m_starts.At(v);
    if (!m_polygons.ResizeForOverwrite(uses))
    {
        m_starts.Free();
        return false;
    }
    // Each vertex's fill position, advanced as its polygons are met.
    nAutoArray<uint32_t> next(MemCategoryGeometry);
    if (!next.ResizeForOverwrite(vertexCount))
    {
        m_starts.Free();
        m_polygons.Free();
        return false;
    }
    for (uint32_t v = 0; v < vertexCount; ++v)
        *next.At(v) = *m_starts.At(v);
    for (uint32_t p = 0; p < geometry.polygons.GetCount(); ++p)
    {
        const uint32_t* corners = geometry.GetPolygonBindings(p);
        for (uint32_t c = 0; c < geometry.polygons.At(p)->bindingCount; ++c)
            if (corners[c] < vertexCount)
                *m_polygons.At((*next.At(corners[c]))++) = p;
    }
    return true;
}
