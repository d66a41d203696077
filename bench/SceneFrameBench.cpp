#include "core/base/nLog.h"
#include "core/io/nIOCFile.h"
#include "engine/Quenvar.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nScene.h"
#include "platform/nPlatform.h"
#include "script/nSquirrelVM.h"
#include "script/units/nScriptUnit.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// The update half of a frame, per second: a scene of 10,000 managed objects, each with one unit
// whose class defines an empty "OnUpdate", runs the whole frame update and the render sequence on
// the null renderer. The objects have no geometry and that renderer draws nothing, so no drawing
// is measured: what is measured is the scene's walks and the script events a frame sends
// ("OnUpdate" to every item, and the walks for "OnLogicUpdate" and "OnRenderDone"). One iteration
// is one frame; items_per_second counts frames. UpdateHalfOfFrameWithoutScripts runs the same
// frame over objects without units: what the scene's own walks cost.

namespace
{
constexpr int kObjects = 10000;

const char kScript[] = "class Idle {\n"
                       "  function OnUpdate(owner) {}\n"
                       "}\n";

struct Level
{
    explicit Level(bool scripted) : machine(nullptr)
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        char pattern[] = "/tmp/sceneframebenchXXXXXX";
        directory = mkdtemp(pattern);
        std::ofstream(directory + "/idle.nut") << kScript;
        base = new nIOCFile(nString(directory.c_str()));
        base->AddRef();
        nPlatform::Get().GetIOSystem().Mount(base, "@bench/");
        machine.Open();
        engine.SetFixedDeltaFrame(1.0f / 60.0f);
        scene = new nScene(&engine, &machine);
        scene->AddRef();
        for (int i = 0; i < kObjects; ++i)
        {
            nMObject* object = scene->NewObject("Box");
            if (!scripted)
                continue;
            nScriptUnit* unit = object->CreateScriptUnit();
            unit->SetScript(nString("@bench/idle.nut"));
            unit->SetClassName(nString("Idle"));
        }
        scene->Setup();
        scene->Reset();
    }

    ~Level()
    {
        scene->Release();
        machine.Close();
        nPlatform::Get().GetIOSystem().Unmount(base);
        base->Release();
        std::filesystem::remove_all(directory);
    }

    Quenvar engine;
    nSquirrelVM machine;
    std::string directory;
    nIOCFile* base = nullptr;
    nScene* scene = nullptr;
};

void RunFrames(benchmark::State& state, bool scripted)
{
    Level level(scripted);
    nRenderer* renderer = level.engine.GetRenderer();
    for (auto _ : state)
    {
        level.engine.UpdateClock();
        level.scene->Update(SceneUpdateAll);
        level.scene->RegisterAsPropertyCallback(renderer);
        level.scene->RenderSetup(SceneRenderClearViewport);
        level.scene->RenderToQueue(0);
        renderer->RenderQueue();
        renderer->ResetRenderQueue();
        level.scene->SendRenderDone(0);
        level.scene->RenderUI(0);
    }
    state.SetItemsProcessed(state.iterations());
}

void UpdateHalfOfFrame(benchmark::State& state)
{
    RunFrames(state, true);
}

void UpdateHalfOfFrameWithoutScripts(benchmark::State& state)
{
    RunFrames(state, false);
}
} // namespace

BENCHMARK(UpdateHalfOfFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(UpdateHalfOfFrameWithoutScripts)->Unit(benchmark::kMillisecond);
