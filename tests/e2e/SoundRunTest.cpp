#include "audio/WavFile.h"
#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace
{
const char* const SceneFile = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">><Items>>";

// Plays a sound from the scene's set-up on a fixed 0.02 s clock and ends the run at a frame (0: never).
std::string ToneScript(const char* sound, int endFrame)
{
    return "class S {\n  n = 0;\n"
           "  function OnSetup(s) {\n"
           "    EngineSetFixedDeltaFrame(g_engine, 0.02);\n"
           "    print(\"channel \" + MixerSoundStart(EngineGetMixer(g_engine), EngineLoadSound(g_engine, \"" +
           std::string(sound) +
           "\")));\n  }\n"
           "  function OnUpdate(s) { n++; if (n == " +
           std::to_string(endFrame) + ") SceneEnd(s); }\n}\n";
}

// Mono 48 kHz, 16-bit, every sample 16384.
std::string ToneWav(uint32_t frames)
{
    std::string samples;
    for (uint32_t frame = 0; frame < frames; ++frame)
        samples += WavFile::U16(16384);
    return WavFile().Format(1, 1, 48000, 16).Chunk("data", samples).Build();
}

uint32_t U32At(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

int16_t S16At(const std::string& bytes, size_t at)
{
    return int16_t(uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8));
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Sets or removes an environment variable for one scope (none without a name); the runs inherit it.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name ? name : "")
    {
        if (!name)
            return;
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_name.empty())
            return;
        if (m_old)
            setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

struct ToneDirectory
{
    ToneDirectory(int endFrame = 50)
    {
        directory.WriteFile("s.nms", SceneFile);
        directory.WriteFile("s.nut", ToneScript("tone.wav", endFrame));
        directory.WriteFile("tone.wav", ToneWav(24000));
    }
    KestrunRun Run(const std::vector<std::string>& mixer)
    {
        std::vector<std::string> arguments = {"s.nms", "-r", "none", "-CC", KESTRUN_DATA_DIR "/core"};
        arguments.insert(arguments.end(), mixer.begin(), mixer.end());
        return RunKestrun(directory.Path(), arguments);
    }
    TemporaryDirectory directory;
};
} // namespace

// 50 frames of a fixed 0.02 s step are 1 s of clock, so the file holds exactly 1 s of sound:
// the half-second tone at 16384 x 127 x 255 / 32768 on both sides, then silence.
TEST(SoundRun, FileMixerWritesTheSoundOfTheClock)
{
    ToneDirectory tone;
    const KestrunRun run = tone.Run({"-m", "file", "-Mf", "out.wav"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("[S] channel 0\n"), std::string::npos) << run.output;
    EXPECT_EQ(Count(run.output, "Fixed mixer step: 3840 bytes (step = 200).\n"), 1u) << run.output;
    EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;

    const std::string wav = ReadAll(tone.directory.Path() / "out.wav");
    ASSERT_EQ(wav.size(), 192044u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(U32At(wav, 4), 192036u);
    EXPECT_EQ(wav.substr(36, 4), "data");
    EXPECT_EQ(U32At(wav, 40), 192000u);
    size_t wrong = 0;
    for (size_t frame = 0; frame < 48000; ++frame)
    {
        const int16_t expected = frame < 24000 ? 16192 : 0;
        if (S16At(wav, 44 + 4 * frame) != expected || S16At(wav, 46 + 4 * frame) != expected)
            ++wrong;
    }
    EXPECT_EQ(wrong, 0u);
}

struct DeviceCase
{
    const char* description;
    const char* variable;
    const char* value;
    std::vector<std::string> mixer;
    int exitCode;
    std::vector<std::string> mentioned;
};

const DeviceCase DeviceCases[] = {
    {"the software mixer on the dummy device",
     "SDL_AUDIODRIVER",
     "dummy",
     {"-m", "soft", "-time_live", "1"},
     0,
     {"[S] channel 0\n"}},
    {"a device driver that does not exist", "SDL_AUDIODRIVER", "bogus", {"-m", "soft"}, 2, {"[!] "}},
    {"the OpenAL mixer on the null device",
     "ALSOFT_DRIVERS",
     "null",
     {"-m", "al", "-time_live", "1"},
     0,
     {"[H] Starting OpenAL mixer...\n", "Device: OpenAL Soft\n", "[S] channel 0\n"}},
    {"an unwritable output file",
     nullptr,
     nullptr,
     {"-m", "file", "-Mf", "s.nms/out.wav"},
     2,
     {"[!] Could not open the sound output file 's.nms/out.wav'.\n"}},
};

class DeviceRunCase : public ::testing::TestWithParam<size_t>
{
};

// Each case is a test of its own, so the runs of a second go side by side.
TEST_P(DeviceRunCase, MixerOpensOrFailsWithAReason)
{
    const DeviceCase& testCase = DeviceCases[GetParam()];
    SCOPED_TRACE(testCase.description);
    ScopedEnvironment environment(testCase.variable, testCase.value);
    ToneDirectory tone(0);
    const KestrunRun run = tone.Run(testCase.mixer);
    EXPECT_EQ(run.exitCode, testCase.exitCode) << run.output;
    for (const std::string& text : testCase.mentioned)
        EXPECT_NE(run.output.find(text), std::string::npos) << text << "\n" << run.output;
    if (testCase.exitCode == 0)
    {
        EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;
    }
}

INSTANTIATE_TEST_SUITE_P(SoundRun, DeviceRunCase, ::testing::Range<size_t>(0, std::size(DeviceCases)));

// Without a driver named, OpenAL looks for a real sound card; on a machine that has none, start-up
// fails with the mixer's own line.
TEST(SoundRun, OpenALWithoutACardFailsStartUp)
{
    ScopedEnvironment environment("ALSOFT_DRIVERS", nullptr);
    ToneDirectory tone(3);
    const KestrunRun run = tone.Run({"-m", "al"});
    if (run.exitCode == 0)
        GTEST_SKIP() << "this machine has a sound device OpenAL can open";
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("[!] Failed to open default OpenAL device.\n"), std::string::npos)
        << run.output;
}

// A sound the loader refuses, and one it loads that the software mixer cannot play: each gets its
// "[!]" line, the script gets no channel, and the run goes on to its end.
TEST(SoundRun, UnplayableSoundsAreRefused)
{
    const std::string wide = WavFile().Format(1, 1, 48000, 24).Chunk("data", std::string(30, '\x10')).Build();
    const std::pair<std::string, const char*> cases[] = {
        {wide, "[!] Sound 'bad.wav' cannot be played"},
        {std::string("RIFF\x04\0\0\0WAVE", 12), "[!] Failed to load sound from 'bad.wav'.\n"},
    };
    for (const auto& [content, line] : cases)
    {
        SCOPED_TRACE(line);
        TemporaryDirectory directory;
        directory.WriteFile("s.nms", SceneFile);
        directory.WriteFile("s.nut", ToneScript("bad.wav", 3));
        directory.WriteFile("bad.wav", content);
        const KestrunRun run =
            RunKestrun(directory.Path(),
                       {"s.nms", "-r", "none", "-m", "file", "-Mf", "out.wav", "-CC", KESTRUN_DATA_DIR "/core"});
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find(line), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("[S] channel -1\n"), std::string::npos) << run.output;
    }
}
