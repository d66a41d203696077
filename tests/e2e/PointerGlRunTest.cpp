#include "e2e/KestrunProcess.h"
#include "e2e_frame/FrameGrab.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
using FrameGrab::Height;
using FrameGrab::Width;

// A 2D window over an empty scene with a check box and a "Start" text that answer a left click.
// The script polls the mouse every frame and walks the real pointer through its steps with
// xdotool: each step waits until the mouse reads what the step did, then lets the 2D layer see it
// for a few frames. At the end it grabs the frame the 2D layer has drawn.
const char* const PointerScript = R"(
const Gap = 4;
const FrameLimit = 3000;

function Xdo(command)
{
    return system("xdotool search --name 'GPU' " + command + " >/dev/null 2>&1");
}

class S {
  frames = 0;
  ui = null;
  window = null;
  check = null;
  start = null;
  steps = null;
  step = -1;
  settled = 0;

  function OnSetup(s) {
    ui = SceneGetUI(s);
    UISetInternalResolution(ui, 320, 240);
    UISetSkin(ui, "skin_top.tga", "skin_left.tga", "skin_right.tga", "skin_bottom.tga", "skin_top_left.tga",
        "skin_top_right.tga", "skin_bottom_left.tga", "skin_bottom_right.tga", 0xFF302418, 0xFFFFFFFF, 4, 20, 15,
        "Default");
    window = UIAddWindow(ui, 1, 40, 40, 200, 120);
    WindowSetTitle(window, "Options");
    WindowSetEventHandler(window, EventMouseEnter, function(e, t) { print("window enter"); });
    WindowSetEventHandler(window, EventMouseLeave, function(e, t) { print("window leave"); });
    local sizer = UIAddVerticalSizerWidget(ui, 2);
    check = UIAddCheckWidget(ui, 3, "Sound", "Default", false);
    WidgetSetEventHandler(check, EventLeftMouseClick, function(e, t) {
      CheckWidgetSetState(WidgetToCheck(t.widget), !CheckWidgetGetState(WidgetToCheck(t.widget)));
    });
    start = UIAddStaticTextWidget(ui, 4, "Start", "Default");
    TextSetColor(start, 255, 255, 255, 255);
    WidgetSetEventHandler(start, EventLeftMouseClick, function(e, t) { print("start clicked"); });
    SizerAddWidget(sizer, CastToWidget(check));
    SizerAddWidget(sizer, CastToWidget(start));
    WindowSetBaseWidget(window, sizer);
  }

  function Centre(widget) {
    local at = WidgetGetScreenPosition(CastToWidget(widget));
    local rect = WidgetGetRect(widget);
    return [(at.x + (rect.ex - rect.sx) / 2).tointeger(), (at.y + (rect.ey - rect.sy) / 2).tointeger()];
  }

  function Move(point) { return ["mousemove --window %1 " + point[0] + " " + point[1], point, null]; }

  // A step reached when the pointer reads its point (within a pixel) and the left button its state.
  function Reached(target) {
    local x = MousePoolFunction(DeviceAxisX) * 320 / 65536;
    local y = MousePoolFunction(DeviceAxisY) * 240 / 65536;
    if (target[1] != null && (abs(x - target[1][0]) > 1 || abs(y - target[1][1]) > 1)) return false;
    return target[2] == null || (MousePoolFunction(DeviceButton0) != 0) == target[2];
  }

  function OnUpdate(s) {
    MouseUpdate();
  }

  // Runs after the 2D layer has read the mouse, so pooling here takes nothing from it.
  function OnRenderUI(s) {
    if (++frames == FrameLimit) { print("out of time at step " + step); SceneEnd(s); return; }
    if (frames < 3) return;
    if (steps == null) {
      local c = Centre(check);
      local b = Centre(start);
      print("start at " + b[0] + " " + b[1]);
      steps = [Move([300, 220]), Move(c), ["mousedown 1", null, true], ["mouseup 1", null, false],
               Move(b), ["mousedown 1", null, true], ["mouseup 1", null, false], Move([300, 220])];
    }
    if (step >= 0 && !Reached(steps[step])) return;
    if (++settled < Gap) return;
    settled = 0;
    if (step == 3) print("check " + CheckWidgetGetState(check));
    if (++step == steps.len()) { Grab(s); return; }
    if (Xdo(steps[step][0]) != 0) { print("xdotool failed"); SceneEnd(s); }
  }

  function Grab(s) {
    local g = PictureNew();
    RendererGrabDisplayToPicture(g_render, g);
    print("saved " + PictureSaveTGA(g, "grab.tga"));
    SceneEnd(s);
  }
}
)";

// White pixels on the row of the centre of the "Start" text within the text's reach.
int WhitePixelsAround(const std::string& grab, int x, int y)
{
    int count = 0;
    for (int dx = -20; dx <= 20; ++dx)
        for (int dy = -4; dy <= 4; ++dy)
        {
            const FrameGrab::Pixel pixel = FrameGrab::PixelAt(grab, uint32_t(x + dx), uint32_t(y + dy));
            count += pixel[0] > 200 && pixel[1] > 200 && pixel[2] > 200;
        }
    return count;
}

} // namespace

// Run by CTest under a virtual X server (tests/e2e/CMakeLists.txt); elsewhere it has no display.
TEST(PointerGlRun, TheRealPointerTogglesACheckBoxClicksAWidgetAndEntersAndLeavesTheWindow)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display";
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no xdotool";
    TemporaryDirectory directory;
    directory.WriteFile("s.nut", PointerScript);
    directory.WriteFile("engine.cfg", "<NML=1.0>\n<Width=320><Height=240>\n");
    directory.WriteFile("s.nms", "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">><Items>>\n");
    for (const auto& skin : std::filesystem::directory_iterator(KESTRUN_DEMO_DIR))
        if (skin.path().filename().string().starts_with("skin_"))
            std::filesystem::copy_file(skin.path(), directory.Path() / skin.path().filename());

    KestrunProcess process(directory.Path(), {"s.nms", "-r", "egl2", "-m", "none", "-CC", FrameGrab::CoreData,
                                              "-C", "engine.cfg"});
    const KestrunRun run = process.WaitAtMost(120.0);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;
    for (const char* line :
         {"[S] window enter\n", "[S] check true\n", "[S] start clicked\n", "[S] window leave\n"})
        EXPECT_EQ(CountOccurrences(run.output, line), 1u) << line << run.output;
    EXPECT_LT(run.output.find("[S] window enter\n"), run.output.find("[S] check true\n"));
    EXPECT_LT(run.output.find("[S] start clicked\n"), run.output.find("[S] window leave\n"));

    // The frame grabbed after the 2D layer drew: the window's opaque skin over the black scene,
    // and the white text of the "Start" widget at its place.
    std::ifstream in(directory.Path() / "grab.tga", std::ios::binary);
    const std::string grab{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(grab.size(), 18u + Width * Height * 4u) << run.output;
    FrameGrab::ExpectNear(FrameGrab::PixelAt(grab, 120, 150), {0x18, 0x24, 0x30}, 8, "window");
    FrameGrab::ExpectNear(FrameGrab::PixelAt(grab, 20, 20), {0, 0, 0}, 0, "outside");
    int x = 0;
    int y = 0;
    const size_t at = run.output.find("[S] start at ");
    ASSERT_NE(at, std::string::npos) << run.output;
    ASSERT_EQ(std::sscanf(run.output.c_str() + at, "[S] start at %d %d", &x, &y), 2);
    EXPECT_GT(WhitePixelsAround(grab, x, y), 10);
}
