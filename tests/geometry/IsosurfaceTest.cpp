#include "geometry/nIsosurface.h"

#include "GeometryTestSupport.h"
#include "geometry/nMarchingCubes.h"

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <thread>
#include <tuple>
#include <utility>

namespace
{
// How often each directed edge of the triangles is used, and the pieces the triangles form.
struct MeshShape
{
    std::map<std::pair<uint32_t, uint32_t>, int> edgeUses;
    uint32_t pieces = 0;

    // Every edge runs once each way: each has exactly two triangles, on a closed surface turned
    // the same way throughout.
    bool IsClosed() const
    {
        for (const auto& [edge, uses] : edgeUses)
            if (uses != 1 || !edgeUses.count({edge.second, edge.first}))
                return false;
        return !edgeUses.empty();
    }
};

// V - E + F: 2 for each closed piece without a handle, 2 less for each handle.
int EulerCharacteristic(const nGeometry& geometry, const MeshShape& shape)
{
    return int(geometry.vertices.GetCount()) - int(shape.edgeUses.size() / 2) +
           int(geometry.polygons.GetCount());
}

// The area of the triangles and the volume they enclose (the divergence theorem over the triangles).
std::pair<double, double> AreaAndVolume(const nGeometry& geometry)
{
    double area = 0.0, volume = 0.0;
    for (uint32_t p = 0; p < geometry.polygons.GetCount(); ++p)
    {
        const uint32_t* corners = geometry.GetPolygonBindings(p);
        const nVector& a = *geometry.vertices.At(corners[0]);
        const nVector& b = *geometry.vertices.At(corners[1]);
        const nVector& c = *geometry.vertices.At(corners[2]);
        const nVector cross = (b - a).Cross(c - a);
        area += 0.5 * cross.Length();
        volume += a.Dot(b.Cross(c)) / 6.0;
    }
    return {area, volume};
}

MeshShape ShapeOf(const nGeometry& geometry)
{
    MeshShape shape;
    std::vector<uint32_t> parent(geometry.vertices.GetCount());
    for (uint32_t i = 0; i < parent.size(); ++i)
        parent[i] = i;
    const auto root = [&parent](uint32_t v)
    {
        while (parent[v] != v)
            v = parent[v] = parent[parent[v]];
        return v;
    };
    for (uint32_t p = 0; p < geometry.polygons.GetCount(); ++p)
    {
        const uint32_t* corners = geometry.GetPolygonBindings(p);
        for (uint32_t c = 0; c < 3; ++c)
        {
            const uint32_t a = corners[c], b = corners[(c + 1) % 3];
            ++shape.edgeUses[{a, b}];
            parent[root(a)] = root(b);
        }
    }
    std::set<uint32_t> roots;
    for (uint32_t v = 0; v < parent.size(); ++v)
        roots.insert(root(v));
    shape.pieces = uint32_t(roots.size());
    return shape;
}

bool SamePositions(const nGeometry& a, const nGeometry& b)
{
    if (a.vertices.GetCount() != b.vertices.GetCount() || a.bindings.GetCount() != b.bindings.GetCount())
        return false;
    for (uint32_t i = 0; i < a.vertices.GetCount(); ++i)
        if (std::memcmp(a.vertices.At(i), b.vertices.At(i), sizeof(nVector)) != 0)
            return false;
    return std::memcmp(a.bindings.GetData(), b.bindings.GetData(), a.bindings.GetSize()) == 0;
}

class IsosurfaceTest : public testing::Test
{
protected:
    bool Build(nGeometry& geometry, const std::vector<nVector>& centres, const std::vector<float>& radii)
    {
        return isosurface.BuildGeometry(geometry, uint32_t(centres.size()), centres.data(), radii.data());
    }

    NmlLogCapture log;
    StubEngineServices engine;
    nIsosurface isosurface;
};
} // namespace

TEST(MarchingCubesTables, EveryCaseCutsExactlyTheEdgesBetweenCornersOnEitherSide)
{
    using namespace nMarchingCubes;
    const Tables& tables = GetTables();
    // The edge table is the published one: a few of its entries.
    EXPECT_EQ(tables.edges[0], 0);
    EXPECT_EQ(tables.edges[1], 0x109);
    EXPECT_EQ(tables.edges[2], 0x203);
    EXPECT_EQ(tables.edges[3], 0x30a);
    EXPECT_EQ(tables.edges[0x80], 0x8c0);
    EXPECT_EQ(tables.edges[255], 0);
    for (uint32_t index = 0; index < CaseCount; ++index)
    {
        uint16_t expected = 0;
        for (uint32_t e = 0; e < 12; ++e)
            if (((index >> EdgeCorners[e][0]) & 1) != ((index >> EdgeCorners[e][1]) & 1))
                expected |= uint16_t(1u << e);
        EXPECT_EQ(tables.edges[index], expected) << index;
        uint16_t used = 0;
        int count = 0;
        while (count < int(TriangleTableWidth) && tables.triangles[index][count] >= 0)
            used |= uint16_t(1u << tables.triangles[index][count++]);
        EXPECT_EQ(count % 3, 0) << index;
        EXPECT_LE(count, 15) << index;
        EXPECT_EQ(used, expected) << index;
        EXPECT_EQ(tables.triangles[index][TriangleTableWidth - 1], -1) << index;
    }
}

TEST_F(IsosurfaceTest, OneBallAtTheCentreOfAnEightCellGridIsAClosedOctahedron)
{
    nGeometry geometry(&engine);
    ASSERT_TRUE(isosurface.SetVolume(nVector(-4, -4, -4), nVector(4, 4, 4), 8, 8, 8));
    ASSERT_TRUE(Build(geometry, {nVector(0, 0, 0)}, {2.0f}));
    EXPECT_EQ(geometry.polygons.GetCount(), 8u);
    EXPECT_EQ(geometry.vertices.GetCount(), 6u);
    EXPECT_EQ(isosurface.GetIndexCount(), 24u);
    const MeshShape shape = ShapeOf(geometry);
    EXPECT_TRUE(shape.IsClosed());
    EXPECT_EQ(shape.pieces, 1u);
    // The surface lies where (1 - d^2 / 4)^2 falls to 0.99 along each grid edge from the centre,
    // and every corner's normal points away from it.
    const float crossing = (1.0f - 0.99f) / (1.0f - 0.5625f);
    for (uint32_t v = 0; v < 6; ++v)
        EXPECT_NEAR(geometry.vertices.At(v)->Length(), crossing, 1e-5f);
    ASSERT_EQ(geometry.vertexNormals.GetCount(), 24u);
    for (uint32_t b = 0; b < 24; ++b)
    {
        const nVector& normal = *geometry.vertexNormals.At(b);
        EXPECT_NEAR(normal.Length(), 1.0f, 1e-5f);
        EXPECT_GT(normal.Dot(*geometry.vertices.At(*geometry.bindings.At(b))), 0.0f);
    }
    ExpectVector(geometry.box.min, -crossing, -crossing, -crossing);
    ExpectVector(geometry.box.max, crossing, crossing, crossing);
}

TEST_F(IsosurfaceTest, BallsThreeRadiiApartGiveTwoClosedPieces)
{
    nGeometry geometry(&engine);
    ASSERT_TRUE(isosurface.SetVolume(nVector(-3, -3, -3), nVector(9, 3, 3), 60, 30, 30));
    ASSERT_TRUE(Build(geometry, {nVector(0, 0, 0), nVector(6, 0, 0)}, {2.0f, 2.0f}));
    const MeshShape shape = ShapeOf(geometry);
    EXPECT_TRUE(shape.IsClosed());
    EXPECT_EQ(shape.pieces, 2u);
}

TEST_F(IsosurfaceTest, AnyFieldInsideTheVolumeGivesAClosedManifoldMesh)
{
    // Random unions of balls meet in every ambiguous face configuration: each face is cut the same
    // way from both of its cells and no cell draws a diagonal in a face, so every edge of the
    // welded mesh has exactly two triangles, turned the same way, and each piece is a closed
    // surface (V - E + F is 2 for each piece, less 2 for each handle a ring of balls makes).
    std::mt19937 random(7);
    std::uniform_real_distribution<float> position(-2.5f, 2.5f), radius(0.6f, 1.6f);
    for (int round = 0; round < 120; ++round)
    {
        std::vector<nVector> centres;
        std::vector<float> radii;
        for (int i = 0; i < 12; ++i)
        {
            centres.push_back(nVector(position(random), position(random), position(random)));
            radii.push_back(radius(random));
        }
        nGeometry geometry(&engine);
        ASSERT_TRUE(isosurface.SetVolume(nVector(-5, -5, -5), nVector(5, 5, 5), 13, 13, 13));
        isosurface.SetIsoLevel(0.3f);
        ASSERT_TRUE(Build(geometry, centres, radii));
        const MeshShape shape = ShapeOf(geometry);
        ASSERT_TRUE(shape.IsClosed()) << round;
        const int euler = EulerCharacteristic(geometry, shape);
        EXPECT_EQ(euler % 2, 0) << round;
        EXPECT_LE(euler, 2 * int(shape.pieces)) << round;
    }
}

// One ball of radius 2 at level 0.25: the surface is the sphere where (1 - d^2 / 4)^2 = 0.25,
// of radius sqrt(2), one piece without a handle whose area and volume are the sphere's.
TEST_F(IsosurfaceTest, OneBallGivesASphereOfItsAreaAndVolume)
{
    nGeometry geometry(&engine);
    ASSERT_TRUE(isosurface.SetVolume(nVector(-3, -3, -3), nVector(3, 3, 3), 48, 48, 48));
    isosurface.SetIsoLevel(0.25f);
    ASSERT_TRUE(Build(geometry, {nVector(0.1f, -0.2f, 0.05f)}, {2.0f}));
    const MeshShape shape = ShapeOf(geometry);
    ASSERT_TRUE(shape.IsClosed());
    EXPECT_EQ(shape.pieces, 1u);
    EXPECT_EQ(EulerCharacteristic(geometry, shape), 2);
    const double pi = 3.14159265358979;
    const double r = std::sqrt(2.0);
    const auto [area, volume] = AreaAndVolume(geometry);
    EXPECT_NEAR(area, 4.0 * pi * r * r, 0.02 * 4.0 * pi * r * r);
    EXPECT_NEAR(volume, 4.0 / 3.0 * pi * r * r * r, 0.02 * 4.0 / 3.0 * pi * r * r * r);
}

TEST_F(IsosurfaceTest, BallsOutsideTheVolumeOrWithoutARadiusLeaveTheGeometryEmpty)
{
    const std::vector<std::pair<nVector, float>> cases = {
        {nVector(20, 0, 0), 2.0f},  {nVector(0, 0, 0), 0.0f}, {nVector(0, 0, 0), -2.0f},
        {nVector(NAN, 0, 0), 2.0f}, {nVector(0, 0, 0), NAN},  {nVector(0, 0, 0), INFINITY}};
    for (const auto& [centre, radius] : cases)
    {
        nGeometry geometry(&engine);
        BuildQuadGrid(geometry, 1, 1);
        ASSERT_TRUE(isosurface.SetVolume(nVector(-4, -4, -4), nVector(4, 4, 4), 8, 8, 8));
        EXPECT_FALSE(Build(geometry, {centre}, {radius})) << centre.x << " " << radius;
        EXPECT_EQ(geometry.vertices.GetCount(), 0u);
        EXPECT_EQ(geometry.polygons.GetCount(), 0u);
        EXPECT_TRUE(isosurface.GetActiveCells().empty());
    }
}

TEST_F(IsosurfaceTest, VolumesWithoutCellsAreRefused)
{
    for (const auto& [low, high, count] :
         std::vector<std::tuple<nVector, nVector, uint32_t>>{{nVector(0, 0, 0), nVector(1, 1, 1), 1},
                                                             {nVector(1, 0, 0), nVector(1, 1, 1), 8},
                                                             {nVector(2, 0, 0), nVector(1, 1, 1), 8},
                                                             {nVector(NAN, 0, 0), nVector(1, 1, 1), 8},
                                                             {nVector(0, 0, 0), nVector(1, 1, 1), 100000}})
    {
        EXPECT_FALSE(isosurface.SetVolume(low, high, count, count, count));
        nGeometry geometry(&engine);
        EXPECT_FALSE(Build(geometry, {nVector(0.5f, 0.5f, 0.5f)}, {1.0f}));
    }
}

TEST_F(IsosurfaceTest, EachBuildHoldsOnlyItsOwnVertices)
{
    ASSERT_TRUE(isosurface.SetVolume(nVector(-8, -8, -8), nVector(8, 8, 8), 32, 32, 32));
    nGeometry first(&engine), second(&engine);
    ASSERT_TRUE(Build(first, {nVector(-4, 0, 0)}, {3.0f}));
    ASSERT_TRUE(Build(second, {nVector(4, 0, 0)}, {3.0f}));
    EXPECT_EQ(first.vertices.GetCount(), second.vertices.GetCount());
    for (uint32_t v = 0; v < second.vertices.GetCount(); ++v)
        EXPECT_GT(second.vertices.At(v)->x, 3.0f);
    EXPECT_TRUE(ShapeOf(second).IsClosed());
}

TEST_F(IsosurfaceTest, BuildsOnFourThreadsEqualTheSameBuildsOneAfterTheOther)
{
    const std::vector<nVector> centres[4] = {{nVector(0, 0, 0)},
                                             {nVector(1, 0, 0), nVector(-1, 0.5f, 0)},
                                             {nVector(0, 1, 1), nVector(0, -1, -1), nVector(1, 1, -1)},
                                             {nVector(2, 2, 2)}};
    const std::vector<float> radii[4] = {{3.0f}, {2.0f, 2.5f}, {1.5f, 2.0f, 1.0f}, {4.0f}};
    const auto build = [&](int i, nGeometry& geometry)
    {
        nIsosurface own;
        own.SetVolume(nVector(-6, -6, -6), nVector(6, 6, 6), 40, 40, 40);
        own.BuildGeometry(geometry, uint32_t(centres[i].size()), centres[i].data(), radii[i].data());
    };
    std::vector<std::unique_ptr<nGeometry>> serial, parallel;
    for (int i = 0; i < 4; ++i)
    {
        serial.push_back(std::make_unique<nGeometry>(nullptr));
        parallel.push_back(std::make_unique<nGeometry>(nullptr));
        build(i, *serial.back());
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back(build, i, std::ref(*parallel[i]));
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_GT(serial[i]->vertices.GetCount(), 0u);
        EXPECT_TRUE(SamePositions(*serial[i], *parallel[i])) << i;
    }
}

TEST_F(IsosurfaceTest, NinetyCellsRoundABallGiveTheIsoLevelRadius)
{
    // The script native's volume: the ball's box at 90 cells; at level 0.99 the surface lies at
    // 0.0707 of the radius.
    nGeometry geometry(&engine);
    ASSERT_TRUE(isosurface.SetVolume(nVector(1, -2, -2), nVector(5, 2, 2), 90, 90, 90));
    ASSERT_TRUE(Build(geometry, {nVector(3, 0, 0)}, {2.0f}));
    EXPECT_TRUE(ShapeOf(geometry).IsClosed());
    ExpectVector(geometry.box.min, 2.859f, -0.141f, -0.141f, 0.05f);
    ExpectVector(geometry.box.max, 3.141f, 0.141f, 0.141f, 0.05f);
}
