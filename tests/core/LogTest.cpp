#include "core/base/nLog.h"
#include "platform/nstring/nString.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace
{
struct CapturedLine
{
    std::string text;
    uint8_t level;
};

class CapturingLog : public nLog
{
public:
    void Output(const char* line, uint8_t level) override { lines.push_back({line, level}); }

    std::vector<CapturedLine> lines;
};
} // namespace

TEST(LogTest, LevelComesFromThePrefix)
{
    struct Case
    {
        const char* line;
        uint8_t level;
    } cases[] = {
        {"[!] failed\n", 9},  {"[*] careful\n", 5},
        {"[H] title\n", 3},   {"[S] script\n", 17},
        {"[|] listing\n", 1}, {"[X] other\n", 1},
        {"[!x\n", 1},         {"[!", 1},
        {"plain\n", 1},       {"", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nLog::GetLineLevel(c.line), c.level) << c.line;
}

TEST(LogTest, MaskSelectsLines)
{
    CapturingLog log;
    log.SetMask(8);
    log << "[!] error\n"
        << "[*] warning\n";
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].text, "[!] error\n");
    EXPECT_EQ(log.lines[0].level, 9);

    log.SetMask(1);
    log << "[!] error\n"
        << "[*] warning\n";
    EXPECT_EQ(log.lines.size(), 3u);

    log.SetMask(0);
    log << "[!] error\n";
    EXPECT_EQ(log.lines.size(), 3u);
}

TEST(LogTest, PiecesBuildOneLine)
{
    CapturingLog log;
    log << "[*] n=" << static_cast<char>(65) << " u=" << 4294967295u << " f=" << 0.5f << " b=" << true << "/"
        << false << " s=" << nString("str") << nString() << static_cast<short>(-3)
        << static_cast<unsigned char>(200) << static_cast<unsigned short>(65535) << " 100%";
    EXPECT_TRUE(log.lines.empty()); // nothing is written before a newline arrives
    log << "\n";
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].text, "[*] n=65 u=4294967295 f=0.500 b=True/False s=str-320065535 100%\n");
    EXPECT_EQ(log.lines[0].level, 5);
}

TEST(LogTest, OnePieceWithTwoNewlinesIsOneOutput)
{
    CapturingLog log;
    log << "a\nb\n";
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].text, "a\nb\n");
    log << "next\n";
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[1].text, "next\n");
}

TEST(LogTest, NumbersAndStringsNeverEndALine)
{
    CapturingLog log;
    log << nString("a\n") << 1 << "";
    EXPECT_TRUE(log.lines.empty());
    log.ClearLine();
    log << "fresh\n";
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].text, "fresh\n");
}

TEST(LogTest, LongLineIsCutAndKeepsItsNewline)
{
    CapturingLog log;
    std::string text(5000, 'x');
    log << "[!] " << text.c_str() << " tail\n";
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].text.size(), 4096u);
    EXPECT_EQ(log.lines[0].text, "[!] " + text.substr(0, 4091) + "\n");
    EXPECT_EQ(log.lines[0].level, 9);

    std::string exact(4094, 'y');
    log << exact.c_str() << "\n"; // exactly at the limit: not cut
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[1].text, exact + "\n");

    log << "after\n";
    EXPECT_EQ(log.lines.back().text, "after\n");
}

TEST(LogTest, DefaultOutputWritesTextUnchangedToStandardOutput)
{
    nLog log;
    testing::internal::CaptureStdout();
    log << "[|] 100% %d %s\n";
    log << "pending";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[|] 100% %d %s\n");
}

TEST(LogTest, HolderInstallsAndRestores)
{
    nLog& defaultLog = nLogHolder::Get();
    CapturingLog log;
    nLogHolder::Set(&log);
    EXPECT_EQ(&nLogHolder::Get(), &log);
    nLogHolder::Get() << "[S] hi\n";
    nLogHolder::Set(nullptr);
    EXPECT_EQ(&nLogHolder::Get(), &defaultLog);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].level, 17);
}

TEST(LogTest, ConcurrentLinesAreWrittenWhole)
{
    CapturingLog log;
    std::thread threads[4];
    for (std::thread& thread : threads)
        thread = std::thread(
            [&]
            {
                for (int i = 0; i < 500; ++i)
                    log << "[*] whole line\n";
            });
    for (std::thread& thread : threads)
        thread.join();
    ASSERT_EQ(log.lines.size(), 2000u);
    for (const CapturedLine& line : log.lines)
        EXPECT_EQ(line.text, "[*] whole line\n");
}
