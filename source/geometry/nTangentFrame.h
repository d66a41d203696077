#pragma once

#include "core/math/nVector.h"

// Tangent and bitangent of a corner or a polygon; only x, y and z carry meaning.
struct nTangentFrame
{
    nVector tangent{0.0f, 0.0f, 0.0f, 1.0f};
    nVector bitangent{0.0f, 0.0f, 0.0f, 1.0f};
};
