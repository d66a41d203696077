#include "core/math/nCurve.h"

#include <benchmark/benchmark.h>

// Evaluations per second of a 64-knot curve, played forward as motions and particles do,
// and sampled at scattered times, which defeats the cached segment.

namespace
{
constexpr int kKnots = 64;
constexpr int kSamples = 1024;

void FillCurve(nCurve& curve, int32_t kind)
{
    for (int i = 0; i < kKnots; ++i)
    {
        nCurvePoint* knot = new nCurvePoint(static_cast<float>(i), static_cast<float>((i * 37) % 11), kind);
        knot->tension = 0.1f;
        knot->tangent = -0.2f;
        knot->p1 = 0.3f;
        curve.AddKnot(knot);
    }
}

void CurveForward(benchmark::State& state)
{
    nCurve curve;
    FillCurve(curve, static_cast<int32_t>(state.range(0)));
    const float step = static_cast<float>(kKnots - 1) / kSamples;
    float value = 0.0f;
    for (auto _ : state)
    {
        for (int i = 0; i < kSamples; ++i)
        {
            curve.Evaluate(i * step, value, CurveConstant);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void CurveScattered(benchmark::State& state)
{
    nCurve curve;
    FillCurve(curve, static_cast<int32_t>(state.range(0)));
    float value = 0.0f;
    for (auto _ : state)
    {
        for (int i = 0; i < kSamples; ++i)
        {
            curve.Evaluate(static_cast<float>((i * 7919) % (kKnots * 16)) / 16.0f, value, CurveRepeat);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}
} // namespace

// Linear, TCB, Hermite and Bezier knots.
BENCHMARK(CurveForward)->Arg(1)->Arg(2)->Arg(3)->Arg(5);
BENCHMARK(CurveScattered)->Arg(1)->Arg(5);
