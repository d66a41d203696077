#include "audio/nNullMixer.h"
#include "audio/nSound.h"
#include "support/StubEngineServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Records channel starts in the channel records, as back ends do, and every call in order.
class PlayingMixer : public nNullMixer
{
public:
    PlayingMixer(nEngineServices* engine, std::vector<std::string>& calls)
        : nNullMixer(engine), m_calls(calls)
    {
    }
    bool ChannelStart(int32_t channel, nSound* sound) override
    {
        m_channels[channel].sound = sound;
        return true;
    }
    bool ChannelStop(int32_t channel) override
    {
        m_calls.push_back("stop " + std::to_string(channel));
        return true;
    }
    bool UploadSample(nSound*) override
    {
        m_calls.push_back("upload");
        return true;
    }
    void FreeSample(nSound*) override { m_calls.push_back("free"); }

private:
    std::vector<std::string>& m_calls;
};
} // namespace

TEST(Sound, GoingAwayStopsItsChannelsAndTellsTheEngineAroundTheFree)
{
    StubEngineServices engine;
    std::vector<std::string> calls;
    PlayingMixer mixer(&engine, calls);
    engine.mixer = &mixer;
    auto* sound = new nSound(&engine);
    nSound other(&engine);
    sound->Setup();
    mixer.ChannelStart(3, sound);
    mixer.ChannelStart(4, &other);
    mixer.ChannelStart(9, sound);

    delete sound;
    EXPECT_EQ(calls, (std::vector<std::string>{"upload", "stop 3", "stop 9", "free"}));
    EXPECT_EQ(mixer.ChannelGetSound(3), nullptr);
    EXPECT_EQ(mixer.ChannelGetSound(9), nullptr);
    EXPECT_EQ(mixer.ChannelGetSound(4), &other);
    ASSERT_EQ(engine.messages.size(), 2u);
    EXPECT_EQ(engine.messages[0].message, CoreMessageResourceDestroying);
    EXPECT_EQ(engine.messages[1].message, CoreMessageResourceDestroyed);
    EXPECT_EQ(engine.messages[0].data.sound, sound);
    EXPECT_EQ(engine.messages[0].data.texture, nullptr);
}
