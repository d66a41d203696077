#include "core/math/nFrustum.h"
#include "core/math/nMatrix4.h"
#include "core/math/nMinMax.h"
#include "core/math/nScalar.h"

#include <gtest/gtest.h>

namespace
{
void ExpectVector(const nVector& v, float x, float y, float z, float tolerance = 1e-5f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
    EXPECT_EQ(v.w, 1.0f);
}

nFrustum Perspective(const nMatrix4* matrix = nullptr)
{
    nFrustum frustum;
    frustum.SetPerspective(kPi / 2, 1.0f, 10.0f, matrix, 1.0f, 1.0f);
    return frustum;
}
} // namespace

TEST(FrustumTest, PerspectiveCornersAndPlanes)
{
    const nFrustum f = Perspective();
    const float corners[8][3] = {{-1, 1, 1},    {1, 1, 1},    {1, -1, 1},    {-1, -1, 1},
                                 {-10, 10, 10}, {10, 10, 10}, {10, -10, 10}, {-10, -10, 10}};
    for (int i = 0; i < 8; ++i)
        ExpectVector(f.corners[i], corners[i][0], corners[i][1], corners[i][2]);
    const float s = 0.7071068f;
    const float normals[6][3] = {{0, s, -s}, {0, -s, -s}, {-s, 0, -s}, {s, 0, -s}, {0, 0, -1}, {0, 0, 1}};
    const float distances[6] = {0, 0, 0, 0, 1, -10};
    for (int i = 0; i < 6; ++i)
    {
        ExpectVector(f.planes[i].normal, normals[i][0], normals[i][1], normals[i][2]);
        EXPECT_NEAR(f.planes[i].d, distances[i], 1e-5f) << "plane " << i;
    }
}

TEST(FrustumTest, FactorsNarrowThePerspectiveSides)
{
    nFrustum f;
    f.SetPerspective(kPi / 2, 1.0f, 10.0f, nullptr, 2.0f, 1.0f);
    ExpectVector(f.corners[1], 0.5f, 1.0f, 1.0f);
}

TEST(FrustumTest, OrthographicCornersAndPlanes)
{
    nFrustum f;
    f.SetOrthographic(4.0f, 2.0f, 0.0f, 5.0f, nullptr, 1.0f, 1.0f);
    ExpectVector(f.corners[1], 2.0f, 1.0f, 0.0f);
    ExpectVector(f.corners[7], -2.0f, -1.0f, 5.0f);
    ExpectVector(f.planes[3].normal, 1.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(f.planes[3].d, -2.0f);
    EXPECT_FLOAT_EQ(f.planes[5].d, -5.0f);

    // The camera shows width / factor; the frustum follows it.
    f.SetOrthographic(4.0f, 2.0f, 0.0f, 5.0f, nullptr, 2.0f, 0.5f);
    ExpectVector(f.corners[1], 1.0f, 2.0f, 0.0f);
}

TEST(FrustumTest, ATranslatedFrustumMovesCornersAndApex)
{
    const nMatrix4 move = nMatrix4::FromTranslation(3.0f, -2.0f, 7.0f);
    const nFrustum moved = Perspective(&move);
    const nFrustum plain = Perspective();
    for (int i = 0; i < 8; ++i)
        ExpectVector(moved.corners[i], plain.corners[i].x + 3.0f, plain.corners[i].y - 2.0f,
                     plain.corners[i].z + 7.0f);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(moved.planes[i].Distance(nVector(3.0f, -2.0f, 7.0f)), 0.0f, 1e-5f) << "plane " << i;
    EXPECT_EQ(moved.TestSphere(nVector(3.0f, -2.0f, 12.0f), 0.5f), nFrustum::Inside);
    EXPECT_EQ(moved.TestSphere(nVector(0.0f, 0.0f, 5.0f), 0.5f), nFrustum::Outside);
}

TEST(FrustumTest, SphereTests)
{
    const nFrustum f = Perspective();
    EXPECT_EQ(f.TestSphere(nVector(0, 0, 5), 1.0f), nFrustum::Inside);
    EXPECT_EQ(f.TestSphere(nVector(0, 0, 20), 1.0f), nFrustum::Outside);
    EXPECT_EQ(f.TestSphere(nVector(0, 0, 10), 1.0f), nFrustum::Crossing);
    // On the far plane with radius 0: a distance of 0 is not outside.
    EXPECT_EQ(f.TestSphere(nVector(0, 0, 10), 0.0f), nFrustum::Inside);
}

TEST(FrustumTest, BoxTests)
{
    const nFrustum f = Perspective();
    EXPECT_EQ(f.TestMinMax(nMinMax(nVector(-1, -1, 4), nVector(1, 1, 6)), nullptr), nFrustum::Inside);
    EXPECT_EQ(f.TestMinMax(nMinMax(nVector(-1, -1, 11), nVector(1, 1, 12)), nullptr), nFrustum::Outside);
    EXPECT_EQ(f.TestMinMax(nMinMax(nVector(4, -1, 4), nVector(6, 1, 6)), nullptr), nFrustum::Crossing);
    const nMatrix4 push = nMatrix4::FromTranslation(0.0f, 0.0f, 20.0f);
    EXPECT_EQ(f.TestMinMax(nMinMax(nVector(-1, -1, 4), nVector(1, 1, 6)), &push), nFrustum::Outside);

    nVector corners[8];
    const nMinMax straddling(nVector(4, -1, 4), nVector(6, 1, 6));
    for (int i = 0; i < 8; ++i)
        corners[i] =
            nVector(i & 1 ? straddling.max.x : straddling.min.x, i & 2 ? straddling.max.y : straddling.min.y,
                    i & 4 ? straddling.max.z : straddling.min.z);
    EXPECT_EQ(f.TestCorners(corners), nFrustum::Crossing);
}
