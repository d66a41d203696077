#include "ScriptApiFixture.h"

#include "audio/nNullMixer.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"

#include <new>

namespace
{
// Channels 0..63 all read stopped until a start, as a real mixer's do.
class StartingMixer : public nNullMixer
{
public:
    using nNullMixer::nNullMixer;
    bool ChannelStart(int32_t channel, nSound* sound) override
    {
        if (!sound || !IsValidChannel(channel))
            return false;
        m_channels[channel].sound = sound;
        return true;
    }
    // Channel 13 stands for a mixer that runs out of memory.
    int32_t ChannelGetState(int32_t channel) override
    {
        if (channel == 13)
            throw std::bad_alloc();
        return nNullMixer::ChannelGetState(channel);
    }
    void SetMasterGain(float gain) override { m_gain = gain; }
    float GetMasterGain() override { return m_gain; }

private:
    float m_gain = 1.0f;
};

class MixerApiTest : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        machine.SetSlot("g_mixer", nScriptValue(ObjectTypeMixer, &mixer), nullptr);
        machine.SetSlot("g_nosound", nScriptValue(ObjectTypeSound, nullptr), nullptr);
    }
    StartingMixer mixer{nullptr};
};
} // namespace

TEST_F(MixerApiTest, NativesAnswerAsDocumented)
{
    const std::pair<const char*, const char*> cases[] = {
        {"print(MixerSoundStart(g_mixer, g_nosound))", "-1"},
        {"print(MixerStreamStart(g_mixer, \"a.ogg\"))", "-1"},
        {"print(MixerChannelStartStream(g_mixer, 0, \"a.ogg\"))", "false"},
        // A stream that does not start leaves the channel as it found it: unlocked, or locked by the script.
        {"print(MixerChannelLockAndStream(g_mixer, 5, \"a.ogg\") + \",\" + MixerChannelTryLock(g_mixer, 5))",
         "false,true"},
        {"print(MixerChannelTryLock(g_mixer, 6) + \",\" + MixerChannelLockAndStream(g_mixer, 6, \"a.ogg\") + "
         "\",\" + MixerChannelTryLock(g_mixer, 6))",
         "true,false,false"},
        {"print(MixerChannelGetState(g_mixer, MixerChannelInvalid) + \",\" + MixerChannelGetState(g_mixer, "
         "63))",
         "0,1"},
        {"print(MixerChannelStart(g_mixer, 64, g_nosound))", "false"},
        {"MixerChannelStop(g_mixer, -1); MixerChannelSetGain(g_mixer, 99, 2.0); print(\"quiet\")", "quiet"},
        {"MixerMute(g_mixer); MixerSetGain(g_mixer, 0.25); MixerUnmute(g_mixer); print(\"done\")", "done"},
        {"print(LoopRepeat + \",\" + ChannelStatePaused + \",\" + MixerMaxChannel)", "1,3,64"},
        {"try { MixerChannelGetState(g_mixer, 13); } catch (error) { print(error); }", "Out of memory"},
        {"MixerUpdate(g_nosound)", "error: Expected 'Mixer' got 'Sound'"},
    };
    for (const auto& [script, expected] : cases)
        EXPECT_EQ(Evaluate(script), expected) << script;
    EXPECT_EQ(mixer.GetMasterGain(), 1.0f);
    EXPECT_TRUE(mixer.ChannelIsLocked(5));
    EXPECT_TRUE(mixer.ChannelIsLocked(6));
}

// The channel keeps what scripts set; a refused value or loop mode leaves the one before.
TEST_F(MixerApiTest, ChannelsKeepTheirPitchGainAndPanning)
{
    EXPECT_EQ(
        Evaluate(
            "MixerChannelSetPitch(g_mixer, 3, 1.5); MixerChannelSetGain(g_mixer, 3, 0.25);"
            "MixerChannelSetPanning(g_mixer, 3, 0.75); MixerChannelSetPitch(g_mixer, 3, -2);"
            "MixerChannelSetPanning(g_mixer, 3, 0.0 / 0.0); MixerChannelSetLoopMode(g_mixer, 3, LoopRepeat);"
            "MixerChannelSetLoopMode(g_mixer, 3, 7); print(\"set\")"),
        "set");
    const nMixerChannel* channel = mixer.GetChannel(3);
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->pitch, 1.5f);
    EXPECT_EQ(channel->gain, 0.25f);
    EXPECT_EQ(channel->panning, 0.75f);
    EXPECT_EQ(channel->loopMode, uint32_t(LoopRepeat));
}
