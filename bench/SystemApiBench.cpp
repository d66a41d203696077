#include "api/ScriptApi.h"
#include "script/nSquirrelVM.h"

#include <benchmark/benchmark.h>

#include <cstring>

// System, device and metafile natives called from one script loop, the way a script polls them
// every frame: calls per second of each native, loop included. Each iteration is one call of a
// script function that runs its loop.

namespace
{
constexpr int kCallsPerIteration = 10000;

const char kScript[] = R"(
Doc <- MetafileNew();
local root = MetafileAddRoot(Doc, "Root");
for (local i = 0; i < 100; ++i) MetatagAddChildWithValue(root, "Tag" + i, i);
function PoolKeys(count) {
    for (local i = 0; i < count; ++i) KeyboardPoolFunction(DeviceKeyPress);
}
function Rand(count) {
    for (local i = 0; i < count; ++i) SystemRand(1000);
}
function GetTags(count) {
    for (local i = 0; i < count; ++i) MetafileGetTag(Doc, "Root:Tag50");
}
)";

struct Machine
{
    Machine() : machine(nullptr)
    {
        machine.Open();
        RegisterScriptApi(machine.GetHandle());
        HSQUIRRELVM vm = machine.GetHandle();
        sq_compilebuffer(vm, kScript, static_cast<SQInteger>(std::strlen(kScript)), "bench", SQTrue);
        sq_pushroottable(vm);
        sq_call(vm, 1, SQFalse, SQTrue);
        sq_pop(vm, 1);
    }

    ~Machine() { machine.Close(); }

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

    nSquirrelVM machine;
};

void RunLoop(benchmark::State& state, const char* function)
{
    Machine machine;
    for (auto _ : state)
        if (!machine.Call(function, kCallsPerIteration))
        {
            state.SkipWithError("the script loop failed");
            break;
        }
    state.SetItemsProcessed(state.iterations() * kCallsPerIteration);
}

void BM_KeyboardPoolFunction(benchmark::State& state)
{
    RunLoop(state, "PoolKeys");
}
BENCHMARK(BM_KeyboardPoolFunction);

void BM_SystemRand(benchmark::State& state)
{
    RunLoop(state, "Rand");
}
BENCHMARK(BM_SystemRand);

void BM_MetafileGetTag(benchmark::State& state)
{
    RunLoop(state, "GetTags");
}
BENCHMARK(BM_MetafileGetTag);
} // namespace
