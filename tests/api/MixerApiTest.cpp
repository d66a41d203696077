#include "ScriptApiFixture.h"

#include "audio/nNullMixer.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"

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
        {"print(MixerChannelLockAndStream(g_mixer, 5, \"a.ogg\") + \",\" + MixerChannelTryLock(g_mixer, 5))",
         "false,false"},
        {"print(MixerChannelGetState(g_mixer, MixerChannelInvalid) + \",\" + MixerChannelGetState(g_mixer, "
         "63))",
         "0,1"},
        {"print(MixerChannelStart(g_mixer, 64, g_nosound))", "false"},
        {"MixerChannelStop(g_mixer, -1); MixerChannelSetGain(g_mixer, 99, 2.0); print(\"quiet\")", "quiet"},
        {"MixerMute(g_mixer); MixerSetGain(g_mixer, 0.25); MixerUnmute(g_mixer); print(\"done\")", "done"},
        {"print(LoopRepeat + \",\" + ChannelStatePaused + \",\" + MixerMaxChannel)", "1,3,64"},
        {"MixerUpdate(g_nosound)", "error: Expected 'Mixer' got 'Sound'"},
    };
    for (const auto& [script, expected] : cases)
        EXPECT_EQ(Evaluate(script), expected) << script;
    EXPECT_EQ(mixer.GetMasterGain(), 1.0f);
    EXPECT_TRUE(mixer.ChannelIsLocked(5));
}
