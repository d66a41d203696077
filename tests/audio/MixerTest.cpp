#include "audio/nNullMixer.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

namespace
{
// A null mixer with a master gain and channels that can be marked playing.
class TestMixer : public nNullMixer
{
public:
    using nNullMixer::nNullMixer;
    int32_t ChannelGetState(int32_t channel) override
    {
        if (!IsValidChannel(channel))
            return ChannelStateInvalid;
        return playing[channel] ? ChannelStatePlaying : ChannelStateStopped;
    }
    void SetMasterGain(float value) override { gain = value; }
    float GetMasterGain() override { return gain; }

    bool playing[ChannelCount] = {};
    float gain = 0.7f;
};
} // namespace

TEST(NullMixer, EveryChannelStaysStoppedAndTheGainReadsZero)
{
    nNullMixer mixer(nullptr);
    EXPECT_TRUE(mixer.Open());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(mixer.SoundStart(nullptr), 0);
    EXPECT_FLOAT_EQ(mixer.GetMasterGain(), 0.0f);
    for (int32_t channel = 0; channel < nMixer::ChannelCount; ++channel)
        EXPECT_EQ(mixer.ChannelGetState(channel), ChannelStateStopped);
    EXPECT_EQ(mixer.StreamStart(nSampleFormat()), -1);
    EXPECT_FALSE(mixer.ChannelStartStream(0, nSampleFormat()));
}

TEST(NullMixer, ChannelRecordsKeepTheirSettings)
{
    nNullMixer mixer(nullptr);
    const nMixerChannel* record = mixer.GetChannel(5);
    ASSERT_NE(record, nullptr);
    EXPECT_FLOAT_EQ(record->panning, 0.5f);
    mixer.ChannelSetPitch(5, 2.0f);
    mixer.ChannelSetGain(5, 0.5f);
    mixer.ChannelSetPanning(5, 1.0f);
    mixer.ChannelSetLoopMode(5, LoopRepeat);
    mixer.ChannelSetLoopPosition(5, 99);
    EXPECT_FLOAT_EQ(record->pitch, 2.0f);
    EXPECT_FLOAT_EQ(record->gain, 0.5f);
    EXPECT_FLOAT_EQ(record->panning, 1.0f);
    EXPECT_EQ(record->loopMode, uint32_t(LoopRepeat));
    EXPECT_EQ(record->loopPosition, 99u);
}

TEST(NullMixer, ChannelsOutsideTheRangeAreRefused)
{
    nNullMixer mixer(nullptr);
    for (int32_t channel : {-1, 64, 1000, INT32_MIN})
    {
        EXPECT_FALSE(mixer.ChannelStart(channel, nullptr));
        EXPECT_FALSE(mixer.ChannelStop(channel));
        EXPECT_EQ(mixer.ChannelGetState(channel), ChannelStateInvalid);
        EXPECT_FALSE(mixer.ChannelOpenStream(channel, nSampleFormat()));
        mixer.ChannelSetPitch(channel, 2.0f);
        mixer.ChannelSetGain(channel, 2.0f);
        mixer.ChannelSetPanning(channel, 2.0f);
        mixer.ChannelSetLoopMode(channel, LoopRepeat);
        mixer.ChannelSetLoopPosition(channel, 1);
        EXPECT_EQ(mixer.ChannelGetSound(channel), nullptr);
        EXPECT_FALSE(mixer.ChannelTryLock(channel));
        mixer.ChannelUnlock(channel);
        EXPECT_FALSE(mixer.ChannelIsLocked(channel));
        EXPECT_EQ(mixer.GetChannel(channel), nullptr);
    }
}

TEST(Mixer, LocksReserveChannelsWithoutChangingTheirState)
{
    TestMixer mixer(nullptr);
    EXPECT_TRUE(mixer.ChannelTryLock(0));
    EXPECT_FALSE(mixer.ChannelTryLock(0));
    EXPECT_EQ(mixer.ChannelLock(), -1); // channel 0 is the free one, and it is locked
    mixer.ChannelUnlock(0);
    EXPECT_EQ(mixer.ChannelLock(), 0);
    EXPECT_TRUE(mixer.ChannelIsLocked(0));
    EXPECT_EQ(mixer.ChannelGetState(0), ChannelStateStopped);
    mixer.ChannelUnlockAll();
    EXPECT_FALSE(mixer.ChannelIsLocked(0));
}

TEST(Mixer, NoFreeChannelIsLoggedOncePerAttempt)
{
    CapturedLog log;
    TestMixer mixer(nullptr);
    std::fill(std::begin(mixer.playing), std::end(mixer.playing), true);
    EXPECT_EQ(mixer.FindFreeChannel(), -1);
    EXPECT_EQ(mixer.SoundStart(nullptr), -1);
    EXPECT_EQ(mixer.ChannelLock(), -1);
    EXPECT_EQ(log.text, "[!] All channels in use.\n[!] All channels in use.\n[!] All channels in use.\n");
    mixer.playing[63] = false;
    EXPECT_EQ(mixer.FindFreeChannel(), 63);
}

TEST(Mixer, MuteTwiceKeepsTheFirstGain)
{
    TestMixer mixer(nullptr);
    mixer.Mute();
    EXPECT_TRUE(mixer.IsMuted());
    EXPECT_FLOAT_EQ(mixer.gain, 0.0f);
    mixer.Mute();
    mixer.Unmute();
    EXPECT_FALSE(mixer.IsMuted());
    EXPECT_FLOAT_EQ(mixer.gain, 0.7f);

    TestMixer unmuted(nullptr);
    unmuted.Unmute();
    EXPECT_FLOAT_EQ(unmuted.gain, 1.0f);
}
