#pragma once

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
// as curves are mostly played forward. The knots lie in one array, so that an evaluation
// reads a few neighbouring cache lines rather than a table and a knot allocation per knot.
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

    uint32_t GetKnotCount() const { return m_knotCount; }
    // Null outside the knots. The knot stays where it is until knots are added or removed.
    nCurvePoint* GetKnot(int index) const;
    bool SetKnotCount(uint32_t count);
    // The curve takes the knot (it copies it into its array and deletes it); when adding fails
    // the caller keeps it.
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
    // Start fetching the knots the next evaluation near the cached segment reads, so that a
    // caller about to evaluate many curves has their memory on the way at once.
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
    const nCurvePoint& Knot(int index) const { return m_knots[index]; }
    int FindSegment(float time);
    float Interpolate(int segment, float time) const;
    float InterpolateCurved(int segment, float time, float u, float span) const;
    bool InsertKnot(uint32_t index, nCurvePoint* knot);
    bool Reserve(uint32_t capacity);
    bool ParseBinaryKnots(const nMetaTag* tag);
    bool ParseTextKnots(const nMetaTag* tag);

    nCurvePoint* m_knots = nullptr;
    uint32_t m_knotCount = 0;
    uint32_t m_knotCapacity = 0;
    uint32_t m_outOfRangeMode = CurveConstant;
    float m_defaultValue = 0.0f;
    int m_cachedSegment = -1;
};
