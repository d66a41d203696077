#include "engine/items/nObject.h"

#include "core/math/nMinMax.h"
#include "geometry/nGeometry.h"

nObject::nObject(Quenvar* engine) : nItem(engine) {}

nObject::~nObject() = default;

void nObject::GetMinMax(nMinMax& out)
{
    if (m_geometry)
        out = m_geometry->box;
    else
        nItem::GetMinMax(out);
}

void nObject::SetGeometry(nGeometry* geometry)
{
    m_geometry = geometry;
    m_unloadedGeometryName.Clear();
}

void nObject::SetOccluder(nGeometry* occluder)
{
    m_occluder = occluder;
    m_unloadedOccluderName.Clear();
}
