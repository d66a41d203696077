#pragma once

#include "core/math/nVector.h"

#include <cstdint>

class nMetaTag;

// An axis-aligned box given by its minimum and maximum corners.
class nMinMax
{
public:
    nVector min;
    nVector max;

    nMinMax() = default;
    nMinMax(const nVector& min, const nVector& max) : min(min), max(max) {}

    nMinMax Union(const nMinMax& other) const;
    static nMinMax FromCentreSize(const nVector& centre, const nVector& size);
    void Extend(const nVector& point);

    // Bits 1 / 2 beyond the maximum / below the minimum on x, 4 / 8 on y, and, the other
    // way round, 32 / 16 on z.
    static uint32_t Outcode(const nVector& min, const nVector& max, const nVector& point);

    // Slab test of the unbounded ray; near and far are distances along the direction.
    bool IntersectRaySlab(const nVector& origin, const nVector& direction, float& nearDistance,
                          float& farDistance) const;
    // An origin inside the box is a hit at the origin with normal (0, 0, 0, 1); otherwise
    // the entry point and the unit normal of the face it enters through.
    bool IntersectRay(const nVector& origin, const nVector& direction, nVector& point, nVector* normal) const;
    bool IntersectSegment(const nVector& start, const nVector& end, nVector& point, nVector* normal) const;

    // A new tag "MinMax" with vector children "Min" and "Max".
    nMetaTag* Serialize() const;
    // The first two children, by position.
    bool Parse(const nMetaTag* tag);
};

// The direction's bits: 1 or 2 for x > 0 or not, 4 or 8 for y, 32 or 16 for z.
uint32_t DirectionOutcode(const nVector& direction);
