#include "platform/nHIDDescriptor.h"
#include "platform/nHIDGameSource.h"
#include "render/nRasterFont.h"
#include "support/CapturedLog.h"
#include "support/RecordingRenderer.h"
#include "support/TemporaryFiles.h"
#include "ui/nFontSystem.h"
#include "viewer/QuenvarViewerDesktop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace
{

// Keys the test holds down, read as the desktop viewer reads the keyboard.
class HeldKeys : public nHIDSource
{
public:
    explicit HeldKeys(const bool* pause) : m_pause(pause) {}

    bool Open(void*) override { return true; }
    void Update() override {}
    bool IsKeyDown(nHIDSourceKey key) const override { return key == SourceKeyPause && *m_pause; }
    nHIDPointerState ReadPointer() const override { return {}; }
    int GetGameDeviceCount() const override { return 0; }
    bool DescribeGameDevice(int, nHIDDescriptor&) const override { return false; }
    std::unique_ptr<nHIDGameSource> OpenGameDevice(const nHIDDescriptor&) override { return nullptr; }

private:
    const bool* m_pause;
};

// The desktop viewer with a recording renderer in place of the "none" renderer; the test keeps it.
class RecordingViewer : public QuenvarViewerDesktop
{
public:
    bool CreateRenderer() override
    {
        m_engine.SetRenderer(&recorder);
        return true;
    }

    RecordingRenderer recorder{&m_engine};
};

bool Parse(QuenvarViewerBase& viewer, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "Kestrun");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    return viewer.ParseCommandLine(int(argv.size()), argv.data());
}

const char* const EndlessProject =
    "<NML=1.0>\n<Environment=<ScriptUnit=<Script=\"main.nut\"><Class=\"Main\">>>";
const char* const EndlessScript = "class Main { function OnUpdate(p) {} }";

TEST(QuenvarViewerFrame, PauseTogglesOnceForEachPress)
{
    bool pause = false;
    QuenvarViewerDesktop viewer;
    viewer.SetKeySource(std::make_unique<HeldKeys>(&pause));
    const bool presses[] = {true, true, false, true, false, false};
    const float scales[] = {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};
    for (size_t frame = 0; frame < std::size(presses); ++frame)
    {
        pause = presses[frame];
        EXPECT_TRUE(viewer.ProcessMessages());
        EXPECT_EQ(viewer.GetEngine().GetClockScale(), scales[frame]) << frame;
    }
}

// Started headless on a project whose script never ends it.
void StartEndlessProject(QuenvarViewerDesktop& viewer, TemporaryFiles& files, CapturedLog& log)
{
    files.Write("game.ngp", EndlessProject);
    files.Write("main.nut", EndlessScript);
    ASSERT_TRUE(Parse(viewer, {"game.ngp", "-P", "-r", "none", "-m", "none"}));
    ASSERT_TRUE(viewer.Startup()) << log.text;
}

TEST(QuenvarViewerFrame, TheNoneRendererAndMixerAreTheEnginesOwn)
{
    TemporaryFiles files;
    CapturedLog log;
    QuenvarViewerDesktop viewer;
    StartEndlessProject(viewer, files, log);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    Quenvar& engine = viewer.GetEngine();
    EXPECT_EQ(engine.GetRenderer(), &engine.GetNullRenderer());
    EXPECT_EQ(engine.GetMixer(), &engine.GetNullMixer());
    EXPECT_EQ(viewer.GetMixer(), nullptr);
    EXPECT_TRUE(engine.GetNullRenderer().IsOpen());
    uint32_t width = 0;
    uint32_t height = 0;
    engine.GetNullRenderer().GetOutputSize(width, height);
    EXPECT_EQ(width, 1280u);
    EXPECT_EQ(height, 720u);
    EXPECT_TRUE(viewer.Step());
    EXPECT_EQ(viewer.GetFrameCount(), 1u);
    EXPECT_TRUE(viewer.Shutdown());
    EXPECT_FALSE(viewer.IsRunning());
    EXPECT_EQ(engine.GetRenderer(), &engine.GetNullRenderer());
    EXPECT_TRUE(engine.GetNullRenderer().IsClosed());
    EXPECT_TRUE(viewer.Shutdown()); // the second shut-down finds nothing left to release
}

// The index of the first text written that begins with the start, or the count when none does.
size_t FindText(const RecordingRenderer& recorder, const std::string& start)
{
    size_t index = 0;
    while (index < recorder.texts.size() && recorder.texts[index].text.rfind(start, 0) != 0)
        ++index;
    return index;
}

// The renderer's statistics take the right-hand column of the 1280-unit wide display.
void ExpectRendererStatisticsAtTheRight(const RecordingRenderer& recorder)
{
    const size_t statistics = FindText(recorder, "Renderer\n\n");
    ASSERT_LT(statistics, recorder.texts.size());
    EXPECT_EQ(recorder.texts[statistics].x, 1280.0f - 400.0f);
    EXPECT_EQ(recorder.texts[statistics].y, 32.0f);
}

TEST(QuenvarViewerFrame, TheProfilerWritesTheProjectAndRendererStatistics)
{
    TemporaryFiles files;
    files.Write("game.ngp", EndlessProject);
    files.Write("main.nut", EndlessScript);
    CapturedLog log;
    RecordingViewer viewer;
    ASSERT_TRUE(Parse(viewer, {"game.ngp", "-P", "-m", "none", "-enable_profiler"}));
    ASSERT_TRUE(viewer.Startup()) << log.text;
    EXPECT_TRUE(viewer.Step());
    std::vector<std::string> texts;
    for (const RecordingRenderer::Text& text : viewer.recorder.texts)
        texts.push_back(text.text);
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[0].rfind("Perf. = ", 0), 0u);
    EXPECT_EQ(viewer.recorder.texts[0].x, 32.0f);
    EXPECT_EQ(viewer.recorder.texts[0].y, 32.0f);
    EXPECT_EQ(texts[1], "Scene list (0 instantiated, 0 active):\n\n");
    EXPECT_EQ(texts[2], "Layer stack:");
    ExpectRendererStatisticsAtTheRight(viewer.recorder);
    EXPECT_EQ(viewer.recorder.CountCalls("PresentFrame"), 1u);
    viewer.Shutdown();
}

// The fonts stay empty without a core data folder, which does not stop the profiler.
TEST(QuenvarViewerFrame, TheSceneProfilerFollowsTheEngineProfileWithTheSceneStatistics)
{
    TemporaryFiles files;
    files.Write("s.nms", "<NML=1.0>\n<Scene=<Items>>");
    CapturedLog log;
    RecordingViewer viewer;
    ASSERT_TRUE(Parse(viewer, {"s.nms", "-m", "none", "-enable_profiler"}));
    ASSERT_TRUE(viewer.Startup()) << log.text;
    EXPECT_TRUE(viewer.Step());
    const RecordingRenderer& recorder = viewer.recorder;
    ASSERT_FALSE(recorder.texts.empty());
    EXPECT_EQ(recorder.texts[0].text.rfind("Perf. = ", 0), 0u);
    EXPECT_EQ(recorder.texts[0].x, 32.0f);
    EXPECT_EQ(recorder.texts[0].y, 32.0f);
    const size_t scene = FindText(recorder, "Scene\n\n");
    const size_t resources = FindText(recorder, "Sound cache = ");
    ASSERT_LT(scene, recorder.texts.size());
    EXPECT_EQ(scene, resources + 1); // right below the engine's profile
    EXPECT_EQ(recorder.texts[scene].x, 32.0f);
    EXPECT_EQ(recorder.texts[scene].y, recorder.texts[resources].y + 16.0f);
    EXPECT_EQ(recorder.texts[scene + 2].text, "  -> Item = 1 item(s), 1 active (100%)\n"); // "Default"
    ExpectRendererStatisticsAtTheRight(recorder);
    EXPECT_EQ(recorder.texts.back().text.rfind("List drawn = ", 0), 0u);
    ASSERT_NE(viewer.GetProfilerFonts().regular, nullptr);
    EXPECT_EQ(viewer.GetProfilerFonts().regular->GetPageCount(), 0u);
    viewer.Shutdown();
    EXPECT_EQ(viewer.GetProfilerFonts().regular, nullptr);
}

// With the core data the profiler writes with the loaded fonts, and the font system is open
// from the data source on until shut-down.
TEST(QuenvarViewerFrame, TheProfilerWritesWithTheCoreDataFonts)
{
    TemporaryFiles files;
    files.Write("s.nms", "<NML=1.0>\n<Scene=<Items>>");
    CapturedLog log;
    RecordingViewer viewer;
    ASSERT_TRUE(Parse(viewer, {"s.nms", "-m", "none", "-enable_profiler", "-CC", KESTRUN_CORE_DATA_DIR}));
    ASSERT_TRUE(viewer.Startup()) << log.text;
    EXPECT_TRUE(FontSystemIsOpen());
    EXPECT_TRUE(viewer.Step());
    const nFontPair& fonts = viewer.GetProfilerFonts();
    ASSERT_NE(fonts.regular, nullptr);
    ASSERT_NE(fonts.bold, nullptr);
    EXPECT_EQ(fonts.regular->GetPageCount(), 1u);
    EXPECT_EQ(fonts.bold->GetPageCount(), 1u);
    EXPECT_NE(fonts.regular->GetGlyph('A'), nullptr);
    bool regular = false, bold = false;
    for (const auto& text : viewer.recorder.texts)
    {
        regular = regular || text.font == fonts.regular;
        bold = bold || text.font == fonts.bold;
    }
    EXPECT_TRUE(regular);
    EXPECT_TRUE(bold);
    EXPECT_EQ(log.text.find("[!]"), std::string::npos) << log.text;
    viewer.Shutdown();
    EXPECT_FALSE(FontSystemIsOpen());
}

TEST(QuenvarViewerFrame, AFailedStartUpLeavesAViewerThatShutsDownCleanly)
{
    CapturedLog log;
    QuenvarViewerDesktop viewer;
    ASSERT_TRUE(Parse(viewer, {"missing.ngp", "-P", "-r", "none", "-m", "none"}));
    EXPECT_FALSE(viewer.Startup());
    EXPECT_FALSE(viewer.IsRunning());
    EXPECT_TRUE(viewer.Shutdown());
    EXPECT_TRUE(viewer.Shutdown());
}

// Each frame hands out at least the engine's smallest delta of game time; a headless frame is
// quicker than that, and must wait for the rest of it so that game time keeps to the wall clock.
TEST(QuenvarViewerFrame, GameTimeKeepsToTheWallClockWhenFramesAreQuick)
{
    TemporaryFiles files;
    CapturedLog log;
    QuenvarViewerDesktop viewer;
    StartEndlessProject(viewer, files, log);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    // The first timed delta runs from the frame before the loop, so the wall clock starts before it.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(viewer.Step());
    double gameSeconds = 0.0;
    for (int frame = 0; frame < 40; ++frame)
    {
        ASSERT_TRUE(viewer.Step());
        gameSeconds += viewer.GetEngine().GetDeltaFrame();
    }
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(gameSeconds, 40 * double(Quenvar::MinDeltaFrame) - 1e-6);
    EXPECT_LE(gameSeconds, wallSeconds + double(Quenvar::MinDeltaFrame));
    viewer.Shutdown();
}

} // namespace
