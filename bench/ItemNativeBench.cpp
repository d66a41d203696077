#include "api/ScriptApi.h"
#include "engine/Quenvar.h"
#include "engine/scene/nScene.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "script/nSquirrelVM.h"

#include <benchmark/benchmark.h>

#include <cstring>

// Item natives called from one script loop, the way a scene script calls them every frame: calls
// per second of each native, loop included. A scene of 1000 objects; each iteration is one call of
// a script function that runs its loop.

namespace
{
constexpr int kItems = 1000;
constexpr int kCallsPerIteration = 10000;

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
    Level() : machine(nullptr), scene(new nScene(&engine, &machine))
    {
        scene->AddRef();
        machine.Open();
        RegisterScriptApi(machine.GetHandle());
        for (int i = 0; i < kItems; ++i)
            scene->NewObject("Crate");
        machine.SetSlot("g_scene", nScriptValue(ObjectTypeScene, scene), nullptr);
        HSQUIRRELVM vm = machine.GetHandle();
        sq_compilebuffer(vm, kScript, static_cast<SQInteger>(std::strlen(kScript)), "bench", SQTrue);
        sq_pushroottable(vm);
        sq_call(vm, 1, SQFalse, SQTrue);
        sq_pop(vm, 1);
    }

    ~Level()
    {
        scene->Release();
        machine.Close();
    }

    bool Call(const char* function, int count)
    {
        HSQUIRRELVM vm = machine.GetHandle();
        const SQInteger top = sq_gettop(vm);
        sq_pushroottable(vm);
        sq_pushstring(vm, function, -1);
        bool called = SQ_SUCCEEDED(sq_get(vm, -2));
        if (called)
        {
            sq_pushroottable(vm);
            sq_pushinteger(vm, count);
            called = SQ_SUCCEEDED(sq_call(vm, 2, SQFalse, SQTrue));
        }
        sq_settop(vm, top);
        return called;
    }

    Quenvar engine;
    nSquirrelVM machine;
    nScene* scene;
};

void RunLoop(benchmark::State& state, const char* function)
{
    Level level;
    for (auto _ : state)
        if (!level.Call(function, kCallsPerIteration))
        {
            state.SkipWithError("the script loop failed");
            break;
        }
    state.SetItemsProcessed(state.iterations() * kCallsPerIteration);
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
