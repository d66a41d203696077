#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace
{

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t U32At(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

// The number that follows the prefix on the script line that starts with it, or -1.
long ScriptNumberAfter(const std::string& output, const std::string& prefix)
{
    const size_t at = output.find("[S] " + prefix);
    return at == std::string::npos ? -1 : std::stol(output.substr(at + 4 + prefix.size()));
}

// The bundled demo project, copied so that its output folder stays out of the source tree, run to its
// own end on its fixed clock with the sound written to a file.
class DemoRun
{
public:
    explicit DemoRun(const char* renderer)
    {
        std::filesystem::copy(KESTRUN_DEMO_DIR, directory.Path(), std::filesystem::copy_options::recursive);
        // What an earlier run-demo.sh left in the source tree is not this run's output.
        std::filesystem::remove_all(Out());
        std::filesystem::create_directories(Out());
        run = RunKestrun(directory.Path(), {"demo.ngp", "-P", "-CC", KESTRUN_DATA_DIR "/core", "-r", renderer,
                                            "-m", "file", "-Mf", (Out() / "demo.wav").string()});
    }

    std::filesystem::path Out() const { return directory.Path() / "demo-out"; }

    // What every run shows, with or without a display.
    void ExpectTheGamePlayedOut() const
    {
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(CountOccurrences(run.output, "[!]"), 0u) << run.output;
        EXPECT_EQ(CountOccurrences(run.output, "[S] trigger entered by Ball\n"), 1u) << run.output;
        EXPECT_EQ(CountOccurrences(run.output, "[S] sound started on the trigger: true\n"), 1u) << run.output;
        EXPECT_GE(ScriptNumberAfter(run.output, "boxes knocked over: "), 3) << run.output;
        EXPECT_GE(CountOccurrences(run.output, "hit, sound started\n"), 3u) << run.output;
        EXPECT_TRUE(std::filesystem::file_size(Out() / "rt.tga") > 18u) << run.output;

        // One 60 Hz mixer step per frame: the file holds exactly the game time.
        const long frames = ScriptNumberAfter(run.output, "Demo done after ");
        ASSERT_GT(frames, 0) << run.output;
        const std::string wav = ReadAll(Out() / "demo.wav");
        ASSERT_GE(wav.size(), 44u);
        ASSERT_EQ(wav.substr(36, 4), "data");
        const double seconds = double(U32At(wav, 40)) / (U32At(wav, 24) * 4.0);
        EXPECT_NEAR(seconds, frames / 60.0, 0.05) << frames << " frames";
    }

    TemporaryDirectory directory;
    KestrunRun run;
};

TEST(DemoRun, TheBundledDemoRunsHeadlessToItsEnd)
{
    const DemoRun demo("none");
    demo.ExpectTheGamePlayedOut();
    EXPECT_FALSE(std::filesystem::exists(demo.Out() / "frame_1.tga")) << "nothing to grab without a display";
}

// Run by CTest under a virtual X server (tests/e2e/CMakeLists.txt); elsewhere it has no display.
TEST(DemoRunGl, TheBundledDemoGrabsFramesThatMove)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display";
    const DemoRun demo("egl2");
    demo.ExpectTheGamePlayedOut();
    std::set<std::string> frames;
    for (int n = 1; n <= 10; ++n)
    {
        const std::filesystem::path frame = demo.Out() / ("frame_" + std::to_string(n) + ".tga");
        EXPECT_TRUE(HasLine(demo.run.output, "[S] wrote demo-out/frame_" + std::to_string(n) + ".tga"));
        frames.insert(ReadAll(frame));
    }
    EXPECT_EQ(frames.size(), 10u) << "every grabbed frame differs from the others";
}

} // namespace
