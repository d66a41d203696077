#include "ScriptApiFixture.h"

#include "platform/nHID.h"
#include "platform/nHIDSystem.h"
#include "support/InputTestFixtures.h"

#include <algorithm>
#include <memory>

namespace
{
// The input natives over an input system of scripted hardware with two game pads.
class DeviceApiTest : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        auto owned = std::make_unique<InputTestSource>();
        source = owned.get();
        first = &source->AddGame("Pad");
        second = &source->AddGame("Wheel");
        second->forceFeedback = true;
        input = std::make_unique<nHIDSystem>(std::move(owned));
        previous = nHID::Install(input.get());
        ScriptApiFixture::SetUp();
    }

    void TearDown() override
    {
        ScriptApiFixture::TearDown();
        nHID::Install(previous);
    }

    size_t CountLines(const std::string& text) const
    {
        return static_cast<size_t>(std::count(log.lines.begin(), log.lines.end(), text));
    }

    InputTestSource* source = nullptr;
    InputTestGame* first = nullptr;
    InputTestGame* second = nullptr;
    std::unique_ptr<nHIDSystem> input;
    nHID* previous = nullptr;
};
} // namespace

TEST_F(DeviceApiTest, PoolTakesAQueuedValueOnceWhileGetAndSeekLeaveIt)
{
    first->state.axes[0] = 1234;
    EXPECT_EQ(Evaluate("local pad = DeviceNewFromIndex(0);\n"
                       "print(DeviceGetFunction(pad, DeviceAxisX) + \" \" + DeviceGetFunction(pad, "
                       "DeviceAxisX) + \" \");\n"
                       "print(DeviceSeekFunction(pad, DeviceAxisX, 1234) + \" \");\n"
                       "print(DevicePoolFunction(pad, DeviceAxisX) + \" \" + DevicePoolFunction(pad, "
                       "DeviceAxisX) + \" \");\n"
                       "print(DeviceSeekFunction(pad, DeviceAxisX, 1234) + \" \" + DeviceGetFunction(pad, "
                       "DeviceAxisX));\n"
                       "DeviceDelete(pad);"),
              "1234 1234 true 1234 0 false 0");
}

// Codes outside the device's queues reach the device, which refuses them: nothing is read or set.
TEST_F(DeviceApiTest, CodesOutsideTheQueuesAnswerZeroAndChangeNothing)
{
    first->state.buttons[0] = 0x80;
    source->Hold({SourceKeyF1});
    EXPECT_EQ(Evaluate("local pad = DeviceNewFromIndex(0);\n"
                       "foreach (code in [-3, 29, 99, -2147483647]) {\n"
                       "  DeviceSetFunctionBounceFilter(pad, code, true);\n"
                       "  print(DeviceGetFunction(pad, code) + \"\" + DevicePoolFunction(pad, code) +\n"
                       "        DeviceSeekFunction(pad, code, 0) + MousePoolFunction(code) + "
                       "KeyboardPoolFunction(code) +\n"
                       "        KeyboardSeekFunction(code, 0) + \" \");\n"
                       "}\n"
                       "DeviceSetFunctionBounceFilter(pad, DeviceAxisZ, true);\n"
                       "KeyboardSetKeyBounceFilter(55, true);\n"
                       "KeyboardSetKeyBounceFilter(-1, true);\n"
                       "KeyboardUpdate();\n"
                       "print(KeyboardSeekFunction(DeviceKeyPress, KeyF1) + \" \" + "
                       "KeyboardPoolFunction(DeviceKeyPress) + \" \");\n"
                       "print(DevicePoolFunction(pad, DeviceButton0));\n"
                       "DeviceDelete(pad);"),
              "00false00false 00false00false 00false00false 00false00false true 27 128");
    EXPECT_EQ(CountLines("[!] Input: no device function 99.\n"), 1u);
    EXPECT_EQ(CountLines("[!] Input: no device function -3.\n"), 1u);
    EXPECT_EQ(CountLines("[!] Input: no key code 55.\n"), 1u);
    EXPECT_EQ(CountLines("[!] Input: no key code -1.\n"), 1u);
}

TEST_F(DeviceApiTest, TheStrengthReachesThePadsConstantForce)
{
    EXPECT_EQ(Evaluate("local wheel = DeviceNew(\"Wheel\");\n"
                       "DeviceSetEffect(wheel, 2500.75); DeviceSetEffect(wheel, -20000);\n"
                       "DeviceSetEffect(GetKeyboardDevice(), 100);\n"
                       "print(DeviceGetName(wheel)); DeviceDelete(wheel);"),
              "Wheel");
    EXPECT_TRUE(second->started);
    EXPECT_EQ(second->forces, (std::vector<int>{2500, -10000}));
}

TEST_F(DeviceApiTest, DeviceNewMakesOnlyTheLastPadOfTheName)
{
    InputTestGame& twin = source->AddGame("Pad");
    twin.state.axes[0] = 77;
    EXPECT_EQ(
        Evaluate("local pad = DeviceNew(\"Pad\");\n"
                 "DeviceUpdate(pad);\n"
                 "print(DevicePoolFunction(pad, DeviceAxisX) + \" \" + DeviceIsAvailable(pad) + \" \");\n"
                 "print(ObjectIsValid(DeviceNew(\"Nobody\")));\n"
                 "DeviceDelete(pad);"),
        "77 true false");
    EXPECT_EQ(CountLines("Creating device 'Pad'.\n"), 1u);
}

TEST_F(DeviceApiTest, DeletedDevicesKillTheirHandlesAndTheKeyboardIsNotDeleted)
{
    EXPECT_EQ(
        Evaluate("local pad = DeviceAny(); local copy = pad;\n"
                 "DeviceDelete(pad);\n"
                 "print(ObjectIsValid(copy) + \" \");\n"
                 "DeviceDelete(GetKeyboardDevice());\n"
                 "print(DeviceGetName(GetKeyboardDevice()) + \"|\" + ObjectIsValid(GetMouseDevice()));\n"
                 "DeviceGetName(copy);"),
        "error: Expected 'HID' got 'Deleted native'");
    EXPECT_EQ(ScriptLines(), (std::vector<std::string>{"[S] false \n", "[S] |true\n"}));
    EXPECT_EQ(
        CountLines(
            "[!] DeviceDelete() deletes only the devices of DeviceNew, DeviceNewFromIndex and DeviceAny; the "
            "keyboard and the mouse stay.\n"),
        1u);
}

TEST_F(DeviceApiTest, DeviceListsTellNamesAndCapabilitiesOfGamePadsOnly)
{
    EXPECT_EQ(
        Evaluate(
            "foreach (entry in GetDeviceList(DeviceTypeGame)) print(entry.id + \":\" + entry.caps + \" \");\n"
            "print(GetDeviceList(3).len() + \" \" + ObjectIsValid(DeviceNewFromIndex(2)) + \" \" +\n"
            "      ObjectIsValid(DeviceNewFromIndex(-1)));"),
        "Pad:0 Wheel:1 0 false false");
    EXPECT_EQ(Evaluate("DeviceGetName(DeviceNewFromIndex(2));"), "error: CObject is null");
}

TEST_F(DeviceApiTest, IncludeRunsTheFileInTheCallingMachine)
{
    WriteScript("inc.nut", "function Included() { return 41 + 1; }\n");
    WriteScript("broken.nut", "function (\n");
    EXPECT_EQ(Evaluate("Include(\"@scripts/inc.nut\"); print(Included() + \" \");\n"
                       "Include(\"@scripts/broken.nut\"); print(FileExists(\"@scripts/inc.nut\") + \" \");\n"
                       "print(FileExists(\"@scripts/nope\"));"),
              "42 true false");
    EXPECT_EQ(listener.compileErrors.size(), 1u);
    EXPECT_EQ(Evaluate("Include(\"@scripts/missing.nut\");"),
              "error: Failed to include script '@scripts/missing.nut'.\n");

    WriteScript("throws.nut", "print(\"in\"); throw \"boom\";\n");
    EXPECT_EQ(Evaluate("Include(\"@scripts/throws.nut\"); print(\"after\");"), "error: boom");
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] in\n"});
}
