#include "animation/ChannelPlayer.h"
#include "animation/nMotionAnimationSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
TEST(AnimationPlayer, WeightsBlendOneChannel)
{
    ChannelPlayer player;
    nMotion* a = ConstantMotion(player, "a", 4.0f);
    nMotion* b = ConstantMotion(player, "b", 8.0f);
    player.SetMotion(a, nullptr, 0.0f, true, 1.0f);
    player.SetMotion(b, nullptr, 0.0f, true, 3.0f);
    player.Update(0.1f);
    EXPECT_FLOAT_EQ(player.channels[1], 4.0f / 4.0f + 3.0f * 8.0f / 4.0f);
    EXPECT_EQ(player.rotationWrites, 0); // no rotation keys: the rotation is left alone
}

// The player reaches the channels through a table of the motion's: one added while the motion
// plays must be played too.
TEST(AnimationPlayer, ChannelAddedWhilePlayingIsPlayed)
{
    ChannelPlayer player;
    nMotion* motion = ConstantMotion(player, "a", 4.0f);
    player.SetMotion(motion, nullptr, 0.0f, true, 1.0f);
    player.Update(0.1f);
    nMotionChannel* scale = motion->AddChannel(7);
    scale->AddKnot(new nCurvePoint(0.0f, 2.0f));
    scale->AddKnot(new nCurvePoint(1.0f, 2.0f));
    player.Update(0.1f);
    EXPECT_FLOAT_EQ(player.channels[1], 4.0f);
    EXPECT_FLOAT_EQ(player.channels[7], 2.0f);
}

TEST(AnimationPlayer, FadeZeroReplacesAtOnceAndDropsTheOldSourceNextUpdate)
{
    ChannelPlayer player;
    nMotion* a = ConstantMotion(player, "a", 4.0f);
    nMotion* b = ConstantMotion(player, "b", 8.0f);
    player.SetMotion(a, nullptr, 0.0f, false, 1.0f);
    player.Update(0.1f);
    player.SetMotion(b, nullptr, 0.0f, false, 1.0f);
    EXPECT_EQ(player.GetSources().GetCount(), 2u);
    player.Update(0.1f);
    EXPECT_FLOAT_EQ(player.channels[1], 8.0f);
    EXPECT_EQ(player.GetSources().GetCount(), 1u);
}

TEST(AnimationPlayer, FadeOneRampsOverOneSecond)
{
    ChannelPlayer player;
    nMotion* a = ConstantMotion(player, "a", 0.0f);
    nMotion* b = ConstantMotion(player, "b", 10.0f);
    player.SetMotion(a, nullptr, 0.0f, false, 1.0f);
    nAnimationSource* incoming = player.SetMotion(b, nullptr, 1.0f, false, 1.0f);
    player.Update(0.5f);
    EXPECT_NEAR(incoming->GetWeight(), 0.5f, 1e-6f);
    EXPECT_NEAR(player.channels[1], 5.0f, 1e-4f);
    player.Update(0.5f);
    EXPECT_NEAR(incoming->GetWeight(), 1.0f, 1e-6f);
    player.Update(0.1f);
    EXPECT_EQ(player.GetSources().GetCount(), 1u);
    EXPECT_NEAR(player.channels[1], 10.0f, 1e-4f);
}

TEST(AnimationPlayer, AWeightlessSourceRunsItsClockButAppliesNothing)
{
    ChannelPlayer player;
    nMotion* a = ConstantMotion(player, "a", 4.0f);
    nAnimationSource* source = player.SetMotion(a, nullptr, 0.0f, false, 0.0f);
    player.channels[1] = -1.0f;
    player.Update(0.25f);
    EXPECT_FLOAT_EQ(source->GetClock(), 0.25f);
    EXPECT_FLOAT_EQ(player.channels[1], -1.0f);
}

TEST(AnimationPlayer, DoneTestsFollowTheLoopModeAndClockScale)
{
    ChannelPlayer player;
    nMotion* a = ConstantMotion(player, "a", 1.0f);
    a->SetLoopMode(CurveReset);
    nAnimationSourceList list;
    nAnimationSource* source = player.SetMotion(a, &list, 0.0f, false, 1.0f);
    list.SetClock(0.5f);
    list.SetClockScale(-1.0f);
    EXPECT_FALSE(player.IsDone());
    player.Update(0.6f);
    EXPECT_TRUE(source->IsDone());
    EXPECT_TRUE(player.IsDone());

    list.SetLoopMode(CurveRepeat);
    EXPECT_FALSE(player.IsDone());
    player.StopMotions();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(player.IsDone());
}

TEST(AnimationPlayer, QuaternionKeysTurnTheItemAndSourcesOutliveTheirPlayer)
{
    nAnimationSourceList scriptList;
    {
        ChannelPlayer player;
        auto* motion = new nMotion("turn");
        motion->SetUseQuaternion(true);
        motion->SetLoopMode(CurveRepeat);
        motion->GetQuaternionChannel().AddKey(0.0f, nQuaternion());
        motion->GetQuaternionChannel().AddKey(1.0f, nQuaternion::FromAxisAngle(1.0f, 0.0f, 1.0f, 0.0f));
        player.AddMotion(motion);
        EXPECT_EQ(player.GetMotion("turn"), motion);
        EXPECT_EQ(player.GetMotion("Turn"), nullptr);
        player.SetMotion(motion, &scriptList, 0.0f, false, 1.0f);
        player.Update(0.5f);
        EXPECT_EQ(player.rotationWrites, 1);
        const nQuaternion half = nQuaternion::FromAxisAngle(0.5f, 0.0f, 1.0f, 0.0f);
        EXPECT_NEAR(std::fabs(player.rotation.Dot(half)), 1.0f, 1e-4f);
    }
    ASSERT_EQ(scriptList.GetCount(), 1u);
    nAnimationSource& orphan = *scriptList.GetHead()->value;
    EXPECT_TRUE(orphan.IsDone());
    nQuaternion rotation;
    EXPECT_FALSE(orphan.EvaluateRotation(rotation));
}
} // namespace

namespace
{
nMotion* TurnMotion(ChannelPlayer& player, float radians)
{
    auto* motion = new nMotion("turn");
    motion->SetUseQuaternion(true);
    motion->GetQuaternionChannel().AddKey(0.0f, nQuaternion::FromAxisAngle(radians, 0.0f, 1.0f, 0.0f));
    player.AddMotion(motion);
    return motion;
}

TEST(AnimationPlayer, RotationsBlendByWeightAboveTheFloor)
{
    ChannelPlayer player;
    player.SetMotion(TurnMotion(player, 0.0f), nullptr, 0.0f, true, 1.0f);
    player.SetMotion(TurnMotion(player, 1.0f), nullptr, 0.0f, true, 3.0f);
    player.SetMotion(TurnMotion(player, 2.0f), nullptr, 0.0f, true, 0.005f); // below the floor
    player.Update(0.1f);
    const nQuaternion expected = nQuaternion::FromAxisAngle(0.75f, 0.0f, 1.0f, 0.0f);
    EXPECT_NEAR(std::fabs(player.rotation.Dot(expected)), 1.0f, 1e-4f);
}
} // namespace
