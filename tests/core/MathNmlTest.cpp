#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/nml/nMetaTag.h"
#include "core/math/nMinMax.h"
#include "core/math/nQuaternion.h"
#include "core/math/nScalar.h"
#include "core/math/nTransform.h"
#include "core/math/nVector.h"

#include "NmlLogCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
float RealAt(const nMetaTag* tag, const char* path)
{
    float value = -999.0f;
    const nMetaTag* child = tag->GetTag(path);
    EXPECT_NE(child, nullptr) << path;
    if (child)
        child->GetValue().GetFloat(value);
    return value;
}
} // namespace

TEST(MathNmlTest, VectorTagsAreReadByPosition)
{
    std::unique_ptr<nMetaTag> tag(nVector(1, 2, 3, 4).Serialize(nullptr, true));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->GetName(), "Vector");
    EXPECT_EQ(RealAt(tag.get(), "W;"), 4.0f);

    nMetaTag renamed("Anything");
    renamed.AddChildFloat("A", 5.0f);
    renamed.AddChildInt("B", 6);
    renamed.AddChildFloat("C", 7.0f);
    nVector v(0, 0, 0, 9);
    ASSERT_TRUE(v.Parse(&renamed));
    EXPECT_EQ(v.x, 5.0f);
    EXPECT_EQ(v.y, 6.0f);
    EXPECT_EQ(v.w, 9.0f); // no fourth child: w is kept

    nMetaTag shortTag("Vector");
    shortTag.AddChildFloat("X", 1.0f);
    shortTag.AddChildFloat("Y", 1.0f);
    EXPECT_FALSE(v.Parse(&shortTag));
    EXPECT_EQ(v.x, 5.0f);
    EXPECT_FALSE(v.Parse(nullptr));

    std::unique_ptr<nMetaTag> three(nVector(1, 2, 3).Serialize("Position"));
    EXPECT_EQ(three->GetName(), "Position");
    EXPECT_EQ(three->GetChildCount(), 3u);
}

TEST(MathNmlTest, MatrixTagsHoldColumns)
{
    std::unique_ptr<nMetaTag> identity(nMatrix4().Serialize());
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->GetName(), "Mtx4");
    EXPECT_EQ(RealAt(identity.get(), "R0:X;"), 1.0f);
    EXPECT_EQ(RealAt(identity.get(), "R0:Y;"), 0.0f);
    EXPECT_EQ(RealAt(identity.get(), "R0:W;"), 0.0f);

    const nMatrix4 m =
        nMatrix4::ComposeEuler(nVector(1, 2, 3), nVector(0.3f, 0.2f, 0.1f), nVector(2, 3, 4), 4);
    std::unique_ptr<nMetaTag> tag(m.Serialize("Pivot"));
    EXPECT_EQ(RealAt(tag.get(), "R3:X;"), 1.0f);
    nMatrix4 back;
    back.m[15] = 5.0f;
    ASSERT_TRUE(back.Parse(tag.get()));
    EXPECT_FALSE(back.DiffersFrom(m));

    const nMatrix3 r = nMatrix3::RotationZ(0.5f);
    std::unique_ptr<nMetaTag> tag3(r.Serialize());
    EXPECT_EQ(tag3->GetName(), "Mtx3");
    EXPECT_FLOAT_EQ(RealAt(tag3.get(), "R0:Y;"), r.m[3]);
    nMatrix3 back3;
    ASSERT_TRUE(back3.Parse(tag3.get()));
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(back3.m[i], r.m[i]);

    tag3->RemoveChild(static_cast<nMetaTag*>(tag3->GetChildren().GetTail()));
    nMatrix3 untouched;
    EXPECT_FALSE(untouched.Parse(tag3.get()));
    EXPECT_EQ(untouched.m[0], 1.0f);
}

TEST(MathNmlTest, BoxAndOrientedBoxTags)
{
    const nMinMax box(nVector(-1, -2, -3), nVector(4, 5, 6));
    std::unique_ptr<nMetaTag> tag(box.Serialize());
    EXPECT_EQ(tag->GetName(), "MinMax");
    EXPECT_EQ(RealAt(tag.get(), "Max:Z;"), 6.0f);
    nMinMax back;
    ASSERT_TRUE(back.Parse(tag.get()));
    EXPECT_EQ(back.min.y, -2.0f);
    EXPECT_EQ(back.max.x, 4.0f);

    const nMatrix3 rotation = nMatrix3::RotationY(0.25f);
    const nTransform obb(nVector(1, 2, 3), nVector(4, 5, 6), &rotation);
    std::unique_ptr<nMetaTag> obbTag(obb.Serialize());
    EXPECT_EQ(obbTag->GetName(), "OBB");
    EXPECT_NE(obbTag->GetTag("Matrix:R2;"), nullptr);
    nTransform obbBack;
    ASSERT_TRUE(obbBack.Parse(obbTag.get()));
    EXPECT_EQ(obbBack.scale.z, 6.0f);
    EXPECT_EQ(obbBack.rotation.m[2], rotation.m[2]);
}

TEST(MathNmlTest, QuaternionParseNeedsFourChildren)
{
    nMetaTag tag("Quaternion");
    tag.AddChildFloat("X", 0.0f);
    tag.AddChildFloat("Y", 1.0f);
    tag.AddChildFloat("Z", 0.0f);
    nQuaternion q;
    EXPECT_FALSE(q.Parse(&tag));
    tag.AddChildFloat("W", 0.0f);
    ASSERT_TRUE(q.Parse(&tag));
    EXPECT_EQ(q.y, 1.0f);
    EXPECT_EQ(q.w, 0.0f);
}

TEST(MathNmlTest, DumpsWriteTheirFixedLayouts)
{
    NmlLogCapture log;
    nVector(1, 2.5f, -3).Dump("pos");
    nVector(0, 0, 0).Dump();
    EXPECT_EQ(log.text, "[S] Vector 'pos' = {1.000,2.500,-3.000}\n[S] Vector = {0.000,0.000,0.000}\n");

    log.text.clear();
    nMatrix3::RotationZ(kPi / 2).Dump("z");
    EXPECT_EQ(log.text, "** Dumping matrix 'z' content:\n** |-0.000,1.000,0.000|\n** |-1.000,-0.000,0.000|\n"
                        "** |0.000,0.000,1.000|\n\n");

    log.text.clear();
    nQuaternion(0, 0, 0, 1).Dump("q");
    EXPECT_EQ(log.text, "Dumping quaternion 'q' content:\n{0.000,0.000,0.000,1.000}\n\n");
}
