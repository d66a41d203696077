#include "engine/Quenvar.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// Ticks far from the real clock, so that each test chooses every step itself.
constexpr uint64_t Start = 1000000000;

class QuenvarClock : public ::testing::Test
{
protected:
    // A stop forgets the construction's tick, so the clock starts at Start with nothing counted.
    QuenvarClock()
    {
        m_engine.SetClockStopped(true);
        m_engine.UpdateClock();
        m_engine.SetClockStopped(false);
        m_engine.UpdateClockAt(Start);
    }

    CapturedLog m_log;
    Quenvar m_engine;
};
} // namespace

TEST_F(QuenvarClock, FixedStepWithCorrectionSpreadsTheRemainderBackIn)
{
    m_engine.SetFixedDeltaFrame(1.0f / 60.0f);
    m_engine.SetClockCorrection(60);
    m_log.text.clear();
    std::vector<int64_t> steps;
    for (int frame = 1; frame <= 6; ++frame)
    {
        m_engine.UpdateClockAt(Start + uint64_t(frame) * 3); // real time does not matter
        steps.push_back(m_engine.GetFrameStep());
    }
    EXPECT_EQ(steps, (std::vector<int64_t>{166, 167, 166, 167, 167, 166}));
    EXPECT_EQ(m_log.text, "Applying clock correction of 1 units.\n"
                          "Applying clock correction of 1 units.\n"
                          "Applying clock correction of 1 units.\n");
}

TEST_F(QuenvarClock, FixedStepIsComputedInSinglePrecision)
{
    m_engine.SetFixedDeltaFrame(0.02f);
    EXPECT_EQ(m_engine.GetFixedStep(), 200);
    m_engine.SetFixedDeltaFrame(-1.0f);
    EXPECT_EQ(m_engine.GetFixedStep(), -1);
}

TEST_F(QuenvarClock, FirstUpdateAfterAStopStepsNothing)
{
    m_engine.UpdateClockAt(Start + 100);
    const int64_t clock = m_engine.GetClockTicks();
    EXPECT_EQ(clock, 100);
    m_engine.SetClockStopped(true);
    m_engine.UpdateClockAt(Start + 200);
    EXPECT_EQ(m_engine.GetFrameStep(), 0);
    m_engine.SetClockStopped(false);
    m_engine.UpdateClockAt(Start + 300);
    EXPECT_EQ(m_engine.GetFrameStep(), 0);
    EXPECT_FLOAT_EQ(m_engine.GetDeltaFrame(), 0.005f);
    EXPECT_FLOAT_EQ(m_engine.GetRawDeltaFrame(), 0.0f);
    EXPECT_EQ(m_engine.GetClockTicks(), clock);
    m_engine.UpdateClockAt(Start + 400);
    EXPECT_EQ(m_engine.GetFrameStep(), 100);
}

TEST_F(QuenvarClock, ScaleZeroStandsStillWhileRawTimeRuns)
{
    m_engine.SetClockScale(0.0f);
    m_engine.UpdateClockAt(Start + 500);
    EXPECT_EQ(m_engine.GetFrameStep(), 0);
    EXPECT_EQ(m_engine.GetClockTicks(), 0);
    EXPECT_FLOAT_EQ(m_engine.GetRawDeltaFrame(), 0.05f);

    m_engine.SetClockScale(0.5f);
    EXPECT_EQ(m_engine.GetClockScaleRaw(), 500);
    m_engine.UpdateClockAt(Start + 1500);
    EXPECT_EQ(m_engine.GetFrameStep(), 500);
    EXPECT_FLOAT_EQ(m_engine.GetClock(), 0.05f);
}

TEST_F(QuenvarClock, DeltaFrameReadsAtMostOneSecond)
{
    m_engine.UpdateClockAt(Start + 12000);
    EXPECT_FLOAT_EQ(m_engine.GetDeltaFrame(), 1.0f);
    EXPECT_FLOAT_EQ(m_engine.GetRawDeltaFrame(), 1.2f);
    EXPECT_FLOAT_EQ(m_engine.GetClock(), 1.2f);
}

TEST_F(QuenvarClock, ResetRestartsAtOneSixtieth)
{
    m_engine.ResetClock();
    EXPECT_EQ(m_engine.GetFrameStep(), 166);
}
