#include "platform/nMutex.h"

#include <gtest/gtest.h>

#include <thread>

TEST(MutexTest, IsRecursiveForItsHolderAndExclusiveForOthers)
{
    nMutex mutex;
    mutex.Lock();
    EXPECT_TRUE(mutex.TryLock());
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = mutex.TryLock(); }).join();
    EXPECT_FALSE(otherGotIt);
    mutex.Unlock();
    mutex.Unlock();
    std::thread(
        [&]
        {
            otherGotIt = mutex.TryLock();
            if (otherGotIt)
                mutex.Unlock();
        })
        .join();
    EXPECT_TRUE(otherGotIt);
}

TEST(MutexTest, SerialisesCounters)
{
    nMutex mutex;
    int counter = 0;
    std::thread threads[4];
    for (std::thread& thread : threads)
        thread = std::thread(
            [&]
            {
                for (int i = 0; i < 10000; ++i)
                {
                    mutex.Lock();
                    ++counter;
                    mutex.Unlock();
                }
            });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 40000);
}
