#include "PhysicsTestSupport.h"

#include "physics/nBulletConvex.h"
#include "physics/nPhysicRayHit.h"

#include <cmath>

namespace
{
class BulletItem : public PhysicsWorldFixture
{
};

nMatrix4 Rotated(float angleY, const nVector& position)
{
    return nMatrix4::Compose(position, nMatrix3::RotationY(angleY), nVector(1, 1, 1));
}
} // namespace

TEST_F(BulletItem, CentreOfMassFollowsTheShapesAndTheMotionStateGivesBackTheItemOrigin)
{
    TestOwner owner;
    owner.matrix = Rotated(1.5707964f, nVector(5, 0, 0));
    nBulletPhysicItem* item = NewItem(PhysicModeDynamic, &owner);
    AddBox(item, nVector(2, 2, 2), 3.0f, nVector(1, 0, 0));
    ASSERT_TRUE(item->Build());
    ExpectNear(nVector(1, 0, 0), item->GetCenterOfMass(), 1e-6f);
    // The body origin lies one unit along the item's rotated x axis (now -z).
    ExpectNear(nVector(5, 0, -1), item->GetCenterOfMassPosition(), 1e-5f);

    for (int i = 0; i < 3; ++i)
        world.Step(1.0f / 60.0f);
    nMatrix4 matrix;
    item->GetMotionStateMatrix(matrix);
    EXPECT_NEAR(5.0f, matrix.GetTranslation().x, 1e-4f);
    EXPECT_NEAR(0.0f, matrix.GetTranslation().z, 1e-4f);
    EXPECT_LT(matrix.GetTranslation().y, 0.0f); // it falls
    nMatrix4 body;
    item->GetMatrix(body);
    EXPECT_NEAR(-1.0f, body.GetTranslation().z, 1e-4f);
}

TEST_F(BulletItem, ConvexMassPointIsTheGeometryCentreInShapeSpace)
{
    geometries.AddCube("offset", 1.0f, 1, 0, 0);
    nBulletPhysicItem* item = NewItem(PhysicModeDynamic);
    nPhysicShape* convex = item->AddShape();
    convex->SetGeometry(PhysicShapeConvex, "offset");
    convex->mass = 1.0f;
    convex->position = nVector(0, 2, 0);
    convex->dimensions = nVector(2, 1, 1);
    AddBox(item, nVector(1, 1, 1), 1.0f, nVector(0, 0, 0));
    ASSERT_TRUE(item->Build());
    // (2, 2, 0) and (0, 0, 0) with equal masses.
    ExpectNear(nVector(1, 1, 0), item->GetCenterOfMass(), 1e-5f);
}

TEST_F(BulletItem, SetMatrixMovesWithoutScalingAndKeepsVelocity)
{
    nBulletPhysicItem* item = NewItem(PhysicModeDynamic);
    AddBox(item, nVector(1, 1, 1), 1.0f, nVector(1, 0, 0));
    ASSERT_TRUE(item->Build());
    item->SetLinearVelocity(nVector(0, 3, 0));
    item->SetMatrix(nMatrix4::Compose(nVector(10, 0, 0), nMatrix3(), nVector(2, 2, 2)));
    nMatrix4 body;
    item->GetMatrix(body);
    ExpectNear(nVector(11, 0, 0), body.GetTranslation(), 1e-5f);
    EXPECT_NEAR(1.0f, body.GetColumn(0, false).Length(), 1e-5f);
    EXPECT_NEAR(1.0f, body.GetColumn(1, false).Length(), 1e-5f);
    ExpectNear(nVector(0, 3, 0), item->GetLinearVelocity(), 1e-6f);
}

TEST_F(BulletItem, ImpulsesChangeVelocityByTheRuleOfThePoint)
{
    nBulletPhysicItem* item = NewItem(PhysicModeDynamic);
    AddBox(item, nVector(1, 1, 1), 2.0f);
    ASSERT_TRUE(item->Build());
    const nVector origin = item->GetCenterOfMassPosition();

    item->ApplyLinearImpulse(nVector(1, 0, 0), nullptr);
    ExpectNear(nVector(1, 0, 0), item->GetLinearVelocity(), 1e-5f);

    // A tiny impulse with a point acts centrally: no spin.
    item->ClearMotion();
    const nVector offCentre = origin + nVector(0, 0.5f, 0.5f);
    item->ApplyLinearImpulse(nVector(0.00005f, 0, 0), &offCentre);
    ExpectNear(nVector(0.00005f, 0, 0), item->GetLinearVelocity(), 1e-8f);
    ExpectNear(nVector(0, 0, 0), item->GetAngularVelocity(), 1e-8f);

    // With a point, the point's velocity along the impulse changes by its length.
    item->ClearMotion();
    item->ApplyLinearImpulse(nVector(2, 0, 0), &offCentre);
    EXPECT_NEAR(2.0f, item->GetPointVelocity(offCentre).x, 1e-4f);
    EXPECT_GT(item->GetAngularVelocity().Length(), 0.0f);

    // The linear factor scales the change.
    item->ClearMotion();
    item->SetLinearFactor(nVector(0, 1, 1));
    item->ApplyLinearImpulse(nVector(1, 1, 0), nullptr);
    ExpectNear(nVector(0, 1, 0), item->GetLinearVelocity(), 1e-5f);
}

TEST_F(BulletItem, OnlyDynamicItemsTakeImpulsesForcesAndTorques)
{
    nBulletPhysicItem* item = NewItem(PhysicModeStatic);
    AddBox(item, nVector(1, 1, 1), 2.0f);
    ASSERT_TRUE(item->Build());
    item->ApplyLinearImpulse(nVector(1, 0, 0), nullptr);
    item->ApplyLinearForce(nVector(100, 0, 0), nullptr);
    item->ApplyTorque(nVector(0, 100, 0));
    world.Step(1.0f / 60.0f);
    ExpectNear(nVector(0, 0, 0), item->GetLinearVelocity(), 0.0f);
    ExpectNear(nVector(0, 0, 0), item->GetAngularVelocity(), 0.0f);
}

TEST_F(BulletItem, ForceAndTorqueAccelerateTheBody)
{
    nBulletPhysicItem* item = NewItem(PhysicModeDynamic);
    AddBox(item, nVector(1, 1, 1), 1.0f);
    ASSERT_TRUE(item->Build());
    item->SetGravity(nVector(0, 0, 0));
    ExpectNear(nVector(0, 0, 0), item->GetGravity(), 0.0f);
    item->ApplyLinearForce(nVector(60, 0, 0), nullptr);
    item->ApplyTorque(nVector(0, 60, 0));
    world.Step(1.0f / 60.0f);
    EXPECT_NEAR(1.0f, item->GetLinearVelocity().x, 1e-3f);
    EXPECT_GT(item->GetAngularVelocity().y, 0.0f);
    // Forces are cleared after the step.
    world.Step(1.0f / 60.0f);
    EXPECT_NEAR(1.0f, item->GetLinearVelocity().x, 1e-3f);
}

TEST_F(BulletItem, DampingsAreTheFractionsKept)
{
    nBulletPhysicItem* item = NewItem(PhysicModeDynamic);
    AddBox(item, nVector(1, 1, 1), 1.0f);
    item->SetLinearDamping(0.25f);
    item->SetAngularDamping(1.0f);
    ASSERT_TRUE(item->Build());
    item->SetGravity(nVector(0, 0, 0));
    item->SetLinearVelocity(nVector(1, 0, 0));
    item->SetAngularVelocity(nVector(0, 1, 0));
    world.Step(1.0f / 60.0f);
    // A quarter of the velocity is kept per second; the spin is undamped.
    EXPECT_NEAR(std::pow(0.25f, 1.0f / 60.0f), item->GetLinearVelocity().x, 1e-4f);
    EXPECT_NEAR(1.0f, item->GetAngularVelocity().y, 1e-4f);
}

TEST_F(BulletItem, ShapelessDynamicItemCollidesWithNothingButKeepsItsMasks)
{
    nBulletPhysicItem* item = NewItem(PhysicModeDynamic);
    item->SetSelfMask(3);
    item->SetMask(5);
    ASSERT_TRUE(item->Build());
    ASSERT_TRUE(item->GetRigidBody());
    EXPECT_EQ(3, item->GetSelfMask());
    EXPECT_EQ(5, item->GetMask());
    // Mass 1: a force of 60 for a sixtieth of a second adds 1 to the speed.
    item->SetGravity(nVector(0, 0, 0));
    item->ApplyLinearForce(nVector(60, 0, 0), nullptr);
    world.Step(1.0f / 60.0f);
    EXPECT_NEAR(1.0f, item->GetLinearVelocity().x, 1e-3f);

    // A floor in its way: a shapeless item falls through, whatever its masks say later.
    nBulletPhysicItem* floor = NewItem(PhysicModeStatic);
    AddBox(floor, nVector(20, 1, 20), 0.0f, nVector(0, -2, 0));
    ASSERT_TRUE(floor->Build());
    item->SetSelfMask(1);
    item->SetMask(1);
    item->SetSimulated(false);
    item->SetSimulated(true);
    EXPECT_EQ(1, item->GetSelfMask());
    item->SetLinearVelocity(nVector(0, 0, 0));
    item->SetGravity(nVector(0, -9.8f, 0));
    for (int i = 0; i < 90; ++i)
        world.Step(1.0f / 60.0f);
    EXPECT_LT(item->GetCenterOfMassPosition().y, -5.0f);
    EXPECT_EQ(0, world.GetContactCount());
}

TEST_F(BulletItem, KinematicBodyFollowsItsOwnerAndNeverSleeps)
{
    TestOwner owner;
    nBulletPhysicItem* item = NewItem(PhysicModeKinematic, &owner);
    AddBox(item, nVector(1, 1, 1), 5.0f);
    ASSERT_TRUE(item->Build());
    owner.matrix = nMatrix4::FromTranslation(3, 0, 0);
    world.Step(1.0f / 60.0f);
    ExpectNear(nVector(3, 0, 0), item->GetCenterOfMassPosition(), 1e-5f);
    EXPECT_FALSE(item->IsSleeping());
    EXPECT_TRUE(item->IsActive());
    item->SetSleeping(true);
    EXPECT_FALSE(item->IsSleeping());
    // Put back into the simulation, it stays awake.
    item->SetSimulated(false);
    EXPECT_FALSE(item->IsActive());
    item->SetSimulated(true);
    EXPECT_TRUE(item->IsActive());
    for (int i = 0; i < 200; ++i)
        world.Step(1.0f / 60.0f);
    EXPECT_FALSE(item->IsSleeping());
    EXPECT_TRUE(item->IsActive());
}

TEST_F(BulletItem, SleepAndSimulationStates)
{
    nBulletPhysicItem* item = NewItem(PhysicModeDynamic);
    AddBox(item, nVector(1, 1, 1), 1.0f);
    EXPECT_FALSE(item->IsSleeping());
    EXPECT_FALSE(item->IsActive());
    ASSERT_TRUE(item->Build());
    EXPECT_FALSE(item->IsSleeping());
    EXPECT_TRUE(item->IsActive());
    item->SetSleeping(true);
    EXPECT_TRUE(item->IsSleeping());
    item->SetSleeping(false);
    EXPECT_FALSE(item->IsSleeping());

    // Out of the simulation the body neither moves nor is hit.
    item->SetSimulated(false);
    EXPECT_FALSE(item->IsActive());
    const float y = item->GetCenterOfMassPosition().y;
    world.Step(1.0f / 60.0f);
    EXPECT_EQ(y, item->GetCenterOfMassPosition().y);
    nPhysicRayHit hit;
    EXPECT_FALSE(world.RayCast(nVector(0, 10, 0), nVector(0, -1, 0), hit, 1, 0, 0.0f));
    item->SetSimulated(true);
    EXPECT_TRUE(item->IsActive());
    EXPECT_TRUE(world.RayCast(nVector(0, 10, 0), nVector(0, -1, 0), hit, 1, 0, 0.0f));
}

TEST_F(BulletItem, VehicleWheelsFollowTheirReferenceMatrices)
{
    TestOwner owner;
    owner.matrix = nMatrix4::FromTranslation(0, 2, 0);
    nBulletPhysicItem* car = NewItem(PhysicModeVehicle, &owner);
    AddBox(car, nVector(2, 0.5f, 4), 800.0f);
    // Below the chassis, so that the suspension rays do not start inside it.
    const nVector corners[4] = {nVector(-1, -0.3f, 1.5f), nVector(1, -0.3f, 1.5f), nVector(-1, -0.3f, -1.5f),
                                nVector(1, -0.3f, -1.5f)};
    for (const nVector& corner : corners)
    {
        nPhysicWheel* wheel = car->AddWheel();
        wheel->referenceMatrix = nMatrix4::FromTranslation(corner.x, corner.y, corner.z);
        wheel->restLength = 0.6f;
    }
    car->GetWheels().GetHead()->value->radius = 0.0f;
    nBulletPhysicItem* ground = NewItem(PhysicModeStatic);
    AddBox(ground, nVector(100, 1, 100), 0.0f, nVector(0, -0.5f, 0));
    ASSERT_TRUE(ground->Build());
    ASSERT_TRUE(car->Build());
    ASSERT_TRUE(car->GetVehicle());

    // As the scene does, the owner follows its body after every step.
    for (int i = 0; i < 120; ++i)
    {
        world.Step(1.0f / 60.0f);
        car->GetMotionStateMatrix(owner.matrix);
    }
    nMatrix4 wheel;
    car->VehicleGetWheelMatrix(wheel, 1);
    nMatrix4 body;
    car->GetMatrix(body);
    const nVector offset = wheel.GetTranslation() - body.GetTranslation();
    EXPECT_NEAR(std::sqrt(1.0f + 1.5f * 1.5f), std::sqrt(offset.x * offset.x + offset.z * offset.z), 0.05f);
    EXPECT_LT(offset.y, -0.3f);
    EXPECT_FALSE(car->IsSleeping()); // vehicles are never deactivated

    const float zBefore = car->GetCenterOfMassPosition().z;
    for (uint32_t i = 0; i < 4; ++i)
        car->VehicleSetForce(2000.0f, i);
    car->VehicleSetForce(1.0e9f, 4);
    car->VehicleSetBrake(1.0f, 99);
    car->VehicleSetSteering(0.1f, 4);
    for (int i = 0; i < 60; ++i)
        world.Step(1.0f / 60.0f);
    EXPECT_GT(std::fabs(car->GetCenterOfMassPosition().z - zBefore), 0.1f);

    nMatrix4 invalid = nMatrix4::FromTranslation(1, 2, 3);
    car->VehicleGetWheelMatrix(invalid, 4);
    EXPECT_FALSE(invalid.DiffersFrom(nMatrix4()));
}

TEST_F(BulletItem, ZeroRadiusWheelIsBuiltAtOneCentimetre)
{
    // The suspension ray reaches the ground; the wheel centre then sits one radius above it.
    TestOwner owner;
    owner.matrix = nMatrix4::FromTranslation(0, 0.3f, 0);
    nBulletPhysicItem* item = NewItem(PhysicModeVehicle, &owner);
    AddBox(item, nVector(1, 0.2f, 1), 10.0f, nVector(0, 0.2f, 0));
    nPhysicWheel* wheel = item->AddWheel();
    wheel->radius = 0.0f;
    wheel->restLength = 0.5f;
    wheel->maxCompression = 5.0f;
    nBulletPhysicItem* ground = NewItem(PhysicModeStatic);
    AddBox(ground, nVector(10, 1, 10), 0.0f, nVector(0, -0.5f, 0));
    ASSERT_TRUE(ground->Build());
    ASSERT_TRUE(item->Build());
    world.Step(1.0f / 60.0f);
    nMatrix4 matrix;
    item->VehicleGetWheelMatrix(matrix, 0);
    EXPECT_NEAR(0.01f, matrix.GetTranslation().y, 0.004f);
}
