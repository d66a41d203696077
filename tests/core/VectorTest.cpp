#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nScalar.h"
#include "core/math/nVector.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
void ExpectVector(const nVector& v, float x, float y, float z, float tolerance = 1e-5f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}
} // namespace

TEST(VectorTest, ClampLengthRescalesToTheNearerBound)
{
    nVector v(0.0f, 0.0f, 3.0f);
    v.ClampLength(1.0f, 2.0f);
    ExpectVector(v, 0.0f, 0.0f, 2.0f);

    nVector shortVector(0.0f, 0.5f, 0.0f);
    shortVector.ClampLength(1.0f, 2.0f);
    ExpectVector(shortVector, 0.0f, 1.0f, 0.0f);

    nVector tiny(0.0f, 0.0f, 0.0005f);
    tiny.ClampLength(1.0f, 2.0f);
    EXPECT_EQ(tiny.z, 0.0005f);
}

TEST(VectorTest, FloorAndCeilIncludeW)
{
    nVector v(-0.5f, 0.5f, 2.0f, -2.0f);
    v.Floor();
    EXPECT_EQ(v.x, -1.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 2.0f);
    EXPECT_EQ(v.w, -2.0f);
    nVector c(-0.5f, 0.5f, 2.0f, 0.1f);
    c.Ceil();
    EXPECT_EQ(c.x, 0.0f);
    EXPECT_EQ(c.y, 1.0f);
    EXPECT_EQ(c.w, 1.0f);
}

TEST(VectorTest, ComparisonsIgnoreWAndUseOneMillionth)
{
    const nVector a(1.0f, 2.0f, 3.0f, 1.0f);
    EXPECT_FALSE(a.DiffersFrom(nVector(1.0f, 2.0f, 3.0f, 7.0f)));
    EXPECT_TRUE(a.DiffersFrom(nVector(1.0f, 2.00001f, 3.0f)));
    EXPECT_TRUE(a.DiffersFrom(nVector(1.0f, 2.0f, NAN)));
    EXPECT_TRUE(a.IsEqual(nVector(1.0f, 2.0f, 3.0000005f)));
    EXPECT_FALSE(a.IsEqual(nVector(1.0f, 2.0f, 3.00001f)));
}

TEST(VectorTest, FaceForwardTurnsAwayFromTheNormal)
{
    const nVector normal(0.0f, 1.0f, 0.0f);
    ExpectVector(nVector(1.0f, 1.0f, 0.0f).FaceForward(normal), -1.0f, -1.0f, 0.0f);
    ExpectVector(nVector(1.0f, -1.0f, 0.0f).FaceForward(normal), 1.0f, -1.0f, 0.0f);
}

TEST(VectorTest, HashCombinesTruncatedTenths)
{
    const nVector v(0.15f, -0.25f, 1.0f);
    // x 1, y 2 (from -0.25 x -10), z 10
    const uint32_t expected = 2u * 669632447u - 10u * 887442657u - 1u * 1918454973u;
    EXPECT_EQ(v.Hash(), expected);
    EXPECT_EQ(nVector(1e30f, -1e30f, NAN).Hash(), nVector(1e30f, -1e30f, NAN).Hash());
}

TEST(VectorTest, MatrixProductsTreatTheVectorAsAColumn)
{
    const nMatrix4 m =
        nMatrix4::FromTranslation(1.0f, 2.0f, 3.0f) * nMatrix4::FromMatrix3(nMatrix3::RotationZ(kPi / 2));
    ExpectVector(nVector(1.0f, 0.0f, 0.0f).MulMatrix4(m), 1.0f, 3.0f, 3.0f);
    ExpectVector(nVector(1.0f, 0.0f, 0.0f).MulMatrix3(m.GetMatrix3()), 0.0f, 1.0f, 0.0f);
}

TEST(VectorTest, EulerAnglesOfADirectionMatchTheItemRotation)
{
    const nVector directions[] = {{0.0f, 0.0f, 1.0f},   {1.0f, 0.0f, 0.0f},  {0.0f, 0.0f, -1.0f},
                                  {-1.0f, 0.5f, -2.0f}, {0.3f, -0.8f, 0.2f}, {2.0f, 1.0f, -0.5f}};
    for (const nVector& direction : directions)
    {
        const nVector angles = nVector::ToEulerAngles(direction);
        EXPECT_EQ(angles.z, 0.0f);
        const nVector forward = nMatrix3::FromEulerVector(angles, 4).GetColumn(2);
        const nVector unit = direction.Normalized();
        ExpectVector(forward, unit.x, unit.y, unit.z);
    }
}

TEST(VectorTest, EulerAnglesReadTheRollFromTheUpVector)
{
    const nVector direction(0.0f, 0.0f, 1.0f);
    const nVector noRoll(0.0f, 3.0f, 0.0f);
    EXPECT_EQ(nVector::ToEulerAngles(direction, &noRoll).z, 0.0f); // an exactly vertical up has no roll
    for (float roll : {0.5f, 2.0f, 4.0f})
    {
        const nVector up = nMatrix3::FromEuler(0.0f, 0.0f, roll, 4).GetColumn(1);
        const nVector angles = nVector::ToEulerAngles(direction, &up);
        const nVector rebuiltUp = nMatrix3::FromEulerVector(angles, 4).GetColumn(1);
        ExpectVector(rebuiltUp, up.x, up.y, up.z, 1e-4f);
    }
}

TEST(VectorTest, EulerAnglesOfDegenerateInputAreFinite)
{
    const nVector zero(0.0f, 0.0f, 0.0f);
    ExpectVector(nVector::ToEulerAngles(zero), 0.0f, 0.0f, 0.0f);
    ExpectVector(nVector::ToEulerAngles(zero, &zero), 0.0f, 0.0f, 0.0f);
    const nVector angles = nVector::ToEulerAngles(nVector(0.0f, 0.0f, 1.0f), &zero);
    ExpectVector(angles, 0.0f, 0.0f, 0.0f);
    const nVector straightUp = nVector::ToEulerAngles(nVector(0.0f, 5.0f, 0.0f));
    EXPECT_NEAR(straightUp.x, -kPi / 2, 1e-6f);
    EXPECT_EQ(straightUp.y, 0.0f);
}
