#include "PhysicsTestSupport.h"

#include "core/nml/nMetaTag.h"
#include "physics/nBulletConstraint.h"

#include <algorithm>
#include <memory>

namespace
{
class BulletConstraint : public PhysicsWorldFixture
{
protected:
    nBulletPhysicItem* NewBall(const nVector& position, int32_t mode = PhysicModeDynamic)
    {
        owners.emplace_back(std::make_unique<TestOwner>());
        owners.back()->matrix = nMatrix4::FromTranslation(position.x, position.y, position.z);
        nBulletPhysicItem* item = NewItem(mode, owners.back().get());
        AddBox(item, nVector(0.5f, 0.5f, 0.5f), 1.0f);
        EXPECT_TRUE(item->Build());
        return item;
    }

    void Run(int steps)
    {
        for (int i = 0; i < steps; ++i)
            world.Step(1.0f / 60.0f);
    }

    std::vector<std::unique_ptr<TestOwner>> owners;
};
} // namespace

TEST_F(BulletConstraint, PointWithoutBPinsAToTheWorld)
{
    nBulletPhysicItem* ball = NewBall(nVector(0, 5, 0));
    nBulletConstraint constraint(&world);
    constraint.SetPivotA(nMatrix4::FromTranslation(0, 1, 0)); // one unit above the ball
    constraint.SetItemA(ball);
    ASSERT_TRUE(constraint.GetJoint());
    ball->ApplyLinearImpulse(nVector(2, 0, 0), nullptr);
    Run(120);
    // It swings on a rod of length 1 below (0, 6, 0).
    const nVector centre = ball->GetCenterOfMassPosition();
    EXPECT_NEAR(1.0f, (centre - nVector(0, 6, 0)).Length(), 0.05f);
    EXPECT_LT(centre.y, 6.0f);
}

TEST_F(BulletConstraint, PointBetweenTwoBodiesKeepsTheirPivotsTogether)
{
    nBulletPhysicItem* anchor = NewBall(nVector(0, 5, 0), PhysicModeStatic);
    nBulletPhysicItem* ball = NewBall(nVector(0, 3, 0));
    nBulletConstraint constraint(&world);
    constraint.SetPivotA(nMatrix4::FromTranslation(0, -1, 0));
    constraint.SetPivotB(nMatrix4::FromTranslation(0, 1, 0));
    constraint.SetItemA(anchor);
    constraint.SetItemB(ball);
    ASSERT_TRUE(constraint.GetJoint());
    Run(60);
    EXPECT_NEAR(3.0f, ball->GetCenterOfMassPosition().y, 0.05f);
    EXPECT_TRUE(constraint.Setup());
}

TEST_F(BulletConstraint, NoneBuildsNothingAndNoBodiesFail)
{
    nBulletPhysicItem* ball = NewBall(nVector(0, 5, 0));
    nBulletConstraint constraint(&world);
    EXPECT_FALSE(constraint.Setup());
    constraint.SetType(PhysicConstraintNone);
    constraint.SetItemA(ball);
    EXPECT_TRUE(constraint.Setup());
    EXPECT_EQ(nullptr, constraint.GetJoint());
    // Only B: a joint needs a body A.
    for (int32_t type : {PhysicConstraintPoint, PhysicConstraintHinge})
    {
        constraint.SetType(type);
        constraint.SetItemA(nullptr);
        constraint.SetItemB(ball);
        EXPECT_TRUE(constraint.Setup());
        EXPECT_EQ(nullptr, constraint.GetJoint());
    }
}

// A flap two units deep, hinged to the world along its near edge on the world x axis, starts
// level and swings down under gravity: its centre stays one unit from the hinge line and its
// x axis stays on that line. The constraint read back from what it wrote does the same.
TEST_F(BulletConstraint, AHingedFlapSwingsAboutItsAxisAndKeepsItAfterAReload)
{
    // The pivot sits at the flap's near edge; its z axis is the flap's x axis.
    nMatrix4 pivot = nMatrix4::FromTranslation(0, 0, -1);
    pivot.SetColumn(0, nVector(0, 0, -1, 0));
    pivot.SetColumn(2, nVector(1, 0, 0, 0));

    for (bool reloaded : {false, true})
    {
        SCOPED_TRACE(reloaded ? "reloaded" : "built");
        owners.emplace_back(std::make_unique<TestOwner>());
        const float x = reloaded ? 10.0f : 0.0f; // apart, so that the flaps never meet
        owners.back()->matrix = nMatrix4::FromTranslation(x, 5, 1);
        nBulletPhysicItem* flap = NewItem(PhysicModeDynamic, owners.back().get());
        AddBox(flap, nVector(0.5f, 0.1f, 2.0f), 1.0f);
        ASSERT_TRUE(flap->Build());

        nBulletConstraint written(&world);
        written.SetType(PhysicConstraintHinge);
        written.SetPivotA(pivot);
        nBulletConstraint back(&world);
        if (reloaded)
        {
            std::unique_ptr<nMetaTag> tag(written.SerializeTag());
            ASSERT_TRUE(back.ParseTag(tag.get()));
        }
        nBulletConstraint& hinge = reloaded ? back : written;
        hinge.SetItemA(flap);
        ASSERT_TRUE(hinge.GetJoint());

        float lowest = 5.0f;
        for (int step = 0; step < 90; ++step)
        {
            Run(1);
            const nVector centre = flap->GetCenterOfMassPosition();
            ASSERT_NEAR(centre.x, x, 0.02f) << step;
            ASSERT_NEAR((centre - nVector(x, 5, 0)).Length(), 1.0f, 0.02f) << step;
            lowest = std::min(lowest, centre.y);
        }
        EXPECT_LT(lowest, 4.5f); // it swung well down
        nMatrix4 placed;
        flap->GetMotionStateMatrix(placed);
        EXPECT_NEAR(placed.GetColumn(0, false).x, 1.0f, 1e-3f);
    }
}

TEST_F(BulletConstraint, RebuildingOrDeletingAnItemTakesTheJointWithItsBody)
{
    nBulletPhysicItem* ball = NewBall(nVector(0, 5, 0));
    auto constraint = std::make_unique<nBulletConstraint>(&world);
    constraint->SetItemA(ball);
    ASSERT_TRUE(constraint->GetJoint());
    ASSERT_TRUE(ball->Build());
    EXPECT_EQ(nullptr, constraint->GetJoint());
    Run(2);
    EXPECT_TRUE(constraint->Setup());
    ASSERT_TRUE(constraint->GetJoint());
    items.clear();
    EXPECT_EQ(nullptr, constraint->GetJoint());
    EXPECT_EQ(nullptr, constraint->GetItemA());
    Run(2);
    EXPECT_FALSE(constraint->Setup());
}

TEST(BulletLifetime, ItemsAndConstraintsFreedAfterTheWorldClosesStillReleaseEverything)
{
    TestGeometrySource geometries;
    geometries.AddCube("rock", 1.0f);
    nBulletWorld world(nullptr);
    world.SetGeometrySource(&geometries);
    ASSERT_TRUE(world.Open());
    auto item = std::unique_ptr<nPhysicItem>(world.NewItem());
    item->SetMode(PhysicModeVehicle);
    item->AddShape()->SetGeometry(PhysicShapeConvex, "rock");
    item->GetShapes().GetHead()->value->mass = 2.0f;
    item->AddShape()->SetGeometry(PhysicShapeMesh, "rock");
    item->AddWheel();
    ASSERT_TRUE(item->Build());
    auto other = std::unique_ptr<nPhysicItem>(world.NewItem());
    other->SetMode(PhysicModeDynamic);
    other->AddShape()->SetPrimitive(PhysicShapeSphere, nVector(1, 0, 0));
    ASSERT_TRUE(other->Build());
    auto constraint = std::unique_ptr<nPhysicConstraint>(world.NewConstraint());
    constraint->SetItemA(item.get());
    constraint->SetItemB(other.get());

    // The caches drop their references while the item still holds its shapes.
    world.ClearShapeCaches();
    world.Step(1.0f / 60.0f);
    world.Close();
    world.RemoveItem(item.get());
    world.RemoveConstraint(constraint.get());
    item->Free();
    constraint.reset();
    item.reset();
    other.reset();
}

TEST(BulletLifetime, ItemsFreedBeforeTheWorldCloses)
{
    nBulletWorld world(nullptr);
    ASSERT_TRUE(world.Open());
    auto item = std::unique_ptr<nPhysicItem>(world.NewItem());
    item->SetMode(PhysicModeDynamic);
    item->AddShape()->SetPrimitive(PhysicShapeBox, nVector(1, 1, 1));
    ASSERT_TRUE(item->Build());
    world.Step(1.0f / 60.0f);
    item.reset();
    world.Step(1.0f / 60.0f);
    world.Close();
}

TEST_F(BulletConstraint, ShapesRemovedFromABuiltItemLiveUntilItIsRebuilt)
{
    nBulletPhysicItem* ball = NewBall(nVector(0, 5, 0));
    ball->RemoveShape(ball->GetShapes().GetHead()->value);
    Run(3);
    AddBox(ball, nVector(1, 1, 1), 1.0f);
    ASSERT_TRUE(ball->Build());
    ball->ClearShapes();
    Run(3);
    EXPECT_EQ(0u, ball->GetShapes().GetCount());
    EXPECT_TRUE(ball->Build());
}
