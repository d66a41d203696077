#include "core/math/nMinMax.h"

#include "core/nml/nMetaTag.h"
#include "core/math/nScalar.h"

#include <algorithm>
#include <utility>

namespace
{
constexpr uint32_t kAbove[3] = {1, 4, 32};
constexpr uint32_t kBelow[3] = {2, 8, 16};

float Component(const nVector& v, int axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

void SetComponent(nVector& v, int axis, float value)
{
    (axis == 0 ? v.x : axis == 1 ? v.y : v.z) = value;
}

nVector UnitNormal(int axis, float sign)
{
    nVector normal(0.0f, 0.0f, 0.0f, 1.0f);
    SetComponent(normal, axis, sign);
    return normal;
}

bool WithinOtherAxes(const nMinMax& box, const nVector& p, int axis)
{
    for (int other = 0; other < 3; ++other)
    {
        if (other == axis)
            continue;
        const float value = Component(p, other);
        if (!(value >= Component(box.min, other) && value <= Component(box.max, other)))
            return false;
    }
    return true;
}
} // namespace

nMinMax nMinMax::Union(const nMinMax& other) const
{
    return nMinMax(min.Min(other.min), max.Max(other.max));
}

nMinMax nMinMax::FromCentreSize(const nVector& centre, const nVector& size)
{
    const nVector half = size * 0.5f;
    return nMinMax(centre - half, centre + half);
}

void nMinMax::Extend(const nVector& point)
{
    min = min.Min(point);
    max = max.Max(point);
}

uint32_t nMinMax::Outcode(const nVector& min, const nVector& max, const nVector& point)
{
    uint32_t code = 0;
    for (int axis = 0; axis < 3; ++axis)
    {
        const float value = Component(point, axis);
        if (value > Component(max, axis))
            code |= kAbove[axis];
        if (value < Component(min, axis))
            code |= kBelow[axis];
    }
    return code;
}

uint32_t DirectionOutcode(const nVector& direction)
{
    uint32_t code = 0;
    for (int axis = 0; axis < 3; ++axis)
        code |= Component(direction, axis) > 0.0f ? kAbove[axis] : kBelow[axis];
    return code;
}

bool nMinMax::IntersectRaySlab(const nVector& origin, const nVector& direction, float& nearDistance,
                               float& farDistance) const
{
    float enter = 0.0f;
    float exit = kFloatMax;
    for (int axis = 0; axis < 3; ++axis)
    {
        const float o = Component(origin, axis);
        const float d = Component(direction, axis);
        const float low = Component(min, axis);
        const float high = Component(max, axis);
        if (IsNearZero(d, 1e-6f))
        {
            if (o < low || o > high)
                return false;
            continue;
        }
        float first = (low - o) / d;
        float second = (high - o) / d;
        if (first > second)
            std::swap(first, second);
        enter = std::max(enter, first);
        exit = std::min(exit, second);
        if (enter > exit)
            return false;
    }
    nearDistance = enter;
    farDistance = exit;
    return true;
}

bool nMinMax::IntersectRay(const nVector& origin, const nVector& direction, nVector& point,
                           nVector* normal) const
{
    const uint32_t outcode = Outcode(min, max, origin);
    if (outcode == 0)
    {
        if (normal)
            *normal = nVector(0.0f, 0.0f, 0.0f, 1.0f);
        point = origin;
        return true;
    }
    if (outcode & DirectionOutcode(direction))
        return false;
    // Outside a slab with no motion across it, the ray never reaches the box; testing the
    // face would divide by zero.
    for (int axis = 0; axis < 3; ++axis)
        if ((outcode & (kAbove[axis] | kBelow[axis])) && Component(direction, axis) == 0.0f)
            return false;

    for (int axis = 0; axis < 3; ++axis)
    {
        if (!(outcode & (kAbove[axis] | kBelow[axis])))
            continue;
        const bool beyondMax = (outcode & kAbove[axis]) != 0;
        const float face = beyondMax ? Component(max, axis) : Component(min, axis);
        const float o = Component(origin, axis);
        const float factor = (1.0f / Component(direction, axis)) * (face - o);
        if (normal)
            *normal = UnitNormal(axis, beyondMax ? 1.0f : -1.0f);
        for (int other = 0; other < 3; ++other)
            SetComponent(point, other,
                         other == axis ? face
                                       : Component(origin, other) + factor * Component(direction, other));
        point.w = 1.0f;
        if (WithinOtherAxes(*this, point, axis))
            return true;
    }
    return false;
}

bool nMinMax::IntersectSegment(const nVector& start, const nVector& end, nVector& point,
                               nVector* normal) const
{
    const uint32_t startCode = Outcode(min, max, start);
    if (startCode == 0)
    {
        if (normal)
            *normal = nVector(0.0f, 0.0f, 0.0f, 1.0f);
        point = start;
        return true;
    }
    const uint32_t endCode = Outcode(min, max, end);
    if (endCode == 0)
    {
        if (normal)
            *normal = nVector(0.0f, 0.0f, 0.0f, 1.0f);
        point = end;
        return true;
    }
    if (startCode & endCode)
        return false;

    for (int axis = 0; axis < 3; ++axis)
    {
        if (!(startCode & (kAbove[axis] | kBelow[axis])))
            continue;
        const bool beyondMax = (startCode & kAbove[axis]) != 0;
        const float face = beyondMax ? Component(max, axis) : Component(min, axis);
        const float s = Component(start, axis);
        // The end is not beyond the same face (the codes share no bit), so the span is not 0.
        const float fraction = (face - s) / (Component(end, axis) - s);
        if (normal)
            *normal = UnitNormal(axis, beyondMax ? 1.0f : -1.0f);
        for (int other = 0; other < 3; ++other)
            SetComponent(point, other,
                         other == axis ? face
                                       : Component(start, other) +
                                             (Component(end, other) - Component(start, other)) * fraction);
        point.w = 1.0f;
        if (WithinOtherAxes(*this, point, axis))
            return true;
    }
    return false;
}

nMetaTag* nMinMax::Serialize() const
{
    nMetaTag* tag = new nMetaTag("MinMax");
    if (!tag)
        return nullptr;
    nMetaTag* minimum = min.Serialize("Min");
    if (!tag->AddChildTag(minimum))
    {
        delete minimum;
        delete tag;
        return nullptr;
    }
    nMetaTag* maximum = max.Serialize("Max");
    if (!tag->AddChildTag(maximum))
    {
        delete maximum;
        delete tag;
        return nullptr;
    }
    return tag;
}

bool nMinMax::Parse(const nMetaTag* tag)
{
    if (!tag)
        return false;
    nLinkedListIterator iterator;
    nVector minimum = min, maximum = max;
    if (!minimum.Parse(tag->GetNextChild(iterator)) || !maximum.Parse(tag->GetNextChild(iterator)))
        return false;
    min = minimum;
    max = maximum;
    return true;
}
