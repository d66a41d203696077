#include "script/nObjectType.h"
#include "script/nScriptObject.h"
#include "script/nScriptValue.h"
#include "script/nSquirrelVM.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

// Host calls per second of a script method OnUpdate(owner, dt) on 100 script instances, the way
// the engine sends its per-frame events: BeginCall with the instance as this, the owner pushed as
// an engine object (a new handle per call), the frame time as a float, EndCall without a result.
// One iteration is one frame: one call on each instance.

namespace
{
constexpr int kInstances = 100;

const char kScript[] = "class Unit {\n"
                       "  time = 0.0;\n"
                       "  function OnUpdate(owner, dt) { time += dt; }\n"
                       "}\n"
                       "for (local i = 0; i < 100; ++i) getroottable()[\"unit\" + i] <- Unit();\n";

struct Scene
{
    Scene() : machine(nullptr)
    {
        machine.Open();
        HSQUIRRELVM vm = machine.GetHandle();
        sq_compilebuffer(vm, kScript, sizeof(kScript) - 1, "bench", SQTrue);
        sq_pushroottable(vm);
        sq_call(vm, 1, SQFalse, SQTrue);
        sq_pop(vm, 1);
        for (int i = 0; i < kInstances; ++i)
        {
            instances.emplace_back(machine.GetObject(("unit" + std::to_string(i)).c_str(), nullptr));
            methods.emplace_back(machine.GetObject("OnUpdate", instances.back().get()));
        }
    }

    ~Scene()
    {
        methods.clear();
        instances.clear();
        machine.Close();
    }

    nSquirrelVM machine;
    std::vector<std::unique_ptr<nScriptObject>> instances;
    std::vector<std::unique_ptr<nScriptObject>> methods;
    int owners[kInstances] = {};
};

void CallOnUpdate(benchmark::State& state, bool cachedMethod)
{
    Scene scene;
    nSquirrelVM& machine = scene.machine;
    for (auto _ : state)
    {
        for (int i = 0; i < kInstances; ++i)
        {
            nScriptObject* method = cachedMethod ? scene.methods[i].get() : nullptr;
            if (machine.BeginCall("OnUpdate", method, scene.instances[i].get()))
            {
                machine.PushArgument(nScriptValue(int32_t{ObjectTypeItem}, &scene.owners[i]));
                machine.PushArgument(nScriptValue(0.016f));
                machine.EndCall(nullptr);
            }
        }
    }
    if (machine.GetState() != ScriptVMRunning)
        state.SkipWithError("the script machine stopped");
    state.SetItemsProcessed(state.iterations() * kInstances);
}

void OnUpdateCachedMethod(benchmark::State& state)
{
    CallOnUpdate(state, true);
}

void OnUpdateByName(benchmark::State& state)
{
    CallOnUpdate(state, false);
}
} // namespace

BENCHMARK(OnUpdateCachedMethod)->Iterations(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(OnUpdateByName)->Iterations(100000)->Unit(benchmark::kMillisecond);
