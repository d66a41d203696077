#include "support/InputTestFixtures.h"

#include "platform/nHIDGameDevice.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct InputTestGameDeviceFixture : testing::Test
{
    std::unique_ptr<nHIDGameDevice> Create(int index)
    {
        nHIDDescriptor descriptor;
        source.DescribeGameDevice(index, descriptor);
        return std::make_unique<nHIDGameDevice>(descriptor, source);
    }

    InputTestLog log;
    InputTestSource source;
};
} // namespace

TEST_F(InputTestGameDeviceFixture, CreationLogsEachFailedStepAndGoesOn)
{
    struct Case
    {
        bool opens, autoCentreOff, effect;
        std::vector<std::string> lines;
        bool started;
    };
    const std::string creating = "Creating device 'Pad'.\n";
    const Case cases[] = {
        {true, true, true, {creating}, true},
        {false, true, true, {creating, "[!] Failed to create device.\n"}, false},
        {true, false, true, {creating, "[!] Failed to disable force feedback spring.\n"}, true},
        {true, true, false, {creating, "[!] Failed to create device force feedback effect.\n"}, false},
    };
    for (const Case& c : cases)
    {
        source.games.clear();
        log.lines.clear();
        InputTestGame& game = source.AddGame("Pad");
        game.opens = c.opens;
        game.autoCentreOff = c.autoCentreOff;
        game.effect = c.effect;
        const auto device = Create(0);
        EXPECT_EQ(log.lines, c.lines);
        EXPECT_EQ(game.started, c.started);
        EXPECT_TRUE(device->GetName() == "Pad");
    }
}

TEST_F(InputTestGameDeviceFixture, UpdateQueuesAxesSlidersAndButtons)
{
    InputTestGame& game = source.AddGame("Stick");
    game.state.axes[0] = 0;
    game.state.axes[1] = 65535;
    game.state.axes[2] = 1;
    game.state.axes[3] = 3;
    game.state.axes[4] = 4;
    game.state.axes[5] = 5;
    game.state.axes[6] = 6;
    game.state.axes[7] = 7;
    game.state.buttons[0] = 0x80;
    game.state.buttons[15] = 0x80;
    const auto device = Create(0);

    ASSERT_TRUE(device->Update());
    const std::pair<int, int> expected[] = {
        {DeviceAxisX, 0},      {DeviceAxisY, 65535}, {DeviceAxisZ, 1},       {DeviceAxisRX, 3},
        {DeviceAxisRY, 4},     {DeviceAxisRZ, 5},    {DeviceAxisU, 6},       {DeviceAxisV, 7},
        {DeviceButton0, 0x80}, {DeviceButton1, 0},   {DeviceButton15, 0x80},
    };
    for (const auto& [function, value] : expected)
    {
        int read = -1;
        EXPECT_TRUE(device->HasFunction(function));
        ASSERT_TRUE(device->PoolFunction(function, &read, nullptr, false)) << function;
        EXPECT_EQ(read, value) << function;
    }
    EXPECT_FALSE(device->HasFunction(DeviceKeyPress));
    EXPECT_FALSE(device->HasFunction(DeviceDown));

    device->Update(); // game queues are not emptied: each update adds a reading
    EXPECT_EQ(device->GetFunction(DeviceAxisX)->count, 2);
}

TEST_F(InputTestGameDeviceFixture, DeviceThatCannotBeReadQueuesNothing)
{
    source.AddGame("Lost").readable = false;
    source.AddGame("Closed").opens = false;
    for (int index : {0, 1})
    {
        const auto device = Create(index);
        EXPECT_FALSE(device->Update());
        EXPECT_FALSE(device->PoolFunction(DeviceAxisX, nullptr, nullptr, false));
    }
}

TEST_F(InputTestGameDeviceFixture, ForceIsClampedToTheEffectRange)
{
    InputTestGame& game = source.AddGame("Wheel");
    const auto device = Create(0);
    for (float magnitude : {2500.7f, -2500.7f, 1e9f, -1e9f, INFINITY, NAN})
        device->SetForceFeedback(magnitude);
    EXPECT_EQ(game.forces, (std::vector<int>{2500, -2500, 10000, -10000, 10000, 0}));

    InputTestGame& plain = source.AddGame("Pad");
    plain.effect = false;
    Create(1)->SetForceFeedback(100.0f);
    EXPECT_TRUE(plain.forces.empty());
}
