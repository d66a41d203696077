#include "platform/nPlatform.h"
#include "platform/nStopSignal.h"

#include <gtest/gtest.h>

namespace
{

// The run time limit is the same stop as a signal: the engine's walks ask one question for both.
TEST(StopSignalTest, APassedDeadlineCountsAsAStopAndAFutureOneDoesNot)
{
    InstallStopSignalHandlers();
    const nPlatform& platform = nPlatform::Get();
    SetStopDeadline(0);
    EXPECT_FALSE(IsStopRequested());
    SetStopDeadline(platform.GetClock() + 60 * platform.GetClockFrequency());
    EXPECT_FALSE(IsStopRequested());
    SetStopDeadline(platform.GetClock() - 1);
    EXPECT_TRUE(IsStopRequested());
    // Once asked, the stop holds, even when the deadline is lifted.
    SetStopDeadline(0);
    EXPECT_TRUE(IsStopRequested());
    InstallStopSignalHandlers();
    EXPECT_FALSE(IsStopRequested());
}

} // namespace
