#include "support/InputTestFixtures.h"

#include "platform/nHIDKeyboard.h"

#include <gtest/gtest.h>

#include <climits>

namespace
{
constexpr int Character(char c)
{
    return (c << 8) | KeyASCII;
}

struct InputTestKeyboardFixture : testing::Test
{
    // Every value queued by the last update, oldest first, read from the raw queue.
    std::vector<int> Queued() const
    {
        const nHIDFunctionRecord& record = *keyboard.GetFunction(DeviceKeyPress);
        std::vector<int> values;
        for (int i = record.count - 1; i >= 0; --i)
            values.push_back(record.values[(record.head + 8 - i) % 8]);
        return values;
    }

    InputTestSource source;
    nHIDKeyboard keyboard{source};
};
} // namespace

TEST_F(InputTestKeyboardFixture, HasOnlyTheKeyPressFunction)
{
    for (int function = 0; function < DeviceFunctionCount; ++function)
        EXPECT_EQ(keyboard.HasFunction(function), function == DeviceKeyPress) << function;
}

TEST_F(InputTestKeyboardFixture, KeysAreQueuedInTableOrderThenDigitsThenLetters)
{
    source.Hold({SourceKeyA, nHIDSourceKey(SourceKeyDigit0 + 7), SourceKeyReturn, SourceKeyUp});
    keyboard.Update();
    EXPECT_EQ(Queued(), (std::vector<int>{KeyUpArrow, KeyReturn, Character('7'), Character('a')}));
}

TEST_F(InputTestKeyboardFixture, PauseKeyIsQueuedAsKeyPause)
{
    source.Hold({SourceKeyPause});
    keyboard.Update();
    int key = -1;
    ASSERT_TRUE(keyboard.PoolFunction(DeviceKeyPress, &key, nullptr, true));
    EXPECT_EQ(key, KeyPause);
}

TEST_F(InputTestKeyboardFixture, OneAltKeyGivesBothAltCodes)
{
    source.Hold({SourceKeyAlt});
    keyboard.Update();
    EXPECT_EQ(Queued(), (std::vector<int>{KeyLAlt, KeyRAlt}));
}

TEST_F(InputTestKeyboardFixture, LettersAreUpperCaseWhileEitherShiftIsDown)
{
    struct Case
    {
        bool left;
        bool right;
        char expected;
    };
    for (const Case& c :
         {Case{false, false, 'a'}, Case{true, false, 'A'}, Case{false, true, 'A'}, Case{true, true, 'A'}})
    {
        source.ReleaseAll();
        source.Hold({SourceKeyA});
        source.Hold({SourceKeyLeftShift}, c.left);
        source.Hold({SourceKeyRightShift}, c.right);
        keyboard.Update();
        int key = -1;
        int character = -1;
        ASSERT_TRUE(keyboard.PoolFunction(DeviceKeyPress, &key, &character, false));
        EXPECT_EQ(key, KeyASCII);
        EXPECT_EQ(character, c.expected) << c.left << c.right;
    }
}

TEST_F(InputTestKeyboardFixture, TwelveHeldKeysLeaveTheLastEightNewestFirst)
{
    source.Hold({SourceKeyUp, SourceKeyDown, SourceKeyLeft, SourceKeyRight, SourceKeyLeftControl,
                 SourceKeyEscape, SourceKeySpace, SourceKeyTab, SourceKeyPageUp,
                 nHIDSourceKey(SourceKeyDigit0 + 1), SourceKeyA, nHIDSourceKey(SourceKeyA + 25)});
    keyboard.Update();

    std::vector<int> read;
    int key = 0;
    int character = 0;
    while (keyboard.PoolFunction(DeviceKeyPress, &key, &character, false)) // reading removes anyway
        read.push_back(key == KeyASCII ? Character(char(character)) : key);
    EXPECT_EQ(read, (std::vector<int>{Character('z'), Character('a'), Character('1'), KeyPageUp, KeyTab,
                                      KeySpace, KeyEscape, KeyLCtrl}));
}

TEST_F(InputTestKeyboardFixture, CharacterIsFoundOnlyAsItsWholeValue)
{
    source.Hold({nHIDSourceKey(SourceKeyA + 1)});
    keyboard.Update();
    EXPECT_TRUE(keyboard.SeekFunction(DeviceKeyPress, Character('b')));
    EXPECT_FALSE(keyboard.SeekFunction(DeviceKeyPress, 'b'));
    EXPECT_FALSE(keyboard.SeekFunction(DeviceKeyPress, KeyASCII));
}

TEST_F(InputTestKeyboardFixture, EachUpdateStartsFromAnEmptyQueue)
{
    source.Hold({SourceKeySpace});
    keyboard.Update();
    source.ReleaseAll();
    keyboard.Update();
    EXPECT_FALSE(keyboard.PoolFunction(DeviceKeyPress, nullptr, nullptr, false));
}

TEST_F(InputTestKeyboardFixture, KeyBounceFilterQueuesAHeldKeyOnlyWhenItGoesDown)
{
    ASSERT_TRUE(keyboard.SetKeyBounceFilter(KeySpace, true));
    source.Hold({SourceKeySpace, SourceKeyTab});
    keyboard.Update();
    EXPECT_EQ(Queued(), (std::vector<int>{KeySpace, KeyTab}));
    keyboard.Update();
    EXPECT_EQ(Queued(), std::vector<int>{KeyTab});

    source.ReleaseAll();
    keyboard.Update();
    source.Hold({SourceKeySpace});
    keyboard.Update();
    EXPECT_EQ(Queued(), std::vector<int>{KeySpace});
}

TEST_F(InputTestKeyboardFixture, KeyBounceFilterLeavesCharactersAlone)
{
    for (int code = 0; code < KeyCodeCount; ++code)
        ASSERT_TRUE(keyboard.SetKeyBounceFilter(code, true));
    source.Hold({SourceKeyA});
    keyboard.Update();
    keyboard.Update();
    EXPECT_EQ(Queued(), std::vector<int>{Character('a')});
}

TEST_F(InputTestKeyboardFixture, KeyPressFilterQueuesOneKeyUntilAllAreReleased)
{
    keyboard.SetBounceFilter(DeviceKeyPress, true);
    source.Hold({SourceKeyUp, SourceKeyDown, SourceKeyA});
    EXPECT_TRUE(keyboard.Update());
    EXPECT_EQ(Queued(), std::vector<int>{KeyUpArrow});
    keyboard.Update();
    EXPECT_EQ(Queued(), std::vector<int>{});

    source.ReleaseAll();
    keyboard.Update();
    source.Hold({SourceKeyTab});
    keyboard.Update();
    EXPECT_EQ(Queued(), std::vector<int>{KeyTab});
}

TEST_F(InputTestKeyboardFixture, ReadingAKeyPressRemovesItEvenWithoutRemove)
{
    source.Hold({SourceKeyEscape, SourceKeySpace});
    keyboard.Update();
    int key = -1;
    ASSERT_TRUE(keyboard.PoolFunction(DeviceKeyPress, &key, nullptr, false));
    EXPECT_EQ(key, KeySpace);
    ASSERT_TRUE(keyboard.PoolFunction(DeviceKeyPress, &key, nullptr, false));
    EXPECT_EQ(key, KeyEscape);
    EXPECT_FALSE(keyboard.PoolFunction(DeviceKeyPress, &key, nullptr, false));
    EXPECT_EQ(key, KeyEscape);
}

TEST_F(InputTestKeyboardFixture, KeyCodesOutsideTheTableAreRefused)
{
    InputTestLog log;
    for (int code : {-1, int(KeyCodeCount), INT_MIN, INT_MAX})
        EXPECT_FALSE(keyboard.SetKeyBounceFilter(code, true));
    ASSERT_EQ(log.lines.size(), 4u);
    EXPECT_EQ(log.lines[1], "[!] Input: no key code 55.\n");
}
