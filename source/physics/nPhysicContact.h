#pragma once

#include "core/math/nVector.h"

#include <cstdint>

class nPhysicItem;

// One touching pair of the last step: world positions and normals (on item B) of up to four points.
struct nPhysicContact
{
    static constexpr int32_t MaxPoints = 4;

    nPhysicItem* itemA = nullptr;
    nPhysicItem* itemB = nullptr;
    int32_t pointCount = 0;
    nVector positions[MaxPoints];
    nVector normals[MaxPoints];
};
