#include "ScriptLoop.h"

#include "engine/Quenvar.h"
#include "engine/scene/nScene.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"

// Item natives called from one script loop, the way a scene script calls them every frame: calls
// per second of each native, loop included. A scene of 1000 objects; each iteration is one call of
// a script function that runs its loop.

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

struct Level
{
    Level() : scene(new nScene(&engine, &loop.GetMachine()))
    {
        scene->AddRef();
        for (int i = 0; i < kItems; ++i)
            scene->NewObject("Crate");
        loop.GetMachine().SetSlot("g_scene", nScriptValue(ObjectTypeScene, scene), nullptr);
        loop.Run(kScript);
    }

    ~Level() { scene->Release(); }

    Quenvar engine;
    ScriptLoop loop;
    nScene* scene;
};

void RunLoop(benchmark::State& state, const char* function)
{
    Level level;
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
} // namespace
