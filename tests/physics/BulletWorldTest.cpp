#include "PhysicsTestSupport.h"

#include "core/nml/nMetaTag.h"
#include "physics/nBulletConvex.h"
#include "physics/nBulletMesh.h"
#include "physics/nPhysicContact.h"
#include "physics/nPhysicRayHit.h"

#include <limits>
#include <memory>

namespace
{
// A static 20 x 1 x 20 floor at y 0 and a 1 x 1 x 1 box of mass 1 dropped from y 5.
class DropFixture : public PhysicsWorldFixture
{
protected:
    DropFixture()
    {
        floorOwner.matrix = nMatrix4();
        floor = NewItem(PhysicModeStatic, &floorOwner);
        AddBox(floor, nVector(20, 1, 20), 0.0f);
        EXPECT_TRUE(floor->Build());
        boxOwner.matrix = nMatrix4::FromTranslation(0, 5, 0);
        box = NewItem(PhysicModeDynamic, &boxOwner);
        boxShape = AddBox(box, nVector(1, 1, 1), 1.0f);
        EXPECT_TRUE(box->Build());
        world.SetCallback(&callback);
    }

    void Settle()
    {
        for (int i = 0; i < 180; ++i)
            world.Step(1.0f / 60.0f);
    }

    TestOwner floorOwner;
    TestOwner boxOwner;
    nBulletPhysicItem* floor;
    nBulletPhysicItem* box;
    nPhysicShape* boxShape;
    CountingCallback callback;
};
} // namespace

TEST_F(DropFixture, BoxComesToRestOnTheFloorWithACallbackAroundEverySubStep)
{
    Settle();
    nMatrix4 matrix;
    box->GetMotionStateMatrix(matrix);
    EXPECT_NEAR(1.0f, matrix.GetTranslation().y, 0.05f);
    EXPECT_NEAR(0.0f, matrix.GetTranslation().x, 0.05f);
    EXPECT_EQ(180, callback.befores);
    EXPECT_EQ(180, callback.afters);
    EXPECT_FLOAT_EQ(1.0f / 60.0f, callback.lastSeconds);

    ASSERT_GE(world.GetContactCount(), 1);
    nPhysicContact contact;
    ASSERT_TRUE(world.GetContact(0, contact));
    ASSERT_GE(contact.pointCount, 1);
    ASSERT_LE(contact.pointCount, nPhysicContact::MaxPoints);
    EXPECT_TRUE((contact.itemA == box && contact.itemB == floor) ||
                (contact.itemA == floor && contact.itemB == box));
    // The normal lies on B and points towards A.
    const float expectedSign = contact.itemA == box ? 1.0f : -1.0f;
    for (int i = 0; i < contact.pointCount; ++i)
    {
        EXPECT_NEAR(expectedSign, contact.normals[i].y, 0.01f);
        EXPECT_EQ(1.0f, contact.normals[i].w);
        EXPECT_NEAR(0.5f, contact.positions[i].y, 0.06f);
    }
}

TEST_F(DropFixture, ContactIndexIsChecked)
{
    Settle();
    nPhysicContact contact;
    contact.pointCount = 77;
    EXPECT_FALSE(world.GetContact(-1, contact));
    EXPECT_FALSE(world.GetContact(world.GetContactCount(), contact));
    EXPECT_EQ(77, contact.pointCount);
}

TEST_F(DropFixture, ShortStepsOnlyInterpolateAndLongStepsStopAtTwelve)
{
    world.Step(0.25f / 60.0f);
    EXPECT_EQ(0, callback.befores);
    world.Step(1.0f);
    EXPECT_EQ(12, callback.befores);
    EXPECT_EQ(12, callback.afters);
    world.Step(-1.0f);
    world.Step(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(12, callback.befores);
}

TEST_F(DropFixture, RayDownHitsTheRestingBoxTopWithItsItemAndShape)
{
    Settle();
    nPhysicRayHit hit;
    ASSERT_TRUE(world.RayCast(nVector(0, 10, 0), nVector(0, -1, 0), hit, 1, 0, 0.0f));
    EXPECT_NEAR(1.5f, hit.position.y, 0.06f);
    EXPECT_NEAR(1.0f, hit.normal.y, 0.01f);
    EXPECT_EQ(1.0f, hit.position.w);
    EXPECT_EQ(box, hit.item);
    EXPECT_EQ(boxShape, hit.shape);
    EXPECT_EQ(nullptr, hit.material);
}

TEST_F(DropFixture, RaysHonourLengthGroupAndMask)
{
    nPhysicRayHit hit;
    // Length 0 and negative lengths reach 5000 units; a short ray stops before the floor.
    EXPECT_TRUE(world.RayCast(nVector(8, 4000, 8), nVector(0, -1, 0), hit, 1, 0, 0.0f));
    EXPECT_EQ(floor, hit.item);
    EXPECT_TRUE(world.RayCast(nVector(8, 4000, 8), nVector(0, -1, 0), hit, 1, 0, -3.0f));
    EXPECT_FALSE(world.RayCast(nVector(8, 4000, 8), nVector(0, -1, 0), hit, 1, 0, 100.0f));
    EXPECT_FALSE(world.RayCast(nVector(8, 6000, 8), nVector(0, -1, 0), hit, 1, 0, 0.0f));

    // Group 2 against items whose mask is 1 passes through.
    nPhysicRayHit untouched;
    untouched.item = box;
    EXPECT_FALSE(world.RayCast(nVector(0, 10, 0), nVector(0, -1, 0), untouched, 2, 0, 0.0f));
    EXPECT_EQ(box, untouched.item);

    // A self mask of 0 is never hit: the ray goes on to the floor.
    box->SetSelfMask(0);
    ASSERT_TRUE(world.RayCast(nVector(0, 10, 0), nVector(0, -1, 0), hit, 0xFFFF, 0, 0.0f));
    EXPECT_EQ(floor, hit.item);

    EXPECT_FALSE(world.RayCast(nVector(0, 10, 0), nVector(0, 0, 0), hit, 1, 0, 0.0f));
    EXPECT_FALSE(world.RayCast(nVector(0, 10, 0), nVector(0, -std::numeric_limits<float>::infinity(), 0), hit,
                               1, 0, 0.0f));
}

TEST_F(PhysicsWorldFixture, RayReportsWhichShapeOfACompoundWasHit)
{
    geometries.AddCube("plate", 2.0f);
    nBulletPhysicItem* item = NewItem(PhysicModeStatic);
    nPhysicShape* left = AddBox(item, nVector(1, 1, 1), 0.0f, nVector(-3, 0, 0));
    nPhysicShape* mesh = item->AddShape();
    mesh->SetGeometry(PhysicShapeMesh, "plate");
    mesh->position = nVector(3, 0, 0);
    nPhysicShape* other = item->AddShape();
    other->SetGeometry(PhysicShapeMesh, "plate");
    other->position = nVector(9, 0, 0);
    ASSERT_TRUE(item->Build());
    nPhysicRayHit hit;
    ASSERT_TRUE(world.RayCast(nVector(-3, 10, 0), nVector(0, -1, 0), hit, 1, 0, 0.0f));
    EXPECT_EQ(left, hit.shape);
    ASSERT_TRUE(world.RayCast(nVector(3, 10, 0), nVector(0, -1, 0), hit, 1, 0, 0.0f));
    EXPECT_EQ(mesh, hit.shape);
    EXPECT_NEAR(1.0f, hit.position.y, 1e-3f);
    ASSERT_TRUE(world.RayCast(nVector(9, 10, 0), nVector(0, -1, 0), hit, 1, 0, 0.0f));
    EXPECT_EQ(other, hit.shape);
    EXPECT_EQ(1u, world.GetMeshCacheCount());
}

TEST_F(PhysicsWorldFixture, GeometryShapesAreCachedOncePerName)
{
    geometries.AddCube("a", 1.0f, 2, 0, 0);
    geometries.AddCube("b", 2.0f);
    nBulletConvex* first = world.GetConvex("a");
    ASSERT_TRUE(first);
    EXPECT_EQ(first, world.GetConvex("a"));
    EXPECT_EQ(1, geometries.reads);
    ExpectNear(nVector(2, 0, 0), first->GetCentre(), 1e-6f);
    EXPECT_NE(first, world.GetConvex("b"));
    EXPECT_EQ(2u, world.GetConvexCacheCount());

    nBulletMesh* mesh = world.GetMesh("b");
    ASSERT_TRUE(mesh);
    EXPECT_EQ(12u, mesh->GetTriangleCount());
    EXPECT_EQ(mesh, world.GetMesh("b"));
    EXPECT_EQ(1u, world.GetMeshCacheCount());
    EXPECT_EQ(nullptr, world.GetMesh("missing"));
    EXPECT_EQ(nullptr, world.GetConvex("missing"));

    world.ClearShapeCaches();
    EXPECT_EQ(0u, world.GetConvexCacheCount());
    EXPECT_EQ(0u, world.GetMeshCacheCount());
}

TEST_F(PhysicsWorldFixture, GeometriesWithoutDataAreRefusedWithOneLine)
{
    geometries.geometries["empty"] = {};
    geometries.geometries["points"] = {{0, 0, 0, 1, 0, 0, 0, 1, 0}, {}};
    geometries.geometries["lines"] = {{0, 0, 0, 1, 0, 0, 0, 1, 0}, {{0, 1}, {2}}};
    geometries.geometries["bent"] = {{0, 0, 0, 1, 0, 0, 0, 1, 0}, {{0, 1, 7}, {0, 1}}};
    PhysicsLog log;
    EXPECT_EQ(nullptr, world.GetConvex("empty"));
    EXPECT_EQ(nullptr, world.GetMesh("points"));
    EXPECT_EQ("[!] No geometry data in 'empty' to build collision shape.\n"
              "[!] No geometry data in 'points' to build collision shape.\n",
              log.text);
    ASSERT_TRUE(world.GetConvex("points"));

    // Lines and points only: a mesh without triangles, which no item can use.
    nBulletMesh* lines = world.GetMesh("lines");
    ASSERT_TRUE(lines);
    EXPECT_EQ(0u, lines->GetTriangleCount());
    EXPECT_EQ(nullptr, lines->GetCollisionShape());
    // An index beyond the vertices is never read.
    nBulletMesh* bent = world.GetMesh("bent");
    ASSERT_TRUE(bent);
    EXPECT_EQ(1u, bent->GetTriangleCount());
}

TEST_F(PhysicsWorldFixture, MeshOnlyStaticItemWithoutGeometryRunsAsNone)
{
    nBulletPhysicItem* item = NewItem(PhysicModeStatic);
    item->AddShape()->SetGeometry(PhysicShapeMesh, "nowhere");
    geometries.geometries["hollow"] = {};
    item->AddShape()->SetGeometry(PhysicShapeMesh, "hollow");
    PhysicsLog log;
    EXPECT_TRUE(item->Build());
    EXPECT_EQ(nullptr, item->GetRigidBody());
    EXPECT_EQ(PhysicModeNone, item->GetSimulatedMode());
    EXPECT_EQ(PhysicModeStatic, item->GetMode());
    EXPECT_EQ("[!] No geometry data in 'hollow' to build collision shape.\n", log.text);
    // What was authored is what is saved.
    std::unique_ptr<nMetaTag> tag(item->SerializeTag());
    nString mode;
    tag->GetTag("Mode;")->GetValue().GetString(mode);
    EXPECT_TRUE(mode == "Static");
}

TEST_F(PhysicsWorldFixture, ItemBuildsWithoutTheShapeWhoseGeometryIsEmpty)
{
    geometries.geometries["hollow"] = {};
    nBulletPhysicItem* item = NewItem(PhysicModeDynamic);
    item->AddShape()->SetGeometry(PhysicShapeConvex, "hollow");
    AddBox(item, nVector(1, 1, 1), 1.0f);
    PhysicsLog log;
    EXPECT_TRUE(item->Build());
    ASSERT_TRUE(item->GetRigidBody());
    EXPECT_EQ(item->GetShapes().GetTail()->value, item->GetShapeOfChild(0));
    EXPECT_EQ(nullptr, item->GetShapeOfChild(1));
    EXPECT_EQ("[!] No geometry data in 'hollow' to build collision shape.\n", log.text);
}

TEST(BulletWorld, ClosedWorldAnswersNothingAndKeepsCallbacksQuiet)
{
    nBulletWorld world(nullptr);
    nPhysicRayHit hit;
    EXPECT_FALSE(world.RayCast(nVector(0, 0, 0), nVector(0, -1, 0), hit, 1, 0, 0.0f));
    EXPECT_EQ(0, world.GetContactCount());
    world.Step(1.0f);
    EXPECT_TRUE(world.Open());
    CountingCallback callback;
    world.SetCallback(&callback);
    world.Step(1.0f / 60.0f);
    EXPECT_EQ(1, callback.befores);
    world.SetCallback(nullptr);
    world.Step(1.0f / 60.0f);
    EXPECT_EQ(1, callback.befores);
    world.Close();
    world.Close();
}
