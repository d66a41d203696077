#include "animation/nMotion.h"
#include "animation/nMotionChannel.h"
#include "core/math/nCurvePoint.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace
{
const nMetaTag* ParseRoot(nMetaFile& file, const char* text)
{
    EXPECT_TRUE(file.Parse(text, std::strlen(text))) << text;
    nLinkedListIterator iterator;
    return file.GetNextRoot(iterator);
}

nQuaternion TurnAboutY(float radians)
{
    return nQuaternion::FromAxisAngle(radians, 0.0f, 1.0f, 0.0f);
}

void ExpectSameRotation(const nQuaternion& a, const nQuaternion& b)
{
    EXPECT_NEAR(std::fabs(a.Dot(b)), 1.0f, 1e-4f) << a.x << "," << a.y << "," << a.z << "," << a.w;
}

TEST(Motion, UnknownChannelIdKeepsNone)
{
    nMetaFile file;
    const nMetaTag* tag = ParseRoot(file, "<NML=1.0>\n<Channel=<Id=\"Rotation\">>");
    CapturedLog log;
    nMotionChannel channel;
    EXPECT_TRUE(channel.Parse(&file, tag));
    EXPECT_EQ(channel.GetId(), 0);
    EXPECT_EQ(log.text, "[*] Unknown channel id 'Rotation'.\n");
}

TEST(Motion, WithoutLoopModeTheFirstLoopingCurveDecides)
{
    nMetaFile file;
    const nMetaTag* tag = ParseRoot(file, "<NML=1.0>\n<Motion=<Id=\"walk\">"
                                          "<Channel=<Id=\"PositionX\"><Curve=<PostBehavior=\"Constant\">>>"
                                          "<Channel=<Id=\"PositionY\"><Curve=<PostBehavior=\"Repeat\">>>>");
    nMotion motion("x");
    EXPECT_TRUE(motion.Parse(&file, tag));
    EXPECT_EQ(motion.GetName(), "walk");
    EXPECT_EQ(motion.GetLoopMode(), static_cast<uint32_t>(CurveRepeat));
    EXPECT_EQ(motion.GetChannels().GetCount(), 2u);
}

TEST(Motion, OneQuaternionKeyHoldsItsRotationInLoopingModes)
{
    nMotion motion("m");
    motion.GetQuaternionChannel().AddKey(1.0f, TurnAboutY(0.5f));
    for (uint32_t mode = 1; mode <= 4; ++mode)
        for (float time : {-3.0f, 1.0f, 7.5f})
            ExpectSameRotation(motion.EvaluateQuaternion(time, mode, CurveRangeFirstKnot, CurveRangeLastKnot),
                               TurnAboutY(0.5f));
    ExpectSameRotation(motion.EvaluateQuaternion(4.0f, CurveReset, CurveRangeFirstKnot, CurveRangeLastKnot),
                       nQuaternion());
}

TEST(Motion, OscillationRunsOddPeriodsBackwards)
{
    nMotion motion("m");
    nQuaternionChannel& keys = motion.GetQuaternionChannel();
    keys.AddKey(0.0f, TurnAboutY(0.0f));
    keys.AddKey(1.0f, TurnAboutY(1.0f));
    keys.AddKey(2.0f, TurnAboutY(0.2f));
    const nQuaternion atOne = motion.EvaluateQuaternion(1.0f, CurveOscillate, CurveRangeFirstKnot, CurveRangeLastKnot);
    ExpectSameRotation(motion.EvaluateQuaternion(3.0f, CurveOscillate, CurveRangeFirstKnot, CurveRangeLastKnot), atOne);
    ExpectSameRotation(motion.EvaluateQuaternion(3.5f, CurveOscillate, CurveRangeFirstKnot, CurveRangeLastKnot),
                       motion.EvaluateQuaternion(0.5f, CurveConstant, CurveRangeFirstKnot, CurveRangeLastKnot));
    ExpectSameRotation(motion.EvaluateQuaternion(4.5f, CurveOscillate, CurveRangeFirstKnot, CurveRangeLastKnot),
                       motion.EvaluateQuaternion(0.5f, CurveConstant, CurveRangeFirstKnot, CurveRangeLastKnot));
    ExpectSameRotation(motion.EvaluateQuaternion(5.0f, CurveOscillate, CurveRangeFirstKnot, CurveRangeLastKnot), atOne);
}

TEST(Motion, UnsortedKeysNeverLoopOrOverrun)
{
    nMotion motion("m");
    nQuaternionChannel& keys = motion.GetQuaternionChannel();
    keys.AddKey(0.0f, TurnAboutY(0.0f));
    keys.AddKey(5.0f, TurnAboutY(1.0f));
    keys.AddKey(1.0f, TurnAboutY(2.0f));
    keys.AddKey(3.0f, TurnAboutY(0.3f));
    for (float time : {0.5f, 2.0f, 4.0f, 2.9f, 0.1f, NAN})
        motion.EvaluateQuaternion(time, CurveConstant, CurveRangeFirstKnot, CurveRangeLastKnot);
}

TEST(Motion, TextKeysAndTheirErrors)
{
    nMetaFile file;
    const nMetaTag* good =
        ParseRoot(file, "<NML=1.0>\n<QChannel=<Keys=<Key=\"0:0,0,0,1\"><Other=1><Key=\"2.5:0,1,0,0\">>>");
    nQuaternionChannel keys;
    EXPECT_TRUE(keys.Parse(&file, good));
    ASSERT_EQ(keys.GetKeys().size(), 2u);
    EXPECT_FLOAT_EQ(keys.GetKeys()[1].time, 2.5f);
    EXPECT_FLOAT_EQ(keys.GetKeys()[1].rotation.y, 1.0f);

    nMetaFile bad;
    const nMetaTag* mangled = ParseRoot(bad, "<NML=1.0>\n<QChannel=<Keys=<Key=\"0.5:0,0,0\">>>");
    CapturedLog log;
    EXPECT_FALSE(keys.Parse(&bad, mangled));
    EXPECT_EQ(log.text, "[*] Mangled keyframe tag while parsing quaternion channel.\n");
}

TEST(Motion, BinaryKeysRoundTripByteForByteAndShortDataIsRefused)
{
    nMotion motion("spin");
    motion.SetUseQuaternion(true);
    motion.SetLoopMode(CurveOscillate);
    motion.GetQuaternionChannel().AddKey(0.0f, TurnAboutY(0.25f));
    motion.GetQuaternionChannel().AddKey(1.5f, TurnAboutY(1.25f));
    nMotionChannel* channel = motion.AddChannel(2);
    channel->AddKnot(new nCurvePoint(0.0f, 1.0f));
    channel->AddKnot(new nCurvePoint(2.0f, 3.0f));

    std::unique_ptr<nMetaTag> written(motion.Serialize(nullptr));
    ASSERT_TRUE(written);
    nMotion back("x");
    ASSERT_TRUE(back.Parse(nullptr, written.get()));
    EXPECT_EQ(back.GetName(), "spin");
    EXPECT_EQ(back.GetLoopMode(), static_cast<uint32_t>(CurveOscillate));
    EXPECT_TRUE(back.HasQuaternionKeys());
    std::unique_ptr<nMetaTag> again(back.Serialize(nullptr));
    const nMetaTag* first = written->GetTag("QChannel:BinaryKeys:Data;");
    const nMetaTag* second = again->GetTag("QChannel:BinaryKeys:Data;");
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->GetValue().GetBinarySize(), 40u);
    ASSERT_EQ(second->GetValue().GetBinarySize(), 40u);
    EXPECT_EQ(std::memcmp(first->GetValue().GetBinaryData(), second->GetValue().GetBinaryData(), 40), 0);
    nString idText;
    ASSERT_TRUE(again->GetTag("Channel:Id;")->GetValue().GetString(idText));
    EXPECT_EQ(idText, "PositionY");

    // A count beyond the data is refused instead of read past the end.
    nMetaTag* count = written->GetTag("QChannel:BinaryKeys:Count;");
    count->GetValue().SetInt(3);
    CapturedLog log;
    nQuaternionChannel keys;
    EXPECT_FALSE(keys.Parse(nullptr, written->GetTag("QChannel;")));
    EXPECT_TRUE(keys.GetKeys().empty());
    EXPECT_EQ(log.text.rfind("[!] ", 0), 0u);
}

TEST(Motion, KeysWithoutUseQuaternionAreKeptButNotPlayed)
{
    nMotion motion("m");
    motion.GetQuaternionChannel().AddKey(0.0f, TurnAboutY(1.0f));
    EXPECT_FALSE(motion.HasQuaternionKeys());
    std::unique_ptr<nMetaTag> written(motion.Serialize(nullptr));
    nMotion back("x");
    ASSERT_TRUE(back.Parse(nullptr, written.get()));
    EXPECT_EQ(back.GetQuaternionChannel().GetKeys().size(), 1u);
    EXPECT_FALSE(back.HasQuaternionKeys());
}

TEST(Motion, TimeRangeAndEvaluation)
{
    nMotion motion("m");
    float first = 0.0f;
    float last = 0.0f;
    EXPECT_FALSE(motion.GetTimeRange(first, last));
    nMotionChannel* x = motion.AddChannel(1);
    x->AddKnot(new nCurvePoint(0.5f, 0.0f));
    x->AddKnot(new nCurvePoint(1.5f, 10.0f));
    nMotionChannel* rz = motion.AddChannel(6);
    rz->AddKnot(new nCurvePoint(0.0f, 1.0f));
    rz->AddKnot(new nCurvePoint(3.0f, 4.0f));
    ASSERT_TRUE(motion.GetTimeRange(first, last));
    EXPECT_FLOAT_EQ(first, 0.0f);
    EXPECT_FLOAT_EQ(last, 3.0f);
    EXPECT_FLOAT_EQ(motion.GetLength(), 3.0f);

    float px = -1.0f, py = -2.0f, pz = -3.0f;
    motion.EvaluatePosition(1.0f, px, py, pz, CurveConstant);
    EXPECT_FLOAT_EQ(px, 5.0f);
    EXPECT_FLOAT_EQ(py, -2.0f);
    EXPECT_FLOAT_EQ(pz, -3.0f);
    float rx = 0.0f, ry = 0.0f, rzValue = 0.0f;
    motion.EvaluateRotation(1.0f, rx, ry, rzValue, CurveConstant);
    EXPECT_FLOAT_EQ(rzValue, 2.0f);
}
} // namespace

TEST(Motion, AnEmptyKeyTextIsMangled)
{
    nMetaFile file;
    const nMetaTag* tag = ParseRoot(file, "<NML=1.0>\n<QChannel=<Keys=<Key=\"\">>>");
    CapturedLog log;
    nQuaternionChannel keys;
    EXPECT_FALSE(keys.Parse(&file, tag));
    EXPECT_EQ(log.text, "[*] Mangled keyframe tag while parsing quaternion channel.\n");
}
