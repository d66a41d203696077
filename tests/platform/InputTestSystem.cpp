#include "support/InputTestFixtures.h"

#include "core/base/nList.h"
#include "platform/nHID.h"
#include "platform/nHIDDevice.h"
#include "platform/nHIDKeyboard.h"
#include "platform/nHIDSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
struct InputTestSystemFixture : testing::Test
{
    InputTestSystemFixture()
    {
        auto owned = std::make_unique<InputTestSource>();
        source = owned.get();
        system = std::make_unique<nHIDSystem>(std::move(owned));
    }

    InputTestLog log;
    InputTestSource* source;
    std::unique_ptr<nHIDSystem> system;
};
} // namespace

TEST_F(InputTestSystemFixture, OpenKeepsTheWindowAndAnswersTheSource)
{
    int window = 0;
    EXPECT_TRUE(system->Open(&window));
    EXPECT_EQ(system->GetWindow(), &window);
    EXPECT_EQ(source->openedWith, &window);

    source->opens = false;
    EXPECT_FALSE(system->Open(nullptr));
    EXPECT_EQ(system->GetWindow(), nullptr);

    system->Update();
    EXPECT_EQ(source->updates, 1);
}

TEST_F(InputTestSystemFixture, EnumerationAppendsDescriptorsAndLogsTheWholeList)
{
    nAutoList<nHIDDescriptor*> descriptors;
    auto* earlier = new nHIDDescriptor;
    earlier->name = "Earlier";
    descriptors.PushBack(earlier);
    source->AddGame("Wheel").forceFeedback = true;
    source->AddGame("Pad");

    EXPECT_TRUE(system->EnumerateDevices(descriptors));

    ASSERT_EQ(descriptors.GetCount(), 3u);
    EXPECT_TRUE(descriptors.GetNodeAt(1)->value->name == "Wheel");
    EXPECT_EQ(descriptors.GetNodeAt(1)->value->flags, nHIDDescriptor::FlagForceFeedback);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "[H] Starting input device enumeration.\n", "    Device 'Earlier': FF = False.\n",
                             "    Device 'Wheel': FF = True.\n", "    Device 'Pad': FF = False.\n"}));
}

TEST_F(InputTestSystemFixture, EnumeratedDescriptorCreatesItsDevice)
{
    source->AddGame("First");
    source->AddGame("Second").state.axes[0] = 123;
    nAutoList<nHIDDescriptor*> descriptors;
    system->EnumerateDevices(descriptors);

    const std::unique_ptr<nHIDDevice> device = system->CreateDevice(*descriptors.GetNodeAt(1)->value);
    ASSERT_TRUE(device);
    EXPECT_TRUE(device->GetName() == "Second");
    ASSERT_TRUE(device->Update());
    EXPECT_TRUE(device->SeekFunction(DeviceAxisX, 123));
}

TEST_F(InputTestSystemFixture, KeyboardAndMouseAreMadeOnceAndReadTheSource)
{
    nHIDKeyboard* keyboard = system->GetKeyboard();
    nHIDDevice* mouse = system->GetMouse();
    ASSERT_NE(keyboard, nullptr);
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(system->GetKeyboard(), keyboard);
    EXPECT_EQ(system->GetMouse(), mouse);

    source->Hold({SourceKeyF1});
    source->pointer.left = true;
    keyboard->Update();
    mouse->Update();
    EXPECT_TRUE(keyboard->SeekFunction(DeviceKeyPress, KeyF1));
    EXPECT_TRUE(mouse->SeekFunction(DeviceButton0, 1));
}

// Runs under SDL's dummy video driver (set for every test of this folder) or with no display.
TEST(InputTestSDL, OpensWithoutWindowWithKeyboardMouseAndNoGameDevice)
{
    InputTestLog log;
    nHID& input = nHID::GetInstance();
    EXPECT_EQ(&nHID::GetInstance(), &input);
    EXPECT_TRUE(input.IsAvailable());
    ASSERT_TRUE(input.Open(nullptr));
    input.Update();

    nAutoList<nHIDDescriptor*> descriptors;
    EXPECT_TRUE(input.EnumerateDevices(descriptors));
    EXPECT_EQ(descriptors.GetCount(), 0u);
    EXPECT_EQ(log.lines, std::vector<std::string>{"[H] Starting input device enumeration.\n"});

    ASSERT_NE(input.GetKeyboard(), nullptr);
    ASSERT_NE(input.GetMouse(), nullptr);
    EXPECT_TRUE(input.GetKeyboard()->Update());
    EXPECT_TRUE(input.GetMouse()->Update());
    EXPECT_FALSE(input.GetKeyboard()->PoolFunction(DeviceKeyPress, nullptr, nullptr, true));
    EXPECT_FALSE(input.GetMouse()->PoolFunction(DeviceAxisX, nullptr, nullptr, true));
    input.Close();
}

TEST_F(InputTestSystemFixture, AnInstalledSystemStandsForTheProcessWideOneUntilRestored)
{
    nHID& processWide = nHID::GetInstance();
    EXPECT_EQ(nHID::Install(system.get()), nullptr);
    EXPECT_EQ(&nHID::GetInstance(), system.get());
    EXPECT_EQ(nHID::Install(nullptr), system.get());
    EXPECT_EQ(&nHID::GetInstance(), &processWide);
}
