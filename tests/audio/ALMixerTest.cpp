#include "audio/nALMixer.h"
#include "audio/nALMixerData.h"
#include "audio/nSound.h"
#include "support/CapturedLog.h"
#include "support/StubEngineServices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace
{
struct ALFixture
{
    ALFixture() : mixer(&engine)
    {
        setenv("ALSOFT_DRIVERS", "null", 1);
        engine.mixer = &mixer;
    }

    std::unique_ptr<nSound> MakeSound(uint32_t frames, uint32_t bits = 16)
    {
        nSampleFormat format;
        format.channels = 1;
        format.bitsPerSample = bits;
        auto sound = std::make_unique<nSound>(&engine);
        sound->SetName("tone");
        std::memset(sound->Alloc(frames, format), 0, sound->GetSize());
        sound->Setup();
        return sound;
    }

    CapturedLog log;
    StubEngineServices engine;
    nALMixer mixer;
};
} // namespace

TEST(ALMixer, OpensTheNullDeviceAndReadsGainsBack)
{
    ALFixture f;
    ASSERT_TRUE(f.mixer.Open());
    EXPECT_EQ(
        f.log.text.rfind("[H] Starting OpenAL mixer...\n[*] Failed to open default device, performances "
                         "might suffer.\nDevice: OpenAL Soft\n",
                         0),
        0u);
    EXPECT_NE(f.log.text.find("64 mixer channel.\n"), std::string::npos);
    EXPECT_NE(f.log.text.find("[H] Done.\n\n"), std::string::npos);
    EXPECT_NEAR(f.mixer.GetMasterGain(), 1.0f, 1e-5f);
    f.mixer.SetMasterGain(0.0f);
    EXPECT_NEAR(f.mixer.GetMasterGain(), 0.0125f, 1e-5f);
    EXPECT_EQ(f.mixer.ChannelGetState(7), ChannelStateStopped);
    EXPECT_EQ(f.mixer.ChannelGetState(64), ChannelStateInvalid);
    EXPECT_FALSE(f.mixer.ChannelStop(-1));
}

TEST(ALMixer, PlaysASoundToItsEndAndFreesItAttached)
{
    ALFixture f;
    ASSERT_TRUE(f.mixer.Open());
    auto sound = f.MakeSound(9600);
    ASSERT_TRUE(f.mixer.ChannelStart(3, sound.get()));
    EXPECT_EQ(f.mixer.ChannelGetState(3), ChannelStatePlaying);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (f.mixer.ChannelGetState(3) == ChannelStatePlaying && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(f.mixer.ChannelGetState(3), ChannelStateStopped);

    ASSERT_TRUE(f.mixer.ChannelStart(4, sound.get()));
    sound.reset();
    EXPECT_EQ(f.mixer.ChannelGetSound(4), nullptr);
    EXPECT_EQ(f.mixer.ChannelGetState(4), ChannelStateStopped);
}

TEST(ALMixer, RefusesWhatItCannotPlay)
{
    ALFixture f;
    ASSERT_TRUE(f.mixer.Open());
    auto wide = f.MakeSound(10, 24);
    EXPECT_NE(f.log.text.find("[!] Unsupported PCM format in sample 'tone'.\n"), std::string::npos);
    EXPECT_TRUE(f.mixer.UploadSample(wide.get()));
    nSound bare(nullptr);
    EXPECT_FALSE(f.mixer.ChannelStart(1, &bare));
    EXPECT_TRUE(f.mixer.UploadSample(nullptr));
}

// A buffer name OpenAL does not know makes every attach fail.
TEST(ALMixer, StartThatCannotAttachRetriesFourTimesThenGivesUp)
{
    ALFixture f;
    ASSERT_TRUE(f.mixer.Open());
    nSound ghost(nullptr);
    ghost.SetName("ghost");
    auto data = std::make_unique<nALMixerData>();
    data->buffer = 0x7FFFFFF0u;
    ghost.SetMixerData(std::move(data));
    f.log.text.clear();
    EXPECT_FALSE(f.mixer.ChannelStart(5, &ghost));
    EXPECT_EQ(f.log.text, "StartChannel() retrying.\nStartChannel() retrying.\nStartChannel() retrying.\n"
                          "StartChannel() retrying.\n[*] Failed to attach sound 'ghost' to channel 5.\n");
    EXPECT_EQ(f.mixer.ChannelGetSound(5), nullptr);
    EXPECT_EQ(f.mixer.ChannelGetState(5), ChannelStateStopped);
}
