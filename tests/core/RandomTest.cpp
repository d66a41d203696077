#include "core/math/nRandom.h"
#include "core/math/nVector.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

TEST(RandomTest, UnseededGeneratorDrawsZero)
{
    // A fresh process, so that no other test has seeded the generator yet.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const bool zero = RandomInt(1000) == 0 && RandomInt(7) == 0 && RandomFloat(1.0f) == 0.0f;
            std::exit(zero ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(RandomTest, SeedZeroDrawsTheKnownSequence)
{
    RandomSeed(0);
    EXPECT_EQ(RandomInt(100), 34u);
    EXPECT_EQ(RandomInt(100), 63u);
    EXPECT_EQ(RandomInt(100), 49u);
}

TEST(RandomTest, OnlyTheLowThirteenBitsOfTheSeedCount)
{
    RandomSeed(8192);
    const uint32_t a = RandomInt(1000000);
    RandomSeed(0);
    EXPECT_EQ(RandomInt(1000000), a);
}

TEST(RandomTest, EqualSeedsGiveEqualSequences)
{
    auto draw = []
    {
        RandomSeed(77);
        std::vector<float> values;
        for (int i = 0; i < 50; ++i)
            values.push_back(RandomRange(-1.0f, 1.0f));
        return values;
    };
    EXPECT_EQ(draw(), draw());
}

TEST(RandomTest, ZeroRangeTakesNoStep)
{
    RandomSeed(3);
    const uint32_t expected = RandomInt(1000);
    RandomSeed(3);
    EXPECT_EQ(RandomInt(0), 0u);
    EXPECT_EQ(RandomIntDistinct(0), 0u);
    EXPECT_EQ(RandomInt(1000), expected);
}

TEST(RandomTest, DistinctDrawsAvoidRepeatingTheLastValue)
{
    RandomSeed(5);
    uint32_t repeats = 0;
    uint32_t previous = RandomIntDistinct(2);
    for (int i = 0; i < 200; ++i)
    {
        const uint32_t value = RandomIntDistinct(2);
        EXPECT_LT(value, 2u);
        repeats += value == previous;
        previous = value;
    }
    // Four tries at a one-in-two chance: a repeat survives about one draw in sixteen.
    EXPECT_LT(repeats, 40u);
}

TEST(RandomTest, FloatsStayInTheirRange)
{
    RandomSeed(11);
    for (int i = 0; i < 1000; ++i)
    {
        const float f = RandomFloat(2.0f);
        EXPECT_GE(f, 0.0f);
        EXPECT_LT(f, 2.0f);
        const nVector v = nVector::Random(-3.0f, -1.0f);
        for (float c : {v.x, v.y, v.z})
        {
            EXPECT_GE(c, -3.0f);
            EXPECT_LT(c, -1.0f);
        }
    }
}
