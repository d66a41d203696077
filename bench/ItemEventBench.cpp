#include "core/io/nIOCFile.h"
#include "platform/nPlatform.h"
#include "script/nObjectType.h"
#include "script/nSquirrelVM.h"
#include "script/units/nItemEventHandler.h"
#include "script/units/nManagerScriptUnit.h"
#include "script/units/nScriptedObject.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

// Events per second of "OnUpdate" sent through the item event dispatcher to 10,000 managed items
// with one script unit each, the owner handle pushed with every call. One iteration is one frame.

namespace
{
constexpr int kItems = 10000;

const char kScript[] = "class Spinner {\n"
                       "  turns = 0;\n"
                       "  function OnUpdate(owner) { ++turns; }\n"
                       "}\n";

class BenchItem : public nScriptedObject
{
public:
    explicit BenchItem(nScriptVM* vm) : m_vm(vm) {}
    nScriptUnit* CreateScriptUnit() override
    {
        nScriptUnit* unit = new nManagerScriptUnit(m_vm);
        unit->SetOwner(this, ObjectTypeItem);
        return AppendScriptUnit(unit, "test");
    }

private:
    nScriptVM* m_vm;
};

struct Level
{
    Level() : machine(nullptr)
    {
        char pattern[] = "/tmp/itemeventbenchXXXXXX";
        directory = mkdtemp(pattern);
        std::ofstream(directory + "/spinner.nut") << kScript;
        base = new nIOCFile(nString(directory.c_str()));
        base->AddRef();
        nPlatform::Get().GetIOSystem().Mount(base, "@bench/");
        machine.Open();
        for (int i = 0; i < kItems; ++i)
        {
            items.emplace_back(std::make_unique<BenchItem>(&machine));
            nScriptUnit* unit = items.back()->CreateScriptUnit();
            unit->SetScript(nString("@bench/spinner.nut"));
            unit->SetClassName(nString("Spinner"));
            nItemEventHandler::Get().OnSetup(items.back().get());
        }
    }

    ~Level()
    {
        items.clear();
        machine.Close();
        nPlatform::Get().GetIOSystem().Unmount(base);
        base->Release();
        std::filesystem::remove_all(directory);
    }

    nSquirrelVM machine;
    std::string directory;
    nIOCFile* base = nullptr;
    std::vector<std::unique_ptr<BenchItem>> items;
};

void OnUpdateToItems(benchmark::State& state)
{
    Level level;
    nItemEventHandler& handler = nItemEventHandler::Get();
    for (auto _ : state)
        for (const std::unique_ptr<BenchItem>& item : level.items)
            handler.OnUpdate(item.get());
    if (level.machine.GetState() != ScriptVMRunning)
        state.SkipWithError("the script machine stopped");
    state.SetItemsProcessed(state.iterations() * kItems);
}
} // namespace

BENCHMARK(OnUpdateToItems)->Iterations(1000)->Unit(benchmark::kMillisecond);
