#include "core/math/nMatrix4.h"
#include "core/math/nMatrix4WithInverse.h"
#include "core/math/nScalar.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
void ExpectMatrixNear(const nMatrix4& a, const nMatrix4& b, float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "entry " << i;
}

void ExpectFinite(const nMatrix4& m)
{
    for (float value : m.m)
        EXPECT_TRUE(std::isfinite(value));
}
} // namespace

TEST(Matrix4Test, TranslationLivesInTheFourthColumn)
{
    const nMatrix4 t = nMatrix4::FromTranslation(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(t.m[3], 1.0f);
    EXPECT_EQ(t.m[7], 2.0f);
    EXPECT_EQ(t.m[11], 3.0f);
    const nVector column = t.GetColumn(3, false);
    EXPECT_EQ(column.x, 1.0f);
    EXPECT_EQ(column.w, 1.0f);
    EXPECT_EQ(t.GetColumn(0, false).w, 0.0f);
    EXPECT_EQ(t.GetColumn(0, true).w, 1.0f);
}

TEST(Matrix4Test, ArrayTransformsTreatWAsTheyShould)
{
    const nMatrix4 t = nMatrix4::FromTranslation(1.0f, 2.0f, 3.0f);
    const nVector in[2] = {nVector(1.0f, 1.0f, 1.0f, 1.0f), nVector(1.0f, 1.0f, 1.0f, 0.0f)};
    nVector out[2];
    t.TransformVector4Array(out, in, 2);
    EXPECT_EQ(out[0].x, 2.0f);
    EXPECT_EQ(out[0].z, 4.0f);
    EXPECT_EQ(out[0].w, 1.0f);
    EXPECT_EQ(out[1].x, 1.0f);
    EXPECT_EQ(out[1].w, 0.0f);
    t.RotateVectorArray(out, in, 2);
    EXPECT_EQ(out[1].x, 1.0f);
    EXPECT_EQ(out[1].z, 1.0f);
    EXPECT_EQ(out[1].w, 1.0f);
}

TEST(Matrix4Test, ComposeAppliesScaleThenRotationThenTranslation)
{
    const nVector p(5.0f, 6.0f, 7.0f);
    const nMatrix4 m = nMatrix4::Compose(p, nMatrix3(), nVector(2.0f, 2.0f, 2.0f));
    const nVector origin = nVector(0.0f, 0.0f, 0.0f).MulMatrix4(m);
    const nVector unitX = nVector(1.0f, 0.0f, 0.0f).MulMatrix4(m);
    EXPECT_EQ(origin.x, 5.0f);
    EXPECT_EQ(unitX.x, 7.0f);
    EXPECT_EQ(unitX.y, 6.0f);

    const nMatrix4 expected = nMatrix4::FromTranslation(1, 2, 3) *
                              nMatrix4::FromMatrix3(nMatrix3::RotationY(0.4f)) * nMatrix4::FromScale(2, 3, 4);
    ExpectMatrixNear(nMatrix4::ComposeEuler(nVector(1, 2, 3), nVector(0, 0.4f, 0), nVector(2, 3, 4), 4),
                     expected);
}

TEST(Matrix4Test, DecomposeThenComposeGivesTheMatrixBack)
{
    const nVector scales[] = {{1, 1, 1},  {2, 3, 4},    {-2, 3, 4},  {2, -3, 4},
                              {2, 3, -4}, {-1, -1, -1}, {0.5f, 0, 2}};
    for (const nVector& scale : scales)
    {
        const nMatrix4 m = nMatrix4::ComposeEuler(nVector(1, -2, 3), nVector(0.3f, -0.7f, 1.1f), scale, 4);
        nVector position, decomposedScale;
        nMatrix3 rotation;
        m.Decompose(&position, &decomposedScale, &rotation);
        ExpectMatrixNear(nMatrix4::Compose(position, rotation, decomposedScale), m);
        EXPECT_EQ(position.w, 1.0f);
        // The rotation stays proper, so it converts to angles and quaternions.
        if (scale.x * scale.y * scale.z == 0.0f)
            continue;
        const float determinant =
            rotation.GetColumn(0).Dot(rotation.GetColumn(1).Cross(rotation.GetColumn(2)));
        EXPECT_NEAR(determinant, 1.0f, 1e-5f) << scale.x << " " << scale.y << " " << scale.z;
    }
}

TEST(Matrix4Test, DecomposeEulerReadsTheComposedAngles)
{
    const nMatrix4 m =
        nMatrix4::ComposeEuler(nVector(1, 2, 3), nVector(0.3f, -0.7f, 1.1f), nVector(2, 2, 2), 1);
    nVector position, angles;
    m.DecomposeEuler(&position, &angles, 1);
    EXPECT_NEAR(angles.x, 0.3f, 1e-5f);
    EXPECT_NEAR(angles.y, -0.7f, 1e-5f);
    EXPECT_NEAR(angles.z, 1.1f, 1e-5f);
}

TEST(Matrix4Test, InverseAffineUndoesTheTransform)
{
    const nMatrix4 m =
        nMatrix4::ComposeEuler(nVector(1, -2, 3), nVector(0.3f, -0.7f, 1.1f), nVector(2, -3, 0.5f), 4);
    ExpectMatrixNear(m * m.InverseAffine(), nMatrix4());
    ExpectMatrixNear(m.InverseAffine() * m, nMatrix4());
}

TEST(Matrix4Test, InverseAffineOfAZeroScaleStaysFinite)
{
    const nMatrix4 flat =
        nMatrix4::ComposeEuler(nVector(1, 2, 3), nVector(0.2f, 0.1f, 0), nVector(2, 0, 1), 4);
    ExpectFinite(flat.InverseAffine());
    const nMatrix4 zero = nMatrix4::Compose(nVector(1, 2, 3), nMatrix3(), nVector(0, 0, 0));
    ExpectFinite(zero.InverseAffine());
}

TEST(Matrix4Test, DiffersFromUsesOneMillionth)
{
    nMatrix4 other;
    EXPECT_FALSE(nMatrix4().DiffersFrom(other));
    other.m[15] = 1.0000005f;
    EXPECT_FALSE(nMatrix4().DiffersFrom(other));
    other.m[15] = 1.00001f;
    EXPECT_TRUE(nMatrix4().DiffersFrom(other));
    other.m[15] = NAN;
    EXPECT_TRUE(nMatrix4().DiffersFrom(other));
}

TEST(Matrix4Test, InterpolateBlendsPartsOrEntries)
{
    const nMatrix4 from = nMatrix4::ComposeEuler(nVector(0, 0, 0), nVector(0, 0, 0), nVector(1, 1, 1), 4);
    const nMatrix4 to = nMatrix4::ComposeEuler(nVector(2, 4, 6), nVector(0, 1.0f, 0), nVector(3, 3, 3), 4);
    const nMatrix4 half = nMatrix4::Interpolate(from, to, 0.5f, false);
    ExpectMatrixNear(half,
                     nMatrix4::ComposeEuler(nVector(1, 2, 3), nVector(0, 0.5f, 0), nVector(2, 2, 2), 4));
    const nMatrix4 entries = nMatrix4::Interpolate(from, to, 0.5f, true);
    EXPECT_FLOAT_EQ(entries.m[3], 1.0f);
    EXPECT_FLOAT_EQ(entries.m[0], (1.0f + to.m[0]) * 0.5f);
}

TEST(Matrix4Test, OrthonormalizeKeepsTheTranslation)
{
    const nMatrix4 m =
        nMatrix4::ComposeEuler(nVector(1, 2, 3), nVector(0.3f, 0.2f, 0.1f), nVector(2, 3, 4), 4);
    const nMatrix4 o = m.Orthonormalize();
    ExpectMatrixNear(
        o, nMatrix4::ComposeEuler(nVector(1, 2, 3), nVector(0.3f, 0.2f, 0.1f), nVector(1, 1, 1), 4));
}

TEST(Matrix4Test, MatrixWithInverseFollowsEverySetter)
{
    nMatrix4WithInverse pair(nMatrix4::FromTranslation(1, 2, 3));
    EXPECT_FLOAT_EQ(pair.GetInverse().m[3], -1.0f);
    pair.SetColumn(3, nVector(4, 5, 6, 1));
    EXPECT_FLOAT_EQ(pair.GetInverse().m[7], -5.0f);
    pair.SetRow(0, nVector(2, 0, 0, 4));
    ExpectMatrixNear(pair.GetMatrix() * pair.GetInverse(), nMatrix4());
}
