#pragma once

#include "ScriptBenchCall.h"
#include "api/ScriptApi.h"
#include "script/nSquirrelVM.h"

#include <benchmark/benchmark.h>

#include <cstring>

// A machine with the whole script API whose script defines functions that loop over natives, the
// way a script calls them every frame. Each benchmark iteration calls one such function, which
// takes the number of calls to make.
class ScriptLoop
{
public:
    static constexpr int CallsPerIteration = 10000;

    ScriptLoop()
    {
        machine.Open();
        RegisterScriptApi(machine.GetHandle());
    }

    ~ScriptLoop() { machine.Close(); }

    nSquirrelVM& GetMachine() { return machine; }

    void Run(const char* text)
    {
        HSQUIRRELVM vm = machine.GetHandle();
        sq_compilebuffer(vm, text, static_cast<SQInteger>(std::strlen(text)), "bench", SQTrue);
        sq_pushroottable(vm);
        sq_call(vm, 1, SQFalse, SQTrue);
        sq_pop(vm, 1);
    }

    bool Call(const char* function, int count) { return CallScriptFunction(machine.GetHandle(), function, count); }

    // Calls per second of the function's native, loop included.
    void Measure(benchmark::State& state, const char* function)
    {
        for (auto _ : state)
            if (!Call(function, CallsPerIteration))
            {
                state.SkipWithError("the script loop failed");
                break;
            }
        state.SetItemsProcessed(state.iterations() * CallsPerIteration);
    }

private:
    nSquirrelVM machine{nullptr};
};
