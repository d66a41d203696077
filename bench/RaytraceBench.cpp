// Ray trees and the raytracer's frame.
//   cmake --build build-bench --target RaytraceBench && build-bench/bench/RaytraceBench
// Intersect: one thread, 2^18 coherent rays (a 512 x 512 view of the mesh) or 2^18 random ones
// (random origins around the mesh towards random points in its box), against brute force over
// every triangle on a sample of the same random rays, whose answers the trees must repeat.
// Build: each tree over the mesh. Frame: a 640 x 480 frame with one shadowing light, on the
// calling thread alone and on every worker.
#include "core/base/nLog.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "geometry/nGeometryBIH.h"
#include "geometry/nGeometryKDTree.h"
#include "geometry/nMaterial.h"
#include "platform/nPlatform.h"
#include "raytracer/nRaytracer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace
{
constexpr uint32_t RayCount = 1u << 18;
constexpr float TwoPi = 6.2831853f;
// The mesh spans about 30 units, its triangles about 0.1 to 0.3: the KD-tree stops splitting
// boxes thinner than 0.1 unit, and the six triangles around a vertex never part below that.
constexpr float Scale = 10.0f;

class QuietLog : public nLog
{
public:
    void Output(const char*, uint8_t) override {}
};

void Quiet()
{
    static QuietLog log;
    nLogHolder::Set(&log);
}

// A bumpy torus of about the given number of triangles, around the origin in the xy plane.
nGeometry* MakeTorus(uint32_t triangles)
{
    const uint32_t side = uint32_t(std::sqrt(float(triangles) / 2.0f));
    auto* geometry = new nGeometry(nullptr);
    geometry->vertices.Resize(side * side);
    for (uint32_t i = 0; i < side; ++i)
        for (uint32_t j = 0; j < side; ++j)
        {
            const float u = TwoPi * float(i) / float(side);
            const float v = TwoPi * float(j) / float(side);
            const float tube = 0.4f + 0.03f * std::sin(7.0f * u) * std::cos(5.0f * v);
            *geometry->vertices.At(i * side + j) =
                nVector((1.0f + tube * std::cos(v)) * std::cos(u), (1.0f + tube * std::cos(v)) * std::sin(u),
                        tube * std::sin(v)) *
                Scale;
        }
    geometry->SetPolygonCount(side * side * 2);
    for (uint32_t p = 0; p < side * side * 2; ++p)
        geometry->polygons.At(p)->bindingCount = 3;
    geometry->AllocateBindings();
    for (uint32_t i = 0; i < side; ++i)
        for (uint32_t j = 0; j < side; ++j)
        {
            const uint32_t a = i * side + j;
            const uint32_t b = ((i + 1) % side) * side + j;
            const uint32_t c = ((i + 1) % side) * side + (j + 1) % side;
            const uint32_t d = i * side + (j + 1) % side;
            uint32_t* first = geometry->GetPolygonBindings((i * side + j) * 2);
            first[0] = a;
            first[1] = b;
            first[2] = c;
            uint32_t* second = geometry->GetPolygonBindings((i * side + j) * 2 + 1);
            second[0] = a;
            second[1] = c;
            second[2] = d;
        }
    geometry->AllocateMaterials(1, true);
    geometry->GetMaterial(0)->renderFlags = MaterialDoubleSided; // random rays start inside it too
    geometry->name = "torus";
    return geometry;
}

nGeometry& Torus(uint32_t triangles)
{
    static std::map<uint32_t, nSharedPtr<nGeometry>> meshes;
    nSharedPtr<nGeometry>& mesh = meshes[triangles];
    if (!mesh)
    {
        Quiet();
        mesh = MakeTorus(triangles);
    }
    return *mesh;
}

struct Ray
{
    nVector origin;
    nVector direction;
};

const std::vector<Ray>& Rays(bool coherent)
{
    static std::vector<Ray> rays[2];
    std::vector<Ray>& set = rays[coherent ? 1 : 0];
    if (!set.empty())
        return set;
    std::mt19937 random(9);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (uint32_t i = 0; i < RayCount; ++i)
    {
        if (coherent)
        {
            const float x = (float(i % 512) / 511.0f - 0.5f) * 0.9f;
            const float y = (float(i / 512) / 511.0f - 0.5f) * 0.9f;
            set.push_back({nVector(0.0f, -1.0f, -3.0f) * Scale, nVector(x, y + 0.3f, 1.0f).Normalized()});
        }
        else
        {
            const nVector origin =
                nVector(unit(random), unit(random), unit(random)).Normalized() * (3.0f * Scale);
            const nVector target =
                nVector(unit(random) * 1.4f, unit(random) * 1.4f, unit(random) * 0.45f) * Scale;
            set.push_back({origin, (target - origin).Normalized()});
        }
    }
    return set;
}

std::unique_ptr<nGeometryTree> BuildTree(nGeometry& mesh, bool kd)
{
    std::unique_ptr<nGeometryTree> tree(kd ? static_cast<nGeometryTree*>(new nGeometryKDTree())
                                           : static_cast<nGeometryTree*>(new nGeometryBIH()));
    tree->Build(&mesh);
    return tree;
}

const nGeometryTree& Tree(uint32_t triangles, bool kd)
{
    static std::map<std::pair<uint32_t, bool>, std::unique_ptr<nGeometryTree>> trees;
    std::unique_ptr<nGeometryTree>& tree = trees[{triangles, kd}];
    if (!tree)
        tree = BuildTree(Torus(triangles), kd);
    return *tree;
}

// Args: triangles, kind (0 BIH, 1 KD-tree), coherent.
void BM_TreeIntersect(benchmark::State& state)
{
    const nGeometryTree& tree = Tree(uint32_t(state.range(0)), state.range(1) != 0);
    const std::vector<Ray>& rays = Rays(state.range(2) != 0);
    uint64_t hits = 0;
    uint64_t tested = 0;
    for (auto _ : state)
        for (const Ray& ray : rays)
        {
            nGeometryHit hit;
            tree.Intersect(hit, ray.origin, ray.direction, -1.0f);
            hits += hit.hit;
            tested += hit.tested;
        }
    state.counters["tested/ray"] = double(tested) / (double(state.iterations()) * double(rays.size()));
    if (const auto* bih = dynamic_cast<const nGeometryBIH*>(&tree))
    {
        // Outside the timing: how many nodes a walk visits.
        uint64_t steps = 0;
        for (const Ray& ray : rays)
        {
            nBIHState walk;
            nGeometryHit hit;
            bih->GetHierarchy().IntersectRay(walk, hit, ray.origin, ray.direction, -1.0f);
            steps += walk.steps;
        }
        state.counters["nodes/ray"] = double(steps) / double(rays.size());
    }
    state.counters["rays/s"] =
        benchmark::Counter(double(state.iterations()) * double(rays.size()), benchmark::Counter::kIsRate);
    state.counters["hit%"] = 100.0 * double(hits) / (double(state.iterations()) * double(rays.size()));
}
BENCHMARK(BM_TreeIntersect)
    ->ArgsProduct({{100000, 1000000}, {0, 1}, {1, 0}})
    ->ArgNames({"triangles", "kd", "coherent"})
    ->Unit(benchmark::kMillisecond);

// The nearest hit over every triangle, in the tree's own test; the trees must answer the same.
void BM_BruteForce(benchmark::State& state)
{
    nGeometry& mesh = Torus(uint32_t(state.range(0)));
    const std::vector<Ray>& rays = Rays(false);
    const uint32_t sample = 64;
    const nGeometryTree& bih = Tree(uint32_t(state.range(0)), false);
    const nGeometryTree& kd = Tree(uint32_t(state.range(0)), true);
    uint64_t traced = 0;
    uint64_t mismatches = 0;
    for (auto _ : state)
        for (uint32_t r = 0; r < sample; ++r, ++traced)
        {
            const Ray& ray = rays[(traced * 4099) % rays.size()];
            float best = INFINITY;
            uint32_t bestPolygon = UINT32_MAX;
            for (uint32_t p = 0; p < mesh.polygons.GetCount(); ++p)
            {
                const uint32_t* c = mesh.GetPolygonBindings(p);
                const nVector& p0 = *mesh.vertices.At(c[0]);
                const nVector e1 = *mesh.vertices.At(c[1]) - p0;
                const nVector e2 = *mesh.vertices.At(c[2]) - p0;
                const nVector pv = ray.direction.Cross(e2);
                const float det = e1.Dot(pv);
                if (std::fabs(det) < 1e-12f)
                    continue;
                const nVector s = ray.origin - p0;
                const float u = s.Dot(pv) / det;
                const nVector q = s.Cross(e1);
                const float v = ray.direction.Dot(q) / det;
                const float t = e2.Dot(q) / det;
                if (u >= -1e-6f && v >= -1e-6f && u + v <= 1.0f + 1e-6f && t >= 0.0f && t < best)
                {
                    best = t;
                    bestPolygon = p;
                }
            }
            for (const nGeometryTree* tree : {&bih, &kd})
            {
                nGeometryHit hit;
                tree->Intersect(hit, ray.origin, ray.direction, -1.0f);
                const bool agree = hit.hit ? std::fabs(hit.distance - best) <= 1e-4f * std::max(1.0f, best)
                                           : bestPolygon == UINT32_MAX;
                mismatches += agree ? 0 : 1;
            }
        }
    state.counters["rays/s"] = benchmark::Counter(double(traced), benchmark::Counter::kIsRate);
    state.counters["mismatches"] = double(mismatches); // of 2 x the rays: every tree answer is checked
}
BENCHMARK(BM_BruteForce)->Arg(100000)->ArgName("triangles")->Unit(benchmark::kMillisecond);

// Args: triangles, kind.
void BM_TreeBuild(benchmark::State& state)
{
    nGeometry& mesh = Torus(uint32_t(state.range(0)));
    uint32_t nodes = 0;
    for (auto _ : state)
    {
        std::unique_ptr<nGeometryTree> tree = BuildTree(mesh, state.range(1) != 0);
        if (const auto* kd = dynamic_cast<const nGeometryKDTree*>(tree.get()))
            nodes = kd->GetNodeCount();
        else
            nodes = static_cast<const nGeometryBIH&>(*tree).GetHierarchy().GetNodeCount();
    }
    state.counters["nodes"] = nodes;
}
BENCHMARK(BM_TreeBuild)
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->ArgNames({"triangles", "kd"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// A 640 x 480 frame of the torus over a floor under a shadowing parallel light; arg 0 traces
// on the calling thread alone, 1 on every worker. Besides the rays a second, the processor time
// of the whole process a frame: equal in both runs when the workers do not slow each other down,
// so that what scaling lacks on a busy machine shows as cores the others took ("busy cores").
void BM_Frame(benchmark::State& state)
{
    Quiet();
    nScene* scene = new nScene(nullptr, nullptr);
    scene->AddRef();
    nMCamera* camera = scene->NewCamera("Camera");
    camera->GetCamera().SetPosition(nVector(0.0f, -1.0f, -4.0f) * Scale);
    camera->GetCamera().SetRotation(nVector(-0.3f, 0.0f, 0.0f));
    scene->SetCurrentCamera(camera->GetItem());
    scene->NewObject("Torus", &Torus(100000));
    auto* floor = new nGeometry(nullptr);
    floor->vertices.Resize(4);
    *floor->vertices.At(0) = nVector(-20, -20, 1) * Scale;
    *floor->vertices.At(1) = nVector(-20, 20, 1) * Scale;
    *floor->vertices.At(2) = nVector(20, 20, 1) * Scale;
    *floor->vertices.At(3) = nVector(20, -20, 1) * Scale;
    floor->SetPolygonCount(1);
    floor->polygons.At(0)->bindingCount = 4;
    floor->AllocateBindings();
    for (uint32_t c = 0; c < 4; ++c)
        floor->GetPolygonBindings(0)[c] = c;
    floor->AllocateMaterials(1, true);
    scene->NewObject("Floor", floor);
    nMLight* light = scene->NewLight("Sun", LightTypeParallel, 0.5f);
    light->GetLight().SetShadowMode(LightShadowMap);
    light->GetLight().SetRotation(nVector(0.4f, 0.3f, 0.0f));

    nRaytracer raytracer(nullptr);
    nRaytracerSettings settings;
    if (state.range(0) == 0)
        settings.jobWorkerMask = int32_t(0x40000000); // no worker has it: the caller runs every tile
    raytracer.SetSettings(settings);
    raytracer.SetScene(scene);
    uint64_t rays = 0;
    double seconds = 0.0;
    double cpuSeconds = 0.0;
    for (auto _ : state)
    {
        nPicture picture;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        raytracer.Trace(picture, 640, 480);
        cpuSeconds += ProcessCpuSeconds() - cpuStart;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rays += raytracer.GetRayCount();
    }
    state.counters["Ray/s"] = double(rays) / seconds;
    state.counters["cpu-ms/frame"] = 1000.0 * cpuSeconds / double(state.iterations());
    state.counters["busy cores"] = cpuSeconds / seconds;
    state.counters["workers"] =
        state.range(0) ? double(nPlatform::Get().GetJobQueue().GetWorkerCount()) : 1.0;
    raytracer.ClearScene();
    scene->Release();
}
BENCHMARK(BM_Frame)->Arg(0)->Arg(1)->ArgName("allWorkers")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
