#include "SMixFixture.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(SMixMixer, StepFollowsPitchAndRate)
{
    EXPECT_EQ(nSMixMixer::GetVoiceStep(1.0f, 48000), 256u);
    EXPECT_EQ(nSMixMixer::GetVoiceStep(1.0f, 24000), 128u);
    EXPECT_EQ(nSMixMixer::GetVoiceStep(1.0f, 44100), 235u);
    EXPECT_EQ(nSMixMixer::GetVoiceStep(2.0f, 48000), 512u);
    EXPECT_EQ(nSMixMixer::GetVoiceStep(-1.0f, 48000), 0u);
}

TEST(SMixMixer, ConstantToneAtCentreAndFullLeft)
{
    SMixFixture f;
    nSound* sound = f.MakeSound(std::vector<int16_t>(16, 16384));
    ASSERT_TRUE(f.mixer.ChannelStart(0, sound));
    EXPECT_EQ(f.Mix(4), (std::vector<int16_t>{16192, 16192, 16192, 16192, 16192, 16192, 16192, 16192}));

    f.mixer.ChannelSetPanning(0, 0.0f);
    EXPECT_EQ(f.Mix(1), (std::vector<int16_t>{32385, 0}));
    f.mixer.ChannelSetPanning(0, 1.0f);
    EXPECT_EQ(f.Mix(1), (std::vector<int16_t>{0, 32385}));
}

TEST(SMixMixer, StereoSidesInterpolateOnTheirOwn)
{
    SMixFixture f;
    nSound* sound = f.MakeSound({0, 16384, 16384, 0}, 2, 24000);
    f.mixer.ChannelStart(0, sound);
    // Half way between the two frames: weights 64 and 63.
    const std::vector<int16_t> out = f.Mix(2);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 16192);
    EXPECT_EQ(out[2], int16_t((16384LL * 64 * 255) >> 15));
    EXPECT_EQ(out[3], int16_t((16384LL * 63 * 255) >> 15));
}

TEST(SMixMixer, OneShotStopsAfterItsLastFrameAndNothingBeyondIsRead)
{
    SMixFixture f;
    nSound* sound = f.MakeSound({16384, 16384, 16384}, 1, 44100);
    f.mixer.ChannelStart(5, sound);
    // Positions 0, 235, 470 and 705: the last frame interpolates with itself, then silence.
    const std::vector<int16_t> out = f.Mix(6);
    EXPECT_EQ(out[6], 16192);
    EXPECT_EQ(out[8], 0);
    EXPECT_EQ(f.mixer.ChannelGetState(5), ChannelStateStopped);
    EXPECT_EQ(f.mixer.ChannelGetSound(5), nullptr);
}

TEST(SMixMixer, LoopRestartsKeepingTheFraction)
{
    SMixFixture f;
    nSound* sound = f.MakeSound({0, 16384}, 1, 44100);
    f.mixer.ChannelSetLoopMode(0, LoopRepeat);
    f.mixer.ChannelSetPanning(0, 0.0f);
    f.mixer.ChannelStart(0, sound);
    // Positions 0, 235, 470 (partner: the first frame), then 705 - 512 = 193.
    const std::vector<int16_t> out = f.Mix(4);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], int16_t((16384LL * 117 * 510) >> 15));
    EXPECT_EQ(out[4], int16_t((16384LL * 20 * 510) >> 15));
    EXPECT_EQ(out[6], int16_t((16384LL * 96 * 510) >> 15));
    EXPECT_EQ(f.mixer.ChannelGetState(0), ChannelStatePlaying);
}

TEST(SMixMixer, UnknownLoopModeWarnsOncePerEndAndStops)
{
    CapturedLog log;
    SMixFixture f;
    nSound* sound = f.MakeSound({100, 100});
    f.mixer.ChannelSetLoopMode(1, 2);
    f.mixer.ChannelStart(1, sound);
    f.Mix(8);
    EXPECT_EQ(log.text, "[*] Unimplemented SMix channel loop mode (2).\n");
    EXPECT_EQ(f.mixer.ChannelGetState(1), ChannelStateStopped);
}

TEST(SMixMixer, VoicesSumAndClipOnce)
{
    SMixFixture f;
    nSound* high = f.MakeSound({32767, 32767, 32767, 32767});
    nSound* low = f.MakeSound({-32768, -32768, -32768, -32768});
    for (int32_t channel : {0, 1})
        f.mixer.ChannelStart(channel, high);
    EXPECT_EQ(f.Mix(1), (std::vector<int16_t>{32767, 32767}));
    for (int32_t channel : {0, 1})
        f.mixer.ChannelStart(channel, low);
    EXPECT_EQ(f.Mix(1), (std::vector<int16_t>{-32768, -32768}));
    // A loud voice and a quiet opposite one: the sum is clipped, not each voice.
    f.mixer.ChannelStart(0, high);
    f.mixer.ChannelSetGain(0, 2.0f);
    f.mixer.ChannelSetGain(1, 1.0f);
    EXPECT_EQ(f.Mix(1)[0], int16_t(((32767LL * 127 * 510) >> 15) + ((-32768LL * 127 * 255) >> 15)));
    // A full-scale voice at volume 612 multiplies past 32 bits; a nearly opposite one keeps the sum in range.
    f.mixer.ChannelStart(0, low);
    f.mixer.ChannelStart(1, high);
    f.mixer.ChannelSetGain(0, 1.2f);
    for (int32_t channel : {0, 1})
        f.mixer.ChannelSetPanning(channel, 0.0f);
    EXPECT_EQ(f.Mix(1)[0], int16_t(((-32768LL * 127 * 612) >> 15) + ((32767LL * 127 * 510) >> 15)));
}

TEST(SMixMixer, RefusesSoundsItCannotPlay)
{
    CapturedLog log;
    SMixFixture f;
    nSound* sound = f.MakeSound({1, 2, 3, 4});
    nSampleFormat wide;
    wide.bitsPerSample = 24;
    wide.channels = 1;
    sound->Alloc(2, wide);
    EXPECT_FALSE(f.mixer.ChannelStart(0, sound));
    EXPECT_FALSE(f.mixer.ChannelStart(0, nullptr));
    EXPECT_FALSE(f.mixer.ChannelStart(64, f.MakeSound({1})));
    EXPECT_EQ(f.mixer.ChannelGetState(0), ChannelStateStopped);
    EXPECT_EQ(f.mixer.ChannelGetState(-1), ChannelStateInvalid);
    EXPECT_NE(log.text.find("[!] Sound 'tone' cannot be played"), std::string::npos);
}

TEST(SMixMixer, DestroyingAPlayingSoundStopsItsVoice)
{
    SMixFixture f;
    ASSERT_TRUE(f.mixer.Open());
    f.mixer.ChannelStart(2, f.MakeSound(std::vector<int16_t>(100000, 5)));
    f.sounds.clear();
    f.mixer.Update();
    EXPECT_EQ(f.mixer.ChannelGetState(2), ChannelStateStopped);
    EXPECT_EQ(f.mixer.ChannelGetSound(2), nullptr);
    EXPECT_FALSE(f.mixer.UploadSample(nullptr));
}

// The mixer takes several frames a step where the volumes are usual and one at a time elsewhere:
// every way must give what a frame gives by itself. A looping voice of a varied sound, at pitches
// that land on and between frames, and volumes on both sides of the narrow limit (gain 1.0 is
// volume 510, gain 1.5 is 765), is mixed and set against that frame by frame.
TEST(SMixMixer, EveryWayOfMixingGivesWhatEachFrameGivesByItself)
{
    constexpr uint32_t kFrames = 37;
    constexpr uint32_t kMixed = 300;
    for (const uint32_t channels : {1u, 2u})
        for (const float pitch : {0.37f, 1.0f, 1.93f})
            for (const float gain : {1.0f, 1.5f})
            {
                SCOPED_TRACE(testing::Message()
                             << channels << " channel(s), pitch " << pitch << ", gain " << gain);
                std::vector<int16_t> pcm(kFrames * channels);
                for (size_t index = 0; index < pcm.size(); ++index)
                    pcm[index] = int16_t((int32_t(index) * 7919 % 65536) - 32768);
                SMixFixture f;
                nSound* sound = f.MakeSound(pcm, channels, 44100);
                f.mixer.ChannelSetLoopMode(0, LoopRepeat);
                f.mixer.ChannelSetPitch(0, pitch);
                f.mixer.ChannelSetGain(0, gain);
                f.mixer.ChannelSetPanning(0, 0.25f);
                ASSERT_TRUE(f.mixer.ChannelStart(0, sound));
                const std::vector<int16_t> out = f.Mix(kMixed);

                const int64_t volume = int64_t(gain * 510.0f);
                const int64_t sides[2] = {int64_t(0.75f * float(volume)), int64_t(0.25f * float(volume))};
                const int64_t step = nSMixMixer::GetVoiceStep(pitch, 44100);
                int64_t position = 0;
                for (uint32_t n = 0; n < kMixed; ++n, position += step)
                {
                    position %= int64_t(kFrames) * 256;
                    const int64_t i = position >> 8;
                    const int64_t next = i + 1 < kFrames ? i + 1 : 0;
                    const int64_t weight = (position & 255) >> 1;
                    for (uint32_t side = 0; side < 2; ++side)
                    {
                        const uint32_t from = channels == 2 ? side : 0;
                        const int64_t sample =
                            pcm[next * channels + from] * weight + pcm[i * channels + from] * (127 - weight);
                        const int64_t expected =
                            std::clamp<int64_t>((sample * sides[side]) >> 15, -32768, 32767);
                        ASSERT_EQ(out[2 * n + side], expected) << "frame " << n << ", side " << side;
                    }
                }
            }
}
