#include "audio/WavFile.h"
#include "audio/nSample.h"
#include "support/CapturedLog.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

namespace
{
class SampleWav : public ::testing::Test
{
protected:
    bool Load(const std::string& content)
    {
        m_files.Write("x.wav", content);
        m_log.text.clear();
        return m_sample.Load("x.wav");
    }

    TemporaryFiles m_files;
    CapturedLog m_log;
    nSample m_sample;
};

const std::string FourFrames(16, '\x01');
} // namespace

TEST_F(SampleWav, LoadsPcmAndReportsItsFormat)
{
    ASSERT_TRUE(Load(WavFile().Format(1, 2, 44100, 16).Chunk("data", FourFrames).Build()));
    EXPECT_EQ(m_sample.GetFrameCount(), 4u);
    EXPECT_EQ(m_sample.GetSize(), 16u);
    EXPECT_EQ(m_sample.GetFormat().channels, 2u);
    EXPECT_EQ(m_sample.GetFormat().rate, 44100u);
    EXPECT_EQ(m_sample.GetFormat().bitsPerSample, 16u);
    EXPECT_EQ(m_log.text, "Sample format: 44KHz@16bit, 2 channel(s).\n");
}

TEST_F(SampleWav, LongFormatChunkIsWarnedAboutAndSkipped)
{
    ASSERT_TRUE(Load(WavFile().Format(1, 1, 8000, 8, "\xAA\xBB").Chunk("data", "abc").Build()));
    EXPECT_EQ(m_log.text.rfind("[*] Unexpected WAV 'format' chunk size. Found 18, expected 16", 0), 0u)
        << m_log.text;
    EXPECT_EQ(m_sample.GetFrameCount(), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m_sample.GetBuffer()), 3), "abc");
}

TEST_F(SampleWav, OtherChunksAndPadBytesAreSkipped)
{
    ASSERT_TRUE(Load(WavFile()
                         .Chunk("JUNK", std::string("odd") + '\0')
                         .Format(1, 1, 8000, 8)
                         .Chunk("LIST", 5, std::string("INFO!") + '\0')
                         .Chunk("data", 3, std::string("xyz") + '\0')
                         .Chunk("cue ", "")
                         .Build()));
    EXPECT_EQ(m_sample.GetFrameCount(), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m_sample.GetBuffer()), 3), "xyz");
}

// A partial last frame is left out of the buffer instead of being written past it.
TEST_F(SampleWav, PartialLastFrameIsSkipped)
{
    ASSERT_TRUE(Load(WavFile().Format(1, 2, 48000, 16).Chunk("data", std::string(19, '\x7F')).Build()));
    EXPECT_EQ(m_sample.GetFrameCount(), 4u);
    EXPECT_EQ(m_sample.GetSize(), 16u);
}

TEST_F(SampleWav, ExtensibleHeaderWithPcmSubFormatLoads)
{
    const std::string pcm("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
    const std::string extension = WavFile::U16(22) + WavFile::U16(16) + WavFile::U32(3) + pcm;
    ASSERT_TRUE(Load(WavFile().Format(0xFFFE, 2, 48000, 16, extension).Chunk("data", FourFrames).Build()));
    EXPECT_EQ(m_sample.GetFrameCount(), 4u);
}

TEST_F(SampleWav, RefusedFilesSayWhy)
{
    std::string floatFormat("\x03\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
    const std::string extension = WavFile::U16(22) + WavFile::U16(32) + WavFile::U32(3) + floatFormat;
    const struct
    {
        const char* name;
        std::string content;
        const char* reason;
    } cases[] = {
        {"data only", WavFile().Chunk("data", FourFrames).Build(),
         "[!] mangled WAV 'data' chunk in 'x.wav'.\n"},
        {"short format", WavFile().Chunk("fmt ", std::string(14, '\x01')).Chunk("data", FourFrames).Build(),
         "[!] Mangled WAV 'format' chunk in 'x.wav'.\n"},
        {"data beyond the file",
         WavFile().Format(1, 2, 48000, 16).Chunk("data", 0x7FFFFFF0u, FourFrames).Build(),
         "[!] mangled WAV 'data' chunk in 'x.wav'.\n"},
        {"format beyond the file", WavFile().Chunk("fmt ", 0xFFFFFFFFu, std::string(16, '\x01')).Build(),
         "[*] Unexpected WAV 'format' chunk size. Found 4294967295, expected 16.\n"
         "[!] Mangled WAV 'format' chunk in 'x.wav'.\n"},
        {"float samples", WavFile().Format(3, 1, 48000, 32).Chunk("data", FourFrames).Build(),
         "[!] Unsupported WAV format tag 3 (only PCM is read) in 'x.wav'.\n"},
        {"extensible float",
         WavFile().Format(0xFFFE, 2, 48000, 32, extension).Chunk("data", FourFrames).Build(),
         "[!] Unsupported WAV format tag 65534 (only PCM is read) in 'x.wav'.\n"},
        {"no channels", WavFile().Format(1, 0, 48000, 16).Chunk("data", FourFrames).Build(),
         "[!] mangled WAV 'data' chunk in 'x.wav'.\n"},
        {"not RIFF", "RIFX" + WavFile().Build().substr(4), "[!] No sample decoder for 'x.wav'!\n"},
    };
    for (const auto& refused : cases)
    {
        EXPECT_FALSE(Load(refused.content)) << refused.name;
        const size_t reason = m_log.text.find(refused.reason);
        const size_t decoder = m_log.text.find("[!] No sample decoder for 'x.wav'!\n");
        EXPECT_NE(reason, std::string::npos) << refused.name << ": " << m_log.text;
        EXPECT_NE(decoder, std::string::npos) << refused.name;
        EXPECT_LE(reason, decoder) << refused.name;
        EXPECT_EQ(m_sample.GetBuffer(), nullptr) << refused.name;
    }
}

TEST_F(SampleWav, MissingFileFailsQuietly)
{
    EXPECT_FALSE(m_sample.Load("absent.wav"));
    EXPECT_EQ(m_log.text, "");
}
