#include "ScriptApiFixture.h"

#include "core/base/nSharedPtr.h"
#include "engine/Quenvar.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMEmitter.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nTrigger.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "physics/nBulletPhysicItem.h"
#include "physics/nBulletWorld.h"
#include "physics/nPhysicConstraint.h"
#include "physics/nPhysicShape.h"
#include "physics/nPhysicWorld.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace
{
const char* const Triangle =
    "<NML=1.0>\n<Geometry=<AVertex=<Count=3><Data=<V=<X=0.0><Y=0.0><Z=0.0>>"
    "<V=<X=1.0><Y=0.0><Z=0.0>><V=<X=0.0><Y=1.0><Z=0.0>>>><APolygon=<Count=1>"
    "<BindingCount=3><Data=<Polygon=<Count=3><Material=0><Index=0><Index=1><Index=2>>>>>\n";

// An object "Walker" whose motion "walk" moves x from 0 to 4 in 2 seconds.
const char* const SceneText =
    "<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"Walker\"><UId=0><Active><MotionPlayer=<Motions=<Motion="
    "<Id=\"walk\"><Channel=<Id=\"PositionX\"><Curve=<Knot=<Count=2><Knot=\"0:0\"><Knot=\"2:4\">>>>>>>>"
    "<Object=<Item>>>>>\n";

// Script helpers: Body makes an object with one shape (set up by the function given) and builds it.
const char* const Helpers = R"(
function Try(f) { try { f(); } catch (error) { print(error); } }
function Body(name, mode, position, setShape) {
    local item = ObjectGetItem(SceneAddObject(g_scene, name));
    local shape = ItemAddCollisionShape(item);
    setShape(shape);
    ShapeSetMass(shape, 1);
    ItemSetPosition(item, position);
    ItemSetPhysicMode(item, mode);
    ItemUpdateInertiaTensorFromCollision(item);
    return item;
}
function Cube(name, mode, position) { return Body(name, mode, position, @(s) ShapeSetBox(s, Vector(1, 1, 1))); }
function Ray(origin, direction) { return SceneCollisionRaytrace(g_scene, origin, direction, -1, -1, 0); }
)";

// Records the wheel calls and answers a wheel matrix that names the wheel.
class RecordingVehicle : public nBulletPhysicItem
{
public:
    using nBulletPhysicItem::nBulletPhysicItem;
    void VehicleSetForce(float force, uint32_t wheel) override
    {
        calls.push_back(Call("force", force, wheel));
    }
    void VehicleSetBrake(float brake, uint32_t wheel) override
    {
        calls.push_back(Call("brake", brake, wheel));
    }
    void VehicleSetSteering(float angle, uint32_t wheel) override
    {
        calls.push_back(Call("steering", angle, wheel));
    }
    void VehicleGetWheelMatrix(nMatrix4& out, uint32_t wheel) override
    {
        out = nMatrix4::FromTranslation(static_cast<float>(wheel), 0.0f, 0.0f);
    }
    static std::string Call(const char* what, float value, uint32_t wheel)
    {
        return std::string(what) + " " + std::to_string(value) + " " + std::to_string(wheel);
    }

    std::vector<std::string> calls;
};

// The whole API over an engine and a scene with a Bullet world (g_scene); a second scene with a world
// of its own (g_other) and one without (g_bare).
class PhysicsNativesTest : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        WriteScript("tri.ngm", Triangle);
        WriteScript("s.nms", SceneText);
        ASSERT_TRUE(scene->CreatePhysicWorld());
        ASSERT_TRUE(other->CreatePhysicWorld());
        ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0));
        scene->SetGlobal();
        machine.SetSlot("g_other", nScriptValue(ObjectTypeScene, other.Get()), nullptr);
        machine.SetSlot("g_bare", nScriptValue(ObjectTypeScene, bare.Get()), nullptr);
        ASSERT_TRUE(Run(Helpers, "helpers.nut"));
    }

    bool Logged(const std::string& text) const
    {
        for (const std::string& line : log.lines)
            if (line == text)
                return true;
        return false;
    }

    void Step(int steps)
    {
        for (int i = 0; i < steps; ++i)
            scene->GetPhysicWorld()->Step(1.0f / 60.0f);
    }

    // An object of the scene without its physics item.
    nMItem* WithoutBody(nMItem* item)
    {
        item->SetPhysicItem(nullptr);
        return item;
    }

    Quenvar engine;
    nSharedPtr<nScene> scene{new nScene(&engine, &machine)};
    nSharedPtr<nScene> other{new nScene(&engine, &machine)};
    nSharedPtr<nScene> bare{new nScene(&engine, &machine)};
};

TEST_F(PhysicsNativesTest, ForcesActAtTheirPointAndVelocitiesComeFromTheBody)
{
    EXPECT_EQ(Evaluate("SceneSetGravity(g_scene, Vector(0, 0, 0));\n"
                       "Box <- Cube(\"Box\", PhysicModeDynamic, Vector(0, 0, 0));\n"
                       "ItemApplyForce(Box, Vector(0.5, 0, 0), Vector(0, 0, 60));\n"
                       "print(ItemGetPhysicMode(Box) + \" \" + ItemGetMass(Box));"),
              "3 1");
    Step(1);
    EXPECT_EQ(Evaluate("local v = ItemGetLinearVelocity(Box), w = ItemGetAngularVelocity(Box);\n"
                       "print((v.z > 0.5) + \" \" + (fabs(v.x) < 1e-4) + \" \" + (w.y < -0.1) + \" \");\n"
                       "print(V(ItemGetPreviousLinearVelocity(Box)) == V(v));\n"
                       "print(\" \" + (fabs(ItemGetSpeed(Box) - v.Len()) < 1e-4));"),
              "true true true true true");

    // The scale applies to the world's gravity, whatever the body had.
    EXPECT_EQ(Evaluate("SceneSetGravity(g_scene, Vector(0, -9.81, 0));\n"
                       "ItemSetGravity(Box, Vector(1, 2, 3));\n"
                       "ItemSetGravityScale(Box, 0.5);\n"
                       "print(ItemGetGravity(Box).y);"),
              "-4.905");
}

// The body's origin is its centre of mass, here one unit from the item's origin: turning the body
// keeps the item's origin where it is.
TEST_F(PhysicsNativesTest, SetPhysicRotationTurnsTheBodyAboutItsItemsOrigin)
{
    EXPECT_EQ(
        Evaluate(
            "Off <- Body(\"Off\", PhysicModeDynamic, Vector(2, 3, 4),\n"
            "           function(s) { ShapeSetBox(s, Vector(1, 1, 1)); ShapeSetPosition(s, Vector(1, 0, 0)); "
            "});\n"
            "ItemSetScale(Off, Vector(2, 2, 2));\n"
            "print(V(ItemGetPhysicPosition(Off)) + \" \");\n"
            "ItemSetPhysicRotation(Off, Vector(0, 1.5707964, 0));\n"
            "local once = ItemGetPhysicPosition(Off);\n"
            "ItemSetPhysicRotation(Off, Vector(0, 1.5707964, 0));\n"
            "local twice = ItemGetPhysicPosition(Off);\n"
            "print(((once - twice).Len() < 1e-4) + \" \" + fabs((twice - Vector(2, 3, 4)).Len() - 1) + \" "
            "\");\n"
            "print(fabs(twice.z - 4) + \" \" + fabs(ItemGetPhysicRotation(Off).y - 1.5707964) + \" \");\n"
            "print(V(ItemGetScale(Off)));"),
        "(3,3,4,1) true 0 1 0 (2,2,2,1)");
    EXPECT_EQ(Evaluate("ItemPhysicResetTransformation(Off, Vector(0, 10, 0), Vector(0, 0, 0));\n"
                       "print(V(ItemGetPhysicPosition(Off)));"),
              "(1,10,0,1)");
}

TEST_F(PhysicsNativesTest, VehicleWheelNativesReachTheWheelsOfTheBody)
{
    nMItem* car = scene->NewObject("Car");
    auto* vehicle = new RecordingVehicle(static_cast<nBulletWorld*>(scene->GetPhysicWorld()));
    car->SetPhysicItem(vehicle);
    EXPECT_EQ(Evaluate("local car = SceneFindItem(g_scene, \"Car\");\n"
                       "ItemPhysicVehicleSetForce(car, 1, 250);\n"
                       "ItemPhysicVehicleSetBrake(car, 2, 0.5);\n"
                       "ItemPhysicVehicleSetSteering(car, 3, -0.25);\n"
                       "ItemPhysicVehicleSetForce(car, -1, 1);\n"
                       "print(ItemPhysicVehicleGetWheelMatrix(car, 3).GetPosition().x);"),
              "3");
    EXPECT_EQ(vehicle->calls, (std::vector<std::string>{RecordingVehicle::Call("force", 250.0f, 1),
                                                        RecordingVehicle::Call("brake", 0.5f, 2),
                                                        RecordingVehicle::Call("steering", -0.25f, 3),
                                                        RecordingVehicle::Call("force", 1.0f, UINT32_MAX)}));
}

// Natives that reach the body refuse an item without one before they change anything; the natives
// kept for old scripts answer on any item.
TEST_F(PhysicsNativesTest, AnItemWithoutAPhysicsComponentIsRefusedByTheBodyNativesOnly)
{
    WithoutBody(scene->NewLight("Lamp", 0, 1.0f));
    WithoutBody(scene->NewObject("Ghost"));
    const char* const refused[] = {"ItemGetMass",
                                   "ItemSetPhysicMode",
                                   "ItemWake",
                                   "ItemSetGravity",
                                   "ItemApplyForce",
                                   "ItemGetLinearVelocity",
                                   "ItemSetPhysicPosition",
                                   "ItemPhysicVehicleSetForce",
                                   "ItemUpdateInertiaTensorFromCollision"};
    const char* const arguments[] = {"",           ", 3",    "", ", Vector()", ", Vector(), Vector()", "",
                                     ", Vector()", ", 0, 1", ""};
    std::string calls = "local lamp = SceneFindItem(g_scene, \"Lamp\");\n";
    std::string expected;
    for (size_t i = 0; i < std::size(refused); ++i)
    {
        calls += std::string("Try(@() ") + refused[i] + "(lamp" + arguments[i] + "));\n";
        expected += "Item has no physics component.";
    }
    EXPECT_EQ(Evaluate(calls), expected);
    EXPECT_EQ(
        Evaluate("local lamp = SceneFindItem(g_scene, \"Lamp\"), ghost = SceneFindItem(g_scene, \"Ghost\");\n"
                 "print(ItemCollided(lamp) + \" \" + ItemPhysicGetFlag(lamp) + \" \");\n"
                 "ItemPhysicSetFlag(lamp, 4); ItemSetPhysicPreviousPosition(lamp, Vector());\n"
                 "ItemPhysicSynchronizeCollision(lamp);\n"
                 "ItemSetInertiaTensorAndCom(lamp, Matrix3(), Vector());\n"
                 "Try(@() ItemSetInertiaTensorAndCom(lamp, Matrix3(), UV(0, 0)));\n"
                 "print(\" \" + V(ItemGetPhysicPosition(lamp)) + V(ItemGetLinearAcceleration(lamp)));\n"
                 "print(V(ItemGetPhysicPreviousPosition(lamp)) + \" \");\n"
                 "print((ItemAddCollisionShape(ghost) == null) + \" \" + (ItemGetShapeFromIndex(ghost, 0) == "
                 "null));\n"
                 "ItemCollisionActivate(ghost, false); ItemSetSelfMask(ghost, 2); "
                 "ItemSetCollisionMask(ghost, 2);\n"
                 "Try(@() ItemGetGeometry(lamp));"),
        "false 0 Invalid instance type (0,0,0,1)(0,0,0,1)(0,0,0,1) true true"
        "Item is not an object, cannot get geometry");
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "[!] OBSOLETE\n"), 2);
}

TEST_F(PhysicsNativesTest, ShapesStoreWhatTheBuildReadsAndDieWithTheirItem)
{
    EXPECT_EQ(
        Evaluate(
            "Pill <- ItemAddCollisionShape(ObjectGetItem(SceneAddObject(g_scene, \"Pill\")));\n"
            "ShapeSetCapsule(Pill, 0.5, 2); local capsule = V(ShapeGetRotation(Pill));\n"
            "ShapeSetPosition(Pill, Vector(1, 2, 3)); ShapeSetRotation(Pill, Vector(0.5, 0, 0));\n"
            "ShapeSetMass(Pill, 4); ShapeSetFriction(Pill, 0.25, 0.75); ShapeSetRestitution(Pill, 0.1);\n"
            "print(ShapeSetSphere(Pill, 2) + \"\" + ShapeSetMesh(Pill, \"@scripts/tri.ngm\") + \" \");\n"
            "print(V(ShapeGetPosition(Pill)) + V(ShapeGetRotation(Pill)) + ShapeGetMass(Pill) + \" \");\n"
            "print(ObjectIsValid(ShapeGetItem(Pill)) + \" \" + CollisionTraceAll + ChannelBFog);"),
        "truetrue (1,2,3,1)(0.5,0,0,1)4 false -130");
    const nPhysicShape& shape = *scene->FindItem("Pill")->GetPhysicItem()->GetShapes().GetHead()->value;
    EXPECT_EQ(shape.kind, PhysicShapeMesh);
    EXPECT_EQ(shape.geometryName, "@scripts/tri.ngm");
    EXPECT_FLOAT_EQ(shape.staticFriction, 0.25f);
    EXPECT_FLOAT_EQ(shape.dynamicFriction, 0.75f);
    EXPECT_FLOAT_EQ(shape.restitution, 0.1f);

    struct SizeCase
    {
        const char* call;
        int32_t kind;
        nVector dimensions;
    };
    const SizeCase sizes[] = {
        {"ShapeSetCapsule(Pill, 0.5, 2)", PhysicShapeCapsule, nVector(1.0f, 1.0f, 2.0f)},
        {"ShapeSetCylinder(Pill, 0.5, 2)", PhysicShapeCylinder, nVector(1.0f, 1.0f, 2.0f)},
        {"ShapeSetSphere(Pill, 0.5)", PhysicShapeSphere, nVector(0.5f, 0.0f, 0.0f)},
        {"ShapeSetBox(Pill, Vector(1, 2, 3))", PhysicShapeBox, nVector(1.0f, 2.0f, 3.0f)},
        {"ShapeSetConvex(Pill, \"x\")", PhysicShapeConvex, nVector(1.0f, 2.0f, 3.0f)},
    };
    for (const SizeCase& size : sizes)
    {
        EXPECT_EQ(Evaluate(std::string(size.call) + "; print(\"set\");"), "set") << size.call;
        EXPECT_EQ(shape.kind, size.kind) << size.call;
        EXPECT_FLOAT_EQ(shape.dimensions.x, size.dimensions.x) << size.call;
        EXPECT_FLOAT_EQ(shape.dimensions.y, size.dimensions.y) << size.call;
        EXPECT_FLOAT_EQ(shape.dimensions.z, size.dimensions.z) << size.call;
    }

    EXPECT_EQ(
        Evaluate(
            "local item = SceneFindItem(g_scene, \"Pill\");\n"
            "print(ObjectIsValid(ItemGetShapeFromIndex(item, 0)) + \" \" +\n"
            "      (ItemGetShapeFromIndex(item, 1) == null) + (ItemGetShapeFromIndex(item, -1) == null));\n"
            "SceneDeleteItem(g_scene, item); SceneFlushDeletionQueue(g_scene);\n"
            "Try(@() ShapeGetMass(Pill));"),
        "true truetrueExpected 'Collision Shape' got 'Deleted native'");
}

// Each primitive is built at the size it was given: rays along y meet the radius, rays along z the
// length (a capsule's caps add its radius at each end).
TEST_F(PhysicsNativesTest, RaysMeetPrimitivesAtTheSizeTheScriptsGave)
{
    EXPECT_EQ(
        Evaluate("Body(\"Ball\", PhysicModeStatic, Vector(0, 0, 0), @(s) ShapeSetSphere(s, 0.5));\n"
                 "Body(\"Pill\", PhysicModeStatic, Vector(10, 0, 0), @(s) ShapeSetCapsule(s, 0.5, 2));\n"
                 "Body(\"Can\", PhysicModeStatic, Vector(20, 0, 0), @(s) ShapeSetCylinder(s, 0.5, 2));\n"
                 "foreach (x in [0, 10, 20]) {\n"
                 "    local down = Ray(Vector(x, 10, 0), Vector(0, -1, 0));\n"
                 "    local along = Ray(Vector(x, 0, 10), Vector(0, 0, -1));\n"
                 "    print(ItemGetName(down.item) + format(\" %.2f %.2f %.2f;\", down.p.y, along.p.z, "
                 "along.d));\n"
                 "}"),
        "Ball 0.50 0.50 9.50;Pill 0.50 1.50 8.50;Can 0.50 1.00 9.00;");

    // The table of a hit, of a miss, of a ray without direction, and of a scene without a world.
    EXPECT_EQ(
        Evaluate(
            "local hit = Ray(Vector(0, 10, 0), Vector(0, -1, 0));\n"
            "foreach (key, value in hit) print(key + \" \");\n"
            "print(V(hit.n) + ObjectIsValid(hit.shape) + ShapeGetMass(hit.shape) + "
            "ObjectIsValid(hit.material));\n"
            "local miss = Ray(Vector(5, 10, 0), Vector(0, -1, 0));\n"
            "print(\" \" + miss.len() + miss.hit + Ray(Vector(0, 10, 0), Vector(0, 0, 0)).hit);\n"
            "print(\" \" + (SceneCollisionRaytrace(g_bare, Vector(), Vector(0, -1, 0), -1, -1, 0) == "
            "null));\n"
            "print(\" \" + Ray(Vector(0, 6000, 0), Vector(0, -1, 0)).hit);\n"
            "print(SceneCollisionRaytrace(g_scene, Vector(0, 10, 0), Vector(0, -1, 0), -1, -1, 20).hit);\n"
            "print(SceneCollisionRaytrace(g_scene, Vector(0, 10, 0), Vector(0, -1, 0), 0, -1, 20).hit);"),
        "hit shape item material p n d (0,1,0,1)true1false 1falsefalse true falsetruefalse");
}

// Numbers Bullet cannot take are left out by the physics items (a line or nothing), never passed on.
TEST_F(PhysicsNativesTest, UnusableNumbersFromScriptsLeaveTheSimulationSound)
{
    EXPECT_EQ(
        Evaluate(
            "local nan = sqrt(-1), huge = 1e30;\n"
            "Odd <- Body(\"Odd\", PhysicModeDynamic, Vector(0, 5, 0), @(s) ShapeSetBox(s, Vector(-1, -2, "
            "-1)));\n"
            "ShapeSetMass(ItemGetShapeFromIndex(Odd, 0), -2); ItemUpdateInertiaTensorFromCollision(Odd);\n"
            "Wide <- Body(\"Wide\", PhysicModeDynamic, Vector(9, 0, 0), @(s) ShapeSetBox(s, Vector(huge, 1, "
            "1)));\n"
            "ItemSetLinearVelocity(Odd, Vector(nan, 0, 0));\n"
            "ItemApplyImpulse(Odd, Vector(huge, 0, 0), Vector(nan, 1, 0));\n"
            "ItemApplyTorque(Odd, Vector(0, nan, 0)); ItemSetGravity(Odd, Vector(nan, nan, nan));\n"
            "ItemSetPhysicPosition(Odd, Vector(nan, 0, 0)); ItemSetPhysicRotation(Odd, Vector(huge, nan, "
            "0));\n"
            "ItemSetGravityScale(Odd, 1.0 / 0.0); ItemSetLinearDamping(Odd, nan);\n"
            "print(V(ItemGetPhysicPosition(Odd)) + \" \" + Ray(Vector(nan, 0, 0), Vector(0, -1, 0)).hit);"),
        "(0,5,0,1) false");
    EXPECT_TRUE(Logged("[!] Physic shape with unusable position, rotation, scale or dimensions left out.\n"));
    EXPECT_TRUE(
        Logged("[*] ShapeSetMass: the value -2 is refused; it must be a finite number of at least 0.\n"));
    Step(30);
    // The body kept its mass and falls where finite numbers take it; one whose only shape was left out
    // has no body.
    EXPECT_EQ(Evaluate("local y = ItemGetPhysicPosition(Odd).y;"
                       "print((y < 5 && y - y == 0) + V(ItemGetPhysicPosition(Wide)));"),
              "true(0,0,0,1)");
}

TEST_F(PhysicsNativesTest, TheScenesFrequencyAndGravityNeedAWorldAndUsableValues)
{
    EXPECT_EQ(
        Evaluate(
            "print(SceneGetPhysicFrequency(g_scene) + \" \" + SceneGetPhysicFrequency(g_bare) + \" \");\n"
            "SceneSetPhysicFrequency(g_scene, 30); print(SceneGetPhysicFrequency(g_scene) + \" \");\n"
            "foreach (bad in [0, -5, sqrt(-1), 1.0 / 0.0]) SceneSetPhysicFrequency(g_scene, bad);\n"
            "print(SceneGetPhysicFrequency(g_scene) + \" \");\n"
            "SceneSetPhysicFrequency(g_bare, 10); SceneSetGravity(g_bare, Vector(0, 1, 0));\n"
            "SceneSetGravity(g_scene, Vector(0, sqrt(-1), 0));\n"
            "Try(@() SceneSetGravity(g_bare, UV(0, 0)));\n"
            "ScenePhysicEnableDeactivation(Vector(), true);\n"
            "SceneSetPhysicContactSolverIteration(NullItem, 1); "
            "SceneSetPhysicConstraintSolverIteration(g_bare, 1);\n"
            "ScenePhysicAllocateCollisionNode(g_scene, 1, 2);"),
        "60 0 30 30 Invalid instance type");
    EXPECT_EQ(std::count_if(log.lines.begin(), log.lines.end(),
                            [](const std::string& line)
                            { return line.rfind("[*] SceneSetPhysicFrequency: the value ", 0) == 0; }),
              4);
    EXPECT_TRUE(
        Logged("[*] SceneSetGravity: the value (0, nan, 0, 1) is refused; it must be a vector of finite "
               "numbers.\n"));
    EXPECT_TRUE(Logged("ScenePhysicAllocateCollisionNode is obsolete.\n"));
    EXPECT_FLOAT_EQ(scene->GetPhysicWorld()->GetGravity().y, -9.8f);
}

TEST_F(PhysicsNativesTest, PointConstraintsCheckBothItemsBeforeTheyAreMade)
{
    WithoutBody(scene->NewObject("Ghost"));
    other->NewObject("Stranger");
    EXPECT_EQ(
        Evaluate(
            "A <- Cube(\"A\", PhysicModeDynamic, Vector(0, 0, 0));\n"
            "B <- Cube(\"B\", PhysicModeDynamic, Vector(0, 2, 0));\n"
            "Ghost <- SceneFindItem(g_scene, \"Ghost\"); Stranger <- SceneFindItem(g_other, \"Stranger\");\n"
            "Try(@() SceneAddPointConstraint(g_scene, \"J\", A, Ghost, Vector(), Vector()));\n"
            "Try(@() SceneAddPointConstraint(g_scene, \"J\", Ghost, A, Vector(), Vector()));\n"
            "Try(@() SceneAddPointConstraint(g_scene, \"J\", A, NullItem, Vector(), Vector()));\n"
            "Try(@() SceneAddPointConstraint(g_scene, \"J\", A, Stranger, Vector(), Vector()));\n"
            "Try(@() SceneAddPointConstraint(g_scene, \"J\", A, B, Vector(), UV(0, 0)));\n"
            "Try(@() SceneAddPointConstraint(g_bare, \"J\", A, B, Vector(), Vector()));"),
        "Item has no physics component.Item has no physics component.CObject is null"
        "Item is not in the constraint's physics world.Invalid instance type"
        "Item is not in the constraint's physics world.");
    EXPECT_EQ(scene->GetConstraints().GetCount(), 0u);
    EXPECT_EQ(scene->FindItem("J"), nullptr);

    EXPECT_EQ(
        Evaluate("J <- SceneAddPointConstraint(g_scene, \"J\", A, B, Vector(0, 1, 0), Vector(0, -1, 0));\n"
                 "print(V(ConstraintGetPivotA(J)) + V(ConstraintGetPivotB(J)) + \" \");\n"
                 "ConstraintSetPivotA(J, Vector(1, 2, 3)); print(V(ConstraintGetPivotA(J)) + \" \");\n"
                 "ConstraintEnable(J, false); ConstraintSetStrength(J, 2); ConstraintSetup(J, false);\n"
                 "Try(@() ConstraintSetItemB(J, Ghost)); Try(@() ConstraintSetItemA(J, NullItem));\n"
                 "ConstraintSetItemA(J, B); ConstraintSetItemB(J, A); print(\" set\");"),
        "(0,1,0,1)(0,-1,0,1) (1,2,3,1) Item has no physics component.CObject is null set");
    ASSERT_EQ(scene->GetConstraints().GetCount(), 1u);
    nMConstraint* joint = scene->GetConstraints().GetHead()->value;
    EXPECT_EQ(joint->GetPhysicConstraint()->GetItemA(), scene->FindItem("B")->GetPhysicItem());
    EXPECT_EQ(joint->GetPhysicConstraint()->GetItemB(), scene->FindItem("A")->GetPhysicItem());

    scene->DeleteItem(joint);
    scene->FlushDeletionQueue();
    EXPECT_EQ(Evaluate("Try(@() ConstraintGetPivotA(J));"),
              "Expected 'Physic Constraint' got 'Deleted native'");
}

TEST_F(PhysicsNativesTest, TriggersListTheDetectedItemsInside)
{
    nTrigger* trigger = scene->NewTrigger("T");
    trigger->GetTriggerItem().SetScale(nVector(4.0f, 4.0f, 4.0f));
    for (const char* name : {"In", "Blind"})
        scene->NewObject(name);
    scene->FindItem("In")->SetFlag(MItemFlagTriggerDetected, true);
    trigger->Evaluate();
    EXPECT_EQ(
        Evaluate(
            "T <- ItemCastToTrigger(SceneFindItem(g_scene, \"T\"));\n"
            "In <- SceneFindItem(g_scene, \"In\");\n"
            "foreach (item in TriggerGetItemList(T)) print(ItemGetName(item) + \" \");\n"
            "print(TriggerTestItem(T, In) + \" \" + TriggerTestItem(T, SceneFindItem(g_scene, \"Blind\")));\n"
            "print(\" \" + ItemGetName(SceneRaytraceTriggerList(g_scene, Vector(0, 10, 0), Vector(0, -1, 0), "
            "-1)));\n"
            "print(\" \" + ObjectIsValid(SceneRaytraceTriggerList(g_scene, Vector(9, 10, 0), Vector(0, -1, "
            "0), -1)));\n"
            "Try(@() TriggerTestItem(T, NullItem));\n"
            "ItemSetPosition(In, Vector(5, 0, 0));"),
        "In true false T falseCObject is null");
    trigger->Evaluate();
    EXPECT_EQ(Evaluate("print(TriggerGetItemList(T).len() + \" \" + TriggerTestItem(T, In));"), "0 false");
}

TEST_F(PhysicsNativesTest, MotionsAnswerTheirChannelsAndEmittersTheirScales)
{
    WriteScript("fire.npm", "<NML=1.0>\n<ParticleModel=<TTL=1.5>>\n");
    nMEmitter* emitter = scene->NewEmitter("E");
    EXPECT_EQ(Evaluate("local walk = ItemGetMotion(SceneFindItem(g_scene, \"Walker\"), \"walk\");\n"
                       "print(MotionGetName(walk) + \" \" + MotionGetLength(walk) + \" \" +\n"
                       "      V(MotionEvaluatePosition(walk, 2)) + V(MotionEvaluatePosition(walk, 0)));\n"
                       "local e = ItemCastToEmitter(SceneFindItem(g_scene, \"E\"));\n"
                       "EmitterSetBirthRateScale(e, 2); EmitterSetBirthSizeScale(e, 3);\n"
                       "EmitterSetBirthSpeedScale(e, 4); EmitterSetBirthOpacityScale(e, 0.5);\n"
                       "EmitterSetParticleModel(e, \"@scripts/fire.npm\");"),
              "walk 2 (4,0,0,1)(0,0,0,1)");
    const nEmitter& part = emitter->GetEmitter();
    EXPECT_EQ(part.GetBirthRateScale(), 2.0f);
    EXPECT_EQ(part.GetBirthSizeScale(), 3.0f);
    EXPECT_EQ(part.GetBirthSpeedScale(), 4.0f);
    EXPECT_EQ(part.GetBirthOpacityScale(), 0.5f);
    ASSERT_NE(part.GetParticleModel(), nullptr);
    EXPECT_FLOAT_EQ(part.GetParticleModel()->timeToLive, 1.5f);
    EXPECT_EQ(Evaluate("EmitterSetParticleModel(ItemCastToEmitter(SceneFindItem(g_scene, \"E\")), "
                       "\"@scripts/gone.npm\");\n"
                       "print(\"set\");"),
              "set");
    EXPECT_EQ(part.GetParticleModel(), nullptr);
}

class MergeTest : public PhysicsNativesTest
{
protected:
    void SetUp() override
    {
        PhysicsNativesTest::SetUp();
        triangle = engine.LoadGeometry("@scripts/tri.ngm", false, false);
        ASSERT_TRUE(triangle);
        for (const char* name : {"A", "B", "Bare"})
            scene->NewObject(name);
        for (const char* name : {"A", "B"})
            static_cast<nMObject*>(scene->FindItem(name))->GetObject().SetGeometry(triangle.Get());
        scene->NewLight("Lamp", 0, 1.0f);
        ASSERT_TRUE(
            Run("A <- SceneFindItem(g_scene, \"A\"); B <- SceneFindItem(g_scene, \"B\");\n"
                "Bare <- SceneFindItem(g_scene, \"Bare\"); Lamp <- SceneFindItem(g_scene, \"Lamp\");\n",
                "merge.nut"));
    }

    nSharedPtr<nGeometry> triangle;
};

// The merged object stands at the origin with both geometries in place, and the shapes of both at
// their world places; it takes b's physics mode.
TEST_F(MergeTest, TheMergedObjectKeepsTheShapesAtTheirWorldPlaces)
{
    EXPECT_EQ(
        Evaluate(
            "ItemSetPosition(A, Vector(5, 0, 0));\n"
            "local can = ItemAddCollisionShape(A);\n"
            "ShapeSetCylinder(can, 0.5, 2); ShapeSetPosition(can, Vector(0, 0, 1)); ShapeSetMass(can, 3);\n"
            "ItemSetPhysicMode(A, PhysicModeDynamic); ItemSetPhysicMode(B, PhysicModeStatic);\n"
            "Merged <- SceneMergeItems(g_scene, A, B);\n"
            "print(ItemGetName(Merged) + \" \" + ItemGetPhysicMode(Merged) + \" \");\n"
            "local shape = ItemGetShapeFromIndex(Merged, 0);\n"
            "print(V(ShapeGetPosition(shape)) + ShapeGetMass(shape) + \" \" + (ItemGetShapeFromIndex(Merged, "
            "1) == null));\n"
            "ItemUpdateInertiaTensorFromCollision(Merged);\n"
            "local hit = Ray(Vector(5, 10, 1.5), Vector(0, -1, 0));\n"
            "print(\" \" + ItemGetName(hit.item) + format(\" %.2f\", hit.p.y));"),
        "merged 1 (5,0,1,1)3 true merged 0.50");
    nMItem* merged = scene->FindItem("merged");
    ASSERT_NE(merged, nullptr);
    const nPhysicShape& shape = *merged->GetPhysicItem()->GetShapes().GetHead()->value;
    EXPECT_EQ(shape.kind, PhysicShapeCylinder);
    EXPECT_FLOAT_EQ(shape.dimensions.z, 2.0f);
    const nGeometry* geometry = static_cast<nMObject*>(merged)->GetObject().GetGeometry();
    ASSERT_NE(geometry, nullptr);
    EXPECT_EQ(geometry->vertices.GetCount(), 6u);
    EXPECT_FLOAT_EQ(geometry->box.min.x, 0.0f);
    EXPECT_FLOAT_EQ(geometry->box.max.x, 6.0f);
    EXPECT_NE(scene->FindItem("A"), nullptr); // the sources stay
}

TEST_F(MergeTest, OnlyObjectsWithGeometriesThatCanBeReadAreMerged)
{
    EXPECT_EQ(
        Evaluate("Try(@() SceneMergeItems(g_scene, Lamp, A));\n"
                 "Try(@() SceneMergeItems(g_scene, A, Lamp));\n"
                 "Try(@() SceneMergeItems(g_scene, A, Bare));\n"
                 "Try(@() SceneMergeItems(g_scene, A, NullItem));\n"
                 "Try(@() SceneMergeItems(g_scene, NullItem, Lamp));\n"
                 "print(\" \" + ObjectIsValid(ItemGetGeometry(A)) + ObjectIsValid(ItemGetGeometry(Bare)));"),
        "Only objects can be merged.Only objects can be merged.Only objects with a geometry can be merged."
        "CObject is nullCObject is null truefalse");

    // A geometry whose arrays went to the renderer is read again from its file; one without a file
    // cannot be.
    triangle->ReleaseData();
    ASSERT_EQ(triangle->vertices.GetCount(), 0u);
    EXPECT_EQ(Evaluate("print(ItemGetName(SceneMergeItems(g_scene, A, B)));"), "merged");
    EXPECT_EQ(triangle->vertices.GetCount(), 0u);
    triangle->name = "";
    EXPECT_EQ(Evaluate("Try(@() SceneMergeItems(g_scene, A, B));"), "Failed to load geometry to merge.");
    EXPECT_EQ(scene->GetObjects().GetCount(), 5u); // Walker, A, B, Bare and the one merged object
}
} // namespace
