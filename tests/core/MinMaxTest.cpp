#include "core/math/nMinMax.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const nMinMax kBox(nVector(-1.0f, -1.0f, -1.0f), nVector(1.0f, 1.0f, 1.0f));

void ExpectVector(const nVector& v, float x, float y, float z, float w)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_FLOAT_EQ(v.w, w);
}
} // namespace

TEST(MinMaxTest, OutcodesRunTheOtherWayOnZ)
{
    EXPECT_EQ(nMinMax::Outcode(kBox.min, kBox.max, nVector(-2.0f, 0.0f, 2.0f)), 34u);
    EXPECT_EQ(nMinMax::Outcode(kBox.min, kBox.max, nVector(2.0f, -2.0f, -2.0f)), 1u + 8u + 16u);
    EXPECT_EQ(nMinMax::Outcode(kBox.min, kBox.max, nVector(1.0f, -1.0f, 0.0f)), 0u);
    EXPECT_EQ(DirectionOutcode(nVector(1.0f, 0.0f, -1.0f)), 1u + 8u + 16u);
    EXPECT_EQ(DirectionOutcode(nVector(0.0f, 1.0f, 1.0f)), 2u + 4u + 32u);
}

TEST(MinMaxTest, UnionExtendAndCentreSize)
{
    const nMinMax same = kBox.Union(kBox);
    ExpectVector(same.min, -1, -1, -1, 1);
    ExpectVector(same.max, 1, 1, 1, 1);
    nMinMax box = nMinMax::FromCentreSize(nVector(1.0f, 2.0f, 3.0f), nVector(2.0f, 4.0f, 6.0f));
    ExpectVector(box.min, 0, 0, 0, 1);
    ExpectVector(box.max, 2, 4, 6, 1);
    box.Extend(nVector(-1.0f, 5.0f, 3.0f));
    ExpectVector(box.min, -1, 0, 0, 1);
    ExpectVector(box.max, 2, 5, 6, 1);
}

TEST(MinMaxTest, RayHitsReportPointAndFaceNormal)
{
    struct Case
    {
        nVector origin, direction;
        bool hit;
        nVector point, normal;
    } cases[] = {
        {{-3, 0, 0}, {1, 0, 0}, true, {-1, 0, 0}, {-1, 0, 0, 1}},
        {{-3, 0, 0}, {-1, 0, 0}, false, {}, {}},
        {{-3, 0, 0}, {0, 1, 0}, false, {}, {}},
        {{-3, 1, 0}, {1, 0, 0}, true, {-1, 1, 0}, {-1, 0, 0, 1}},
        {{0, 0, 0}, {1, 0, 0}, true, {0, 0, 0}, {0, 0, 0, 1}},
        {{0, 5, 0}, {0, -2, 0}, true, {0, 1, 0}, {0, 1, 0, 1}},
        {{0.5f, 0, -4}, {0, 0, 1}, true, {0.5f, 0, -1}, {0, 0, -1, 1}},
        {{-2, -2, 0}, {1, 1, 0}, true, {-1, -1, 0}, {-1, 0, 0, 1}}, // the edge reports the x face
        {{-3, 0, 0}, {1, 5, 0}, false, {}, {}},
    };
    for (const Case& c : cases)
    {
        nVector point(9, 9, 9), normal(9, 9, 9);
        EXPECT_EQ(kBox.IntersectRay(c.origin, c.direction, point, &normal), c.hit)
            << c.origin.x << "," << c.origin.y;
        if (!c.hit)
            continue;
        ExpectVector(point, c.point.x, c.point.y, c.point.z, 1);
        ExpectVector(normal, c.normal.x, c.normal.y, c.normal.z, c.normal.w);
    }
}

TEST(MinMaxTest, RayParallelToAFaceItIsOutsideOfMisses)
{
    // Beyond the x maximum with no x motion: no face can be entered, and nothing is divided by 0.
    const nVector origins[] = {{3, 0, 0}, {-3, 0, 0}, {3, 3, 0}};
    for (const nVector& origin : origins)
    {
        nVector point(9, 9, 9), normal(9, 9, 9);
        EXPECT_FALSE(kBox.IntersectRay(origin, nVector(0.0f, -1.0f, 0.0f), point, &normal));
        EXPECT_EQ(point.x, 9.0f);
        EXPECT_EQ(normal.x, 9.0f);
    }
    nVector point;
    EXPECT_TRUE(kBox.IntersectRay(nVector(0.0f, 3.0f, 0.0f), nVector(0.0f, -1.0f, 0.0f), point, nullptr));
    EXPECT_FLOAT_EQ(point.y, 1.0f);
}

TEST(MinMaxTest, SegmentHits)
{
    nVector point, normal;
    EXPECT_TRUE(kBox.IntersectSegment(nVector(-3, 0, 0), nVector(3, 0, 0), point, &normal));
    ExpectVector(point, -1, 0, 0, 1);
    ExpectVector(normal, -1, 0, 0, 1);
    EXPECT_TRUE(kBox.IntersectSegment(nVector(-3, 0, 0), nVector(0, 0, 0), point, &normal));
    ExpectVector(point, 0, 0, 0, 1);
    EXPECT_FALSE(kBox.IntersectSegment(nVector(2, 2, 0), nVector(3, 0, 0), point, &normal));
    EXPECT_FALSE(kBox.IntersectSegment(nVector(2, 0, 0), nVector(0, 5, 0), point, &normal));
    EXPECT_TRUE(kBox.IntersectSegment(nVector(0, 0, 0), nVector(5, 5, 5), point, &normal));
    ExpectVector(normal, 0, 0, 0, 1);
}

TEST(MinMaxTest, SlabTestReturnsTheDistances)
{
    float nearDistance = -1.0f, farDistance = -1.0f;
    ASSERT_TRUE(kBox.IntersectRaySlab(nVector(-3, 0, 0), nVector(2, 0, 0), nearDistance, farDistance));
    EXPECT_FLOAT_EQ(nearDistance, 1.0f);
    EXPECT_FLOAT_EQ(farDistance, 2.0f);
    ASSERT_TRUE(kBox.IntersectRaySlab(nVector(0, 0, 0), nVector(0, 0, 1), nearDistance, farDistance));
    EXPECT_FLOAT_EQ(nearDistance, 0.0f);
    EXPECT_FLOAT_EQ(farDistance, 1.0f);
    EXPECT_FALSE(kBox.IntersectRaySlab(nVector(0, 3, 0), nVector(1, 0, 0), nearDistance, farDistance));
    EXPECT_FALSE(kBox.IntersectRaySlab(nVector(3, 0, 0), nVector(1, 0, 0), nearDistance, farDistance));
    EXPECT_FALSE(kBox.IntersectRaySlab(nVector(-3, 3, 0), nVector(1, 0.1f, 0), nearDistance, farDistance));
}
