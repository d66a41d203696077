#pragma once

#include "core/math/nVector.h"

#include <cstdint>

class nGeometry;

// The nearest hit of a ray on a geometry, as its ray tree reports it. The barycentrics weigh the
// hit triangle's second corner, third corner and first corner, in that order.
struct nGeometryHit
{
    static constexpr uint32_t NoPolygon = UINT32_MAX;

    const nGeometry* geometry = nullptr;
    uint8_t hit = 0;
    float distance = -1.0f;
    nVector origin;
    nVector direction; // as given, not normalised
    uint8_t backFace = 0;
    uint32_t polygon = NoPolygon;
    uint32_t triangle = 0; // the fan triangle within the polygon
    float barycentrics[3] = {0.0f, 0.0f, 0.0f};
    uint32_t tested = 0; // triangles tested
};
