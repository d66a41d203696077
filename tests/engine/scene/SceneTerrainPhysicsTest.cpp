#include "engine/items/nMTerrain.h"
#include "engine/scene/SceneFileFixture.h"
#include "physics/nPhysicRayHit.h"
#include "physics/nPhysicWorld.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
// A 6 x 6 height file on the plane 2 + 0.5 column - 0.25 row; the terrain copies its last column
// and row, so the plane holds for x up to 2 and z down to -2 of the terrain.
std::string SlopedHeights()
{
    std::vector<float> heights;
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 6; ++column)
            heights.push_back(2.0f + 0.5f * float(column) - 0.25f * float(row));
    std::string bytes(heights.size() * 4, '\0');
    std::memcpy(bytes.data(), heights.data(), bytes.size());
    return bytes;
}

using SceneTerrainPhysics = SceneFileFixture;
} // namespace

// What the physics world reports of a terrain is what the terrain itself reports: the same
// heights at the same points, wherever the terrain item stands.
TEST_F(SceneTerrainPhysics, RaysHitTheHeightfieldWhereTheTerrainHasItsHeights)
{
    WriteFile("slope.raw", SlopedHeights());
    ASSERT_TRUE(scene->CreatePhysicWorld());
    WriteFile("s.nms",
              "<NML=1.0>\n<Scene=<Items=<MTerrain=<MItem=<Id=\"Ground\"><UId=0><Active><PhysicItem="
              "<Mode=\"Static\"><Shapes=<PhysicShape=<Type=\"Heightmap\">>>>><Terrain=<Item=<Position="
              "<X=20.0><Y=1.0><Z=-5.0>>><Heightmap=<Width=6><Height=6><Data=\"@scripts/slope.raw\">"
              "<Resolution=1.0>>>>>>\n");
    ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0)) << log;
    scene->Setup(false, 0);
    ASSERT_EQ(scene->GetTerrains().GetCount(), 1u);
    nMTerrain* ground = scene->GetTerrains().GetHead()->value;
    const nTerrain& terrain = ground->GetTerrain();

    const float points[][2] = {{0, 0}, {-2.6f, 2.9f}, {1.4f, -1.4f}, {-0.3f, 0.8f}, {-2.9f, -1.2f}};
    for (const auto& point : points)
    {
        const float height = terrain.GetHeight(point[0], point[1]);
        EXPECT_NEAR(2.0f + 0.5f * (point[0] + 3.0f) - 0.25f * (3.0f - point[1]), height, 1e-4f);
        nPhysicRayHit hit;
        ASSERT_TRUE(scene->GetPhysicWorld()->RayCast(nVector(20 + point[0], 40, -5 + point[1]),
                                                     nVector(0, -1, 0), hit, 0xFFFF, 0, 0.0f));
        EXPECT_EQ(ground->GetPhysicItem(), hit.item);
        EXPECT_NEAR(1.0f + height, hit.position.y, 1e-3f) << point[0] << ", " << point[1];
    }
    EXPECT_EQ(log.find("[!]"), std::string::npos) << log;
}
