#include "core/math/nMatrix3.h"
#include "core/math/nScalar.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
void ExpectColumn(const nMatrix3& m, int column, float x, float y, float z)
{
    const nVector c = m.GetColumn(column);
    EXPECT_NEAR(c.x, x, 1e-6f) << "column " << column;
    EXPECT_NEAR(c.y, y, 1e-6f) << "column " << column;
    EXPECT_NEAR(c.z, z, 1e-6f) << "column " << column;
}

void ExpectMatrixNear(const nMatrix3& a, const nMatrix3& b, float tolerance = 1e-5f)
{
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "entry " << i;
}

void ExpectFinite(const nMatrix3& m)
{
    for (float value : m.m)
        EXPECT_TRUE(std::isfinite(value));
}
} // namespace

TEST(Matrix3Test, ElementaryRotationsAreRowMajorAndActOnColumns)
{
    const nMatrix3 z = nMatrix3::RotationZ(kPi / 2);
    EXPECT_NEAR(z.m[1], -1.0f, 1e-6f); // row 0, column 1
    EXPECT_NEAR(z.m[3], 1.0f, 1e-6f);
    const nVector turned = nVector(1.0f, 0.0f, 0.0f).MulMatrix3(z);
    EXPECT_NEAR(turned.y, 1.0f, 1e-6f);
    // A . B applies B first.
    const nVector both = nVector(0.0f, 0.0f, 1.0f).MulMatrix3(z * nMatrix3::RotationX(-kPi / 2));
    EXPECT_NEAR(both.x, -1.0f, 1e-6f);
}

TEST(Matrix3Test, SetTakesValuesColumnByColumn)
{
    nMatrix3 m;
    m.Set(1, 2, 3, 4, 5, 6, 7, 8, 9);
    ExpectColumn(m, 0, 1, 2, 3);
    const nVector row = m.GetRow(0);
    EXPECT_EQ(row.x, 1.0f);
    EXPECT_EQ(row.y, 4.0f);
    EXPECT_EQ(row.z, 7.0f);
}

TEST(Matrix3Test, EulerOrdersNameTheirProducts)
{
    const float x = 0.1f, y = 0.2f, z = 0.3f;
    const nMatrix3 rx = nMatrix3::RotationX(x), ry = nMatrix3::RotationY(y), rz = nMatrix3::RotationZ(z);
    const nMatrix3 products[] = {rz * ry * rx, ry * rz * rx, rz * rx * ry, rx * rz * ry,
                                 ry * rx * rz, rx * ry * rz, rx * ry};
    for (uint32_t order = 0; order < 7; ++order)
        ExpectMatrixNear(nMatrix3::FromEuler(x, y, z, order), products[order]);
    ExpectMatrixNear(nMatrix3::FromEuler(x, y, z, 7), nMatrix3());
    ExpectMatrixNear(nMatrix3::FromEuler(0.1f, 0.0f, 0.0f, 0), nMatrix3::RotationX(0.1f));
}

TEST(Matrix3Test, EveryOrderRoundTripsThroughToEuler)
{
    const float angleSets[][3] = {
        {0.1f, 0.2f, 0.3f}, {-1.2f, 0.7f, 1.5f}, {1.4f, -1.3f, -0.9f}, {0.0f, 0.0f, 0.0f}};
    for (const auto& angles : angleSets)
    {
        for (uint32_t order = 0; order < 6; ++order)
        {
            const nMatrix3 rotation = nMatrix3::FromEuler(angles[0], angles[1], angles[2], order);
            const nVector read = rotation.ToEuler(order);
            EXPECT_NEAR(read.x, angles[0], 1e-4f) << "order " << order;
            EXPECT_NEAR(read.y, angles[1], 1e-4f) << "order " << order;
            EXPECT_NEAR(read.z, angles[2], 1e-4f) << "order " << order;
            ExpectMatrixNear(nMatrix3::FromEulerVector(read, order), rotation);
        }
    }
    const nVector two = nMatrix3::FromEuler(-0.1f, 0.2f, 0.0f, 6).ToEuler(6);
    EXPECT_NEAR(two.x, 0.1f, 1e-5f);
    EXPECT_NEAR(two.y, 0.2f, 1e-5f);
    EXPECT_EQ(two.z, 0.0f);
    ExpectMatrixNear(nMatrix3::FromEuler(0.1f, 0.2f, 0.5f, 6), nMatrix3::FromEuler(0.1f, 0.2f, 0.0f, 6));

    const nMatrix3 any = nMatrix3::FromEuler(0.4f, -0.3f, 1.1f, 2);
    const nVector unknown = any.ToEuler(7), four = any.ToEuler(4);
    EXPECT_EQ(unknown.x, four.x);
    EXPECT_EQ(unknown.y, four.y);
    EXPECT_EQ(unknown.z, four.z);
}

TEST(Matrix3Test, InverseFailsOnASingularMatrix)
{
    nMatrix3 inverse;
    const nMatrix3 m =
        nMatrix3::FromEuler(0.3f, 0.2f, 0.1f, 4) * nMatrix3::FromScale(nVector(2.0f, 3.0f, 4.0f));
    ASSERT_TRUE(m.Inverse(inverse));
    ExpectMatrixNear(m * inverse, nMatrix3());
    nMatrix3 singular = m;
    singular.SetColumn(1, nVector(0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(singular.Inverse(inverse));
}

TEST(Matrix3Test, FromDirectionBuildsTheLocalZAxis)
{
    ExpectMatrixNear(nMatrix3::FromDirection(nVector(0.0f, 0.0f, 5.0f)), nMatrix3());
    ExpectMatrixNear(nMatrix3::FromDirection(nVector(0.0f, 0.0f, 0.0f)), nMatrix3());

    const nMatrix3 alongX = nMatrix3::FromDirection(nVector(1.0f, 0.0f, 0.0f));
    ExpectColumn(alongX, 0, 0, 0, -1);
    ExpectColumn(alongX, 1, 0, 1, 0);
    ExpectColumn(alongX, 2, 1, 0, 0);

    const nMatrix3 alongY = nMatrix3::FromDirection(nVector(0.0f, 1.0f, 0.0f));
    ExpectColumn(alongY, 0, -1, 0, 0);
    ExpectColumn(alongY, 1, 0, 0, 1);
    ExpectColumn(alongY, 2, 0, 1, 0);

    const nVector up(0.0f, 2.0f, 0.0f);
    ExpectMatrixNear(nMatrix3::FromDirection(nVector(0.0f, 0.0f, 1.0f), &up), nMatrix3());
}

// An item aimed upward with the world's up would otherwise be sheared (determinant 0.8).
TEST(Matrix3Test, FromDirectionWithASlantedUpVectorIsARotation)
{
    const nVector direction(0.0f, 0.6f, 0.8f);
    const nVector up(0.0f, 1.0f, 0.0f);
    const nMatrix3 m = nMatrix3::FromDirection(direction, &up);
    ExpectMatrixNear(m * m.Transpose(), nMatrix3());
    EXPECT_NEAR(m.GetColumn(0).Dot(m.GetColumn(1).Cross(m.GetColumn(2))), 1.0f, 1e-5f);
    ExpectColumn(m, 2, 0.0f, 0.6f, 0.8f);
    ExpectColumn(m, 0, 1.0f, 0.0f, 0.0f);
    ExpectColumn(m, 1, 0.0f, 0.8f, -0.6f);
}

TEST(Matrix3Test, FromDirectionIgnoresAnUpVectorThatCannotSpanABasis)
{
    const nVector direction(1.0f, 0.0f, 0.0f);
    const nMatrix3 plain = nMatrix3::FromDirection(direction);
    const nVector badUps[] = {{0.0f, 0.0f, 0.0f}, {3.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}, {NAN, 0.0f, 0.0f}};
    for (const nVector& up : badUps)
    {
        const nMatrix3 m = nMatrix3::FromDirection(direction, &up);
        ExpectFinite(m);
        ExpectMatrixNear(m, plain);
    }
}

TEST(Matrix3Test, OrthonormalizeRemovesScaleAndShear)
{
    nMatrix3 sheared =
        nMatrix3::FromEuler(0.5f, 0.2f, -0.4f, 4) * nMatrix3::FromScale(nVector(2.0f, 3.0f, 0.5f));
    sheared.m[1] += 0.3f;
    nMatrix3 out;
    sheared.Orthonormalize(out);
    ExpectMatrixNear(out * out.Transpose(), nMatrix3());

    nMatrix3 degenerate;
    degenerate.SetColumns(nVector(0, 0, 0), nVector(0, 0, 0), nVector(0, 0, 0));
    degenerate.Orthonormalize(out);
    ExpectFinite(out);
    ExpectMatrixNear(out * out.Transpose(), nMatrix3());
}
