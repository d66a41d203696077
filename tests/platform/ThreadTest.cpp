#include "platform/nThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{

class GatedThread : public nThread
{
public:
    ~GatedThread() override
    {
        release.store(true);
        Join();
    }

    bool Run() override
    {
        runs.fetch_add(1);
        while (!release.load())
            std::this_thread::yield();
        return result;
    }

    std::atomic<int> runs{0};
    std::atomic<bool> release{false};
    bool result = true;
};

TEST(ThreadTest, AStartedThreadWaitsForItsResume)
{
    GatedThread thread;
    EXPECT_EQ(thread.GetState(), 0);
    ASSERT_TRUE(thread.Start());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(thread.runs.load(), 0);
    EXPECT_EQ(thread.GetState(), 0);

    thread.Resume();
    EXPECT_EQ(thread.GetState(), 1);
    while (thread.runs.load() == 0)
        std::this_thread::yield();
    EXPECT_EQ(thread.GetState(), 1);

    thread.release.store(true);
    thread.Join();
    EXPECT_EQ(thread.GetState(), 0);
    EXPECT_EQ(thread.runs.load(), 1);
    EXPECT_TRUE(thread.GetExitCode());
}

TEST(ThreadTest, RunResultIsTheExitCode)
{
    GatedThread thread;
    thread.result = false;
    thread.release.store(true);
    ASSERT_TRUE(thread.Start());
    thread.Resume();
    thread.Join();
    EXPECT_FALSE(thread.GetExitCode());
    EXPECT_EQ(thread.GetState(), 0);
}

TEST(ThreadTest, JoinReturnsAtOnceForAThreadThatNeverRan)
{
    GatedThread neverStarted;
    neverStarted.Join();
    EXPECT_EQ(neverStarted.GetState(), 0);

    auto parked = std::make_unique<GatedThread>();
    ASSERT_TRUE(parked->Start());
    parked->Join();
    EXPECT_EQ(parked->runs.load(), 0);
    // Destroying a parked thread releases it without running it.
    parked.reset();
}

TEST(ThreadTest, AThreadStartsOnlyOnceUntilJoined)
{
    GatedThread thread;
    ASSERT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Start());
    thread.release.store(true);
    thread.Resume();
    thread.Join();
    EXPECT_EQ(thread.runs.load(), 1);
}

}
