#pragma once

#include "core/base/nAutoArray.h"
#include "geometry/nBIH.h"
#include "geometry/nGeometryHit.h"

#include <cstdint>

class nGeometry;

// A bounding interval hierarchy over a geometry's polygons. Each polygon keeps what the hit test
// needs (its plane, the two axes of the plane's projection and, per fan triangle, the inverse of
// its projected edge matrix), stored in the order of the leaves, so that a query reads nothing
// of the geometry but its materials.
class IGeometryBIH : public nBIH
{
public:
    // One polygon's plane and projection; a polygon with fewer than three corners has no triangle.
    struct PolygonRecord
    {
        float normal[3];
        float corner[3]; // P0: the hit distance is N . (P0 - origin) / N . direction
        uint8_t axisA;
        uint8_t axisB;
        uint16_t triangleCount;
        uint16_t material;
        uint32_t firstCoefficient; // four per fan triangle
    };

    IGeometryBIH();
    ~IGeometryBIH() override;

    // False (and an empty hierarchy) for a geometry without polygons or when memory runs out.
    bool BuildFromGeometry(nGeometry* geometry);
    void Clear() override;
    // Records hits in the nGeometryHit that user points to.
    void IntersectLeaf(const nBIHLeaf& leaf, float tNear, float tFar, nBIHState& state, void* user) override;

    // The nearest hit along the ray, the walk's state kept by the caller.
    void IntersectRay(nBIHState& state, nGeometryHit& hit, const nVector& origin, const nVector& direction,
                      float maxDistance) const;
    const nGeometry* GetGeometry() const { return m_geometry; }

private:
    void TestLeaf(const nBIHLeaf& leaf, float tNear, float tFar, nBIHState& state, nGeometryHit& hit) const;
    bool IsDoubleSided(uint32_t materialSlot) const;

    const nGeometry* m_geometry = nullptr;
    nAutoArray<PolygonRecord> m_records; // in index-array order
    nAutoArray<float> m_coefficients;
};
