#include "core/base/nLog.h"
#include "geometry/nGeometry.h"
#include "render/gl/nTrilist.h"

#include <benchmark/benchmark.h>

#include <algorithm>

// Triangle lists as the GPU renderer builds them when it sets a geometry up: a 256 x 256 grid of
// quads sharing their corners, unskinned and skinned over 30 bones (each row of cells on its own
// bones, so lists close on bones as well as on vertices).
namespace
{
class QuietLog : public nLog
{
public:
    void Output(const char*, uint8_t) override {}
};

constexpr uint32_t Cells = 256;

nGeometry* QuadGrid(bool skinned)
{
    auto* geometry = new nGeometry(nullptr);
    constexpr uint32_t Row = Cells + 1;
    geometry->vertices.Resize(Row * Row);
    for (uint32_t v = 0; v < Row * Row; ++v)
        *geometry->vertices.At(v) = nVector(float(v % Row), float(v / Row), 0.0f);
    geometry->SetPolygonCount(Cells * Cells);
    for (uint32_t p = 0; p < Cells * Cells; ++p)
        geometry->polygons.At(p)->bindingCount = 4;
    geometry->AllocateBindings();
    for (uint32_t p = 0; p < Cells * Cells; ++p)
    {
        const uint32_t corner = (p / Cells) * Row + p % Cells;
        const uint32_t quad[4] = {corner, corner + 1, corner + Row + 1, corner + Row};
        std::copy(quad, quad + 4, geometry->GetPolygonBindings(p));
    }
    geometry->AllocateMaterials(1, true);
    if (skinned)
    {
        geometry->AllocateSkin(30);
        geometry->weights.Resize(Row * Row);
        for (uint32_t v = 0; v < Row * Row; ++v)
        {
            nSkinWeight& weight = *geometry->weights.At(v);
            for (uint16_t i = 0; i < 4; ++i)
            {
                weight.bones[i] = uint16_t((v / Row * 3 + i) % 30);
                weight.weights[i] = 0.25f;
            }
        }
    }
    geometry->Setup();
    return geometry;
}

void BuildTriangleListsOfAGrid(benchmark::State& state)
{
    static QuietLog log;
    nLogHolder::Set(&log);
    nSharedPtr<nGeometry> geometry = QuadGrid(state.range(0) != 0);
    for (auto _ : state)
    {
        std::unique_ptr<nTrilistArray> lists = BuildTriangleLists(geometry.Get(), nTrilist::VertexLimit);
        benchmark::DoNotOptimize(lists);
    }
    state.SetItemsProcessed(state.iterations() * Cells * Cells);
    nLogHolder::Set(nullptr);
}
BENCHMARK(BuildTriangleListsOfAGrid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
} // namespace
