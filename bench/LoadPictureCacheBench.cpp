#include "core/picture/nPicture.h"
#include "engine/Quenvar.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

// LoadPicture answered from a cache of 10^4 pictures, the names asked for in turn; a name index
// keeps each hit independent of the cache's size.
static void LoadPictureCacheHits(benchmark::State& state)
{
    Quenvar engine;
    nResourceList<nPicture>& pictures = engine.GetResourceCache()->GetPictureList();
    std::vector<std::string> names;
    for (int i = 0; i < 10000; ++i)
    {
        names.push_back("textures/level/picture_" + std::to_string(i) + ".tga");
        pictures.Add(new nPicture(1, 1, PixelFormatBGRA8), names.back().c_str());
    }
    size_t next = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(engine.LoadPicture(names[next].c_str()));
        next = next + 1 == names.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(LoadPictureCacheHits);
