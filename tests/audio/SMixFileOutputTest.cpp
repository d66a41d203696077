#include "SMixFixture.h"
#include "audio/WavFile.h"
#include "support/CapturedLog.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t U32At(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}
} // namespace

TEST(SMixFileOutput, OneSecondThenCloseWritesTheHeaderAndSizes)
{
    TemporaryFiles files;
    SMixFixture f;
    ASSERT_TRUE(f.mixer.Open());
    ASSERT_TRUE(f.mixer.OpenOutputFile("out.wav"));
    f.mixer.ChannelStart(0, f.MakeSound(std::vector<int16_t>(24000, 16384)));
    f.mixer.SetFixedStep(10000);
    f.mixer.Update();
    f.mixer.Close();

    const std::string bytes = ReadAll(files.GetDirectory() / "out.wav");
    ASSERT_EQ(bytes.size(), 192044u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(U32At(bytes, 4), 192036u);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(U32At(bytes, 16), 16u);
    EXPECT_EQ(U32At(bytes, 20), 1u | 2u << 16);
    EXPECT_EQ(U32At(bytes, 24), 48000u);
    EXPECT_EQ(U32At(bytes, 28), 192000u);
    EXPECT_EQ(U32At(bytes, 32), 4u | 16u << 16);
    EXPECT_EQ(bytes.substr(36, 4), "data");
    EXPECT_EQ(U32At(bytes, 40), 192000u);
    // 24000 frames of the tone, then silence.
    EXPECT_EQ(U32At(bytes, 44 + 23999 * 4), 16192u | 16192u << 16);
    EXPECT_EQ(U32At(bytes, 44 + 24000 * 4), 0u);
}

// An 8-bit WAV (unsigned, 128 the silence) is heard as its 16-bit equal: 192 as 16384 and 0 as
// -32768, each at half volume on both sides (the centre's share, as for a 16-bit sound).
TEST(SMixFileOutput, AnEightBitSoundIsHeardAsItsSixteenBitEqual)
{
    TemporaryFiles files;
    SMixFixture f;
    files.Write("low.wav", WavFile()
                               .Format(1, 1, 48000, 8)
                               .Chunk("data", std::string(2400, char(192)) + std::string("\x80\x00", 2))
                               .Build());
    nSound sound(&f.engine);
    sound.SetName("low");
    ASSERT_TRUE(sound.Load("low.wav"));
    sound.Setup();
    ASSERT_TRUE(f.mixer.OpenOutputFile("out.wav"));
    ASSERT_TRUE(f.mixer.ChannelStart(0, &sound));
    f.mixer.SetFixedStep(1000); // a tenth of a second
    f.mixer.Update();
    f.mixer.Close();

    const std::string bytes = ReadAll(files.GetDirectory() / "out.wav");
    ASSERT_EQ(bytes.size(), 44u + 4800u * 4u);
    auto frame = [&bytes](uint32_t index) { return U32At(bytes, 44 + index * 4); };
    EXPECT_EQ(frame(0), 16192u | 16192u << 16);
    EXPECT_EQ(frame(2399), 16192u | 16192u << 16);
    EXPECT_EQ(frame(2400), 0u);
    const uint32_t lowest = uint16_t(-32385);
    EXPECT_EQ(frame(2401), lowest | lowest << 16);
    EXPECT_EQ(frame(2402), 0u);
}

TEST(SMixFileOutput, FixedStepWritesItsBytesEachUpdateAndCarriesTheRest)
{
    CapturedLog log;
    TemporaryFiles files;
    SMixFixture f;
    ASSERT_TRUE(f.mixer.OpenOutputFile("out.wav"));
    const auto size = [&] { return std::filesystem::file_size(files.GetDirectory() / "out.wav"); };
    f.mixer.SetFixedStep(160);
    f.mixer.Update();
    f.mixer.SetFixedStep(160);
    f.mixer.Update();
    EXPECT_EQ(log.text, "Fixed mixer step: 3072 bytes (step = 160).\n");
    f.mixer.Close();
    EXPECT_EQ(size(), 44u + 2 * 3072);

    // 3 ticks are 14.4 frames: five steps write the 72 frames of their 15 ticks.
    ASSERT_TRUE(f.mixer.OpenOutputFile("out.wav"));
    f.mixer.SetFixedStep(3);
    for (int frame = 0; frame < 5; ++frame)
        f.mixer.Update();
    // A paused clock hands over no time and gets no sound.
    f.mixer.SetFixedStep(0);
    f.mixer.Update();
    f.mixer.Close();
    EXPECT_EQ(size(), 44u + 72 * 4);
}

TEST(SMixFileOutput, WithoutAStepEachUpdateWritesOneBuffer)
{
    TemporaryFiles files;
    {
        SMixFixture f;
        ASSERT_TRUE(f.mixer.OpenOutputFile("out.wav"));
        f.mixer.Update();
    }
    // A mixer destroyed with its file open finishes it as Close does.
    const std::string bytes = ReadAll(files.GetDirectory() / "out.wav");
    ASSERT_EQ(bytes.size(), 44u + 16384);
    EXPECT_EQ(U32At(bytes, 40), 16384u);
    EXPECT_EQ(U32At(bytes, 4), 36u + 16384);
}

TEST(SMixFileOutput, UnwritablePathIsNamed)
{
    CapturedLog log;
    TemporaryFiles files;
    SMixFixture f;
    EXPECT_FALSE(f.mixer.OpenOutputFile("missing/dir/out.wav"));
    EXPECT_NE(log.text.find("[!] Could not open the sound output file 'missing/dir/out.wav'."),
              std::string::npos);
    EXPECT_TRUE(f.mixer.HasOutputFailed());
    f.mixer.Update();
}

namespace
{
// Files this process writes may not pass the size, as on a full disk: a write beyond it fails
// with EFBIG instead of raising SIGXFSZ. Both are restored at the end.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
};
} // namespace

TEST(SMixFileOutput, AWriteThatFailsDropsTheFileAndIsReported)
{
    CapturedLog log;
    TemporaryFiles files;
    SMixFixture f;
    {
        FileSizeLimit limit(65536);
        ASSERT_TRUE(f.mixer.OpenOutputFile("out.wav"));
        EXPECT_FALSE(f.mixer.HasOutputFailed());
        f.mixer.SetFixedStep(10000); // one second: 192,000 bytes
        f.mixer.Update();
        f.mixer.Update(); // nothing more is tried
        f.mixer.Close();
    }
    EXPECT_TRUE(f.mixer.HasOutputFailed());
    EXPECT_EQ(log.text, "Fixed mixer step: 192000 bytes (step = 10000).\n"
                        "[!] Could not write the sound output file 'out.wav'.\n");
    EXPECT_TRUE(std::filesystem::is_empty(files.GetDirectory()));
}
