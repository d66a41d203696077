#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const char* const SceneFile = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">>>\n";

// A scene script whose OnSetup runs the body with the scene's 2D layer as "ui"; the run ends after
// its first frame.
std::string SetupScript(const std::string& body)
{
    return "class S {\n  function OnSetup(s) {\n    local ui = SceneGetUI(s);\n" + body +
           "\n  }\n  function OnUpdate(s) { SceneEnd(s); }\n}\n";
}

KestrunRun RunSetup(const std::string& body)
{
    return RunKestrunWithFiles({{"s.nms", SceneFile}, {"s.nut", SetupScript(body)}},
                               {"s.nms", "-r", "none", "-m", "none", "-CC", KESTRUN_DATA_DIR "/core"});
}

// Whether an error line of the run holds the text.
bool HasErrorHolding(const std::string& output, const std::string& text)
{
    for (size_t at = output.find("[!] "); at != std::string::npos; at = output.find("[!] ", at + 1))
        if (output.substr(at, output.find('\n', at) - at).find(text) != std::string::npos)
            return true;
    return false;
}

const char* const WindowChecks = R"(
    local w = UIAddWindow(ui, 7, 10, 20, 310, 200);
    local r = WindowGetRect(w), t = WindowGetCacheTexture(w);
    print("rect " + r.sx + " " + r.sy + " " + r.ex + " " + r.ey);
    print("cache " + TextureGetWidth(t) + "x" + TextureGetHeight(t));
    WindowSetSize(w, 600, 200);
    t = WindowGetCacheTexture(w);
    print("cache " + TextureGetWidth(t) + "x" + TextureGetHeight(t));
    WindowSetSize(w, 0, -5);
    local size = WindowGetSize(w);
    print("size " + size.x + "x" + size.y);
    WindowSetOpacity(w, 3);
    print("opacity " + WindowGetOpacity(w));
    WindowSetOpacity(w, -1);
    print("opacity " + WindowGetOpacity(w));
    local style = WindowGetStyle(w);
    WindowAddStyle(w, StyleMovable);
    local moving = WindowGetStyle(w);
    WindowRemoveStyle(w, StyleMovable);
    print("style " + (moving == (style | 512)) + " " + (WindowGetStyle(w) == style));
    print("font " + ObjectIsValid(UILoadFont("@core/default.ttf")) + " " + ObjectIsValid(UIGetFont("none.ttf")));
    print("constants " + StyleNonSkinned + " " + EventMove + " " + TextFormatLine);
    UISetInternalResolution(ui, 0, 480);
    local resolution = UIGetInternalResolution(ui);
    print("resolution " + resolution.x + "x" + resolution.y);
)";

TEST(UINativesRun, WindowsAnswerAsTheirScene)
{
    const KestrunRun run = RunSetup(WindowChecks);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::vector<std::string> expected = {"rect 0 0 310 200",   "cache 512x256",    "cache 1024x256",
                                               "size 1x1",           "opacity 1",        "opacity 0",
                                               "style true true",    "font false false", "constants 64 13 0",
                                               "resolution 1280x960"};
    EXPECT_EQ(ScriptLines(run.output), expected) << run.output;
}

const char* const WidgetChecks = R"(
    local w = UIAddWindow(ui, 8, 0, 0, 404, 100);
    local sizer = UIAddHorizontalSizerWidget(ui, 1);
    local narrow = UIAddSpacerWidget(ui, 2), wide = UIAddSpacerWidget(ui, 3);
    WidgetSetFormattingSize(narrow, 1, 1);
    WidgetSetFormattingSize(wide, 3, 1);
    SizerAddWidget(sizer, narrow);
    SizerAddWidget(sizer, wide);
    WindowSetBaseWidget(w, sizer);
    WindowForceLayout(w);
    foreach (spacer in [narrow, wide]) {
      local r = WidgetGetRect(spacer);
      print("spacer " + r.sx + " " + r.sy + " " + r.ex + " " + r.ey);
    }
    local text = SizerAddWidget(sizer, UIAddStaticTextWidget(ui, 4, "hello", "Default"));
    TextSetText(text, "changed");
    print("text accepted");
    print("cast " + ObjectIsValid(WidgetToText(CastToWidget(sizer))));
    local check = UIAddCheckWidget(ui, 5, "label", "Default", false);
    CheckWidgetSetState(check, true);
    print("check " + CheckWidgetGetState(check));
    local narrowRect = Rect();
    narrowRect.ex = 40;
    narrowRect.ey = 400;
    local one = TextComputeRect(narrowRect, "word", "Default", {format = "paragraph"});
    local three = TextComputeRect(narrowRect, "word word word", "Default", {format = "paragraph"});
    print("paragraph " + ((one.ey - one.sy) < (three.ey - three.sy)));
    UIDeleteWidget(ui, narrow);
    WindowForceLayout(w);
    print("deleted " + ObjectIsValid(narrow));
)";

TEST(UINativesRun, WidgetsLayOutInTheirWindow)
{
    const KestrunRun run = RunSetup(WidgetChecks);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::vector<std::string> expected = {"spacer 2 2 102 98", "spacer 102 2 402 98", "text accepted",
                                               "cast false",        "check true",          "paragraph true",
                                               "deleted false"};
    EXPECT_EQ(ScriptLines(run.output), expected) << run.output;
}

TEST(UINativesRun, BadArgumentsStopTheScriptWithTheirError)
{
    struct Case
    {
        const char* call;
        const char* error;
    };
    const Case cases[] = {
        {"WindowGetTitle(UIAddSprite(ui, 1, WindowGetCacheTexture(w), 0, 0, 8, 8))", "Sprite is not a window"},
        {"WindowGetZOrder(NullWindow)", "CObject is null"},
        {"WindowGetRect(NullWindow)", "CObject is null"},
        {"WindowMoveToFrontOf(w, NullWindow)", "CObject is null"},
        {"UIAddWindow(ui, 1, 2, 3)", "wrong number of parameters"},
        {"UIDeleteWidget(ui, w)", "Object is not a widget"},
        {"WindowSetBaseWidget(w, PictureNew())", "Object is not a widget"},
        {"CastToWidget(PictureNew())", "Object is not a widget"},
        {"WidgetIsHidden(WindowGetChild(w, 99))", "Widget is null"},
        {"ContainerWidgetSetPosition(UIAddContainerWidget(ui, 1), UIAddSpacerWidget(ui, 2), 1, 2)",
         "Widget not in container"},
        {"TextSetText(UIAddHorizontalSizerWidget(ui, 1), \"x\")", "Expected 'Text Widget' got 'Base Sizer'"},
        {"local x = UIAddSpacerWidget(ui, 1); UIDeleteWidget(ui, x); WidgetIsHidden(x)",
         "Object is not a widget"},
    };
    for (const Case& c : cases)
    {
        const KestrunRun run = RunSetup(
            std::string("    local w = UIAddWindow(ui, 1, 0, 0, 64, 64);\n    ") + c.call +
            ";\n    print(\"went on\");");
        EXPECT_EQ(run.exitCode, 3) << c.call << "\n" << run.output;
        EXPECT_TRUE(HasErrorHolding(run.output, c.error)) << c.call << "\n" << run.output;
        EXPECT_FALSE(HasLine(run.output, "[S] went on")) << c.call;
    }
}

// Sizes, ids, colours, styles and handler values of every kind: each is refused or taken, and the
// run ends normally (the sanitizers watch the binary).
TEST(UINativesRun, HostileValuesNeverCrash)
{
    const KestrunRun run = RunSetup(R"(
    local values = [0, -1, 0x7FFFFFFF, -0x80000000, 1e30, -1e30, 0.0 / 0.0, 1.0 / 0.0];
    local t = WindowGetCacheTexture(UIAddWindow(ui, 0, 0, 0, 8, 8));
    foreach (v in values) {
      // A place that is no number makes nothing; the setters below get the value instead.
      UIDeleteWindow(ui, UIAddWindow(ui, v, v, v, 16, 16));
      UIDeleteWindow(ui, UIAddSprite(ui, v, t, v, v, v, v));
      local w = UIAddWindow(ui, v, 0, 0, 16, 16);
      local s = UIAddSprite(ui, v, t, 0, 0, 16, 16);
      WindowSetPosition(s, v, v);
      WindowSetScale(w, v, v);
      WindowSetPivot(w, v, v);
      WindowSetRotation(w, v);
      WindowSetZOrder(w, v);
      WindowSetOpacity(w, v);
      WindowSetStyle(w, v);
      WindowSetBackgroundColor(w, v);
      WindowGetScreenRect(s);
      WindowCentre(s);
      WindowForceLayout(w);
      WindowCompose(w);
      WindowSetEventHandler(w, v, function(e, t) {});
      WindowSetEventHandlerWithContext(s, v, v, function(e, t) {});
      UISetInternalResolution(ui, v, v);
      UISetGlobalFadeEffect(ui, v);
      UISetGlobalFadeColor(ui, v, v, v);
      UISetCursorAutoHideDelay(ui, v);
      UIAddCanvasWidget(ui, v, v, v);
      UIDeleteWindow(ui, w);
    }
    // Sizes one at a time: the largest window holds a cache of 8192 x 8192 pixels.
    foreach (v in [0, -1, 0.0 / 0.0, -1e30, 1e30]) {
      UIDeleteWindow(ui, UIAddWindow(ui, 1, 0, 0, v, v));
      local w = UIAddWindow(ui, 1, 0, 0, 16, 16);
      WindowSetSize(w, v, v);
      WindowForceLayout(w);
      UIDeleteWindow(ui, w);
    }
    UIRender(ui);
    local a = UIAddWindow(ui, 1, 0, 0, 8, 8), b = UIAddWindow(ui, 2, 0, 0, 8, 8);
    WindowSetParent(b, a);
    WindowSetParent(a, b);
    WindowSetParent(a, a);
    UIDeleteWindow(ui, a);
    UIDeleteWindow(ui, NullWindow);
    WindowSetEventHandlerWithContext(b, EventMove, null, function(e, t) {});
    print("survived " + ObjectIsValid(WindowGetParent(b)) + " " + ObjectIsValid(UIAddCanvasWidget(ui, 1, 9000, 4)));
)");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(HasLine(run.output, "[S] survived false false")) << run.output;
}
} // namespace
