#include "audio/nSound.h"
#include "engine/LoadRecorder.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "support/CapturedLog.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::string SmallWav()
{
    auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    const std::string format =
        std::string("\x01\x00\x01\x00", 4) + u32(8000) + u32(8000) + std::string("\x01\x00\x08\x00", 4);
    const std::string body = "fmt " + u32(16) + format + "data" + u32(4) + "abcd";
    return "RIFF" + u32(uint32_t(body.size() + 4)) + "WAVE" + body;
}

class CountingMixer : public nNullMixer
{
public:
    using nNullMixer::nNullMixer;
    bool UploadSample(nSound*) override { return ++uploads, true; }
    int uploads = 0;
};

class SoundLoader : public ::testing::Test
{
protected:
    SoundLoader()
    {
        m_files.Write("s.wav", SmallWav());
        m_files.Write("bad.wav", "RIFF");
        m_engine.SetMixer(&m_mixer);
        m_log.text.clear();
    }
    ~SoundLoader() override { m_engine.SetMixer(nullptr); }

    TemporaryFiles m_files;
    CapturedLog m_log;
    Quenvar m_engine;
    CountingMixer m_mixer{&m_engine};
};
} // namespace

TEST_F(SoundLoader, LoadedSoundJoinsTheCacheAndIsAnsweredAgain)
{
    LoadRecorder recorder(m_engine);
    nSound* sound = m_engine.LoadSound("s.wav");
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->GetName(), "s.wav");
    EXPECT_EQ(sound->GetFrameCount(), 4u);
    EXPECT_EQ(m_mixer.uploads, 1);
    EXPECT_EQ(m_log.text, "Loading sound 's.wav'.\nSample format: 8KHz@8bit, 1 channel(s).\n");
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"begin", "progress Loading sound 's.wav'...", "end"}));

    EXPECT_EQ(m_engine.LoadSound("s.wav"), sound);
    EXPECT_EQ(m_engine.GetResourceCache()->GetSoundList().GetCount(), 1u);
    EXPECT_EQ(m_mixer.uploads, 1);
}

TEST_F(SoundLoader, SetupIsTimedUnderItsProfilerScope)
{
    nSound* sound = m_engine.LoadSound("s.wav");
    ASSERT_NE(sound, nullptr);
    sound->Setup();
    const Quenvar::ProfileScope* setup = m_engine.GetProfileScope("Sound Setup");
    ASSERT_TRUE(setup);
    EXPECT_EQ(setup->runs, 2u);
    EXPECT_EQ(m_mixer.uploads, 2);
}

TEST_F(SoundLoader, FailuresAreLoggedAndNothingIsKept)
{
    static std::vector<std::string> missing;
    missing.clear();
    m_engine.SetSoundNotFoundHook([](nString& name) { missing.emplace_back(name.GetText()); });
    EXPECT_EQ(m_engine.LoadSound("absent.wav"), nullptr);
    EXPECT_EQ(missing, (std::vector<std::string>{"absent.wav"}));
    EXPECT_EQ(m_log.text,
              "Loading sound 'absent.wav'.\n[!] Failed to locate 'absent.wav', could not load sound.\n");

    m_log.text.clear();
    EXPECT_EQ(m_engine.LoadSound("bad.wav"), nullptr);
    EXPECT_NE(m_log.text.find("[!] Failed to load sound from 'bad.wav'.\n"), std::string::npos) << m_log.text;
    EXPECT_EQ(m_engine.GetResourceCache()->GetSoundList().GetCount(), 0u);
    EXPECT_EQ(m_mixer.uploads, 0);
}

TEST_F(SoundLoader, NothingIsSetUpWithTheSwitchOff)
{
    m_engine.SetSetupOnLoad(false);
    ASSERT_NE(m_engine.LoadSound("s.wav"), nullptr);
    EXPECT_EQ(m_mixer.uploads, 0);
}

// A script that kept a handle across a cache clear finds a dead handle, not freed memory.
TEST_F(SoundLoader, ClearingTheCacheDeletesSoundsAndKillsTheirHandles)
{
    nSound* sound = m_engine.LoadSound("s.wav");
    ASSERT_NE(sound, nullptr);
    nCObject handle(33, sound);
    LoadRecorder recorder(m_engine);
    m_engine.GetResourceCache()->Clear();
    EXPECT_EQ(handle.GetObject(), nullptr);
    EXPECT_EQ(handle.GetType(), ObjectTypeDeletedNative);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"message 5", "message 6"}));
    EXPECT_EQ(m_engine.GetResourceCache()->GetSoundList().GetCount(), 0u);

    nSound* again = m_engine.LoadSound("s.wav");
    ASSERT_NE(again, nullptr);
    nCObject second(33, again);
    m_engine.FreeResourceCaches();
    EXPECT_EQ(second.GetObject(), nullptr);
}
