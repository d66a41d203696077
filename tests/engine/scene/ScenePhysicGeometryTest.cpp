#include "engine/items/nMObject.h"
#include "engine/scene/SceneFileFixture.h"
#include "geometry/GeometryTestSupport.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicRayHit.h"
#include "physics/nPhysicWorld.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// A static item whose only shape is a Mesh (or another kind) of the named geometry.
std::string MeshItem(const char* name, int uid, const char* geometry, const char* kind = "Mesh")
{
    return std::string("<MObject=<MItem=<Id=\"") + name + "\"><UId=" + std::to_string(uid) +
           "><Active><PhysicItem=<Mode=\"Static\"><Shapes=<PhysicShape=<Type=\"" + kind + "\"><Mesh=\"" + geometry +
           "\">>>>><Object=<Item>>>";
}

class ScenePhysicGeometry : public SceneFileFixture
{
protected:
    // A 20 x 20 floor at y = 0, written by the geometry writer.
    void WriteFloor(const char* path)
    {
        nGeometry floor(&engine);
        BuildGeometry(floor, {nVector(-10, 0, -10), nVector(10, 0, -10), nVector(10, 0, 10), nVector(-10, 0, 10)},
                      {{0, 1, 2}, {0, 2, 3}});
        ASSERT_TRUE(floor.Save(path));
    }

    nPhysicItem* PhysicItemOf(const char* name)
    {
        nMItem* item = scene->FindItem(name);
        return item ? item->GetPhysicItem() : nullptr;
    }
};
} // namespace

TEST_F(ScenePhysicGeometry, ConvexAndMeshShapesOfAFileGetTheirGeometryThroughTheEngine)
{
    WriteFloor("@scripts/floor.nml");
    ASSERT_TRUE(scene->CreatePhysicWorld());
    WriteFile("s.nms", "<NML=1.0>\n<Scene=<Items=" + MeshItem("Floor", 0, "@scripts/floor.nml") +
                           MeshItem("Gone", 1, "@scripts/gone.nml") +
                           MeshItem("Hull", 2, "@scripts/floor.nml", "Convex") + ">>\n");
    ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0)) << log;
    scene->Setup(false, 0);

    nPhysicItem* floor = PhysicItemOf("Floor");
    nPhysicItem* gone = PhysicItemOf("Gone");
    ASSERT_TRUE(floor && gone);
    EXPECT_EQ(floor->GetSimulatedMode(), PhysicModeStatic);
    EXPECT_EQ(PhysicItemOf("Hull")->GetSimulatedMode(), PhysicModeStatic);
    // A missing geometry is reported by the loader; its item runs without a body.
    EXPECT_EQ(CountLines("[!] Failed to open '@scripts/gone.nml'."), 1u) << log;
    EXPECT_EQ(gone->GetSimulatedMode(), PhysicModeNone);
    EXPECT_EQ(gone->GetMode(), PhysicModeStatic);

    nPhysicRayHit hit;
    ASSERT_TRUE(scene->GetPhysicWorld()->RayCast(nVector(1, 5, 1), nVector(0, -1, 0), hit, 0xFFFF, 0, 0.0f));
    EXPECT_TRUE(hit.item == floor || hit.item == PhysicItemOf("Hull"));
    EXPECT_NEAR(hit.position.y, 0.0f, 0.05f);
    // The physics geometry is the engine's, loaded once into the CPU list of its cache.
    EXPECT_EQ(engine.GetResourceCache()->GetGeometryList(true).GetCount(), 1u);
}
