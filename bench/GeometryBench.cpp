#include "core/base/nLog.h"
#include "core/io/nIOCFile.h"
#include "core/nml/nMetaFile.h"
#include "engine/Quenvar.h"
#include "geometry/nGeometry.h"
#include "platform/nPlatform.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace
{
class QuietLog : public nLog
{
public:
    void Output(const char*, uint8_t) override {}
};

constexpr uint32_t GridWidth = 1000;
constexpr uint32_t GridHeight = 500; // 2 x 1000 x 500 = 1M triangles

// A Binary geometry file of a triangulated grid with vertex normals and one UV set, written once.
const std::string& GeometryPath(Quenvar& engine)
{
    static const std::string path = [&engine]
    {
        nLogHolder::Set(new QuietLog());
        nGeometry geometry(&engine);
        geometry.name = "grid";
        const uint32_t columns = GridWidth + 1;
        geometry.vertices.Resize(columns * (GridHeight + 1));
        for (uint32_t y = 0; y <= GridHeight; ++y)
            for (uint32_t x = 0; x < columns; ++x)
                *geometry.vertices.At(y * columns + x) =
                    nVector(float(x), float(y), float((x * 7 + y * 3) % 5));
        geometry.SetPolygonCount(2 * GridWidth * GridHeight);
        for (uint32_t p = 0; p < geometry.polygons.GetCount(); ++p)
            geometry.polygons.At(p)->bindingCount = 3;
        geometry.AllocateBindings();
        for (uint32_t y = 0; y < GridHeight; ++y)
            for (uint32_t x = 0; x < GridWidth; ++x)
            {
                const uint32_t quad = y * GridWidth + x;
                const uint32_t corner = y * columns + x;
                uint32_t* first = geometry.GetPolygonBindings(2 * quad);
                first[0] = corner, first[1] = corner + 1, first[2] = corner + columns + 1;
                uint32_t* second = geometry.GetPolygonBindings(2 * quad + 1);
                second[0] = corner, second[1] = corner + columns + 1, second[2] = corner + columns;
            }
        const uint32_t total = geometry.GetBindingTotal();
        geometry.vertexNormals.Resize(total);
        geometry.uvSets[0].Resize(total);
        for (uint32_t i = 0; i < total; ++i)
        {
            *geometry.vertexNormals.At(i) = nVector(0.0f, 0.0f, 1.0f);
            const nVector& position = *geometry.vertices.At(*geometry.bindings.At(i));
            *geometry.uvSets[0].At(i) = nUV(position.x / GridWidth, position.y / GridHeight);
        }
        geometry.AllocateMaterials(1, true);
        // The engine reads through the mount table: the temporary directory is mounted for the run.
        const std::string directory = std::filesystem::temp_directory_path().string();
        auto* mount = new nIOCFile(nString(directory.c_str()));
        mount->AddRef();
        nPlatform::Get().GetIOSystem().Mount(mount);
        const std::string name = "kestrun_geometry_bench.nml";
        if (!geometry.Save(name.c_str()))
            std::fprintf(stderr, "could not write %s\n", name.c_str());
        return name;
    }();
    return path;
}

int64_t FileSize(const std::string& name)
{
    return int64_t(std::filesystem::file_size(std::filesystem::temp_directory_path() / name));
}

void MetaFileLoad(benchmark::State& state)
{
    Quenvar engine;
    const std::string& path = GeometryPath(engine);
    for (auto _ : state)
    {
        nMetaFile file;
        benchmark::DoNotOptimize(file.Load(path.c_str()));
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

void GeometryLoad(benchmark::State& state)
{
    Quenvar engine;
    const std::string& path = GeometryPath(engine);
    for (auto _ : state)
    {
        nSharedPtr<nGeometry> geometry(new nGeometry(&engine));
        benchmark::DoNotOptimize(geometry->Load(path.c_str()));
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
    state.SetItemsProcessed(state.iterations() * 2 * GridWidth * GridHeight);
}

void GeometrySetup(benchmark::State& state)
{
    Quenvar engine;
    const std::string& path = GeometryPath(engine);
    for (auto _ : state)
    {
        state.PauseTiming();
        nSharedPtr<nGeometry> geometry(new nGeometry(&engine));
        geometry->Load(path.c_str());
        state.ResumeTiming();
        geometry->Setup();
        state.PauseTiming();
        geometry = nullptr;
        state.ResumeTiming();
    }
}

void GeometryOptimize(benchmark::State& state)
{
    Quenvar engine;
    const std::string& path = GeometryPath(engine);
    for (auto _ : state)
    {
        state.PauseTiming();
        nSharedPtr<nGeometry> geometry(new nGeometry(&engine));
        geometry->Load(path.c_str());
        state.ResumeTiming();
        benchmark::DoNotOptimize(geometry->Optimize(16384));
        state.PauseTiming();
        geometry = nullptr;
        state.ResumeTiming();
    }
}
} // namespace

BENCHMARK(MetaFileLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(GeometryLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(GeometrySetup)->Unit(benchmark::kMillisecond);
BENCHMARK(GeometryOptimize)->Unit(benchmark::kMillisecond);
