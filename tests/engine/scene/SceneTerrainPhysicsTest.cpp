#include "engine/items/nMTerrain.h"
#include "engine/scene/SceneFileFixture.h"
#include "physics/nPhysicRayHit.h"
#include "physics/nPhysicWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// The plane 2 + 0.5 column - 0.25 row over a columns x rows height file. The terrain copies the
// last column and row, so every cell stays flat and the heightfield's triangles and the terrain's
// bilinear heights must agree everywhere on the grid.
float Sloped(float column, float row)
{
    return 2.0f + 0.5f * column - 0.25f * row;
}

std::string SlopedHeights(int columns, int rows)
{
    std::vector<float> heights;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            heights.push_back(Sloped(float(column), float(row)));
    std::string bytes(heights.size() * 4, '\0');
    std::memcpy(bytes.data(), heights.data(), bytes.size());
    return bytes;
}

std::string TerrainScene(int columns, int rows, const char* resolution)
{
    return "<NML=1.0>\n<Scene=<Items=<MTerrain=<MItem=<Id=\"Ground\"><UId=0><Active><PhysicItem="
           "<Mode=\"Static\"><Shapes=<PhysicShape=<Type=\"Heightmap\">>>>><Terrain=<Item=<Position="
           "<X=20.0><Y=1.0><Z=-5.0>>><Heightmap=<Width=" +
           std::to_string(columns) + "><Height=" + std::to_string(rows) +
           "><Data=\"@scripts/slope.raw\"><Resolution=" + resolution + ">>>>>>\n";
}

using SceneTerrainPhysics = SceneFileFixture;
} // namespace

// What the physics world reports of a terrain is what the terrain itself reports: the same
// heights at the same points over the same extent, whatever the size of its cells and grid.
TEST_F(SceneTerrainPhysics, RaysHitTheHeightfieldWhereTheTerrainHasItsHeights)
{
    struct Case
    {
        int columns, rows;
        const char* resolution;
        float cell;
    };
    const Case cases[] = {
        {6, 6, "1.0", 1.0f},   {6, 6, "2.0", 2.0f}, {6, 6, "0.5", 0.5f},    {8, 5, "1.5", 1.5f},
        {5, 9, "0.25", 0.25f}, {7, 4, "3.0", 3.0f}, {12, 3, "0.75", 0.75f},
    };
    // Shares of the terrain's width and depth, from its -x, +z corner (grid point 0, 0).
    const float shares[][2] = {{0.5f, 0.5f},   {0.03f, 0.04f}, {0.97f, 0.96f}, {0.21f, 0.66f},
                               {0.77f, 0.41f}, {0.995f, 0.2f}, {0.4f, 0.995f}};
    const nVector at(20, 1, -5);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.columns) + " x " + std::to_string(c.rows) + " by " + c.resolution);
        ASSERT_TRUE(scene->CreatePhysicWorld()); // and an empty scene
        WriteFile("slope.raw", SlopedHeights(c.columns, c.rows));
        WriteFile("s.nms", TerrainScene(c.columns, c.rows, c.resolution));
        ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0)) << log;
        scene->Setup(false, 0);
        ASSERT_EQ(scene->GetTerrains().GetCount(), 1u);
        nMTerrain* ground = scene->GetTerrains().GetHead()->value;
        const nTerrain& terrain = ground->GetTerrain();
        const float width = float(c.columns) * c.cell, depth = float(c.rows) * c.cell;
        ASSERT_FLOAT_EQ(width, terrain.GetWorldWidth());
        ASSERT_FLOAT_EQ(depth, terrain.GetWorldDepth());

        for (const auto& share : shares)
        {
            const float x = (share[0] - 0.5f) * width, z = (0.5f - share[1]) * depth;
            const float column = std::min(share[0] * float(c.columns), float(c.columns - 1));
            const float row = std::min(share[1] * float(c.rows), float(c.rows - 1));
            const float height = terrain.GetHeight(x, z);
            EXPECT_NEAR(Sloped(column, row), height, 1e-4f) << share[0] << ", " << share[1];
            nPhysicRayHit hit;
            const bool struck = scene->GetPhysicWorld()->RayCast(at + nVector(x, 40, z), nVector(0, -1, 0),
                                                                 hit, 0xFFFF, 0, 0.0f);
            EXPECT_TRUE(struck) << share[0] << ", " << share[1];
            if (!struck)
                continue;
            EXPECT_EQ(ground->GetPhysicItem(), hit.item);
            EXPECT_NEAR(at.y + height, hit.position.y, 1e-3f) << share[0] << ", " << share[1];
        }
        // The field ends where the terrain does, on every side.
        const float beyond = 0.05f * c.cell;
        const float outside[][2] = {{-width / 2 - beyond, 0},
                                    {width / 2 + beyond, 0},
                                    {0, depth / 2 + beyond},
                                    {0, -depth / 2 - beyond}};
        for (const auto& point : outside)
        {
            nPhysicRayHit hit;
            EXPECT_FALSE(scene->GetPhysicWorld()->RayCast(at + nVector(point[0], 40, point[1]),
                                                          nVector(0, -1, 0), hit, 0xFFFF, 0, 0.0f))
                << point[0] << ", " << point[1];
        }
    }
    EXPECT_EQ(log.find("[!]"), std::string::npos) << log;
}
