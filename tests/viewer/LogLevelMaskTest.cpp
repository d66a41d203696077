#include "viewer/LogLevelMask.h"

#include <gtest/gtest.h>

TEST(LogLevelMask, LettersAreReadLeftToRight)
{
    struct Case
    {
        const char* letters;
        uint8_t mask;
    };
    const Case cases[] = {
        {"!S*", 28}, {"a", 255}, {"an", 0},   {"", 0},      {"s", 1},    {"H", 2},    {"*", 4},
        {"!", 8},    {"S", 16},  {"sHsH", 3}, {"na!", 255}, {"a!n*", 4}, {"xyz?", 0}, {"h", 0},
    };
    for (const Case& testCase : cases)
        EXPECT_EQ(ParseLogLevelMask(testCase.letters), testCase.mask) << testCase.letters;
    EXPECT_EQ(ParseLogLevelMask(nullptr), 0);
}
