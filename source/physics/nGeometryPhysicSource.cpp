#include "physics/nGeometryPhysicSource.h"

#include "geometry/nGeometry.h"
#include "physics/nPhysicMeshData.h"
#include "render/nEngineServices.h"

bool nGeometryPhysicSource::ReadGeometry(const nString& name, nPhysicMeshData& out)
{
    if (!name.GetText())
        return false;
    const nGeometry* geometry = m_engine.LoadGeometry(name.GetText(), true, false);
    if (!geometry)
        return false;
    Fill(*geometry, out);
    return true;
}

void nGeometryPhysicSource::Fill(const nGeometry& geometry, nPhysicMeshData& out)
{
    const uint32_t vertexCount = geometry.vertices.GetCount();
    uint32_t polygonCount = 0;
    uint32_t indexCount = 0;
    for (uint32_t p = 0; p < geometry.polygons.GetCount(); ++p)
    {
        const uint32_t corners = geometry.polygons.At(p)->bindingCount;
        bool valid = true;
        for (uint32_t c = 0; c < corners; ++c)
            valid = valid && geometry.GetPolygonBindings(p)[c] < vertexCount;
        if (!valid)
            continue;
        ++polygonCount;
        indexCount += corners;
    }
    if (!out.positions.Resize(vertexCount * 3) || !out.polygonSizes.Resize(polygonCount) ||
        !out.polygonIndices.Resize(indexCount))
        return;
    for (uint32_t v = 0; v < vertexCount; ++v)
    {
        *out.positions.At(v * 3) = geometry.vertices.At(v)->x;
        *out.positions.At(v * 3 + 1) = geometry.vertices.At(v)->y;
        *out.positions.At(v * 3 + 2) = geometry.vertices.At(v)->z;
    }
    uint32_t polygon = 0;
    uint32_t index = 0;
    for (uint32_t p = 0; p < geometry.polygons.GetCount() && polygon < polygonCount; ++p)
    {
        const uint32_t corners = geometry.polygons.At(p)->bindingCount;
        const uint32_t* run = geometry.GetPolygonBindings(p);
        bool valid = true;
        for (uint32_t c = 0; c < corners; ++c)
            valid = valid && run[c] < vertexCount;
        if (!valid)
            continue;
        *out.polygonSizes.At(polygon++) = corners;
        for (uint32_t c = 0; c < corners; ++c)
            *out.polygonIndices.At(index++) = run[c];
    }
}
