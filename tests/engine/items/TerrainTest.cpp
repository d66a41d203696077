#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/picture/nPicture.h"
#include "engine/Quenvar.h"
#include "engine/items/BlockFixture.h"
#include "engine/items/nCamera.h"
#include "engine/items/nTerrain.h"
#include "geometry/nGeometry.h"
#include "support/CapturedLog.h"
#include "support/RecordingRenderer.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{
using QuadNode = nTerrain::QuadNode;

std::string RawHeights(const std::vector<float>& values)
{
    std::string bytes(values.size() * 4, '\0');
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

// The strides of the nodes level by level, first the root's.
std::vector<std::set<int32_t>> StridesByLevel(const QuadNode* root)
{
    std::vector<std::set<int32_t>> levels;
    std::vector<const QuadNode*> current = {root};
    while (!current.empty())
    {
        std::vector<const QuadNode*> next;
        levels.emplace_back();
        for (const QuadNode* node : current)
        {
            levels.back().insert(node->stride);
            for (const auto& child : node->children)
                if (child)
                    next.push_back(child.get());
        }
        current = next;
    }
    return levels;
}

class Terrain : public ::testing::Test
{
protected:
    // A flat grid of size cells of one world unit each.
    void MakeFlat(int32_t size)
    {
        ASSERT_TRUE(terrain.AllocateHeightmap(size, size, 1.0f));
        terrain.ComputeNormals();
        terrain.BuildQuadtree();
    }

    std::vector<const QuadNode*> Drawn(nCamera* camera)
    {
        nAutoList<nRenderablePrimitive*> list;
        terrain.Render(camera, nullptr, &list, 0, true);
        std::vector<const QuadNode*> nodes;
        for (auto* node = list.GetHead(); node; node = node->next)
        {
            EXPECT_EQ(node->value->kind, uint32_t(nRenderablePrimitive::KindTerrainNode));
            EXPECT_EQ(node->value->item, static_cast<nItem*>(&terrain));
            nodes.push_back(static_cast<const QuadNode*>(static_cast<nTerrainPatch*>(node->value->payload)));
        }
        return nodes;
    }

    TemporaryFiles files;
    CapturedLog log;
    Quenvar engine;
    nTerrain terrain{&engine};
};

TEST_F(Terrain, TheTreeHasALevelPerHalvingOfTheRootStride)
{
    struct Case
    {
        int32_t size;
        std::vector<std::set<int32_t>> strides;
    };
    const Case cases[] = {
        {64, {{1}}},
        {256, {{4}, {2}, {1}}},
        {32, {{1}}}, // w / 64 is 0, yet a small grid draws too
        {100, {{1}}},
    };
    for (const Case& test : cases)
    {
        MakeFlat(test.size);
        ASSERT_TRUE(terrain.GetRoot()) << test.size;
        EXPECT_EQ(StridesByLevel(terrain.GetRoot()), test.strides) << test.size;
    }
}

TEST_F(Terrain, HeightFilesOfTheWrongSizeLeaveTheHeightsAtZero)
{
    ASSERT_TRUE(terrain.AllocateHeightmap(2, 2, 1.0f));
    files.Write("good.raw", RawHeights({1, 2, 3, 4}));
    ASSERT_TRUE(terrain.LoadHeightFile("good.raw"));
    // Each row gets a copy of its last value, the last row a copy of the row before it.
    const float expected[9] = {1, 2, 2, 3, 4, 4, 3, 4, 4};
    for (int point = 0; point < 9; ++point)
        EXPECT_FLOAT_EQ(terrain.GetHeights()[point], expected[point]) << point;

    for (const std::string& bytes :
         {RawHeights({1, 2, 3}), RawHeights({1, 2, 3, 4, 5}), std::string(15, 'x'), std::string()})
    {
        ASSERT_TRUE(terrain.AllocateHeightmap(2, 2, 1.0f));
        files.Write("bad.raw", bytes);
        log.text.clear();
        EXPECT_FALSE(terrain.LoadHeightFile("bad.raw"));
        EXPECT_EQ(log.text, "[*] Corrupt heightmap data in bad.raw, incorrect data size.\n");
        for (uint32_t point = 0; point < terrain.GetPointCount(); ++point)
            EXPECT_EQ(terrain.GetHeights()[point], 0.0f);
    }
    log.text.clear();
    EXPECT_FALSE(terrain.LoadHeightFile("missing.raw"));
    EXPECT_EQ(log.text, "[*] Corrupt heightmap data in missing.raw, incorrect data size.\n");
}

TEST_F(Terrain, AbsurdGridsAndResolutionsAreRefused)
{
    const struct
    {
        int32_t width, height;
        float resolution;
        const char* line;
    } cases[] = {
        {0, 4, 1.0f, "[!] Failed to allocate terrain heightmap.\n"},
        {4, -1, 1.0f, "[!] Failed to allocate terrain heightmap.\n"},
        {8192, 8192, 1.0f, "[!] Failed to allocate terrain heightmap.\n"},
        {2147483647, 4, 1.0f, "[!] Failed to allocate terrain heightmap.\n"},
        {4, 4, 0.0f, "[!] Invalid terrain resolution 0.000, heightmap left out.\n"},
        {4, 4, -2.0f, "[!] Invalid terrain resolution -2.000, heightmap left out.\n"},
        {4, 4, std::nanf(""), "[!] Invalid terrain resolution nan, heightmap left out.\n"},
        {4, 4, 1.0e38f,
         "[!] Invalid terrain resolution 99999996802856924650656260769173209088.000, heightmap left out.\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " by " +
                     std::to_string(c.resolution));
        ASSERT_TRUE(terrain.AllocateHeightmap(2, 2, 1.0f)); // what a failure frees
        log.text.clear();
        EXPECT_FALSE(terrain.AllocateHeightmap(c.width, c.height, c.resolution));
        EXPECT_EQ(log.text, c.line);
        EXPECT_FALSE(terrain.HasHeightmap());
        EXPECT_EQ(terrain.GetHeight(0.0f, 0.0f), 0.0f);
        nVector hit;
        EXPECT_FALSE(terrain.IntersectRay(nVector(0, 10, 0), nVector(0, -1, 0), hit));
    }
}

// A scene names the grid and its height file: a file that does not fit the grid is refused before
// the grid is made, so a few bytes of scene cannot have a huge grid allocated for nothing.
TEST_F(Terrain, AHeightFileThatDoesNotFitItsGridIsRefusedBeforeTheGridIsMade)
{
    files.Write("small.raw", RawHeights({1, 2, 3, 4}));
    const struct
    {
        const char* size;
        const char* data;
        const char* line;
        bool made;
    } cases[] = {
        {"<Width=2><Height=2>", "small.raw", "", true},
        {"<Width=8191><Height=8191>", "small.raw",
         "[*] Corrupt heightmap data in small.raw, incorrect data size.\n", false},
        {"<Width=2><Height=2>", "gone.raw", "[*] Corrupt heightmap data in gone.raw, incorrect data size.\n",
         false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.size) + c.data);
        nMetaFile file;
        ASSERT_TRUE(terrain.AllocateHeightmap(2, 2, 1.0f)); // what a refusal frees
        log.text.clear();
        const std::string block =
            std::string("<Terrain=<Heightmap=") + c.size + "<Data=\"" + c.data + "\"><Resolution=1.0>>>";
        ASSERT_TRUE(terrain.ParseTag(file, *ParseBlock(file, block)));
        EXPECT_EQ(log.text, c.line);
        EXPECT_EQ(terrain.HasHeightmap(), c.made);
        if (c.made)
            EXPECT_FLOAT_EQ(terrain.GetPointHeight(1, 1), 4.0f);
    }
}

// A 2 x 2 grid of resolution 2 (world 4 x 4) whose heights rise by 1 per point along x.
TEST_F(Terrain, HeightsAreBilinearAndNormalsFollowTheSlope)
{
    ASSERT_TRUE(terrain.AllocateHeightmap(2, 2, 2.0f));
    files.Write("slope.raw", RawHeights({0, 1, 0, 1}));
    ASSERT_TRUE(terrain.LoadHeightFile("slope.raw"));
    terrain.SetPointHeight(2, 0, 2.0f);
    terrain.SetPointHeight(2, 1, 2.0f);
    terrain.SetPointHeight(2, 2, 2.0f);
    terrain.ComputeNormals();
    struct Case
    {
        float x, z, height;
    };
    const Case cases[] = {
        {-2.0f, 2.0f, 0.0f}, {-1.0f, 2.0f, 0.5f}, {0.0f, 0.0f, 1.0f},  {1.5f, -1.0f, 1.75f},
        {2.0f, -2.0f, 2.0f}, {2.5f, 0.0f, 0.0f},  {0.0f, -2.5f, 0.0f}, // outside: 0
    };
    for (const Case& test : cases)
        EXPECT_FLOAT_EQ(terrain.GetHeight(test.x, test.z), test.height) << test.x << ", " << test.z;
    // Rising 1 over 2 along x: the normal leans back along -x.
    const float inverseLength = 1.0f / std::sqrt(1.25f);
    for (int32_t column : {0, 2})
    {
        const nVector normal = terrain.GetNormal(column, 1);
        EXPECT_NEAR(normal.x, -0.5f * inverseLength, 0.01f) << column;
        EXPECT_NEAR(normal.y, inverseLength, 0.01f) << column;
        EXPECT_NEAR(normal.z, 0.0f, 0.01f) << column;
    }
    terrain.SetWorldSize(0.0f, 4.0f);
    EXPECT_EQ(terrain.GetHeight(0.0f, 0.0f), 0.0f);
}

TEST_F(Terrain, RaysFromAboveAndStraightDownHitTheSurface)
{
    ASSERT_TRUE(terrain.AllocateHeightmap(8, 8, 1.0f));
    for (int32_t row = 0; row <= 8; ++row)
        for (int32_t column = 0; column <= 8; ++column)
            terrain.SetPointHeight(column, row, 2.0f + float(column) * 0.25f);
    terrain.SetPosition(nVector(10, 0, 0));
    struct Case
    {
        nVector origin, direction;
    };
    const Case cases[] = {
        {nVector(8, 20, 0), nVector(0, -1, 0)},         {nVector(10.5f, 5, 1), nVector(0, -1, 0)},
        {nVector(4, 10, 3), nVector(1, -1, -0.5f)},     {nVector(16, 8, -3), nVector(-0.5f, -1, 0.25f)},
        {nVector(10, 3.1f, 0), nVector(0.001f, -1, 0)},
    };
    for (const Case& test : cases)
    {
        nVector hit;
        float u = -1.0f, v = -1.0f;
        ASSERT_TRUE(terrain.IntersectRay(test.origin, test.direction, hit, &u, &v)) << test.origin.x;
        EXPECT_NEAR(hit.y, 2.0f + (hit.x - 6.0f) * 0.25f, 1e-3f) << test.origin.x;
        EXPECT_NEAR(u, (hit.x - 6.0f) / 8.0f, 1e-4f);
        EXPECT_NEAR(v, (4.0f - hit.z) / 8.0f, 1e-4f);
    }
    nVector hit;
    EXPECT_FALSE(terrain.IntersectRay(nVector(10, 1, 0), nVector(0, -1, 0), hit));  // below the surface
    EXPECT_FALSE(terrain.IntersectRay(nVector(30, 10, 0), nVector(0, -1, 0), hit)); // beside the grid
    EXPECT_FALSE(terrain.IntersectRay(nVector(10, 10, 0), nVector(0, 1, 0), hit));  // away from it
    EXPECT_FALSE(terrain.IntersectRay(nVector(0, 10, 0), nVector(0, 0, 0), hit));
}

TEST_F(Terrain, NodesNearTheCameraGiveWayToTheirChildren)
{
    MakeFlat(256);
    nCamera camera(nullptr);
    camera.SetAspectRatio(1.0f);
    camera.SetFov(2.0f);
    const nVector centre(0, 0, 0);

    camera.SetPosition(nVector(0, 600, 0));
    camera.SetTarget(&centre);
    camera.ComputeViewFrustum();
    EXPECT_EQ(Drawn(&camera), std::vector<const QuadNode*>{terrain.GetRoot()});

    camera.SetPosition(nVector(-128, 10, 128)); // above the corner of column 0, row 0
    camera.ComputeViewFrustum();
    const std::vector<const QuadNode*> near = Drawn(&camera);
    ASSERT_EQ(near.size(), 7u);
    size_t fine = 0;
    for (const QuadNode* node : near)
    {
        const bool inCorner = node->column < 128 && node->row < 128;
        EXPECT_EQ(node->stride, inCorner ? 1 : 2) << node->column << ", " << node->row;
        EXPECT_EQ(node->columns, inCorner ? 64 : 128);
        fine += inCorner;
    }
    EXPECT_EQ(fine, 4u);

    camera.SetPosition(nVector(0, 10, 1000));
    camera.SetTarget(nullptr);
    camera.SetRotation(nVector(0, 0, 0)); // looking along +z, away from the terrain
    camera.ComputeViewFrustum();
    EXPECT_TRUE(Drawn(&camera).empty());
}

TEST_F(Terrain, ANodeFillsOnePageOfTheRenderersCache)
{
    constexpr uint32_t Size = nTerrainPatch::PageSize;
    std::vector<nTerrainPageVertex> page(Size * Size);
    struct Case
    {
        int32_t grid;
        int32_t step;
        float lastX; // page units of the last column
    };
    // A small node repeats its last point, a large one is sampled coarser, never past the page.
    for (const Case& test : {Case{32, 1, 32.0f}, Case{64, 1, 64.0f}, Case{100, 2, 50.0f}})
    {
        ASSERT_TRUE(terrain.AllocateHeightmap(test.grid, test.grid, 0.5f));
        for (int32_t row = 0; row <= test.grid; ++row)
            for (int32_t column = 0; column <= test.grid; ++column)
                terrain.SetPointHeight(column, row, float(column * 1000 + row));
        terrain.ComputeNormals();
        terrain.BuildQuadtree();
        const QuadNode& root = *terrain.GetRoot();
        EXPECT_EQ(root.GetPageStep(), test.step) << test.grid;
        root.FillPatchPage(page.data());
        const nTerrainPageVertex& corner = page[Size * Size - 1];
        EXPECT_FLOAT_EQ(corner.x, test.lastX) << test.grid;
        EXPECT_FLOAT_EQ(corner.z, -test.lastX);
        EXPECT_FLOAT_EQ(corner.y, float(test.grid * 1000 + test.grid)) << test.grid;
        EXPECT_FLOAT_EQ(corner.u, 1.0f);
        const nTerrainPageVertex& second = page[Size + 1]; // point (step, step)
        EXPECT_FLOAT_EQ(second.y, float(test.step * 1000 + test.step));
        // The placement takes page units to the terrain's own space.
        nMatrix4 placement;
        root.GetPatchPlacement(placement);
        const nVector placed = nVector(second.x, second.y, second.z).MulMatrix4(placement);
        EXPECT_FLOAT_EQ(placed.x, float(test.step) * 0.5f - terrain.GetWorldWidth() * 0.5f);
        EXPECT_FLOAT_EQ(placed.z, terrain.GetWorldDepth() * 0.5f - float(test.step) * 0.5f);
    }
    const nTerrainPatchKey key = terrain.GetRoot()->GetPatchKey();
    terrain.SetPointHeight(0, 0, 5.0f);
    EXPECT_FALSE(terrain.GetRoot()->GetPatchKey() == key); // a changed height names a new page
}

TEST_F(Terrain, APatchIsOneGeometrySetUpOnTheRenderer)
{
    RecordingRenderer renderer(&engine);
    engine.SetRenderer(&renderer);
    MakeFlat(256);
    QuadNode& child = *terrain.GetRoot()->children[3];
    nGeometry* patch = terrain.BuildPatch(child);
    ASSERT_TRUE(patch);
    EXPECT_EQ(renderer.CountCalls("SetupGeometry"), 1u);
    EXPECT_EQ(renderer.setUpGeometries.back(), patch);
    EXPECT_EQ(patch->vertices.GetCount(), 65u * 65u); // 128 cells every 2 points
    EXPECT_EQ(patch->polygons.GetCount(), 64u * 64u);
    EXPECT_FALSE(patch->vertices.At(0)->DiffersFrom(nVector(128, 0, -128)));
    EXPECT_EQ(child.patch.Get(), patch);
    engine.SetRenderer(nullptr);
}

TEST_F(Terrain, PictureHeightsAreSixteenTimesTheFirstComponent)
{
    nPicture picture;
    ASSERT_TRUE(picture.Allocate(2, 1, PixelFormatRGBA8));
    const uint32_t pixels[2] = {0xFF000000u, 0xFF0000FFu}; // first component 0, then 255
    std::memcpy(picture.GetPixelAddress(0, 0), pixels, 8);
    ASSERT_TRUE(terrain.AllocateHeightmap(4, 4, 1.0f));
    ASSERT_TRUE(terrain.LoadHeightPicture(picture, 0));
    EXPECT_NEAR(terrain.GetPointHeight(0, 2), 0.0f, 1e-4f);
    EXPECT_NEAR(terrain.GetPointHeight(4, 2), 16.0f, 1e-4f);
    terrain.Smooth(1);
    EXPECT_LT(terrain.GetPointHeight(3, 2), 16.0f);
    EXPECT_NEAR(terrain.GetPointHeight(4, 2), 16.0f, 1e-4f); // edges stay
}
} // namespace
