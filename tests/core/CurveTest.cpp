#include "core/math/nCurve.h"

#include "NmlLogCapture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
nCurve* LinearCurve()
{
    nCurve* curve = new nCurve();
    curve->AddKnot(new nCurvePoint(0.0f, 0.0f));
    curve->AddKnot(new nCurvePoint(1.0f, 10.0f));
    return curve;
}

float Evaluate(nCurve& curve, float time, uint32_t mode)
{
    float value = -999.0f;
    curve.Evaluate(time, value, mode);
    return value;
}
} // namespace

TEST(CurveTest, LinearCurveInEveryOutOfRangeMode)
{
    struct Case
    {
        float time;
        uint32_t mode;
        float expected;
    } cases[] = {
        {0.25f, CurveConstant, 2.5f},
        {2.0f, CurveConstant, 10.0f},
        {-1.0f, CurveConstant, 0.0f},
        {2.0f, CurveReset, 0.0f},
        {-0.5f, CurveReset, 0.0f},
        {0.5f, CurveReset, 5.0f},
        {1.25f, CurveRepeat, 2.5f},
        {-0.25f, CurveRepeat, 7.5f},
        {2.0f, CurveRepeat, 0.0f},
        {1.25f, CurveOscillate, 7.5f},
        {2.25f, CurveOscillate, 2.5f},
        {-0.25f, CurveOscillate, 2.5f},
        {2.0f, CurveOffsetRepeat, 20.0f},
        {1.5f, CurveOffsetRepeat, 15.0f},
        {-0.5f, CurveOffsetRepeat, -5.0f},
        {1.0f, CurveRepeat, 10.0f},
        {3.0f, 99u, 10.0f},
    };
    nCurve* curve = LinearCurve();
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(Evaluate(*curve, c.time, c.mode), c.expected) << "t " << c.time << " mode " << c.mode;
    delete curve;
}

TEST(CurveTest, RangeArgumentsNarrowTheLoop)
{
    nCurve curve;
    for (int i = 0; i <= 4; ++i)
        curve.AddKnot(new nCurvePoint(static_cast<float>(i), static_cast<float>(i * 10)));
    float value = 0.0f;
    curve.Evaluate(3.5f, value, CurveRepeat, 1.0f, 3.0f);
    EXPECT_FLOAT_EQ(value, 15.0f);
    curve.Evaluate(7.0f, value, CurveConstant, CurveRangeFirstKnot, 2.0f);
    EXPECT_FLOAT_EQ(value, 20.0f);
    curve.Evaluate(5.0f, value, CurveRepeat, 2.0f, 2.0f); // an empty range wraps to its start
    EXPECT_FLOAT_EQ(value, 20.0f);
    curve.Evaluate(INFINITY, value, CurveRepeat);
    EXPECT_FLOAT_EQ(value, 40.0f);
    curve.Evaluate(NAN, value, CurveOffsetRepeat);
    EXPECT_FLOAT_EQ(value, 0.0f);
}

TEST(CurveTest, EmptyAndSingleKnotCurves)
{
    nCurve curve;
    curve.SetDefaultValue(3.0f);
    for (uint32_t mode = 0; mode < 5; ++mode)
        EXPECT_EQ(Evaluate(curve, 5.0f, mode), 3.0f);
    curve.AddKnot(new nCurvePoint(2.0f, 7.0f));
    EXPECT_EQ(Evaluate(curve, -5.0f, CurveReset), 7.0f);
}

TEST(CurveTest, EveryKindHitsItsKnotsExactly)
{
    for (int32_t kind = 0; kind <= 7; ++kind)
    {
        nCurve curve;
        const float times[] = {0.0f, 1.0f, 2.5f, 4.0f};
        const float values[] = {1.0f, -2.0f, 5.0f, 3.0f};
        for (int i = 0; i < 4; ++i)
        {
            nCurvePoint* knot = new nCurvePoint(times[i], values[i], kind);
            knot->tension = 0.2f;
            knot->tangent = -0.3f;
            knot->p1 = 0.5f;
            knot->p2 = 0.2f;
            knot->p3 = 1.0f;
            curve.AddKnot(knot);
        }
        // Backwards, so the cached segment has to move both ways.
        for (int i = 3; i >= 0; --i)
            EXPECT_EQ(Evaluate(curve, times[i], CurveConstant), values[i])
                << "kind " << kind << " knot " << i;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Evaluate(curve, times[i], CurveConstant), values[i])
                << "kind " << kind << " knot " << i;
    }
}

TEST(CurveTest, InterpolationKinds)
{
    nCurve curve;
    curve.AddKnot(new nCurvePoint(0.0f, 0.0f));
    curve.AddKnot(new nCurvePoint(2.0f, 4.0f, CurveKnotStep));
    EXPECT_FLOAT_EQ(Evaluate(curve, 1.0f, CurveConstant), 0.0f);

    curve.GetKnot(1)->kind = CurveKnotHermite; // zero tangents: a smooth step
    EXPECT_FLOAT_EQ(Evaluate(curve, 1.0f, CurveConstant), 2.0f);
    EXPECT_FLOAT_EQ(Evaluate(curve, 0.5f, CurveConstant), 4.0f * (3 * 0.0625f - 2 * 0.015625f));

    // A TCB segment with no neighbours and zero parameters is the cubic whose tangents are
    // both the value difference, which is the straight line.
    curve.GetKnot(1)->kind = CurveKnotTCB;
    EXPECT_FLOAT_EQ(Evaluate(curve, 0.5f, CurveConstant), 1.0f);

    // A Bezier segment with handles on the straight line is the straight line.
    curve.GetKnot(1)->kind = CurveKnotBezier;
    curve.GetKnot(0)->p1 = 4.0f; // its handle sits a third of the way along, at value 4 / 3
    curve.GetKnot(1)->tangent = -2.0f / 3.0f;
    curve.GetKnot(1)->p1 = -4.0f / 3.0f;
    EXPECT_NEAR(Evaluate(curve, 0.5f, CurveConstant), 1.0f, 1e-3f);

    curve.GetKnot(1)->kind = 9;
    EXPECT_EQ(Evaluate(curve, 0.5f, CurveConstant), 0.0f);
}

TEST(CurveTest, KnotsAreKeptInTimeOrder)
{
    nCurve curve;
    curve.AddKnot(new nCurvePoint(2.0f, 20.0f));
    curve.AddKnot(new nCurvePoint(0.0f, 0.0f));
    curve.AddKnot(new nCurvePoint(2.0f, 21.0f)); // after the equal time
    curve.AddKnot(new nCurvePoint(1.0f, 10.0f));
    ASSERT_EQ(curve.GetKnotCount(), 4u);
    EXPECT_EQ(curve.GetKnot(1)->value, 10.0f);
    EXPECT_EQ(curve.GetKnot(3)->value, 21.0f);

    curve.AppendKnot(new nCurvePoint(-1.0f, -10.0f));
    curve.SortKnots();
    EXPECT_EQ(curve.GetKnot(0)->value, -10.0f);
    for (uint32_t i = 1; i < curve.GetKnotCount(); ++i)
        EXPECT_LE(curve.GetKnot(static_cast<int>(i) - 1)->time, curve.GetKnot(static_cast<int>(i))->time);

    EXPECT_EQ(curve.FindKnotAfter(1.0f), 3);
    EXPECT_EQ(curve.FindKnotBefore(1.0f), 1);
    EXPECT_EQ(curve.FindKnotNear(0.95f, 0.1f), 2);
    EXPECT_EQ(curve.FindKnotAfter(5.0f), -1);
    float first, last, smallest, largest;
    curve.GetTimeRange(first, last);
    curve.GetValueRange(smallest, largest);
    EXPECT_EQ(first, -1.0f);
    EXPECT_EQ(last, 2.0f);
    EXPECT_EQ(smallest, -10.0f);
    EXPECT_EQ(largest, 21.0f);
    EXPECT_EQ(curve.GetEndTime(), 2.0f);
}

TEST(CurveTest, AddKnotOnAClearedCurve)
{
    nCurve curve;
    curve.SetKnotCount(3);
    float value;
    curve.Evaluate(0.5f, value, CurveConstant);
    curve.Clear();
    EXPECT_EQ(curve.GetKnotCount(), 0u);
    ASSERT_TRUE(curve.AddKnot(new nCurvePoint(0.0f, 1.0f)));
    ASSERT_TRUE(curve.AddKnot(new nCurvePoint(1.0f, 3.0f)));
    EXPECT_FLOAT_EQ(Evaluate(curve, 0.5f, CurveConstant), 2.0f);
}

TEST(CurveTest, RemovingAKnotResetsTheCachedSegment)
{
    nCurve curve;
    for (int i = 0; i < 4; ++i)
        curve.AddKnot(new nCurvePoint(static_cast<float>(i), static_cast<float>(i)));
    EXPECT_FLOAT_EQ(Evaluate(curve, 2.5f, CurveConstant), 2.5f);
    ASSERT_TRUE(curve.RemoveKnot(curve.GetKnot(3)));
    ASSERT_TRUE(curve.RemoveKnot(curve.GetKnot(2)));
    EXPECT_FLOAT_EQ(Evaluate(curve, 2.5f, CurveConstant), 1.0f);
    EXPECT_FLOAT_EQ(Evaluate(curve, 0.5f, CurveConstant), 0.5f);
}

// Knots are copied into one array that grows and shifts as knots come and go: each knot must
// keep all its fields, in time order, and a knot the curve does not hold is never removed.
TEST(CurveTest, KnotsSurviveGrowingAndShiftingTheArray)
{
    nCurve curve;
    constexpr int kCount = 100;
    for (int i = 0; i < kCount; ++i)
    {
        const int order = (i * 37) % kCount; // every time once, out of order
        nCurvePoint* knot =
            new nCurvePoint(static_cast<float>(order), static_cast<float>(order * 2), CurveKnotTCB);
        knot->p3 = static_cast<float>(-order);
        ASSERT_TRUE(curve.AddKnot(knot));
    }
    ASSERT_EQ(curve.GetKnotCount(), static_cast<uint32_t>(kCount));
    for (int i = 0; i < kCount; ++i)
    {
        const nCurvePoint& knot = *curve.GetKnot(i);
        EXPECT_EQ(knot.time, static_cast<float>(i));
        EXPECT_EQ(knot.value, static_cast<float>(i * 2));
        EXPECT_EQ(knot.kind, CurveKnotTCB);
        EXPECT_EQ(knot.p3, static_cast<float>(-i));
    }

    nCurve other;
    other.AddKnot(new nCurvePoint(5.0f, 1.0f));
    nCurvePoint outside(5.0f, 10.0f);
    EXPECT_FALSE(curve.RemoveKnot(other.GetKnot(0)));
    EXPECT_FALSE(curve.RemoveKnot(&outside));
    EXPECT_FALSE(curve.RemoveKnot(nullptr));
    EXPECT_EQ(curve.GetKnotCount(), static_cast<uint32_t>(kCount));

    ASSERT_TRUE(curve.RemoveKnot(curve.GetKnot(0)));
    ASSERT_TRUE(curve.RemoveKnot(curve.GetKnot(50)));
    ASSERT_EQ(curve.GetKnotCount(), static_cast<uint32_t>(kCount - 2));
    EXPECT_EQ(curve.GetKnot(0)->time, 1.0f);
    EXPECT_EQ(curve.GetKnot(49)->time, 50.0f);
    EXPECT_EQ(curve.GetKnot(50)->time, 52.0f);
    EXPECT_EQ(curve.GetKnot(kCount - 3)->p3, static_cast<float>(-(kCount - 1)));
    NmlLogCapture log;
    EXPECT_EQ(curve.GetKnot(kCount - 2), nullptr);
    EXPECT_EQ(curve.GetKnot(-1), nullptr);
}

TEST(CurveTest, SetKnotCopiesEveryField)
{
    nCurve curve;
    curve.SetKnotCount(2);
    nCurvePoint source(4.0f, 5.0f, CurveKnotBezier);
    source.p3 = 9.0f;
    ASSERT_TRUE(curve.SetKnot(1, source));
    EXPECT_EQ(curve.GetKnot(1)->kind, CurveKnotBezier);
    EXPECT_EQ(curve.GetKnot(1)->p3, 9.0f);
    NmlLogCapture log;
    EXPECT_FALSE(curve.SetKnot(2, source));
}

TEST(CurveTest, OptimizeRemovesKnotsOnTheLine)
{
    nCurve odd;
    for (int i = 0; i < 3; ++i)
        odd.AddKnot(new nCurvePoint(static_cast<float>(i), static_cast<float>(i)));
    EXPECT_EQ(odd.Optimize(0.1f), 1u);
    ASSERT_EQ(odd.GetKnotCount(), 2u);
    EXPECT_EQ(odd.GetKnot(1)->time, 2.0f);

    // With an even count the second-to-last knot always stays.
    nCurve even;
    const float values[] = {0.0f, 1.0f, 2.0f, 5.0f};
    for (int i = 0; i < 4; ++i)
        even.AddKnot(new nCurvePoint(static_cast<float>(i), values[i]));
    EXPECT_EQ(even.Optimize(0.1f), 1u);
    ASSERT_EQ(even.GetKnotCount(), 3u);
    EXPECT_EQ(even.GetKnot(1)->time, 2.0f);
    EXPECT_EQ(even.GetKnot(2)->time, 3.0f);

    nCurve bent;
    const float bentValues[] = {0.0f, 3.0f, 0.0f};
    for (int i = 0; i < 3; ++i)
        bent.AddKnot(new nCurvePoint(static_cast<float>(i), bentValues[i]));
    EXPECT_EQ(bent.Optimize(0.1f), 0u);
    EXPECT_EQ(bent.GetKnotCount(), 3u);
}

TEST(CurveTest, MemoryIsCountedUnderCurves)
{
    nCurve curve;
    curve.SetKnotCount(3);
    EXPECT_EQ(curve.GetMemorySize(), sizeof(nCurve) + 3 * sizeof(nCurvePoint));
}
