#include "core/math/nMatrix4.h"
#include "core/math/nScalar.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

// Each engine routine is measured beside a plain loop doing the same arithmetic on raw
// floats; the two should run at about the same speed.

namespace
{
constexpr int kMatrixCount = 256;
constexpr int kVectorCount = 4096;

std::vector<nMatrix4> MakeMatrices()
{
    std::vector<nMatrix4> matrices;
    for (int i = 0; i < kMatrixCount; ++i)
        matrices.push_back(nMatrix4::ComposeEuler(
            nVector(i * 0.1f, 1.0f, -2.0f), nVector(i * 0.01f, 0.3f, 0.2f), nVector(1.0f, 2.0f, 0.5f), 4));
    return matrices;
}

std::vector<nVector> MakeVectors()
{
    std::vector<nVector> vectors;
    for (int i = 0; i < kVectorCount; ++i)
        vectors.emplace_back(i * 0.5f, -i * 0.25f, 1.0f + i, 1.0f);
    return vectors;
}

void MatrixMultiply(benchmark::State& state)
{
    const std::vector<nMatrix4> matrices = MakeMatrices();
    std::vector<nMatrix4> results(kMatrixCount);
    for (auto _ : state)
    {
        for (int i = 0; i < kMatrixCount; ++i)
            results[i] = matrices[i].Multiply(matrices[(i + 1) % kMatrixCount]);
        benchmark::DoNotOptimize(results.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kMatrixCount);
}

void PlainMatrixMultiply(benchmark::State& state)
{
    const std::vector<nMatrix4> matrices = MakeMatrices();
    std::vector<nMatrix4> results(kMatrixCount);
    for (auto _ : state)
    {
        for (int i = 0; i < kMatrixCount; ++i)
        {
            const float* a = matrices[i].m;
            const float* b = matrices[(i + 1) % kMatrixCount].m;
            float out[16]; // a local result, so the stores cannot alias the inputs
            for (int row = 0; row < 4; ++row)
                for (int column = 0; column < 4; ++column)
                    out[row * 4 + column] = a[row * 4] * b[column] + a[row * 4 + 1] * b[4 + column] +
                                            a[row * 4 + 2] * b[8 + column] + a[row * 4 + 3] * b[12 + column];
            std::memcpy(results[i].m, out, sizeof out);
        }
        benchmark::DoNotOptimize(results.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kMatrixCount);
}

void VectorTransform(benchmark::State& state)
{
    const nMatrix4 matrix = MakeMatrices()[7];
    const std::vector<nVector> in = MakeVectors();
    std::vector<nVector> out(kVectorCount);
    for (auto _ : state)
    {
        matrix.TransformVector4Array(out.data(), in.data(), kVectorCount);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kVectorCount);
}

void PlainVectorTransform(benchmark::State& state)
{
    const nMatrix4 matrix = MakeMatrices()[7];
    const std::vector<nVector> in = MakeVectors();
    std::vector<nVector> out(kVectorCount);
    const float* m = matrix.m;
    for (auto _ : state)
    {
        for (int i = 0; i < kVectorCount; ++i)
        {
            const float x = in[i].x, y = in[i].y, z = in[i].z, w = in[i].w;
            out[i].x = m[0] * x + m[1] * y + m[2] * z + m[3] * w;
            out[i].y = m[4] * x + m[5] * y + m[6] * z + m[7] * w;
            out[i].z = m[8] * x + m[9] * y + m[10] * z + m[11] * w;
            out[i].w = m[12] * x + m[13] * y + m[14] * z + m[15] * w;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kVectorCount);
}

void PointTransform(benchmark::State& state)
{
    const nMatrix4 matrix = MakeMatrices()[7];
    const std::vector<nVector> in = MakeVectors();
    std::vector<nVector> out(kVectorCount);
    for (auto _ : state)
    {
        for (int i = 0; i < kVectorCount; ++i)
            out[i] = in[i].MulMatrix4(matrix);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kVectorCount);
}

void PlainPointTransform(benchmark::State& state)
{
    const nMatrix4 matrix = MakeMatrices()[7];
    const std::vector<nVector> in = MakeVectors();
    std::vector<nVector> out(kVectorCount);
    const float* m = matrix.m;
    for (auto _ : state)
    {
        for (int i = 0; i < kVectorCount; ++i)
        {
            const float x = in[i].x, y = in[i].y, z = in[i].z;
            out[i].x = m[0] * x + m[1] * y + m[2] * z + m[3];
            out[i].y = m[4] * x + m[5] * y + m[6] * z + m[7];
            out[i].z = m[8] * x + m[9] * y + m[10] * z + m[11];
            out[i].w = 1.0f;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kVectorCount);
}
} // namespace

BENCHMARK(MatrixMultiply);
BENCHMARK(PlainMatrixMultiply);
BENCHMARK(VectorTransform);
BENCHMARK(PlainVectorTransform);
BENCHMARK(PointTransform);
BENCHMARK(PlainPointTransform);
