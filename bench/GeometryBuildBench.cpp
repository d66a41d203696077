#include "core/base/nLog.h"
#include "geometry/nGeometry.h"
#include "geometry/nGeometryTemplate.h"
#include "geometry/nIsosurface.h"
#include "geometry/nMaterial.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

// Geometries built at run time: the isosurface of the script native (90 cells along each axis,
// eight overlapping balls), a template's weld where every corner is as far from the first one as
// any other, and the merge of two large meshes.
namespace
{
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

constexpr uint32_t NativeCells = 90;

struct Balls
{
    std::vector<nVector> centres;
    std::vector<float> radii;
    nVector min{1e7f, 1e7f, 1e7f};
    nVector max{-1e7f, -1e7f, -1e7f};
};

// Eight balls of radius 2 on the corners of a cube of side 2: each reaches past the others' centres.
Balls EightBalls()
{
    Balls balls;
    for (int i = 0; i < 8; ++i)
    {
        const nVector centre(i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f);
        balls.centres.push_back(centre);
        balls.radii.push_back(2.0f);
        balls.min = balls.min.Min(nVector(centre.x - 2, centre.y - 2, centre.z - 2));
        balls.max = balls.max.Max(nVector(centre.x + 2, centre.y + 2, centre.z + 2));
    }
    return balls;
}

nIsosurface NativeVolume(const Balls& balls)
{
    nIsosurface isosurface;
    isosurface.SetVolume(balls.min, balls.max, NativeCells, NativeCells, NativeCells);
    return isosurface;
}

void IsosurfaceOfEightBalls(benchmark::State& state)
{
    Quiet();
    const Balls balls = EightBalls();
    nGeometry geometry(nullptr);
    for (auto _ : state)
    {
        nIsosurface isosurface = NativeVolume(balls);
        isosurface.BuildGeometry(geometry, 8, balls.centres.data(), balls.radii.data());
        benchmark::DoNotOptimize(geometry.vertices.GetData());
    }
    state.counters["vertices"] = geometry.vertices.GetCount();
    state.counters["triangles"] = geometry.polygons.GetCount();
}
BENCHMARK(IsosurfaceOfEightBalls)->Unit(benchmark::kMillisecond);

// The same build with the weld done as a search of every vertex kept so far for an equal
// position, the way a table without an index does it.
void IsosurfaceOfEightBallsWithLinearWeld(benchmark::State& state)
{
    Quiet();
    const Balls balls = EightBalls();
    nGeometry geometry(nullptr);
    for (auto _ : state)
    {
        nIsosurface isosurface = NativeVolume(balls);
        isosurface.ComputeField(8, balls.centres.data(), balls.radii.data());
        std::vector<nVector> corners;
        isosurface.Polygonise(corners);
        std::vector<nVector> vertices;
        std::vector<uint32_t> indices;
        for (const nVector& corner : corners)
        {
            uint32_t found = 0;
            while (found < vertices.size() && (vertices[found].x != corner.x || vertices[found].y != corner.y ||
                                               vertices[found].z != corner.z))
                ++found;
            if (found == vertices.size())
                vertices.push_back(corner);
            indices.push_back(found);
        }
        geometry.Clear();
        geometry.vertices.Resize(uint32_t(vertices.size()));
        std::copy(vertices.begin(), vertices.end(), geometry.vertices.GetData());
        geometry.SetPolygonCount(uint32_t(indices.size() / 3));
        for (uint32_t p = 0; p < geometry.polygons.GetCount(); ++p)
            geometry.polygons.At(p)->bindingCount = 3;
        geometry.AllocateBindings();
        std::copy(indices.begin(), indices.end(), geometry.bindings.GetData());
        geometry.ComputeVertexNormals(true, -1.0f);
        benchmark::DoNotOptimize(geometry.vertices.GetData());
    }
    state.counters["vertices"] = geometry.vertices.GetCount();
}
BENCHMARK(IsosurfaceOfEightBallsWithLinearWeld)->Unit(benchmark::kMillisecond)->Iterations(1);

// A unit sphere of triangles round its first corner, so that every other corner is at the same
// distance from it: about 10^5 corners.
void FillSphere(nGeometryTemplate& shape, uint32_t rings, uint32_t segments)
{
    const auto point = [&](uint32_t ring, uint32_t segment) {
        const float theta = float(M_PI) * float(ring) / float(rings);
        const float phi = 2.0f * float(M_PI) * float(segment % segments) / float(segments);
        return nVector(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta));
    };
    shape.BeginPolygon();
    shape.PushVertex(nVector(0, 0, 0));
    shape.PushVertex(point(1, 0));
    shape.PushVertex(point(1, 1));
    shape.EndPolygon(0);
    for (uint32_t ring = 0; ring < rings; ++ring)
        for (uint32_t segment = 0; segment < segments; ++segment)
        {
            const nVector a = point(ring, segment), b = point(ring + 1, segment);
            const nVector c = point(ring + 1, segment + 1), d = point(ring, segment + 1);
            shape.BeginPolygon();
            shape.PushVertex(a);
            shape.PushVertex(b);
            shape.PushVertex(c);
            shape.EndPolygon(0);
            shape.BeginPolygon();
            shape.PushVertex(a);
            shape.PushVertex(c);
            shape.PushVertex(d);
            shape.EndPolygon(0);
        }
}

void InstantiateSphereOfCorners(benchmark::State& state)
{
    Quiet();
    nGeometryTemplate shape;
    nSharedPtr<nMaterial> material = new nMaterial(nullptr);
    shape.PushMaterial(material.Get());
    FillSphere(shape, 130, 128); // 2 x 130 x 128 triangles: 99,843 corners
    uint32_t vertices = 0;
    for (auto _ : state)
    {
        nSharedPtr<nGeometry> geometry = shape.Instantiate(nullptr, "sphere");
        vertices = geometry->vertices.GetCount();
    }
    state.counters["corners"] = double(shape.GetPolygonCount() * 3);
    state.counters["vertices"] = vertices;
}
BENCHMARK(InstantiateSphereOfCorners)->Unit(benchmark::kMillisecond);

// A grid of 10^5 triangles with vertex normals and one UV set.
nGeometry* TriangleGrid(uint32_t width, uint32_t height)
{
    auto* geometry = new nGeometry(nullptr);
    const uint32_t columns = width + 1;
    geometry->vertices.Resize(columns * (height + 1));
    for (uint32_t y = 0; y <= height; ++y)
        for (uint32_t x = 0; x < columns; ++x)
            *geometry->vertices.At(y * columns + x) = nVector(float(x), float(y), float((x * 7 + y * 3) % 5));
    geometry->SetPolygonCount(2 * width * height);
    for (uint32_t p = 0; p < geometry->polygons.GetCount(); ++p)
        geometry->polygons.At(p)->bindingCount = 3;
    geometry->AllocateBindings();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t corner = y * columns + x;
            uint32_t* first = geometry->GetPolygonBindings(2 * (y * width + x));
            first[0] = corner, first[1] = corner + 1, first[2] = corner + columns + 1;
            uint32_t* second = geometry->GetPolygonBindings(2 * (y * width + x) + 1);
            second[0] = corner, second[1] = corner + columns + 1, second[2] = corner + columns;
        }
    geometry->uvSets[0].Resize(geometry->GetBindingTotal());
    geometry->AllocateMaterials(1, true);
    geometry->ComputeVertexNormals(true, -1.0f);
    return geometry;
}

void MergeTwoLargeGeometries(benchmark::State& state)
{
    Quiet();
    nSharedPtr<nGeometry> a = TriangleGrid(250, 200);
    nSharedPtr<nGeometry> b = TriangleGrid(250, 200);
    const nMatrix4 placeA = nMatrix4::FromTranslation(0, 0, 0);
    const nMatrix4 placeB = nMatrix4::Compose(nVector(300, 0, 0), nMatrix3::RotationZ(0.5f), nVector(2, 1, 1));
    for (auto _ : state)
    {
        nSharedPtr<nGeometry> merged = nGeometry::Merge(a.Get(), b.Get(), &placeA, &placeB);
        benchmark::DoNotOptimize(merged->vertices.GetData());
    }
    state.counters["triangles"] = double(a->polygons.GetCount() + b->polygons.GetCount());
}
BENCHMARK(MergeTwoLargeGeometries)->Unit(benchmark::kMillisecond);
} // namespace
