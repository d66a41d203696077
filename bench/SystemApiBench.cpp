#include "ScriptLoop.h"

// System, device and metafile natives called from one script loop, the way a script polls them
// every frame: calls per second of each native, loop included.

namespace
{
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

void RunLoop(benchmark::State& state, const char* function)
{
    ScriptLoop loop;
    loop.Run(kScript);
    loop.Measure(state, function);
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
