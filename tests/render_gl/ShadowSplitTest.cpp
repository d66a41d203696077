#include "render/gl/nGPURenderer.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ShadowSplitTest, BlendsLogarithmicAndUniformEnds)
{
    float ends[3] = {};
    nGPURenderer::ComputePSSMSplits(1.0f, 100.0f, 0.5f, 3, ends);
    EXPECT_NEAR(ends[0], 19.32f, 0.01f);
    EXPECT_NEAR(ends[1], 44.27f, 0.01f);
    EXPECT_NEAR(ends[2], 100.0f, 0.01f);
}

TEST(ShadowSplitTest, NearZeroGivesFiniteIncreasingEnds)
{
    float ends[4] = {};
    nGPURenderer::ComputePSSMSplits(0.0f, 50.0f, 0.5f, 4, ends);
    float previous = 0.0f;
    for (float end : ends)
    {
        EXPECT_TRUE(std::isfinite(end));
        EXPECT_GT(end, previous);
        previous = end;
    }
    EXPECT_FLOAT_EQ(ends[3], 50.0f);
}

TEST(ShadowSplitTest, DistancesOrWeightsThatAreNoNumbersGiveFiniteEnds)
{
    const float nan = std::nanf("");
    const float inf = INFINITY;
    const float cases[][3] = {{nan, 100.0f, 0.5f}, {1.0f, nan, 0.5f}, {1.0f, inf, 0.5f},
                              {inf, 100.0f, 0.5f}, {1.0f, 100.0f, nan}, {1.0f, -100.0f, 0.5f}};
    for (const auto& c : cases)
    {
        float ends[3] = {};
        nGPURenderer::ComputePSSMSplits(c[0], c[1], c[2], 3, ends);
        for (float end : ends)
            EXPECT_TRUE(std::isfinite(end) && end > 0.0f) << c[0] << " " << c[1] << " " << c[2];
    }
}
