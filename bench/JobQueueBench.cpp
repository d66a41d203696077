#include "platform/nJob.h"
#include "platform/nJobGroup.h"
#include "platform/nJobQueue.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{
class CountingJob : public nJob
{
public:
    explicit CountingJob(uint32_t& runs) : m_runs(runs) {}
    bool Run(nJobQueue&) override
    {
        ++m_runs;
        return true;
    }

private:
    uint32_t& m_runs;
};

// As the raytracer hands over a frame's tiles: every job is added to one group, each is looked at
// once without blocking, and the group is waited for. With no worker thread the waiting caller
// runs every job itself, so the figure is the queue's own cost. 100,000 jobs should take about ten
// times as long as 10,000.
void AddLookAtAndWaitForJobs(benchmark::State& state)
{
    const auto count = static_cast<uint32_t>(state.range(0));
    // Made and freed while the timer is paused: only adding, looking at and waiting are timed.
    struct Round
    {
        uint32_t runs = 0;
        std::vector<std::unique_ptr<CountingJob>> jobs;
        nJobQueue queue;
        nJobGroup group;
    };
    for (auto _ : state)
    {
        state.PauseTiming();
        auto round = std::make_unique<Round>();
        round->jobs.reserve(count);
        for (uint32_t index = 0; index < count; ++index)
            round->jobs.push_back(std::make_unique<CountingJob>(round->runs));
        state.ResumeTiming();

        for (auto& job : round->jobs)
            round->queue.AddJob(job.get(), &round->group);
        for (auto& job : round->jobs)
            benchmark::DoNotOptimize(round->queue.WaitForJob(job.get(), false));
        round->queue.WaitForGroup(&round->group, true);

        state.PauseTiming();
        if (round->runs != count)
            state.SkipWithError("not every job ran");
        round.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
}
BENCHMARK(AddLookAtAndWaitForJobs)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
} // namespace
