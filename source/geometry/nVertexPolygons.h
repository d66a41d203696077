#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nMemory.h"

#include <cstdint>

// The polygons that use one vertex, in polygon order (a polygon using it twice is listed twice).
struct nVertexPolygons
{
    uint32_t count = 0;
    nAutoArray<uint32_t> polygons{MemCategoryGeometry};
};
