#include "animation/nACEManager.h"
#include "animation/nACEUnit.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// A unit with a position and an alpha, driven by two of the item vocabulary's commands.
class TestUnit : public nACEUnit
{
public:
    bool ExecuteCommand(nACECommand* command, float step) override
    {
        float f = step / command->remaining;
        switch (command->code)
        {
        case 0:
            for (int i = 0; i < 3; ++i)
                position[i] += (command->parameters[i] - position[i]) * f;
            return true;
        case 5:
            alpha += (command->parameters[0] - alpha) * f;
            return true;
        case 4:
            ++turns;
            return true;
        default:
            return nACEUnit::ExecuteCommand(command, step);
        }
    }

    float position[3] = {0.0f, 0.0f, 0.0f};
    float alpha = 0.0f;
    int turns = 0;
};

class ItemVocabulary : public nACEManager
{
public:
    ItemVocabulary()
    {
        Define("toposition", 0, 3);
        Define("torotation", 4, 3);
        Define("toalpha", 5, 1);
    }
};

struct CompileErrorCase
{
    const char* text;
    const char* line;
};

TEST(ACECommandList, CompileErrorsGiveOneLineAndLeaveTheUnitDone)
{
    const CompileErrorCase cases[] = {
        {"fly 1;", "[!] Undefined ACE command 'fly'.\n"},
        {"toposition", "[!] No duration for ACE command 'toposition'.\n"},
        {"toposition 1", "[!] Mangled ACE command list.\n"},
        {"toposition 2,5;", "[!] ACE command 'toposition' takes 3 parameter(s), found 1.\n"},
        {"toposition 1,0,0,0,0;", "[!] ACE compiled with 3 command parameter(s) maximum.\n"},
        {"toposition -1,0,0,0;", "[!] Expected ',' in ACE list declaration.\n"},
        {"toposition 1,", "[!] Expected ACE command parameter following ','.\n"},
    };
    ItemVocabulary vocabulary;
    for (const CompileErrorCase& entry : cases)
    {
        CapturedLog log;
        TestUnit unit;
        EXPECT_EQ(vocabulary.CompileCommandList(entry.text, &unit), -1) << entry.text;
        EXPECT_EQ(log.text, entry.line) << entry.text;
        EXPECT_TRUE(unit.IsCommandListDone()) << entry.text;
    }
}

TEST(ACECommandList, NullTextKeepsARunningList)
{
    ItemVocabulary vocabulary;
    TestUnit unit;
    ASSERT_EQ(vocabulary.CompileCommandList("nop 2;", &unit), 2);
    CapturedLog log;
    EXPECT_EQ(vocabulary.CompileCommandList(nullptr, &unit), -1);
    EXPECT_EQ(log.text, "[!] Cannot load a null command list.\n");
    EXPECT_FALSE(unit.IsCommandListDone());
}

TEST(ACECommandList, NegativeCodesAreReservedAfterConstruction)
{
    ItemVocabulary vocabulary;
    CapturedLog log;
    EXPECT_FALSE(vocabulary.Define("mine", -7, 0));
    EXPECT_EQ(log.text, "[!] Negative command codes are reserved.\n");
    EXPECT_TRUE(vocabulary.Define("mine", 7, 0));
}

TEST(ACECommandList, NopKeepsTheUnitBusyForItsDuration)
{
    ItemVocabulary vocabulary;
    TestUnit unit;
    ASSERT_EQ(vocabulary.CompileCommandList("nop 2;", &unit), 2);
    for (int frame = 1; frame <= 3; ++frame)
    {
        unit.Update(0.5f);
        EXPECT_FALSE(unit.IsCommandListDone()) << frame;
    }
    unit.Update(0.5f);
    EXPECT_TRUE(unit.IsCommandListDone());
}

TEST(ACECommandList, MoveReachesItsTargetInEqualSteps)
{
    ItemVocabulary vocabulary;
    TestUnit unit;
    ASSERT_EQ(vocabulary.CompileCommandList("toposition 1,0,0,5;", &unit), 2);
    const float expected[] = {1.25f, 2.5f, 3.75f, 5.0f};
    for (float z : expected)
    {
        unit.Update(0.25f);
        EXPECT_NEAR(unit.position[2], z, 1e-5f);
    }
    EXPECT_TRUE(unit.IsCommandListDone());
}

TEST(ACECommandList, PlusJoinsAGroupAndSemicolonSequences)
{
    ItemVocabulary vocabulary;
    TestUnit joined;
    ASSERT_EQ(vocabulary.CompileCommandList("toposition 1,0,0,4 + toalpha 1,1;", &joined), 3);
    joined.Update(0.5f);
    EXPECT_NEAR(joined.position[2], 2.0f, 1e-5f);
    EXPECT_NEAR(joined.alpha, 0.5f, 1e-5f);

    TestUnit sequenced;
    ASSERT_EQ(vocabulary.CompileCommandList("toposition 1,0,0,4; toalpha 1,1;", &sequenced), 4);
    sequenced.Update(0.5f);
    EXPECT_NEAR(sequenced.position[2], 2.0f, 1e-5f);
    EXPECT_EQ(sequenced.alpha, 0.0f);
    sequenced.Update(0.5f);
    EXPECT_NEAR(sequenced.position[2], 4.0f, 1e-5f);
    EXPECT_EQ(sequenced.alpha, 0.0f);
    sequenced.Update(0.5f);
    EXPECT_NEAR(sequenced.alpha, 0.5f, 1e-5f);
}

TEST(ACECommandList, ShortAndEmptyLists)
{
    ItemVocabulary vocabulary;
    TestUnit unit;
    ASSERT_EQ(vocabulary.CompileCommandList("nop;", &unit), 2);
    EXPECT_FLOAT_EQ(unit.GetCommandList().GetHead()->value.duration, 0.001f);

    EXPECT_EQ(vocabulary.CompileCommandList("  // nothing\r\n /* at all */ ", &unit), 0);
    EXPECT_TRUE(unit.IsCommandListDone());
    EXPECT_EQ(vocabulary.CompileCommandList("", &unit), 0);

    // Comments and CRLF may stand between every token.
    EXPECT_EQ(vocabulary.CompileCommandList("toposition/*a*/1\r\n,0 // x\r\n,0,\t-2.5e0;", &unit), 2);
    EXPECT_FLOAT_EQ(unit.GetCommandList().GetHead()->value.parameters[2], -2.5f);
}

TEST(ACECommandList, AFrameLongerThanTheCommandFinishesIt)
{
    ItemVocabulary vocabulary;
    TestUnit unit;
    ASSERT_EQ(vocabulary.CompileCommandList("toposition 0.3,0,0,6;", &unit), 2);
    unit.Update(1.0f);
    EXPECT_FLOAT_EQ(unit.position[2], 6.0f);
    EXPECT_TRUE(unit.IsCommandListDone());
}

TEST(ACECommandList, LoopRepeatsTheGroupsBeforeNextWithTheirFullDuration)
{
    ItemVocabulary vocabulary;
    TestUnit unit;
    ASSERT_EQ(vocabulary.CompileCommandList("loop 0; torotation 1,0,360,0; next 0;", &unit), 6);
    for (int pass = 0; pass < 3; ++pass)
    {
        unit.Update(0.5f); // the loop group
        int before = unit.turns;
        unit.Update(0.5f);
        unit.Update(0.5f);
        EXPECT_EQ(unit.turns, before + 2) << pass;
        unit.Update(0.5f); // the next group
        EXPECT_FALSE(unit.IsCommandListDone()) << pass;
    }
}

TEST(ACECommandList, NextWithoutLoopEndsTheList)
{
    ItemVocabulary vocabulary;
    TestUnit unit;
    ASSERT_EQ(vocabulary.CompileCommandList("nop 0.1; next 0;", &unit), 4);
    unit.Update(0.5f);
    unit.Update(0.5f);
    EXPECT_TRUE(unit.IsCommandListDone());
}

TEST(ACECommandList, DumpListsEveryEntry)
{
    ItemVocabulary vocabulary;
    TestUnit unit;
    ASSERT_EQ(vocabulary.CompileCommandList("toalpha 2,0.5;", &unit), 2);
    CapturedLog log;
    unit.DumpCommandList();
    EXPECT_EQ(log.text, "Command [5] : 2.000s, parm = {0.500, 0.000, 0.000}.\n"
                        "Command [-2] : 0.000s, parm = {0.000, 0.000, 0.000}.\n");
}
} // namespace
