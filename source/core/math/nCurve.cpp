#include "core/math/nCurve.h"

#include "core/base/nKeyValuePair.h"
#include "core/base/nLog.h"
#include "core/base/nMemory.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

// The knot array is moved with memcpy and memmove.
static_assert(std::is_trivially_copyable_v<nCurvePoint>);

namespace
{
constexpr uint32_t kFirstKnotCapacity = 4;

// (t1 - t0) / span, or 1 when the span is empty (knots sharing a time).
float Ratio(float segment, float span)
{
    return span > 0.0f ? segment / span : 1.0f;
}

float Hermite(float u, float y0, float y1, float t0, float t1)
{
    const float u2 = u * u;
    const float u3 = u2 * u;
    const float h2 = 3.0f * u2 - 2.0f * u3;
    const float h1 = 1.0f - h2;
    const float h3 = u3 - 2.0f * u2 + u;
    const float h4 = u3 - u2;
    return h1 * y0 + h2 * y1 + h3 * t0 + h4 * t1;
}

float Bezier(float s, float a, float b, float c, float d)
{
    const float r = 1.0f - s;
    return r * r * r * a + 3.0f * r * r * s * b + 3.0f * r * s * s * c + s * s * s * d;
}
} // namespace

void* nCurve::operator new(size_t size) noexcept
{
    return MemAllocCurve(size);
}

void nCurve::operator delete(void* memory) noexcept
{
    MemFreeCurve(memory);
}

nCurve::nCurve() = default;

nCurve::~nCurve()
{
    Clear();
}

size_t nCurve::GetMemorySize() const
{
    return sizeof(nCurve) + GetKnotCount() * sizeof(nCurvePoint);
}

nCurvePoint* nCurve::GetKnot(int index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= m_knotCount)
    {
        nLogHolder::Get() << "[*] Out of bound array access.\n";
        return nullptr;
    }
    return m_knots + index;
}

// Keeps the knots; false, with nothing changed, when there is no memory.
bool nCurve::Reserve(uint32_t capacity)
{
    if (capacity <= m_knotCapacity)
        return true;
    auto* grown = static_cast<nCurvePoint*>(MemAllocCurve(sizeof(nCurvePoint) * size_t(capacity)));
    if (!grown)
        return false;
    if (m_knotCount > 0)
        std::memcpy(static_cast<void*>(grown), m_knots, sizeof(nCurvePoint) * size_t(m_knotCount));
    if (m_knots)
        MemFreeCurve(m_knots);
    m_knots = grown;
    m_knotCapacity = capacity;
    return true;
}

bool nCurve::SetKnotCount(uint32_t count)
{
    Clear();
    if (!Reserve(count))
        return false;
    for (uint32_t i = 0; i < count; ++i)
        ::new (m_knots + i) nCurvePoint();
    m_knotCount = count;
    return true;
}

bool nCurve::InsertKnot(uint32_t index, nCurvePoint* knot)
{
    if (!knot)
        return false;
    if (m_knotCount == m_knotCapacity &&
        !Reserve(m_knotCapacity < kFirstKnotCapacity ? kFirstKnotCapacity : m_knotCapacity * 2))
        return false;
    std::memmove(static_cast<void*>(m_knots + index + 1), m_knots + index,
                 sizeof(nCurvePoint) * size_t(m_knotCount - index));
    m_knots[index] = *knot;
    ++m_knotCount;
    delete knot;
    return true;
}

bool nCurve::AddKnot(nCurvePoint* knot)
{
    if (!knot)
        return false;
    uint32_t index = 0;
    while (index < m_knotCount && m_knots[index].time <= knot->time)
        ++index;
    return InsertKnot(index, knot);
}

bool nCurve::AppendKnot(nCurvePoint* knot)
{
    return InsertKnot(m_knotCount, knot);
}

bool nCurve::RemoveKnot(nCurvePoint* knot)
{
    m_cachedSegment = -1;
    if (!knot || knot < m_knots || knot >= m_knots + m_knotCount)
        return false;
    const auto index = static_cast<uint32_t>(knot - m_knots);
    std::memmove(static_cast<void*>(m_knots + index), m_knots + index + 1,
                 sizeof(nCurvePoint) * size_t(m_knotCount - index - 1));
    --m_knotCount;
    return true;
}

bool nCurve::SetKnot(int index, const nCurvePoint& source)
{
    nCurvePoint* knot = GetKnot(index);
    if (!knot)
        return false;
    knot->CopyFrom(source);
    return true;
}

void nCurve::Clear()
{
    if (m_knots)
        MemFreeCurve(m_knots);
    m_knots = nullptr;
    m_knotCount = 0;
    m_knotCapacity = 0;
    m_cachedSegment = -1;
}

void nCurve::SortKnots()
{
    const uint32_t count = GetKnotCount();
    bool sorted = true;
    for (uint32_t i = 1; i < count && sorted; ++i)
        sorted = GetKnot(static_cast<int>(i))->time >= GetKnot(static_cast<int>(i) - 1)->time;
    if (sorted)
        return;

    std::unique_ptr<nKeyValuePair[]> pairs(new (std::nothrow) nKeyValuePair[count]);
    std::unique_ptr<nCurvePoint[]> ordered(new (std::nothrow) nCurvePoint[count]);
    if (!pairs || !ordered)
    {
        nLogHolder::Get() << "Not enough memory.\n";
        return;
    }
    for (uint32_t i = 0; i < count; ++i)
    {
        pairs[i].key = m_knots[i].time;
        pairs[i].value = i;
    }
    SortKeyValuePairs(pairs.get(), 0, static_cast<int>(count) - 1);
    for (uint32_t i = 0; i < count; ++i)
        ordered[i] = m_knots[pairs[i].value];
    std::memcpy(static_cast<void*>(m_knots), ordered.get(), sizeof(nCurvePoint) * size_t(count));
    m_cachedSegment = -1;
}

int nCurve::FindKnotAfter(float time) const
{
    for (uint32_t i = 0; i < GetKnotCount(); ++i)
        if (GetKnot(static_cast<int>(i))->time > time)
            return static_cast<int>(i);
    return -1;
}

int nCurve::FindKnotBefore(float time) const
{
    for (int i = static_cast<int>(GetKnotCount()) - 1; i >= 0; --i)
        if (GetKnot(i)->time < time)
            return i;
    return -1;
}

int nCurve::FindKnotNear(float time, float tolerance) const
{
    for (uint32_t i = 0; i < GetKnotCount(); ++i)
        if (std::fabs(GetKnot(static_cast<int>(i))->time - time) <= tolerance)
            return static_cast<int>(i);
    return -1;
}

float nCurve::GetEndTime() const
{
    const uint32_t count = GetKnotCount();
    return count > 0 ? GetKnot(static_cast<int>(count) - 1)->time : 0.0f;
}

void nCurve::GetTimeRange(float& first, float& last) const
{
    const uint32_t count = GetKnotCount();
    first = count > 0 ? GetKnot(0)->time : 0.0f;
    last = count > 0 ? GetKnot(static_cast<int>(count) - 1)->time : 0.0f;
}

void nCurve::GetValueRange(float& smallest, float& largest) const
{
    smallest = 0.0f;
    largest = 0.0f;
    for (uint32_t i = 0; i < GetKnotCount(); ++i)
    {
        const float value = GetKnot(static_cast<int>(i))->value;
        if (i == 0 || value < smallest)
            smallest = value;
        if (i == 0 || value > largest)
            largest = value;
    }
}

// The segment [i, i + 1] that holds the time, searched from the cached one.
inline int nCurve::FindSegment(float time)
{
    const int lastSegment = static_cast<int>(GetKnotCount()) - 2;
    int i = m_cachedSegment;
    if (i >= 0)
    {
        if (i > lastSegment)
            i = lastSegment;
        if (time >= Knot(i).time)
        {
            while (i < lastSegment && time > Knot(i + 1).time)
                ++i;
        }
        else
        {
            while (i > 0 && Knot(i - 1).time > time)
                --i;
            if (i > 0)
                --i;
        }
    }
    else
    {
        i = FindKnotBefore(time);
        if (i < 0)
            i = 0;
        if (i > lastSegment)
            i = lastSegment;
    }
    m_cachedSegment = i;
    return i;
}

// Linear segments, by far the most played, are handled here; the others in InterpolateCurved.
inline float nCurve::Interpolate(int segment, float time) const
{
    const nCurvePoint& k0 = Knot(segment);
    const nCurvePoint& k1 = Knot(segment + 1);
    if (time == k0.time)
        return k0.value;
    if (time == k1.time)
        return k1.value;
    const float span = k1.time - k0.time;
    if (!(span > 0.0f)) // knots out of order or sharing a time
        return k0.value;
    const float u = (time - k0.time) / span;
    if (k1.kind == CurveKnotLinear)
        return k0.value + (k1.value - k0.value) * u;
    return InterpolateCurved(segment, time, u, span);
}

float nCurve::InterpolateCurved(int segment, float time, float u, float span) const
{
    const nCurvePoint& k0 = Knot(segment);
    const nCurvePoint& k1 = Knot(segment + 1);
    const nCurvePoint* previous = segment > 0 ? &Knot(segment - 1) : nullptr;
    const nCurvePoint* next = segment + 2 < static_cast<int>(GetKnotCount()) ? &Knot(segment + 2) : nullptr;

    switch (k1.kind)
    {
    case CurveKnotTCB:
    {
        const float inLeft = (1.0f - k0.tension) * (1.0f + k0.continuity) * (1.0f + k0.bias);
        const float inRight = (1.0f - k0.tension) * (1.0f - k0.continuity) * (1.0f - k0.bias);
        float leaving = inRight * (k1.value - k0.value);
        if (previous)
            leaving = Ratio(span, k1.time - previous->time) *
                      (inLeft * (k0.value - previous->value) + inRight * (k1.value - k0.value));
        const float outLeft = (1.0f - k1.tension) * (1.0f - k1.continuity) * (1.0f + k1.bias);
        const float outRight = (1.0f - k1.tension) * (1.0f + k1.continuity) * (1.0f - k1.bias);
        float arriving = outLeft * (k1.value - k0.value);
        if (next)
            arriving = Ratio(span, next->time - k0.time) *
                       (outLeft * (k1.value - k0.value) + outRight * (next->value - k1.value));
        return Hermite(u, k0.value, k1.value, leaving, arriving);
    }
    case CurveKnotHermite:
    case CurveKnotHermiteAlt:
    {
        const float leaving = k0.tangent * (previous ? Ratio(span, k1.time - previous->time) : 1.0f);
        const float arriving = k1.tangent * (next ? Ratio(span, next->time - k0.time) : 1.0f);
        return Hermite(u, k0.value, k1.value, leaving, arriving);
    }
    case CurveKnotBezier:
    {
        const bool ownHandle = k0.kind == CurveKnotBezier;
        const float t1 = ownHandle ? k0.time + k0.p2 : k0.time + span / 3.0f;
        const float y1 = ownHandle ? k0.value + k0.p3 : k0.value + k0.p1 / 3.0f;
        const float t2 = k1.time + k1.tangent;
        const float y2 = k1.value + k1.p1;
        float low = 0.0f;
        float high = 1.0f;
        float s = 0.5f;
        float at = Bezier(s, k0.time, t1, t2, k1.time);
        while (std::fabs(at - time) > 0.0001f && high - low > 0.0001f)
        {
            if (at < time)
                low = s;
            else
                high = s;
            s = (low + high) * 0.5f;
            at = Bezier(s, k0.time, t1, t2, k1.time);
        }
        return Bezier(s, k0.value, y1, y2, k1.value);
    }
    case CurveKnotStep:
        return k0.value;
    default:
        return 0.0f;
    }
}

void nCurve::Evaluate(float time, float& value, uint32_t mode, float rangeStart, float rangeEnd)
{
    const uint32_t count = GetKnotCount();
    if (count == 0)
    {
        value = m_defaultValue;
        return;
    }
    const nCurvePoint& firstKnot = Knot(0);
    const nCurvePoint& lastKnot = Knot(static_cast<int>(count) - 1);
    if (count == 1)
    {
        value = firstKnot.value;
        return;
    }

    const float first = firstKnot.time;
    const float last = lastKnot.time;
    auto clampToKnots = [first, last](float t) { return t < first ? first : t > last ? last : t; };
    float start = rangeStart == CurveRangeFirstKnot ? first : clampToKnots(rangeStart);
    float end = rangeEnd == CurveRangeLastKnot ? last : clampToKnots(rangeEnd);
    if (start > end)
        std::swap(start, end);
    if (std::isnan(time))
        time = start;

    float offset = 0.0f;
    if (time < start || time > end)
    {
        if (mode == CurveReset)
        {
            value = 0.0f;
            return;
        }
        const float length = end - start;
        const bool wraps = mode == CurveRepeat || mode == CurveOscillate || mode == CurveOffsetRepeat;
        if (!wraps || std::isinf(time))
            time = time < start ? start : end;
        else if (length == 0.0f)
            time = start;
        else
        {
            const double laps = (time - start) / static_cast<double>(length);
            double wrapped = time >= start ? time - length * std::floor(laps)
                                           : end + (time - start) - length * std::ceil(laps);
            wrapped = wrapped < start ? start : wrapped > end ? end : wrapped;
            const double lapCount = std::nearbyint((time - wrapped) / length); // negative before the range
            time = static_cast<float>(wrapped);
            if (mode == CurveOscillate && std::fmod(std::fabs(lapCount), 2.0) == 1.0)
                time = start + end - time;
            if (mode == CurveOffsetRepeat)
                offset = static_cast<float>((lastKnot.value - firstKnot.value) * lapCount);
        }
    }

    value = Interpolate(FindSegment(time), time) + offset;
}

void nCurve::PrefetchKnots() const
{
    const uint32_t count = GetKnotCount();
    if (count == 0)
        return;
    // The fields read lie from the kind to the value; a knot may straddle two cache lines.
    auto fetch = [](const nCurvePoint& knot) {
        __builtin_prefetch(&knot.kind);
        __builtin_prefetch(&knot.value);
    };
    fetch(Knot(0));
    fetch(Knot(static_cast<int>(count) - 1));
    const int segment = m_cachedSegment;
    if (segment >= 0 && static_cast<uint32_t>(segment) + 1 < count)
    {
        fetch(Knot(segment));
        fetch(Knot(segment + 1));
    }
}

uint32_t nCurve::Optimize(float tolerance)
{
    const uint32_t count = GetKnotCount();
    if (count < 3)
        return 0;
    std::unique_ptr<bool[]> keep(new (std::nothrow) bool[count]);
    if (!keep)
    {
        nLogHolder::Get() << "Not enough memory.\n";
        return 0;
    }
    for (uint32_t i = 0; i < count; ++i)
        keep[i] = true;
    for (uint32_t i = 0; i + 2 < count; i += 2)
    {
        const nCurvePoint& a = m_knots[i];
        const nCurvePoint& middle = m_knots[i + 1];
        const nCurvePoint& b = m_knots[i + 2];
        const float u = (middle.time - a.time) / (b.time - a.time);
        const float onLine = (1.0f - u) * a.value + u * b.value;
        if (std::fabs(middle.value - onLine) <= tolerance)
            keep[i + 1] = false;
    }

    uint32_t keptCount = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (keep[i])
            m_knots[keptCount++] = m_knots[i];
    m_knotCount = keptCount;
    m_cachedSegment = -1;
    return count - keptCount;
}
