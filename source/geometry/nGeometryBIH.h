#pragma once

#include "geometry/IGeometryBIH.h"
#include "geometry/nGeometryTree.h"

// The bounding interval hierarchy kind of ray tree (kind 0); hits name the polygon and its fan
// triangle. A positive maxDistance limits the ray.
class nGeometryBIH : public nGeometryTree
{
public:
    void Intersect(nGeometryHit& hit, const nVector& origin, const nVector& direction,
                   float maxDistance) const override;
    bool Build(nGeometry* geometry) override;
    void Clear() override;

    const IGeometryBIH& GetHierarchy() const { return m_bih; }

private:
    IGeometryBIH m_bih;
};
