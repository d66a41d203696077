#include "geometry/nGeometryBIH.h"

void nGeometryBIH::Intersect(nGeometryHit& hit, const nVector& origin, const nVector& direction,
                             float maxDistance) const
{
    nBIHState state;
    m_bih.IntersectRay(state, hit, origin, direction, maxDistance);
}

bool nGeometryBIH::Build(nGeometry* geometry)
{
    m_geometry = geometry;
    return m_bih.BuildFromGeometry(geometry);
}

void nGeometryBIH::Clear()
{
    m_geometry = nullptr;
    m_bih.Clear();
}
