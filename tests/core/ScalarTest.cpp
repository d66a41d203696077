#include "core/math/nColor.h"
#include "core/math/nScalar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(ScalarTest, RoundingAwayFromTheInteger)
{
    struct Case
    {
        float value, up, down;
    } cases[] = {{2.0f, 3.0f, 2.0f},
                 {2.5f, 3.0f, 2.0f},
                 {-2.0f, -2.0f, -3.0f},
                 {-2.5f, -2.0f, -3.0f},
                 {0.0f, 1.0f, 0.0f}};
    for (const Case& c : cases)
    {
        EXPECT_EQ(RoundUp(c.value), c.up) << c.value;
        EXPECT_EQ(RoundDown(c.value), c.down) << c.value;
    }
}

TEST(ScalarTest, ClampedArcFunctionsAcceptValuesJustOutsideTheirDomain)
{
    EXPECT_FLOAT_EQ(ArcSinClamped(1.0000001f), kPi / 2);
    EXPECT_FLOAT_EQ(ArcCosClamped(-3.0f), kPi);
}

TEST(ScalarTest, ToleranceTests)
{
    EXPECT_TRUE(IsNearZero(-0.5f, 0.5f));
    EXPECT_FALSE(IsNearZero(0.6f, 0.5f));
    EXPECT_EQ(IsNearlyEqual(1.0f, 1.0000005f, 1e-6f), 1.0f);
    EXPECT_EQ(IsNearlyEqual(1.0f, 1.00001f, 1e-6f), 0.0f);
    EXPECT_EQ(IsNearlyEqual(1.0f, NAN, 1e-6f), 0.0f);
    EXPECT_TRUE(IsFiniteRange(3.4028235e38f));
    EXPECT_FALSE(IsFiniteRange(std::numeric_limits<float>::infinity()));
    EXPECT_FALSE(IsFiniteRange(NAN));
}

TEST(ScalarTest, RemapClampsToTheOutputRange)
{
    EXPECT_FLOAT_EQ(RemapClamped(5.0f, 0.0f, 10.0f, 100.0f, 200.0f), 150.0f);
    EXPECT_FLOAT_EQ(RemapClamped(20.0f, 0.0f, 10.0f, 100.0f, 200.0f), 200.0f);
    EXPECT_FLOAT_EQ(RemapClamped(-5.0f, 0.0f, 10.0f, 100.0f, 200.0f), 100.0f);
    EXPECT_FALSE(std::isnan(RemapClamped(1.0f, 1.0f, 1.0f, 0.0f, 1.0f))); // empty input range
}

TEST(ScalarTest, ReverseRotationOrderPairsTheUndoingOrders)
{
    const uint32_t expected[] = {5, 3, 4, 1, 2, 0, 4, 4};
    for (uint32_t order = 0; order < 8; ++order)
        EXPECT_EQ(ReverseRotationOrder(order), expected[order]) << order;
}

TEST(ColorTest, PacksRedInTheLowestByte)
{
    const uint32_t packed = nColor(1.0f, 0.0f, 0.0f, 1.0f).ToRGBA32();
    EXPECT_EQ(packed, 0xFF0000FFu);
    const nColor back = nColor::FromRGBA32(packed);
    EXPECT_FLOAT_EQ(back.r, 1.0f);
    EXPECT_FLOAT_EQ(back.g, 0.0f);
    EXPECT_FLOAT_EQ(back.b, 0.0f);
    EXPECT_FLOAT_EQ(back.a, 1.0f);
    EXPECT_EQ(nColor(0.5f, 0.25f, 0.0f, 0.0f).ToRGBA32(), 0x00003F7Fu);
}

TEST(ColorTest, ComponentsOutsideTheUnitRangeClampWithoutDisturbingOthers)
{
    EXPECT_EQ(nColor(1.01f, 0.0f, 0.0f, 0.0f).ToRGBA32(), 0x000000FFu);
    EXPECT_EQ(nColor(2.0f, -0.5f, 0.0f, 1.0f).ToRGBA32(), 0xFF0000FFu);
    EXPECT_EQ(nColor(0.0f, NAN, 1e30f, -1e30f).ToRGBA32(), 0x00FF0000u);
}
