#include "platform/nJob.h"
#include "platform/nJobGroup.h"
#include "platform/nJobQueue.h"
#include "platform/nPlatform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace
{

class RecordingJob : public nJob
{
public:
    explicit RecordingJob(uint32_t mask = AnyWorker) : nJob(mask) {}

    bool Run(nJobQueue&) override
    {
        runs.fetch_add(1);
        std::lock_guard<std::mutex> lock(mutex);
        threads.insert(std::this_thread::get_id());
        return true;
    }

    std::atomic<int> runs{0};
    std::mutex mutex;
    std::set<std::thread::id> threads;
};

class BlockingJob : public nJob
{
public:
    bool Run(nJobQueue&) override
    {
        started.store(true);
        while (!release.load())
            std::this_thread::yield();
        finished.store(true);
        return true;
    }

    std::atomic<bool> started{false};
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
};

TEST(JobQueueTest, AWorkerTakesTheFirstPendingJobWhoseMaskSharesABitWithItsId)
{
    nJobQueue queue; // no workers: RunNextJob is driven by hand
    RecordingJob maskTwo(2), maskFour(4), maskOne(1);
    ASSERT_TRUE(queue.AddJob(&maskTwo));
    ASSERT_TRUE(queue.AddJob(&maskFour));
    ASSERT_TRUE(queue.AddJob(&maskOne));

    EXPECT_TRUE(queue.RunNextJob(1)); // mask 1 only: skips 2 and 4
    EXPECT_EQ(maskOne.runs.load(), 1);
    EXPECT_FALSE(queue.RunNextJob(1));
    EXPECT_TRUE(queue.RunNextJob(3)); // 3 & 2 != 0: the older job of the two it could take
    EXPECT_EQ(maskTwo.runs.load(), 1);
    EXPECT_EQ(queue.GetPendingCount(), 1u);
    EXPECT_FALSE(queue.RunNextJob(8));
    EXPECT_TRUE(queue.RunNextJob(5));
    EXPECT_EQ(maskFour.runs.load(), 1);
    EXPECT_EQ(queue.GetPendingCount(), 0u);
    EXPECT_EQ(queue.GetRunningCount(), 0u);
}

TEST(JobQueueTest, JobsRunOnlyOnWorkersMatchingTheirMasks)
{
    nJobQueue queue;
    ASSERT_TRUE(queue.CreateWorkers(4));
    EXPECT_EQ(queue.GetWorkerCount(), 4u);

    std::vector<std::unique_ptr<RecordingJob>> onlyFour;
    nJobGroup group;
    for (int i = 0; i < 50; ++i)
    {
        onlyFour.push_back(std::make_unique<RecordingJob>(4));
        ASSERT_TRUE(queue.AddJob(onlyFour.back().get(), &group));
    }
    EXPECT_TRUE(queue.WaitForGroup(&group, true));
    EXPECT_EQ(group.GetJobCount(), 0u);

    std::set<std::thread::id> threads;
    for (auto& job : onlyFour)
    {
        EXPECT_EQ(job->runs.load(), 1);
        threads.insert(job->threads.begin(), job->threads.end());
    }
    EXPECT_EQ(threads.size(), 1u);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);

    // No worker takes it, and a look that does not wait leaves it pending.
    RecordingJob unreachable(8); // ids are 1 to 4
    ASSERT_TRUE(queue.AddJob(&unreachable));
    EXPECT_TRUE(queue.WaitForJob(&unreachable, false));
    EXPECT_EQ(unreachable.runs.load(), 0);
    queue.StopWorkers();
    EXPECT_EQ(queue.GetWorkerCount(), 0u);
    EXPECT_EQ(queue.GetPendingCount(), 1u);
}

// With an auto-reset event two quick submissions could wake one worker that cannot take the
// second job, leaving it pending forever; every submission here must still complete.
TEST(JobQueueTest, AJobForOneWorkerIsNeverLeftWaiting)
{
    nJobQueue queue;
    ASSERT_TRUE(queue.CreateWorkers(2));
    for (int round = 0; round < 300; ++round)
    {
        RecordingJob forOne(1), forTwo(2);
        ASSERT_TRUE(queue.AddJob(&forOne));
        ASSERT_TRUE(queue.AddJob(&forTwo));
        EXPECT_TRUE(queue.WaitForJob(&forTwo, true));
        EXPECT_TRUE(queue.WaitForJob(&forOne, true));
        ASSERT_EQ(forTwo.runs.load() + forOne.runs.load(), 2);
    }
}

TEST(JobQueueTest, ManyJobsEachRunOnce)
{
    nJobQueue queue;
    ASSERT_TRUE(queue.CreateWorkers(4));
    std::vector<std::unique_ptr<RecordingJob>> jobs;
    nJobGroup group;
    for (int i = 0; i < 500; ++i)
    {
        jobs.push_back(std::make_unique<RecordingJob>());
        ASSERT_TRUE(queue.AddJob(jobs.back().get(), &group));
    }
    EXPECT_TRUE(queue.WaitForGroup(&group, true));
    for (auto& job : jobs)
        EXPECT_EQ(job->runs.load(), 1);
}

TEST(JobQueueTest, AddingAJobTwiceQueuesItOnceButGroupsItTwice)
{
    nJobQueue queue;
    RecordingJob job;
    nJobGroup group;
    ASSERT_TRUE(queue.AddJob(&job, &group));
    ASSERT_TRUE(queue.AddJob(&job, &group));
    EXPECT_EQ(queue.GetPendingCount(), 1u);
    EXPECT_EQ(group.GetJobCount(), 2u);
    EXPECT_TRUE(queue.WaitForGroup(&group, false));

    EXPECT_TRUE(queue.RunNextJob(1));
    EXPECT_FALSE(queue.RunNextJob(1));
    EXPECT_EQ(job.runs.load(), 1);
    EXPECT_FALSE(queue.WaitForGroup(&group, false));
    EXPECT_EQ(group.GetJobCount(), 0u);
}

// A job added again while it runs stays pending until that run ends, then runs once more; a job
// left pending in a queue that is destroyed can be added to another.
TEST(JobQueueTest, AJobAddedWhileItRunsRunsAgainAfterwards)
{
    nJobQueue queue;
    ASSERT_TRUE(queue.CreateWorkers(2));
    BlockingJob job;
    ASSERT_TRUE(queue.AddJob(&job));
    while (!job.started.load())
        std::this_thread::yield();
    ASSERT_TRUE(queue.AddJob(&job));
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the idle worker must not take it
    EXPECT_EQ(queue.GetRunningCount(), 1u);
    EXPECT_EQ(queue.GetPendingCount(), 1u);
    job.release.store(true);
    EXPECT_TRUE(queue.WaitForJob(&job, true));
    EXPECT_EQ(queue.GetPendingCount(), 0u);
    EXPECT_EQ(queue.GetRunningCount(), 0u);

    RecordingJob leftOver;
    {
        nJobQueue gone;
        ASSERT_TRUE(gone.AddJob(&leftOver));
    }
    ASSERT_TRUE(queue.AddJob(&leftOver));
    EXPECT_TRUE(queue.WaitForJob(&leftOver, true));
    EXPECT_EQ(leftOver.runs.load(), 1);
}

TEST(JobQueueTest, WaitingForNothingOrForAnUnknownJob)
{
    nJobQueue queue;
    RecordingJob never;
    EXPECT_FALSE(queue.WaitForJob(&never, false));
    EXPECT_TRUE(queue.WaitForJob(&never, true));
    EXPECT_TRUE(queue.WaitForJob(nullptr, false));
    EXPECT_TRUE(queue.WaitForGroup(nullptr, false));
    EXPECT_FALSE(queue.AddJob(nullptr));
}

// As when no worker thread could start: waiting would otherwise never end.
TEST(JobQueueTest, WithoutWorkersTheWaitingCallerRunsThePendingJobs)
{
    nJobQueue queue;
    RecordingJob first, second, grouped;
    nJobGroup group;
    ASSERT_TRUE(queue.AddJob(&first));
    ASSERT_TRUE(queue.AddJob(&second));
    ASSERT_TRUE(queue.AddJob(&grouped, &group));
    EXPECT_TRUE(queue.WaitForJob(&second, true));
    EXPECT_EQ(first.runs.load(), 1);
    EXPECT_EQ(second.runs.load(), 1);
    EXPECT_EQ(grouped.runs.load(), 0);
    EXPECT_TRUE(queue.WaitForGroup(&group, true));
    EXPECT_EQ(grouped.runs.load(), 1);
    EXPECT_EQ(grouped.threads.count(std::this_thread::get_id()), 1u);
    EXPECT_EQ(queue.GetPendingCount(), 0u);
}

// A mask that shares no bit with any worker's id would leave the job pending for good: a caller
// that waits for it runs it instead, while the jobs workers can take stay theirs.
TEST(JobQueueTest, AJobNoWorkerCanTakeIsRunByTheWaitingCaller)
{
    nJobQueue queue;
    ASSERT_TRUE(queue.CreateWorkers(2)); // ids 1 and 2
    RecordingJob forEight(8), forNone(0), forTwo(2);
    nJobGroup group;
    ASSERT_TRUE(queue.AddJob(&forEight));
    ASSERT_TRUE(queue.AddJob(&forNone, &group));
    ASSERT_TRUE(queue.AddJob(&forTwo, &group));
    EXPECT_TRUE(queue.WaitForJob(&forEight, true));
    EXPECT_TRUE(queue.WaitForGroup(&group, true));
    for (RecordingJob* job : {&forEight, &forNone, &forTwo})
        EXPECT_EQ(job->runs.load(), 1);
    EXPECT_EQ(forEight.threads.count(std::this_thread::get_id()), 1u);
    EXPECT_EQ(forNone.threads.count(std::this_thread::get_id()), 1u);
    EXPECT_EQ(forTwo.threads.count(std::this_thread::get_id()), 0u);
    EXPECT_EQ(queue.GetPendingCount(), 0u);
}

TEST(JobQueueTest, StoppingWaitsForTheRunningJobAndJoinsTheWorkers)
{
    nJobQueue queue;
    ASSERT_TRUE(queue.CreateWorkers(3));
    BlockingJob job;
    ASSERT_TRUE(queue.AddJob(&job));
    while (!job.started.load())
        std::this_thread::yield();
    EXPECT_TRUE(queue.WaitForJob(&job, false));
    EXPECT_EQ(queue.GetRunningCount(), 1u);

    std::thread releaser(
        [&job]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            job.release.store(true);
        });
    queue.StopWorkers();
    EXPECT_TRUE(job.finished.load());
    EXPECT_EQ(queue.GetRunningCount(), 0u);
    releaser.join();

    // Workers can be made again after a stop.
    ASSERT_TRUE(queue.CreateWorkers(1));
    RecordingJob after;
    ASSERT_TRUE(queue.AddJob(&after));
    EXPECT_TRUE(queue.WaitForJob(&after, true));
    EXPECT_EQ(after.runs.load(), 1);
}

TEST(JobQueueTest, ThePlatformQueueHasOneWorkerPerProcessor)
{
    nPlatform& platform = nPlatform::Get();
    nJobQueue& queue = platform.GetJobQueue();
    EXPECT_EQ(queue.GetWorkerCount(), platform.GetProcessorCount());
    RecordingJob job;
    ASSERT_TRUE(queue.AddJob(&job));
    EXPECT_TRUE(queue.WaitForJob(&job, true));
    EXPECT_EQ(job.runs.load(), 1);
}

} // namespace
