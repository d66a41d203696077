#include "support/InputTestFixtures.h"

#include "platform/nHIDMouse.h"

#include <gtest/gtest.h>

namespace
{
struct InputTestMouseFixture : testing::Test
{
    bool Read(int function, int& value) { return mouse.PoolFunction(function, &value, nullptr, false); }

    InputTestSource source;
    nHIDMouse mouse{source};
};
} // namespace

TEST_F(InputTestMouseFixture, HasAxesXYZAndThreeButtons)
{
    for (int function = 0; function < DeviceFunctionCount; ++function)
    {
        const bool expected =
            function <= DeviceAxisZ || (function >= DeviceButton0 && function <= DeviceButton2);
        EXPECT_EQ(mouse.HasFunction(function), expected) << function;
    }
}

TEST_F(InputTestMouseFixture, PositionIsScaledToTheClientArea)
{
    struct Case
    {
        int x, y, width, height;
        int expectedX, expectedY;
    };
    for (const Case& c : {Case{0, 0, 640, 480, 0, 0}, Case{320, 240, 640, 480, 32767, 32767},
                          Case{640, 480, 640, 480, 65535, 65535}, Case{-10, 500, 640, 480, -1023, 68265},
                          Case{1, 1, 3, 3, 21845, 21845}})
    {
        source.pointer = {c.x, c.y, c.width, c.height, false, false, false};
        ASSERT_TRUE(mouse.Update());
        int x = 0;
        int y = 0;
        ASSERT_TRUE(Read(DeviceAxisX, x));
        ASSERT_TRUE(Read(DeviceAxisY, y));
        EXPECT_EQ(x, c.expectedX) << c.x;
        EXPECT_EQ(y, c.expectedY) << c.y;
    }
}

TEST_F(InputTestMouseFixture, WindowWithoutWidthOrHeightQueuesNoAxis)
{
    source.pointer = {5, 5, 0, 100, false, false, false};
    mouse.Update();
    int value = 0;
    EXPECT_FALSE(Read(DeviceAxisX, value));
    EXPECT_TRUE(Read(DeviceAxisY, value));

    source.pointer = {5, 5, 100, 0, false, false, false};
    mouse.Update();
    EXPECT_TRUE(Read(DeviceAxisX, value));
    EXPECT_FALSE(Read(DeviceAxisY, value));
}

TEST_F(InputTestMouseFixture, ButtonsAreFunctionsFiveSixSeven)
{
    source.pointer.left = true;
    source.pointer.middle = true;
    mouse.Update();
    int value = 0;
    EXPECT_TRUE(Read(DeviceButton0, value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(Read(DeviceButton1, value));
    EXPECT_TRUE(Read(DeviceButton2, value));

    source.pointer = {};
    mouse.Update();
    EXPECT_FALSE(Read(DeviceButton0, value));
    EXPECT_FALSE(Read(DeviceButton2, value));
}

TEST_F(InputTestMouseFixture, BounceFilterQueuesAHeldButtonOnce)
{
    mouse.SetBounceFilter(DeviceButton1, true);
    source.pointer.right = true;
    int queued = 0;
    for (int update = 0; update < 3; ++update)
    {
        EXPECT_TRUE(mouse.Update());
        queued += mouse.PoolFunction(DeviceButton1, nullptr, nullptr, true) ? 1 : 0;
    }
    EXPECT_EQ(queued, 1);

    source.pointer.right = false;
    mouse.Update();
    source.pointer.right = true;
    mouse.Update();
    EXPECT_TRUE(mouse.PoolFunction(DeviceButton1, nullptr, nullptr, true));
}
