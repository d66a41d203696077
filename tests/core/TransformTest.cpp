#include "core/math/nMatrix4.h"
#include "core/math/nMinMax.h"
#include "core/math/nScalar.h"
#include "core/math/nTransform.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(TransformTest, BoxRoundTrip)
{
    const nMinMax box(nVector(-1, 0, 2), nVector(3, 4, 4));
    const nTransform t = nTransform::FromMinMax(box);
    EXPECT_FLOAT_EQ(t.position.x, 1.0f);
    EXPECT_FLOAT_EQ(t.scale.y, 4.0f);
    const nMinMax back = t.ToMinMax();
    EXPECT_FLOAT_EQ(back.min.x, -1.0f);
    EXPECT_FLOAT_EQ(back.max.z, 4.0f);
}

TEST(TransformTest, EnclosingBoxOfARotatedBoxCoversItsCorners)
{
    const nMatrix3 rotation = nMatrix3::FromEuler(0.3f, 0.0f, kPi / 4, 4);
    const nTransform t(nVector(1, 2, 3), nVector(2, 2, 2), &rotation);
    const nMinMax box = t.ToMinMax();
    EXPECT_NEAR(box.max.x - 1.0f, std::sqrt(2.0f), 1e-5f);
    for (int i = 0; i < 8; ++i)
    {
        const nVector local(i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f);
        const nVector corner = local.MulMatrix3(rotation) + t.position;
        EXPECT_GE(corner.x, box.min.x - 1e-5f);
        EXPECT_LE(corner.x, box.max.x + 1e-5f);
        EXPECT_GE(corner.y, box.min.y - 1e-5f);
        EXPECT_LE(corner.y, box.max.y + 1e-5f);
        EXPECT_GE(corner.z, box.min.z - 1e-5f);
        EXPECT_LE(corner.z, box.max.z + 1e-5f);
    }
}

TEST(TransformTest, ApplyMatrix4MovesAndTurns)
{
    nTransform t(nVector(1, 0, 0), nVector(1, 1, 1));
    t.ApplyMatrix4(nMatrix4::FromTranslation(0, 0, 5) * nMatrix4::FromMatrix3(nMatrix3::RotationZ(kPi / 2)));
    EXPECT_NEAR(t.position.x, 0.0f, 1e-6f);
    EXPECT_NEAR(t.position.y, 1.0f, 1e-6f);
    EXPECT_NEAR(t.position.z, 5.0f, 1e-6f);
    EXPECT_NEAR(t.rotation.m[3], 1.0f, 1e-6f);
}
