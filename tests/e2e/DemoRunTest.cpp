#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

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

// How many different 32-bit pixels a TGA file holds after its 18-byte header.
size_t DistinctPixels(const std::string& tga)
{
    std::set<std::string> pixels;
    for (size_t at = 18; at + 4 <= tga.size(); at += 4)
        pixels.insert(tga.substr(at, 4));
    return pixels.size();
}

// The seconds of every "<body> struck at <seconds> s" line of the script.
std::vector<double> StrikeTimes(const std::string& output)
{
    std::vector<double> times;
    const std::string marker = " struck at ";
    for (size_t at = output.find(marker); at != std::string::npos; at = output.find(marker, at + 1))
        times.push_back(std::stod(output.substr(at + marker.size())));
    return times;
}

// A 32-bit TGA read for comparing pictures of different sizes: the pixel at (x, y), (0, 0) the top left.
struct Picture
{
    explicit Picture(const std::string& tga)
        : bytes(tga), width(tga.size() >= 18 ? uint16_t(uint8_t(tga[12]) | uint8_t(tga[13]) << 8) : 0),
          height(tga.size() >= 18 ? uint16_t(uint8_t(tga[14]) | uint8_t(tga[15]) << 8) : 0),
          topFirst(tga.size() >= 18 && (uint8_t(tga[17]) & 0x20) != 0)
    {
    }
    bool IsWhole() const { return width && height && bytes.size() == 18u + size_t(width) * height * 4u; }
    // Red, green, blue.
    std::array<double, 3> At(uint32_t x, uint32_t y) const
    {
        const size_t at = 18 + (size_t(topFirst ? y : height - 1 - y) * width + x) * 4;
        return {double(uint8_t(bytes[at + 2])), double(uint8_t(bytes[at + 1])), double(uint8_t(bytes[at]))};
    }
    // The mean of the pixels that (x, y) of a picture of the given size covers.
    std::array<double, 3> MeanOver(uint32_t x, uint32_t y, uint32_t otherWidth, uint32_t otherHeight) const
    {
        std::array<double, 3> sum{};
        uint32_t count = 0;
        for (uint32_t row = y * height / otherHeight; row < (y + 1) * height / otherHeight; ++row)
            for (uint32_t column = x * width / otherWidth; column < (x + 1) * width / otherWidth;
                 ++column, ++count)
                for (int c = 0; c < 3; ++c)
                    sum[c] += At(column, row)[c];
        for (double& channel : sum)
            channel /= count;
        return sum;
    }

    std::string bytes;
    uint32_t width;
    uint32_t height;
    bool topFirst;
};

// The raytrace of the demo's last frame against the GPU's grab of it, around the red ball: the
// pixels (of the raytrace's size) where the two differ glaringly, as where a polygon is missing.
uint32_t GlaringDifferencesAroundTheBall(const Picture& traced, const Picture& grabbed, uint32_t& ballPixels)
{
    uint64_t sumX = 0;
    uint64_t sumY = 0;
    ballPixels = 0;
    for (uint32_t y = 0; y < traced.height; ++y)
        for (uint32_t x = 0; x < traced.width; ++x)
        {
            const auto pixel = traced.At(x, y);
            if (pixel[0] > 100 && pixel[1] < 60 && pixel[2] < 60)
            {
                sumX += x;
                sumY += y;
                ++ballPixels;
            }
        }
    if (ballPixels == 0)
        return 0;
    const int32_t centreX = int32_t(sumX / ballPixels);
    const int32_t centreY = int32_t(sumY / ballPixels);
    uint32_t glaring = 0;
    for (int32_t y = std::max(centreY - 25, 0); y <= std::min(centreY + 25, int32_t(traced.height) - 1); ++y)
        for (int32_t x = std::max(centreX - 25, 0); x <= std::min(centreX + 25, int32_t(traced.width) - 1);
             ++x)
        {
            const auto mine = traced.At(uint32_t(x), uint32_t(y));
            const auto theirs = grabbed.MeanOver(uint32_t(x), uint32_t(y), traced.width, traced.height);
            double largest = 0.0;
            for (int c = 0; c < 3; ++c)
                largest = std::max(largest, std::abs(mine[c] - theirs[c]));
            glaring += largest > 80.0;
        }
    return glaring;
}

// The bundled demo project, copied so that its output folder stays out of the source tree, run to its
// own end on its fixed clock with the sound written to a file. The run starts in the folder above the
// project, which it reaches as its data source, as run-demo.sh does.
class DemoRun
{
public:
    explicit DemoRun(const char* renderer)
    {
        std::filesystem::copy(KESTRUN_DEMO_DIR, Project(), std::filesystem::copy_options::recursive);
        // What an earlier run-demo.sh left in the source tree is not this run's output.
        std::filesystem::remove_all(Out());
        std::filesystem::create_directories(Out());
        run = RunKestrun(directory.Path(), {"demo.ngp", "-P", "-f", Project().string(), "-CC",
                                            KESTRUN_DATA_DIR "/core", "-r", renderer, "-m", "file", "-Mf",
                                            (Out() / "demo.wav").string()});
    }

    std::filesystem::path Project() const { return directory.Path() / "demo"; }
    std::filesystem::path Out() const { return Project() / "demo-out"; }

    // What every run shows, with or without a display.
    void ExpectTheGamePlayedOut() const
    {
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(CountOccurrences(run.output, "[!]"), 0u) << run.output;
        EXPECT_EQ(CountOccurrences(run.output, "[S] trigger entered by Ball\n"), 1u) << run.output;
        EXPECT_EQ(CountOccurrences(run.output, "[S] sound started on the trigger: true\n"), 1u) << run.output;
        EXPECT_GE(ScriptNumberAfter(run.output, "boxes knocked over: "), 3) << run.output;
        EXPECT_GE(ScriptNumberAfter(run.output, "strong collisions: "), 3) << run.output;
        const std::vector<double> strikes = StrikeTimes(run.output);
        EXPECT_GE(strikes.size(), 3u) << run.output;
        EXPECT_GT(DistinctPixels(ReadAll(Out() / "rt.tga")), 16u) << "the raytrace shows the scene, not just the sky";

        // One 60 Hz mixer step per frame: the file holds exactly the game time.
        const long frames = ScriptNumberAfter(run.output, "Demo done after ");
        ASSERT_GT(frames, 0) << run.output;
        const std::string wav = ReadAll(Out() / "demo.wav");
        ASSERT_GE(wav.size(), 44u);
        ASSERT_EQ(wav.substr(36, 4), "data");
        const double seconds = double(U32At(wav, 40)) / (U32At(wav, 24) * 4.0);
        EXPECT_NEAR(seconds, frames / 60.0, 0.05) << frames << " frames";

        // Each strike is heard: the tenth of a second after it is not silent.
        const uint32_t rate = U32At(wav, 24);
        for (const double strike : strikes)
        {
            const size_t first = 44 + size_t(strike * rate) * 4;
            const size_t last = std::min(wav.size(), first + size_t(rate / 10) * 4);
            EXPECT_NE(wav.find_first_not_of('\0', first), std::string::npos) << strike;
            EXPECT_LT(wav.find_first_not_of('\0', first), last) << "silence after the strike at " << strike << " s";
        }
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

    // The camera ends looking at the ball: the raytrace shows it as the GPU does, without holes.
    const Picture traced(ReadAll(demo.Out() / "rt.tga"));
    const Picture grabbed(ReadAll(demo.Out() / "frame_10.tga"));
    ASSERT_TRUE(traced.IsWhole());
    ASSERT_TRUE(grabbed.IsWhole());
    uint32_t ballPixels = 0;
    EXPECT_LE(GlaringDifferencesAroundTheBall(traced, grabbed, ballPixels), 4u);
    EXPECT_GT(ballPixels, 100u);
}

} // namespace
