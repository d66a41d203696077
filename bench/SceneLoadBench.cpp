#include "core/base/nLog.h"
#include "core/io/nIOCFile.h"
#include "engine/Quenvar.h"
#include "engine/scene/nScene.h"
#include "platform/nPlatform.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// Loading a scene file of 40,000 managed objects, with no links, with every object linked to the
// first one, and as one parent chain. One iteration reads the file into a fresh scene
// (nScene::LoadFromFile); making and deleting the scene are not timed. The linked shapes should
// stay within 1.5 times the unlinked one.

namespace
{
constexpr int kItems = 40000;

enum class Shape
{
    Unlinked,
    Star,
    Chain,
};

std::string SceneText(Shape shape)
{
    std::string items;
    std::string links;
    for (int index = 0; index < kItems; ++index)
    {
        items += "<MObject=<MItem=<Id=\"I" + std::to_string(index) + "\"><UId=" + std::to_string(index) +
                 "><Active>><Object=<Item>>>";
        if (index == 0 || shape == Shape::Unlinked)
            continue;
        const int parent = shape == Shape::Star ? 0 : index - 1;
        links += "<Link=<Item=" + std::to_string(index) + "><Link=" + std::to_string(parent) + ">>";
    }
    return "<NML=1.0>\n<Scene=<Items=" + items + "><Links=" + links + ">>\n";
}

struct Files
{
    Files()
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        char pattern[] = "/tmp/sceneloadbenchXXXXXX";
        directory = mkdtemp(pattern);
        std::ofstream(directory + "/unlinked.nms") << SceneText(Shape::Unlinked);
        std::ofstream(directory + "/star.nms") << SceneText(Shape::Star);
        std::ofstream(directory + "/chain.nms") << SceneText(Shape::Chain);
        base = new nIOCFile(nString(directory.c_str()));
        base->AddRef();
        nPlatform::Get().GetIOSystem().Mount(base, "@bench/");
    }

    ~Files()
    {
        nPlatform::Get().GetIOSystem().Unmount(base);
        base->Release();
        std::filesystem::remove_all(directory);
    }

    std::string directory;
    nIOCFile* base = nullptr;
};

void LoadScene(benchmark::State& state, const char* path)
{
    static Files files;
    Quenvar engine;
    for (auto _ : state)
    {
        state.PauseTiming();
        nScene* scene = new nScene(&engine, nullptr);
        scene->AddRef();
        state.ResumeTiming();
        benchmark::DoNotOptimize(scene->LoadFromFile(path, nullptr, ImportFlagAll, 0));
        state.PauseTiming();
        scene->Release();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

void BM_SceneLoadUnlinked(benchmark::State& state)
{
    LoadScene(state, "@bench/unlinked.nms");
}

void BM_SceneLoadStar(benchmark::State& state)
{
    LoadScene(state, "@bench/star.nms");
}

void BM_SceneLoadChain(benchmark::State& state)
{
    LoadScene(state, "@bench/chain.nms");
}
} // namespace

BENCHMARK(BM_SceneLoadUnlinked)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SceneLoadStar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SceneLoadChain)->Unit(benchmark::kMillisecond);
