#include "viewer/CommandLineNumber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(CommandLineNumber, IntegersReadLikeTheCLibraryWithoutOverflow)
{
    struct Case
    {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"5", 5},
        {"-12ab", -12},
        {"  +7", 7},
        {"\t-3", -3},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"--5", 0},
        {"+-5", 0},
        {"1.9", 1},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int32_t>::min()},
        {"2147483648", std::numeric_limits<int32_t>::max()},
        {"99999999999999999999999", std::numeric_limits<int32_t>::max()},
        {"-99999999999999999999999", std::numeric_limits<int32_t>::min()},
    };
    for (const Case& testCase : cases)
        EXPECT_EQ(ReadIntegerArgument(testCase.text), testCase.value) << testCase.text;
    EXPECT_EQ(ReadIntegerArgument(nullptr), 0);
}

TEST(CommandLineNumber, RealsReadLikeTheCLibraryWithoutOverflow)
{
    struct Case
    {
        const char* text;
        float value;
    };
    const Case cases[] = {
        {"5.5", 5.5f}, {"-0.25", -0.25f}, {" +2e3", 2000.0f}, {"1e-2", 0.01f},  {"3abc", 3.0f},
        {"abc", 0.0f}, {"", 0.0f},        {"--1", 0.0f},      {"1e-999", 0.0f}, {"-1e-999", -0.0f},
    };
    for (const Case& testCase : cases)
        EXPECT_FLOAT_EQ(ReadRealArgument(testCase.text), testCase.value) << testCase.text;
    EXPECT_EQ(ReadRealArgument("1e999"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ReadRealArgument("-1e999"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(ReadRealArgument("1e39"),
              std::numeric_limits<float>::infinity()); // beyond float, within double
    EXPECT_EQ(ReadRealArgument(std::string(400, '9').c_str()), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ReadRealArgument(("0." + std::string(400, '0') + "1").c_str()), 0.0f);
    // An 'e' after the number is not its exponent, whatever sign follows it.
    EXPECT_EQ(ReadRealArgument((std::string(400, '9') + " e-1").c_str()), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ReadRealArgument((std::string(400, '9') + "x1e-1").c_str()), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ReadRealArgument(nullptr), 0.0f);
}
