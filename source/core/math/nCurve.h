#pragma once

#include "core/base/nArrayList.h"
#include "core/math/nCurvePoint.h"

#include <cstddef>
#include <cstdint>

class nMetaFile;
class nMetaTag;

// What a curve gives outside its time range; motions share the codes as loop modes.
enum nCurveOutOfRange : uint32_t
{
    CurveReset = 0,
    CurveConstant = 1,
    CurveRepeat = 2,
    CurveOscillate = 3,
    CurveOffsetRepeat = 4,
};

// Range ends that stand for the first and the last knot's time.
constexpr float CurveRangeFirstKnot = -16777216.0f;
constexpr float CurveRangeLastKnot = 16777216.0f;

// A keyframed scalar function of time: knots sorted by time, each interpolated by the kind
// of the knot that ends its segment. Evaluation keeps the index of the last segment used,
// as curves are mostly played forward.
class nCurve
{
public:
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    nCurve();
    nCurve(const nCurve&) = delete;
    nCurve& operator=(const nCurve&) = delete;
    virtual ~nCurve();

    virtual size_t GetMemorySize() const;

    uint32_t GetKnotCount() const { return m_knots.GetCount(); }
    nCurvePoint* GetKnot(int index) const { return static_cast<nCurvePoint*>(m_knots.GetAt(index)); }
    bool SetKnotCount(uint32_t count);
    // The curve takes the knot; when adding fails the caller keeps it.
    bool AddKnot(nCurvePoint* knot);
    bool AppendKnot(nCurvePoint* knot);
    bool RemoveKnot(nCurvePoint* knot);
    bool SetKnot(int index, const nCurvePoint& source);
    void Clear();
    void SortKnots();

    int FindKnotAfter(float time) const;
    int FindKnotBefore(float time) const;
    int FindKnotNear(float time, float tolerance) const;
    float GetEndTime() const;
    void GetTimeRange(float& first, float& last) const;
    void GetValueRange(float& smallest, float& largest) const;

    void Evaluate(float time, float& value, uint32_t mode, float rangeStart = CurveRangeFirstKnot,
                  float rangeEnd = CurveRangeLastKnot);
    // Start fetching what the next evaluation near the cached segment reads, so that a caller
    // about to evaluate many curves has their memory on the way at once: first the knot table,
    // then, once it has arrived, the knots.
    void PrefetchKnotTable() const;
    void PrefetchKnots() const;
    // Returns the number of knots removed.
    uint32_t Optimize(float tolerance);

    bool Parse(nMetaFile* file, const nMetaTag* tag);
    nMetaTag* Serialize(nMetaFile* file) const;

    uint32_t GetOutOfRangeMode() const { return m_outOfRangeMode; }
    void SetOutOfRangeMode(uint32_t mode) { m_outOfRangeMode = mode; }
    float GetDefaultValue() const { return m_defaultValue; }
    void SetDefaultValue(float value) { m_defaultValue = value; }

private:
    const nCurvePoint& Knot(int index) const
    {
        return *static_cast<nCurvePoint*>(m_knots.At(static_cast<uint32_t>(index)));
    }
    int FindSegment(float time);
    float Interpolate(int segment, float time) const;
    float InterpolateCurved(int segment, float time, float u, float span) const;
    bool ReplaceKnots(nCurvePoint* const* kept, uint32_t keptCount);
    bool ParseBinaryKnots(const nMetaTag* tag);
    bool ParseTextKnots(const nMetaTag* tag);

    nArrayList m_knots;
    uint32_t m_outOfRangeMode = CurveConstant;
    float m_defaultValue = 0.0f;
    int m_cachedSegment = -1;
};
