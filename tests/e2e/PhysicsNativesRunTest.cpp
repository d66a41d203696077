#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace
{
const std::string CoreData = KESTRUN_DATA_DIR "/core";

const char* const SceneFile = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"Main\">><Items>>";

// A static ground slab (top at y 0.5) and a dynamic unit cube of mass 1 dropped from y 5, stepped at
// 60 Hz; the checks run where the text of the case goes.
std::string Script(const std::string& setupCheck, const std::string& report)
{
    return R"(
// One decimal, without the sign of a negative zero.
function F(v) { local text = format("%.1f", v); return text == "-0.0" ? "0.0" : text; }
function Shaped(s, name, size, mass, mode) {
    local item = ObjectGetItem(SceneAddObject(s, name));
    local shape = ItemAddCollisionShape(item);
    ShapeSetBox(shape, size);
    ShapeSetMass(shape, mass);
    ItemSetPhysicMode(item, mode);
    ItemUpdateInertiaTensorFromCollision(item);
    return item;
}
class Main {
    frames = 0;
    box = null;
    function OnSetup(s) {
        EngineSetFixedDeltaFrame(g_engine, 1.0 / 60);
        SceneSetGravity(s, Vector(0, -9.81, 0));
        SceneSetPhysicFrequency(s, 60);
        print("frequency " + F(SceneGetPhysicFrequency(s)));
        SceneSetPhysicFrequency(s, 0);
        print("a zero frequency keeps " + F(SceneGetPhysicFrequency(s)));
        Shaped(s, "Ground", Vector(20, 1, 20), 0, PhysicModeStatic);
        box = Shaped(s, "Box", Vector(1, 1, 1), 1, PhysicModeDynamic);
)" + setupCheck +
           R"(
    }
    // The scene's reset puts bodies back where their items are: the box is dropped after it.
    function OnReset(s) { ItemSetPhysicPosition(box, Vector(0, 5, 0)); }
    function OnUpdate(s) {
        if (++frames < 180)
            return;
)" + report +
           R"(
        SceneEnd(s);
    }
}
)";
}

const char* const Report = R"(
        print("box y " + F(ItemGetPhysicPosition(box).y) + ", resting " + (ItemGetSpeed(box) < 0.05) +
              ", item y " + F(ItemGetWorldPosition(box).y));
        local hit = SceneCollisionRaytrace(s, Vector(0, 10, 0), Vector(0, -1, 0), -1, -1, 0);
        print("hit " + hit.hit + " " + ItemGetName(hit.item) + " at " + F(hit.p.y) + ", n " + F(hit.n.x) + "," +
              F(hit.n.y) + "," + F(hit.n.z) + ", d " + F(hit.d) + ", shape " + ObjectIsValid(hit.shape) + " of mass " +
              F(ShapeGetMass(hit.shape)) + ", material " + ObjectIsValid(hit.material));
        local miss = SceneCollisionRaytrace(s, Vector(50, 10, 0), Vector(0, -1, 0), -1, -1, 0);
        print("miss " + miss.len() + " " + miss.hit);
        ItemSetGravityScale(box, 0.5);
        print("gravity " + format("%.3f", ItemGetGravity(box).y));
        local joint = SceneAddPointConstraint(s, "J", box, SceneFindItem(s, "Ground"), Vector(), Vector());
        ConstraintSetPivotA(joint, Vector(1, 2, 3));
        local pivot = ConstraintGetPivotA(joint);
        print("pivot " + F(pivot.x) + "," + F(pivot.y) + "," + F(pivot.z) + "," + F(pivot.w));
        print("shapes " + ItemGetShapeFromIndex(box, -1) + " " + ItemGetShapeFromIndex(box, 1) + ", item " +
              ObjectIsValid(ShapeGetItem(ItemGetShapeFromIndex(box, 0))));
        print("constants " + CollisionTraceAll + " " + ChannelBFog);
)";

KestrunRun RunScene(const std::string& script)
{
    TemporaryDirectory directory;
    directory.WriteFile("s.nms", SceneFile);
    directory.WriteFile("s.nut", script);
    return RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none", "-CC", CoreData});
}

std::vector<std::string> ScriptLines(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);)
        if (line.rfind("[S] ", 0) == 0)
            lines.push_back(line.substr(4));
    return lines;
}

bool HasErrorLineWith(const std::string& output, const std::string& text)
{
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);)
        if (line.rfind("[!] ", 0) == 0 && line.find(text) != std::string::npos)
            return true;
    return false;
}

TEST(PhysicsNativesRun, ABoxFallsOntoTheGroundAndRaysFindIt)
{
    const KestrunRun run = RunScene(Script("", Report));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ScriptLines(run.output),
              (std::vector<std::string>{
                  "frequency 60.0",
                  "a zero frequency keeps 60.0",
                  "box y 1.0, resting true, item y 1.0",
                  "hit true Box at 1.5, n 0.0,1.0,0.0, d 8.5, shape true of mass 1.0, material false",
                  "miss 1 false",
                  "gravity -4.905",
                  "pivot 1.0,2.0,3.0,1.0",
                  "shapes null null, item false",
                  "constants -1 30",
              }))
        << run.output;
}

TEST(PhysicsNativesRun, BadArgumentsStopTheScriptWithTheirError)
{
    struct Case
    {
        const char* call;
        const char* error;
    };
    const Case cases[] = {
        {"ItemApplyForce(box, Vector(0, 0, 0))", "wrong number of parameters"},
        {"ItemGetMass(s)", "Expected 'Item' got 'Scene'"},
        {"ItemSetGravity(box, UV(0, 0))", "Invalid instance type"},
        {"ItemGetGeometry(LightGetItem(SceneAddLight(s, \"Lamp\")))",
         "Item is not an object, cannot get geometry"},
        {"SceneMergeItems(s, LightGetItem(SceneAddLight(s, \"Lamp\")), box)", "Only objects can be merged."},
        {"SceneMergeItems(s, box, ObjectGetItem(SceneAddObject(s, \"Other\")))",
         "Only objects with a geometry can be merged."},
        {"ShapeSetBox(box, Vector(1, 1, 1))", "Expected 'Collision Shape' got 'Item'"},
    };
    for (const Case& c : cases)
    {
        const KestrunRun run =
            RunScene(Script(std::string("        ") + c.call + "; print(\"went on\");", ""));
        EXPECT_EQ(run.exitCode, 3) << c.call << "\n" << run.output;
        EXPECT_TRUE(HasErrorLineWith(run.output, c.error)) << c.call << "\n" << run.output;
        EXPECT_EQ(run.output.find("[S] went on"), std::string::npos) << c.call;
    }
}
} // namespace
