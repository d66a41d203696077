#include "PhysicsTestSupport.h"

#include "physics/nPhysicContact.h"
#include "physics/nPhysicRayHit.h"

#include <cmath>
#include <limits>

namespace
{
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

class BulletBadInput : public PhysicsWorldFixture
{
protected:
    // Steps a while with a floor under everything; nothing may crash and the floor stays hit.
    void RunWithFloor()
    {
        nBulletPhysicItem* floor = NewItem(PhysicModeStatic);
        AddBox(floor, nVector(50, 1, 50), 0.0f, nVector(0, -0.5f, 0));
        ASSERT_TRUE(floor->Build());
        for (int i = 0; i < 30; ++i)
            world.Step(1.0f / 60.0f);
        nPhysicContact contact;
        for (int i = 0; i < world.GetContactCount(); ++i)
            world.GetContact(i, contact);
        nPhysicRayHit hit;
        EXPECT_TRUE(world.RayCast(nVector(20, 5, 20), nVector(0, -1, 0), hit, 1, 0, 0.0f));
        EXPECT_EQ(floor, hit.item);
    }
};
} // namespace

TEST_F(BulletBadInput, UnusableShapeValuesLeaveTheShapeOut)
{
    const nVector bad[] = {nVector(kNaN, 1, 1), nVector(1, kInfinity, 1), nVector(1, 1, 1.0e30f)};
    for (const nVector& value : bad)
    {
        nBulletPhysicItem* dims = NewItem(PhysicModeDynamic);
        AddBox(dims, value, 1.0f);
        nBulletPhysicItem* position = NewItem(PhysicModeDynamic);
        AddBox(position, nVector(1, 1, 1), 1.0f, value);
        PhysicsLog log;
        EXPECT_TRUE(dims->Build());
        EXPECT_TRUE(position->Build());
        EXPECT_EQ(nullptr, dims->GetRigidBody());
        EXPECT_EQ(nullptr, position->GetRigidBody());
        EXPECT_NE(std::string::npos, log.text.find("[!] "));
    }
    RunWithFloor();
}

TEST_F(BulletBadInput, NegativeAndOddValuesNeverReachBulletBroken)
{
    nBulletPhysicItem* negative = NewItem(PhysicModeDynamic);
    AddBox(negative, nVector(-1, -2, -1), -5.0f, nVector(0, 3, 0));
    nPhysicShape* nanMass = AddBox(negative, nVector(1, 1, 1), kNaN, nVector(2, 3, 0));
    (void)nanMass;
    ASSERT_TRUE(negative->Build());
    nBulletPhysicItem* empty = NewItem(PhysicModeDynamic);
    ASSERT_TRUE(empty->Build());
    nBulletPhysicItem* zero = NewItem(PhysicModeDynamic);
    AddBox(zero, nVector(0, 0, 0), 1.0f, nVector(5, 2, 0));
    zero->AddShape()->SetPrimitive(PhysicShapeCapsule, nVector(0, 0, 0));
    zero->AddShape()->SetPrimitive(PhysicShapeCone, nVector(-1, 0, -1));
    zero->AddShape()->SetPrimitive(PhysicShapeSphere, nVector(-2, 0, 0));
    zero->AddShape()->SetPrimitive(PhysicShapeCylinder, nVector(1, -1, 2));
    zero->AddShape()->SetPrimitive(77, nVector(1, 1, 1));
    ASSERT_TRUE(zero->Build());

    negative->SetLinearDamping(kNaN);
    negative->SetAngularDamping(-4.0f);
    negative->SetLinearFactor(nVector(kNaN, 1, 1));
    negative->SetGravity(nVector(kInfinity, 0, 0));
    negative->ApplyLinearImpulse(nVector(kNaN, 0, 0), nullptr);
    const nVector badPoint(kInfinity, 0, 0);
    negative->ApplyLinearImpulse(nVector(1, 0, 0), &badPoint);
    negative->ApplyLinearForce(nVector(0, kNaN, 0), nullptr);
    negative->ApplyTorque(nVector(0, 0, kInfinity));
    negative->SetLinearVelocity(nVector(kNaN, 0, 0));
    negative->SetAngularVelocity(nVector(0, kInfinity, 0));
    nMatrix4 broken;
    broken.m[3] = kNaN;
    negative->SetMatrix(broken);
    RunWithFloor();
    const nVector position = negative->GetCenterOfMassPosition();
    EXPECT_TRUE(std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z));
}

TEST_F(BulletBadInput, HeightfieldsBelowTwoByTwoWithBadHeightsOrVastCellsBuildNothing)
{
    const float flat[9] = {0, 0, 0, 0, -3, 0, 0, 0, 0};
    const float holed[4] = {0, kNaN, 0, 0};
    nBulletPhysicItem* small = NewItem(PhysicModeStatic);
    small->AddShape()->SetHeightfield(flat, 3, 3, 0.5f); // 1 x 1
    nBulletPhysicItem* none = NewItem(PhysicModeStatic);
    none->AddShape()->SetHeightfield(flat, 3, 3, 0.2f); // no heights at all
    nBulletPhysicItem* nan = NewItem(PhysicModeStatic);
    nan->AddShape()->SetHeightfield(holed, 2, 2, 1.0f);
    nBulletPhysicItem* vast = NewItem(PhysicModeStatic); // wider than Bullet's boxes take
    vast->AddShape()->SetHeightfield(flat, 3, 3, 1.0f, 1.0f, 1.0e30f);
    for (nBulletPhysicItem* item : {small, none, nan, vast})
    {
        EXPECT_TRUE(item->Build());
        EXPECT_EQ(nullptr, item->GetRigidBody());
    }

    // A real 3 x 3 field with a dip in the middle is hit where its surface is.
    nBulletPhysicItem* terrain = NewItem(PhysicModeStatic);
    nPhysicShape* field = terrain->AddShape();
    field->SetHeightfield(flat, 3, 3, 1.0f);
    field->position = nVector(100, 0, 0);
    ASSERT_TRUE(terrain->Build());
    nPhysicRayHit hit;
    ASSERT_TRUE(world.RayCast(nVector(100, 10, 0), nVector(0, -1, 0), hit, 1, 0, 0.0f));
    EXPECT_EQ(terrain, hit.item);
    EXPECT_EQ(field, hit.shape);
    EXPECT_NEAR(-3.0f, hit.position.y, 1e-3f);
}

TEST_F(BulletBadInput, BadWheelsAndGeometriesAreSurvived)
{
    geometries.geometries["nan"] = {{0, 0, 0, kNaN, 0, 0, 0, 1, 0}, {{0, 1, 2}}};
    nBulletPhysicItem* car = NewItem(PhysicModeVehicle);
    AddBox(car, nVector(2, 1, 3), 100.0f, nVector(0, 2, 0));
    car->AddShape()->SetGeometry(PhysicShapeMesh, "nan");
    nPhysicWheel* flat = car->AddWheel();
    flat->referenceMatrix.m[0] = 0.0f; // no axle
    flat->radius = kNaN;
    nPhysicWheel* wild = car->AddWheel();
    wild->restLength = kInfinity;
    wild->stiffness = kNaN;
    PhysicsLog log;
    ASSERT_TRUE(car->Build());
    EXPECT_NE(std::string::npos,
              log.text.find("[!] Invalid vertex positions in 'nan' to build collision shape.\n"));
    EXPECT_NE(std::string::npos, log.text.find("[!] Wheel 0 has no usable reference matrix"));
    car->VehicleSetForce(kNaN, 0);
    car->VehicleSetSteering(kInfinity, 1);
    car->VehicleSetBrake(1.0f, 0xFFFFFFFFu);
    RunWithFloor();
    nMatrix4 wheel;
    car->VehicleGetWheelMatrix(wheel, 1);
    EXPECT_TRUE(std::isfinite(wheel.m[3]));
}

TEST_F(BulletBadInput, OddStepLengthsAreRefused)
{
    CountingCallback callback;
    world.SetCallback(&callback);
    world.SetFixedTimeStep(0.0f);
    world.Step(1.0f);
    world.SetFixedTimeStep(kNaN);
    world.Step(1.0f);
    world.SetFixedTimeStep(1.0f / 60.0f);
    world.Step(kInfinity);
    world.Step(1.0e30f);
    EXPECT_EQ(0, callback.befores);
}
