#include "core/math/nMatrix3.h"
#include "core/math/nQuaternion.h"
#include "core/math/nScalar.h"

#include <gtest/gtest.h>

namespace
{
void ExpectMatrixNear(const nMatrix3& a, const nMatrix3& b, float tolerance = 1e-5f)
{
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "entry " << i;
}
} // namespace

TEST(QuaternionTest, AxisAngleMatchesTheElementaryRotations)
{
    ExpectMatrixNear(nQuaternion::FromAxisAngle(0.7f, 1, 0, 0).ToMatrix3(), nMatrix3::RotationX(0.7f));
    ExpectMatrixNear(nQuaternion::FromAxisAngle(0.7f, 0, 1, 0).ToMatrix3(), nMatrix3::RotationY(0.7f));
    ExpectMatrixNear(nQuaternion::FromAxisAngle(0.7f, 0, 0, 1).ToMatrix3(), nMatrix3::RotationZ(0.7f));
}

TEST(QuaternionTest, EulerProductsFollowTheMatrixOrders)
{
    for (uint32_t order = 0; order < 8; ++order)
        ExpectMatrixNear(nQuaternion::FromEuler(0.3f, -1.1f, 2.0f, order).ToMatrix3(),
                         nMatrix3::FromEuler(0.3f, -1.1f, 2.0f, order));
}

TEST(QuaternionTest, MatrixRoundTripOnEveryBranch)
{
    // Small rotations take the trace branch, half turns the three diagonal branches.
    const nMatrix3 rotations[] = {nMatrix3::FromEuler(0.2f, 0.1f, -0.3f, 4), nMatrix3::RotationX(3.1f),
                                  nMatrix3::RotationY(3.1f), nMatrix3::RotationZ(3.1f),
                                  nMatrix3::FromEuler(3.0f, 0.1f, 3.0f, 0)};
    for (const nMatrix3& rotation : rotations)
        ExpectMatrixNear(nQuaternion::FromMatrix3(rotation).ToMatrix3(), rotation);
}

TEST(QuaternionTest, DegenerateValues)
{
    const nQuaternion zero(0, 0, 0, 0);
    const nQuaternion normalized = zero.Normalize();
    EXPECT_EQ(normalized.x, 1.0f);
    EXPECT_EQ(normalized.w, 1.0f);
    EXPECT_EQ(zero.Inverse().w, 0.0f);
    const nQuaternion q = nQuaternion::FromAxisAngle(0.5f, 0, 1, 0);
    const nQuaternion identity = q * q.Inverse();
    EXPECT_NEAR(identity.w, 1.0f, 1e-6f);
    EXPECT_NEAR(identity.y, 0.0f, 1e-6f);
}

TEST(QuaternionTest, SlerpTakesTheShortWayAndStaysUnit)
{
    const nQuaternion a = nQuaternion::FromAxisAngle(0.0f, 0, 0, 1);
    const nQuaternion b = nQuaternion::FromAxisAngle(1.0f, 0, 0, 1);
    ExpectMatrixNear(nQuaternion::Slerp(0.5f, a, b).ToMatrix3(), nMatrix3::RotationZ(0.5f));
    ExpectMatrixNear(nQuaternion::Slerp(0.5f, a, b.Scale(-1.0f)).ToMatrix3(), nMatrix3::RotationZ(0.5f));
    // Nearly equal rotations blend linearly.
    const nQuaternion c = nQuaternion::FromAxisAngle(0.01f, 0, 0, 1);
    EXPECT_NEAR(nQuaternion::Slerp(0.25f, a, c).Dot(nQuaternion::Slerp(0.25f, a, c)), 1.0f, 1e-6f);
}

TEST(QuaternionTest, FromDirectionLooksAlongTheDirection)
{
    const nVector forward = nQuaternion::FromDirection(nVector(1.0f, 0.0f, 0.0f)).ToMatrix3().GetColumn(2);
    EXPECT_NEAR(forward.x, 1.0f, 1e-6f);
    EXPECT_NEAR(forward.z, 0.0f, 1e-6f);
}
