#include "ScriptLoop.h"

#include "engine/Quenvar.h"
#include "engine/scene/nScene.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"

// Item natives called from one script loop, the way a scene script calls them every frame: calls
// per second of each native, loop included. A scene of 1000 objects, or a physics scene of a ground
// and a box resting on it; each iteration is one call of a script function that runs its loop.

namespace
{
constexpr int kItems = 1000;

const char kScript[] = R"(
Items <- SceneGetItemList(g_scene);
function GetPositions(count) {
    local item = Items[0];
    for (local i = 0; i < count; ++i) ItemGetPosition(item);
}
function SetPositions(count) {
    local item = Items[0];
    local position = Vector(1, 2, 3);
    for (local i = 0; i < count; ++i) ItemSetPosition(item, position);
}
// Every item asked ten times, as a frame of 1000 scripted items might.
function AreActive(count) {
    local active = 0;
    for (local i = 0; i < count; ++i) if (ItemIsActive(Items[i % 1000])) ++active;
    return active;
}
)";

// The ground's top is at y 0.5 and the box rests on it; rays fall onto the box, every one a hit
// whose table holds all its slots.
const char kPhysicsScript[] = R"(
function Shaped(name, size, mass, mode, position) {
    local item = ObjectGetItem(SceneAddObject(g_scene, name));
    local shape = ItemAddCollisionShape(item);
    ShapeSetBox(shape, size);
    ShapeSetMass(shape, mass);
    ItemSetPosition(item, position);
    ItemSetPhysicMode(item, mode);
    ItemUpdateInertiaTensorFromCollision(item);
    return item;
}
Shaped("Ground", Vector(20, 1, 20), 0, PhysicModeStatic, Vector(0, 0, 0));
Box <- Shaped("Box", Vector(1, 1, 1), 1, PhysicModeDynamic, Vector(0, 1, 0));
function CastRays(count) {
    local origin = Vector(0, 10, 0), down = Vector(0, -1, 0);
    local hits = 0;
    for (local i = 0; i < count; ++i) if (SceneCollisionRaytrace(g_scene, origin, down, -1, -1, 0).hit) ++hits;
    return hits;
}
function GetVelocities(count) {
    for (local i = 0; i < count; ++i) ItemGetLinearVelocity(Box);
}
)";

struct Level
{
    explicit Level(bool physics = false) : scene(new nScene(&engine, &loop.GetMachine()))
    {
        scene->AddRef();
        if (physics)
            scene->CreatePhysicWorld();
        else
            for (int i = 0; i < kItems; ++i)
                scene->NewObject("Crate");
        loop.GetMachine().SetSlot("g_scene", nScriptValue(ObjectTypeScene, scene), nullptr);
        loop.Run(physics ? kPhysicsScript : kScript);
    }

    ~Level() { scene->Release(); }

    Quenvar engine;
    ScriptLoop loop;
    nScene* scene;
};

void RunLoop(benchmark::State& state, const char* function, bool physics = false)
{
    Level level(physics);
    level.loop.Measure(state, function);
}

void BM_ItemGetPosition(benchmark::State& state)
{
    RunLoop(state, "GetPositions");
}
BENCHMARK(BM_ItemGetPosition);

void BM_ItemSetPosition(benchmark::State& state)
{
    RunLoop(state, "SetPositions");
}
BENCHMARK(BM_ItemSetPosition);

void BM_ItemIsActive(benchmark::State& state)
{
    RunLoop(state, "AreActive");
}
BENCHMARK(BM_ItemIsActive);

void BM_SceneCollisionRaytrace(benchmark::State& state)
{
    RunLoop(state, "CastRays", true);
}
BENCHMARK(BM_SceneCollisionRaytrace);

void BM_ItemGetLinearVelocity(benchmark::State& state)
{
    RunLoop(state, "GetVelocities", true);
}
BENCHMARK(BM_ItemGetLinearVelocity);
} // namespace
