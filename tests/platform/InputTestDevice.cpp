#include "support/InputTestFixtures.h"

#include "platform/nHIDDevice.h"

#include <gtest/gtest.h>

#include <climits>

namespace
{
std::vector<int> DrainNewestFirst(nHIDDevice& device, int function)
{
    std::vector<int> values;
    int value = 0;
    while (device.PoolFunction(function, &value, nullptr, true))
        values.push_back(value);
    return values;
}
} // namespace

TEST(InputTestDevice, NineValuesKeepTheLastEightNewestFirst)
{
    nHIDDevice device;
    for (int value = 1; value <= 9; ++value)
        EXPECT_TRUE(device.GetFunction(DeviceAxisX)->Push(value));

    EXPECT_FALSE(device.SeekFunction(DeviceAxisX, 1));
    EXPECT_TRUE(device.SeekFunction(DeviceAxisX, 2));
    EXPECT_EQ(DrainNewestFirst(device, DeviceAxisX), (std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2}));

    int untouched = -5;
    int extra = -6;
    EXPECT_FALSE(device.PoolFunction(DeviceAxisX, &untouched, &extra, true));
    EXPECT_EQ(untouched, -5);
    EXPECT_EQ(extra, -6);
}

TEST(InputTestDevice, ReadingWithoutRemoveKeepsTheValue)
{
    nHIDDevice device;
    device.GetFunction(DeviceButton3)->Push(0x80);
    int value = 0;
    EXPECT_TRUE(device.PoolFunction(DeviceButton3, &value, nullptr, false));
    EXPECT_TRUE(device.PoolFunction(DeviceButton3, nullptr, nullptr, false));
    EXPECT_EQ(value, 0x80);
    EXPECT_EQ(DrainNewestFirst(device, DeviceButton3), std::vector<int>{0x80});
}

TEST(InputTestDevice, BounceFilterQueuesAHeldButtonOncePerPress)
{
    nHIDDevice device;
    ASSERT_TRUE(device.SetBounceFilter(DeviceButton0, true));
    nHIDFunctionRecord& button = *device.GetFunction(DeviceButton0);

    EXPECT_TRUE(button.Push(1));
    EXPECT_FALSE(button.Push(1));
    EXPECT_FALSE(button.Push(1));
    EXPECT_EQ(button.count, 1);

    EXPECT_TRUE(button.Push(0));
    EXPECT_TRUE(button.Push(1));
    EXPECT_EQ(DrainNewestFirst(device, DeviceButton0), (std::vector<int>{1, 0, 1}));
}

TEST(InputTestDevice, BounceFilterTakesButtonsKeysDirectionsAndRotationsOnly)
{
    InputTestLog log;
    nHIDDevice device;
    for (int function = DeviceAxisX; function <= DeviceAxisV; ++function)
    {
        EXPECT_FALSE(device.SetBounceFilter(function, true));
        EXPECT_TRUE(device.GetFunction(function)->Push(1));
        EXPECT_TRUE(device.GetFunction(function)->Push(1)) << function;
    }
    for (int function = DeviceButton0; function < DeviceFunctionCount; ++function)
    {
        EXPECT_TRUE(device.SetBounceFilter(function, true));
        EXPECT_TRUE(device.GetFunction(function)->Push(1));
        EXPECT_FALSE(device.GetFunction(function)->Push(1)) << function;
    }
    EXPECT_TRUE(log.lines.empty());

    for (int function : {-1, int(DeviceFunctionCount), INT_MIN, INT_MAX})
        EXPECT_FALSE(device.SetBounceFilter(function, true));
    ASSERT_EQ(log.lines.size(), 4u);
    EXPECT_EQ(log.lines[0], "[!] Input: no device function -1.\n");
}

TEST(InputTestDevice, FunctionNumbersOutsideTheTableAreRefused)
{
    nHIDDevice device;
    int value = 7;
    for (int function : {-1, int(DeviceFunctionCount), INT_MIN, INT_MAX})
    {
        EXPECT_FALSE(device.HasFunction(function));
        EXPECT_FALSE(device.PoolFunction(function, &value, &value, true));
        EXPECT_FALSE(device.SeekFunction(function, 0));
        EXPECT_EQ(device.GetFunction(function), nullptr);
    }
    EXPECT_EQ(value, 7);
}

TEST(InputTestDevice, ResetEmptiesEveryQueueAndKeepsTheFlags)
{
    nHIDDevice device;
    device.SetBounceFilter(DeviceButton1, true);
    device.GetFunction(DeviceButton1)->Push(1);
    device.GetFunction(DeviceAxisRZ)->Push(5);

    device.Reset();

    EXPECT_FALSE(device.PoolFunction(DeviceButton1, nullptr, nullptr, false));
    EXPECT_FALSE(device.SeekFunction(DeviceAxisRZ, 5));
    EXPECT_FALSE(device.GetFunction(DeviceButton1)->Push(1)); // still held, still filtered
}
