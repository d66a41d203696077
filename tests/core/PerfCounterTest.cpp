#include "core/math/nPerfCounter.h"

#include <gtest/gtest.h>

// The clock runs at 10000 ticks a second, so a report is due after more than 1000 ticks.
TEST(PerfCounterTest, ReportsAtMostTenTimesASecond)
{
    nPerfCounter counter;
    counter.ResetAt(100);
    counter.BeginAt(100);
    EXPECT_EQ(counter.EndAt(600), 0.0f);
    EXPECT_FLOAT_EQ(counter.GetLast(), 50.0f);
    EXPECT_EQ(counter.GetSamples(), 1u);

    counter.BeginAt(1000);
    EXPECT_EQ(counter.EndAt(1100), 0.0f); // exactly a tenth of a second: still no report
    counter.BeginAt(1100);
    const float rate = counter.EndAt(1101);
    // Three samples in 601 busy ticks over a period of 1001 ticks.
    EXPECT_FLOAT_EQ(rate, 10000.0f * 3 / 601);
    EXPECT_FLOAT_EQ(counter.GetAverage(), 601.0f / 3 * 1000 / 10000);
    EXPECT_FLOAT_EQ(counter.GetLoad(), 100.0f * 601 / 1001);
    EXPECT_EQ(counter.GetSamples(), 0u);
    EXPECT_FLOAT_EQ(counter.GetPrevious(), 10.0f);
}

TEST(PerfCounterTest, EmptyWorkReportsZero)
{
    nPerfCounter counter;
    counter.ResetAt(0);
    counter.BeginAt(5000);
    EXPECT_EQ(counter.EndAt(5000), 0.0f);
    EXPECT_EQ(counter.GetAverage(), 0.0f);
    EXPECT_EQ(counter.GetRate(), 0.0f);
}

TEST(PerfCounterTest, ElapsedTimeSurvivesTheClockWrap)
{
    nPerfCounter counter;
    counter.ResetAt(0xFFFFFF00u);
    counter.BeginAt(0xFFFFFFF0u);
    counter.EndAt(0x10u);
    EXPECT_FLOAT_EQ(counter.GetLast(), 32 * 1000.0f / 10000);
}

TEST(PerfCounterTest, NextFrameCountsASampleAndClearsTheLast)
{
    nPerfCounter counter;
    counter.ResetAt(0);
    counter.BeginAt(0, true);
    counter.EndAt(20);
    counter.NextFrame();
    EXPECT_EQ(counter.GetLast(), 0.0f);
    EXPECT_FLOAT_EQ(counter.GetPrevious(), 2.0f);
    EXPECT_EQ(counter.GetSamples(), 1u);
    counter.AddTicks(980);
    counter.BeginAt(2000, true);
    EXPECT_FLOAT_EQ(counter.EndAt(2000), 10000.0f * 1 / 1000);
}

TEST(PerfCounterTest, RealClockMeasuresSomething)
{
    nPerfCounter counter;
    counter.Begin();
    counter.End();
    EXPECT_GE(counter.GetLast(), 0.0f);
}
