#include "ScriptApiFixture.h"

#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "platform/nHIDMouse.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "support/InputTestFixtures.h"
#include "support/RecordingRenderer.h"
#include "support/TextureLoadingEngine.h"
#include "ui/nCheckWidget.h"
#include "ui/nContainerWidget.h"
#include "ui/nDrawableWidget.h"
#include "ui/nFontSystem.h"
#include "ui/nScene2D.h"
#include "ui/nSizerWidget.h"
#include "ui/nSpacerWidget.h"
#include "ui/nTextWidget.h"
#include "ui/nWindow.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
struct Case
{
    const char* script;
    const char* expected;
};

// Handlers print the event, what "this" is and every key of the event table with its value.
const char* const Handlers = R"(
function Show(v) { return v instanceof CObject ? "handle" + v.type() : v.tostring(); }
function OnDown(e, t)
{
    local text = "down " + e + " " + (this == getroottable() ? "root" : this.name);
    foreach (k, v in t)
        text += " " + k + "=" + Show(v);
    print(text);
}
)";

// A 2D scene on a recording renderer of 1280 x 720 with a scripted mouse, the core data mounted
// for its fonts and pictures, and widgets made in place for the script: "sizer" (horizontal),
// "text", "check", "canvas" (16 x 8), "bitmap", "container", "spacer", and typed handles on
// nothing: "noWidget", "noText", "noCheck", "noCanvas", "noContainer". "ui" is the scene.
class UIWidgetApi : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        core = new nIOCFile(nString(KESTRUN_DATA_DIR "/core"));
        ASSERT_TRUE(nPlatform::Get().GetIOSystem().Mount(core.Get(), "@core/"));
        ASSERT_TRUE(FontSystemStartup(nullptr));
        renderer.Open(1280, 720, 32, true, nullptr);
        engine.renderer = &renderer;
        engine.deltaFrame = 0.02f;
        scene = new nScene2D(&engine, &machine, "ui");
        scene->AddRef();
        scene->SetMouse(&mouse);
        sizer = new nHSizerWidget(scene, 1);
        text = new nTextWidget(scene, 2);
        check = new nCheckWidget(scene, 3);
        canvas = new nCanvasWidget(scene, 4, 16, 8);
        bitmap = new nBitmapWidget(scene, 5);
        container = new nContainerWidget(scene, 6);
        spacer = new nSpacerWidget(scene, 7);
        SetGlobals();
    }
    void TearDown() override
    {
        ScriptApiFixture::TearDown();
        for (nSharedPtr<nWidget>* widget : {&sizer, &text, &check, &canvas, &bitmap, &container, &spacer})
            *widget = nullptr;
        scene->Release();
        FontSystemShutdown();
        nPlatform::Get().GetIOSystem().Unmount(core.Get());
    }
    void SetGlobals()
    {
        std::ifstream library(KESTRUN_DATA_DIR "/core/scriptlib/nad.nut");
        ASSERT_TRUE(
            Run(std::string(std::istreambuf_iterator<char>(library), std::istreambuf_iterator<char>()),
                "nad.nut"));
        machine.SetSlot("ui", nScriptValue(ObjectTypeWindowSystem, scene), nullptr);
        const std::pair<const char*, std::pair<int32_t, nWidget*>> globals[] = {
            {"sizer", {ObjectTypeBaseSizer, sizer.Get()}},
            {"text", {ObjectTypeTextWidget, text.Get()}},
            {"check", {ObjectTypeCheckWidget, check.Get()}},
            {"canvas", {ObjectTypeCanvasWidget, canvas.Get()}},
            {"bitmap", {ObjectTypeBitmapWidget, bitmap.Get()}},
            {"container", {ObjectTypeContainerWidget, container.Get()}},
            {"spacer", {ObjectTypeSpacerWidget, spacer.Get()}},
            {"noWidget", {ObjectTypeWidget, nullptr}},
            {"noText", {ObjectTypeTextWidget, nullptr}},
            {"noCheck", {ObjectTypeCheckWidget, nullptr}},
            {"noCanvas", {ObjectTypeCanvasWidget, nullptr}},
            {"noContainer", {ObjectTypeContainerWidget, nullptr}},
        };
        for (const auto& [name, handle] : globals)
            machine.SetSlot(name, nScriptValue(handle.first, handle.second), nullptr);
    }
    std::string EvaluateWithGlobals(const std::string& script)
    {
        if (machine.GetState() != ScriptVMRunning)
        {
            Reopen();
            SetGlobals();
        }
        return Evaluate(script);
    }
    void ExpectAnswers(const std::vector<Case>& cases)
    {
        for (const Case& c : cases)
            EXPECT_EQ(EvaluateWithGlobals(c.script), c.expected) << c.script;
    }
    bool Logged(const std::string& text) const
    {
        for (const std::string& line : log.lines)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
    nWindow* AddWindow(float x, float y, float width, float height)
    {
        const float position[2] = {x, y};
        const float size[2] = {width, height};
        auto* window = new nWindow(scene, nullptr, "w", "Window", position, size);
        scene->AddItem(window);
        return window;
    }
    // Moves the cursor to internal pixels (x, y) with the left button as given and renders a frame
    // without the scene's "OnUpdate" (the inverse of the cursor mapping of 1280 x 720 at the
    // default internal resolution).
    void Frame(int32_t x, int32_t y, bool left = false)
    {
        const double stretch = (1280.0 / 720.0) / (1280.0 / 960.0);
        const double nx = 0.5 + ((x + 0.5) / 1280.0 - 0.5) / stretch;
        const double ny = (y + 0.5) / 960.0;
        source.pointer = {
            int(std::lround(nx * 65536.0)), int(std::lround(ny * 65536.0)), 65535, 65535, left, false, false};
        mouse.Update();
        scene->Render(true);
        ASSERT_EQ(scene->GetInput().x, x);
        ASSERT_EQ(scene->GetInput().y, y);
    }
    void Click(int32_t x, int32_t y)
    {
        Frame(x, y);
        Frame(x, y, true);
        Frame(x, y);
    }
    // The printed lines since the log was last cleared, without their prefix.
    std::vector<std::string> Printed() const
    {
        std::vector<std::string> printed;
        for (const std::string& line : ScriptLines())
            printed.push_back(line.substr(4, line.size() - 5));
        return printed;
    }

    nSharedPtr<nIOCFile> core;
    TextureLoadingEngine engine;
    RecordingRenderer renderer{&engine};
    InputTestSource source;
    nHIDMouse mouse{source};
    nScene2D* scene = nullptr;
    nSharedPtr<nWidget> sizer, text, check, canvas, bitmap, container, spacer;
};

TEST_F(UIWidgetApi, WidgetArgumentsAreCheckedBeforeAnythingChanges)
{
    ExpectAnswers({
        {"CastToWidget(ui)", "error: Object is not a widget"},
        {"WidgetIsHidden(noWidget)", "error: Widget is null"},
        {"WidgetSetHidden(noText, true)", "error: Widget is null"},
        {"SizerAddWidget(sizer, ui)", "error: Object is not a widget"},
        {"TextSetText(sizer, \"x\")", "error: Expected 'Text Widget' got 'Base Sizer'"},
        {"TextSetText(noText, \"x\")", "error: CObject is null"},
        {"WidgetToText(text)", "error: Expected 'Widget' got 'Text Widget'"},
        {"WidgetGetScreenPosition(text)", "error: Expected 'Widget' got 'Text Widget'"},
        {"WidgetGetScreenPosition(noWidget)", "error: CObject is null"},
        {"ContainerWidgetSetPosition(container, text, 1, 2)", "error: Widget not in container"},
        {"ContainerWidgetSetPosition(noContainer, text, 1, 2)", "error: CObject is null"},
        {"ContainerWidgetSetPosition(container, noText, 1, 2)", "error: Widget is null"},
        {"TextSetSize(text)", "error: wrong number of parameters"},
        // Natives typed for one kind do nothing for a handle on nothing.
        {"TextSetSize(noText, 40); CheckWidgetSetState(noCheck, true); CanvasWidgetUnlock(noCanvas);"
         "print(CheckWidgetGetState(noCheck) + \" \" + ObjectIsValid(CanvasWidgetLock(noCanvas)) + \" \" +"
         "ObjectIsValid(CheckWidgetGetText(noCheck)) + \" \" + ObjectIsValid(WidgetToText(noWidget)))",
         "false false false false"},
    });
    EXPECT_EQ(static_cast<nTextWidget*>(text.Get())->GetText(), "");
}

TEST_F(UIWidgetApi, ADeletedWidgetsHandleIsNoWidget)
{
    auto* doomed = new nSpacerWidget(scene, 9);
    machine.SetSlot("doomed", nScriptValue(ObjectTypeSpacerWidget, doomed), nullptr);
    EXPECT_EQ(EvaluateWithGlobals("::kept <- CastToWidget(doomed); print(ObjectIsValid(kept))"), "true");
    ASSERT_TRUE(doomed->DeleteNow());
    EXPECT_EQ(EvaluateWithGlobals("WidgetIsHidden(kept)"), "error: Object is not a widget");
}

// A cast answers a typed handle only for a widget of that kind: a text handle on a sizer would
// let TextSetText write a text widget's fields into the sizer.
TEST_F(UIWidgetApi, CastsToAKindCheckTheWidgetsRealKind)
{
    ExpectAnswers({
        {"print(ObjectIsValid(WidgetToText(CastToWidget(sizer))))", "false"},
        {"print(WidgetToText(CastToWidget(sizer)).type())", "19"},
        {"print(ObjectIsValid(WidgetToBitmap(CastToWidget(canvas))))", "false"},
        {"print(ObjectIsValid(WidgetToCheck(CastToWidget(text))))", "false"},
        {"print(WidgetToBitmap(CastToWidget(bitmap)).type() + \" \" + "
         "WidgetToCheck(CastToWidget(check)).type())",
         "20 21"},
        {"local t = WidgetToText(CastToWidget(text)); TextSetText(t, \"hello\"); print(t.type())", "19"},
        {"local label = CheckWidgetGetText(check); TextSetText(label, \"on\"); print(label.type())", "19"},
    });
    EXPECT_EQ(static_cast<nTextWidget*>(text.Get())->GetText(), "hello");
    EXPECT_EQ(static_cast<nCheckWidget*>(check.Get())->GetLabel()->GetText(), "on");
}

TEST_F(UIWidgetApi, AddedWidgetsComeBackAsWhatTheyAreAndCyclesAreRefused)
{
    ExpectAnswers({
        {"print(SizerAddWidget(sizer, CastToWidget(text)).type())", "19"},
        {"print(SizerAddWidget(sizer, text).type())", "19"}, // already there: kept
        {"print(ContainerAddWidget(container, check, 1, 2, 30, 40).type())", "21"},
        {"print(SizerAddWidget(sizer, container).type())", "16"},
        {"ContainerWidgetSetPosition(container, check, 7, 9)", ""},
    });
    for (const char* refused :
         {"SizerAddWidget(sizer, sizer)", "ContainerAddWidget(container, sizer, 0, 0, 5, 5)",
          "ContainerAddWidget(container, container, 0, 0, 5, 5)"})
    {
        EXPECT_EQ(EvaluateWithGlobals(std::string("print(ObjectIsValid(") + refused + "))"), "false")
            << refused;
        EXPECT_TRUE(Logged("[*] A widget cannot hold itself or one of its ancestors.")) << refused;
    }
    EXPECT_EQ(
        EvaluateWithGlobals("print(ObjectIsValid(ContainerAddWidget(container, spacer, 0, 0, 2000000, 5)))"),
        "false");
    EXPECT_TRUE(Logged("[*] ContainerAddWidget: the value 2000000 is refused"));
    EXPECT_EQ(EvaluateWithGlobals("ContainerWidgetSetPosition(container, check, 2147483000, 9)"), "");
    EXPECT_TRUE(Logged("[*] ContainerWidgetSetPosition: the value 2147483000 is refused"));
    const nList<nWidget*>& children = sizer->GetChildren();
    ASSERT_EQ(children.GetCount(), 2u);
    EXPECT_EQ(children.GetHead()->value, text.Get());
    EXPECT_EQ(children.GetTail()->value, container.Get());
    EXPECT_EQ(container->GetChildren().GetCount(), 1u);
    const nContainerCell* cell = static_cast<nContainerWidget*>(container.Get())->FindCell(check.Get());
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->rect.x0, 7);
    EXPECT_EQ(cell->rect.y0, 9);
    EXPECT_EQ(cell->rect.x1, 36);
    EXPECT_EQ(cell->rect.y1, 47);
}

TEST_F(UIWidgetApi, ASizerLaysItsWidgetsOutByWeightAndBorders)
{
    nWindow* window = AddWindow(10, 20, 404, 100);
    window->SetBaseWidget(sizer.Get());
    nSharedPtr<nWidget> second = new nSpacerWidget(scene, 8);
    machine.SetSlot("second", nScriptValue(ObjectTypeSpacerWidget, second.Get()), nullptr);
    EXPECT_EQ(
        EvaluateWithGlobals("SizerAddWidget(sizer, spacer); SizerAddWidget(sizer, second);"
                            "WidgetSetFormattingSize(second, 3, 1); WidgetSetFormattingSize(spacer, -1, 1);"
                            "WidgetSetFormattingSize(spacer, 1, 0.0 / 0.0)"),
        "");
    EXPECT_TRUE(Logged("[*] WidgetSetFormattingSize: the value -1 is refused"));
    EXPECT_TRUE(Logged("[*] WidgetSetFormattingSize: the value nan is refused"));
    window->Draw(nullptr);
    ExpectAnswers({
        {"local r = WidgetGetRect(spacer); local s = WidgetGetRect(second);"
         "print(r.sx + \",\" + r.sy + \",\" + r.ex + \",\" + r.ey + \" \" + s.sx + \",\" + s.sy + \",\" + "
         "s.ex + \",\" "
         "+ s.ey)",
         "2,2,102,98 102,2,402,98"},
        {"SizerSetBorderSize(sizer, 10, 0, 10, 0); SizerSetBorderSize(sizer, 1, 2, 3, 2000000)", ""},
    });
    EXPECT_TRUE(Logged("[*] SizerSetBorderSize: the value 2000000 is refused"));
    window->Draw(nullptr);
    EXPECT_EQ(
        EvaluateWithGlobals("local r = WidgetGetRect(second); print(r.sx + \",\" + r.sy + \",\" + r.ex)"),
        "106,0,394");
    // Hiding a child makes the sizer lay out again, without it.
    EXPECT_EQ(EvaluateWithGlobals("WidgetSetHidden(spacer, true); print(WidgetIsHidden(spacer))"), "true");
    EXPECT_TRUE(spacer->IsDirty());
    window->Draw(nullptr);
    EXPECT_EQ(EvaluateWithGlobals("local r = WidgetGetRect(second); print(r.sx + \",\" + r.ex)"), "10,394");
    scene->DeleteItem(window);
}

TEST_F(UIWidgetApi, TextParametersApplyTheKnownKeysOfTheTable)
{
    EXPECT_EQ(EvaluateWithGlobals("TextSetParameters(text, {size = 30, x = 1, color = 0x804020ff, "
                                  "align = \"center\", format = \"paragraph\"})"),
              "");
    EXPECT_TRUE(Logged("[*] unknown text attribute 'x'."));
    const nTextAttributes& attributes = static_cast<nTextWidget*>(text.Get())->GetAttributes();
    EXPECT_EQ(attributes.size, 30);
    EXPECT_EQ(attributes.color[0], 0xff);
    EXPECT_EQ(attributes.color[1], 0x20);
    EXPECT_EQ(attributes.color[2], 0x40);
    EXPECT_EQ(attributes.color[3], 0x80);
    EXPECT_EQ(attributes.align, TextAlignCenter);
    EXPECT_EQ(attributes.format, TextFormatParagraph);
    EXPECT_TRUE(text->IsDirty());

    EXPECT_EQ(EvaluateWithGlobals("TextSetColor(text, 255, 0, 128, 255); TextSetSize(text, 12);"
                                  "TextSetFormat(text, TextFormatColumn)"),
              "");
    EXPECT_EQ(attributes.color[0], 255);
    EXPECT_EQ(attributes.color[2], 128);
    EXPECT_EQ(attributes.size, 12);
    EXPECT_EQ(attributes.format, TextFormatColumn);
}

// The alignment shows at the next redraw that something else asks for.
TEST_F(UIWidgetApi, TextAlignmentAloneDoesNotRecompose)
{
    nWindow* window = AddWindow(0, 0, 300, 100);
    window->SetBaseWidget(text.Get());
    EXPECT_EQ(EvaluateWithGlobals("TextSetText(text, \"word\")"), "");
    window->Draw(nullptr);
    ASSERT_FALSE(text->IsDirty());
    EXPECT_EQ(EvaluateWithGlobals("TextSetAlignment(text, TextAlignRight)"), "");
    EXPECT_FALSE(text->IsDirty());
    EXPECT_EQ(static_cast<nTextWidget*>(text.Get())->GetAttributes().align, TextAlignRight);
    EXPECT_EQ(EvaluateWithGlobals("TextSetFormat(text, TextFormatLine)"), ""); // unchanged: no redraw
    EXPECT_FALSE(text->IsDirty());
    EXPECT_EQ(EvaluateWithGlobals("TextSetFormat(text, TextFormatParagraph)"), "");
    EXPECT_TRUE(text->IsDirty());
    scene->DeleteItem(window);
}

TEST_F(UIWidgetApi, ComputedTextRectanglesFollowTheTableAndTheFont)
{
    ExpectAnswers({
        {"local one = TextComputeRect(Rect(0, 0, 60, 400), \"word\", \"Default\", {format = \"paragraph\"});"
         "local three = TextComputeRect(Rect(0, 0, 60, 400), \"word word word\", \"unknown.ttf\","
         "{format = \"paragraph\"}); print((one.ey < three.ey) + \" \" + one.sx + \" \" + (one.ex > 0))",
         "true 0 true"},
        {"local small = TextComputeRect(Rect(0, 0, 500, 100), \"word\", \"x\", {size = 10});"
         "local large = TextComputeRect(Rect(0, 0, 500, 100), \"word\", \"x\", {size = 40});"
         "print(small.ex < large.ex)",
         "true"},
        {"local r = TextComputeRect(Rect(0, 0, -5, -5), \"a b c\", \"x\", {format = \"paragraph\"}); "
         "print(r.sx)",
         "0"},
        {"TextComputeRect(Vector(), \"a\", \"x\", {})", "error: Invalid instance type"},
    });
}

// Values at the ends of the integer range reach the layout and the text only as far as it can take
// them: nothing is drawn out of place and no sum leaves the integer range.
TEST_F(UIWidgetApi, ExtremeTextAndLayoutValuesAreDrawnWithoutFault)
{
    nWindow* window = AddWindow(0, 0, 300, 100);
    window->SetBaseWidget(sizer.Get());
    EXPECT_EQ(EvaluateWithGlobals(R"(
SizerAddWidget(sizer, text); SizerAddWidget(sizer, check); SizerAddWidget(sizer, container);
ContainerAddWidget(container, bitmap, -1048576, 1048576, 1048576, -1048576);
TextSetText(text, "a b c d ~~Size(2147483647)e");
TextSetParameters(text, {heading = 2147483647, tracking = 2147483647, size = 2147483647, format = "paragraph"});
WidgetSetVAlign(text, WidgetAlignTop); WidgetSetHAlign(text, -2147483647 - 1);
TextSetColor(text, -1, 300, 2147483647, 0); TextSetFormat(text, -7); TextSetAlignment(text, 99);
CheckWidgetSetLabelSize(check, -2147483647); CheckWidgetSetLabel(check, "x");
SizerSetBorderSize(sizer, -1048576, 1048576, 1048576, -1048576);
WidgetSetFormattingSize(check, 3.0e38, 3.0e38);
local r = TextComputeRect(Rect(-2147483647, 0, 2147483647, 10), "a b", "x", {heading = -2147483647, tracking = 2147483647});
print(r.sx + " " + (r.ex >= 0));
)"),
              "0 true");
    window->Draw(nullptr);
    scene->DeleteItem(window);
}

TEST_F(UIWidgetApi, CheckCanvasAndBitmapNativesReachTheirWidgets)
{
    auto* box = static_cast<nCheckWidget*>(check.Get());
    EXPECT_EQ(
        EvaluateWithGlobals("CheckWidgetSetState(check, true); CheckWidgetSetLabel(check, \"sound\");"
                            "CheckWidgetSetLabelSize(check, 20); CheckWidgetSetLabelFont(check, \"none\");"
                            "print(CheckWidgetGetState(check))"),
        "true");
    EXPECT_EQ(box->GetLabel()->GetText(), "sound");
    EXPECT_EQ(box->GetLabel()->GetAttributes().size, 20);
    EXPECT_EQ(box->GetLabel()->GetFont(), FontSystemGetDefaultFont());
    EXPECT_NE(box->GetCheck()->GetPicture(), nullptr);

    canvas->SetDirty(false);
    EXPECT_EQ(EvaluateWithGlobals("local p = CanvasWidgetLock(canvas); PictureFill(p, Vector(1, 0, 0, 1));"
                                  "CanvasWidgetUnlock(canvas); print(PictureGetRect(p).ex)"),
              "16");
    EXPECT_TRUE(canvas->IsDirty());
    EXPECT_EQ(*reinterpret_cast<const uint32_t*>(
                  static_cast<nCanvasWidget*>(canvas.Get())->Lock()->GetPixelAddress(3, 3)),
              0xFFFF0000u);

    EXPECT_EQ(EvaluateWithGlobals("BitmapSetPicture(bitmap, \"@core/engine/scene2d/ui_check_true.tga\")"),
              "");
    EXPECT_NE(static_cast<nBitmapWidget*>(bitmap.Get())->GetPicture(), nullptr);
    EXPECT_EQ(
        EvaluateWithGlobals("SizerSetDrawDelimiter(sizer, true); WidgetSetHAlign(bitmap, WidgetAlignRight);"
                            "WidgetSetVAlign(bitmap, WidgetAlignBottom)"),
        "");
    EXPECT_EQ(bitmap->GetHorizontalAlign(), WidgetAlignRight);
    EXPECT_EQ(bitmap->GetVerticalAlign(), WidgetAlignBottom);
}

// Widget handlers hear the events of the widget below the cursor with the widget's keys, with
// the root table as "this" or the context they were given.
TEST_F(UIWidgetApi, WidgetHandlersReceiveTheWidgetKeysWithTheirThis)
{
    nWindow* window = AddWindow(100, 100, 404, 200);
    window->SetBaseWidget(sizer.Get());
    sizer->AddChild(canvas.Get());
    sizer->AddChild(spacer.Get());
    EXPECT_EQ(EvaluateWithGlobals(std::string(Handlers) + R"(
WidgetSetEventHandler(canvas, EventLeftMouseDown, OnDown);
WidgetSetEventHandlerWithContext(spacer, EventLeftMouseDown, {name = "context"}, OnDown);
)"),
              "");
    ASSERT_NO_FATAL_FAILURE(Frame(0, 0));
    auto clickAt = [&](nWidget& widget)
    {
        const nRectF rect = widget.GetScreenRect(*window);
        const int32_t x = int32_t((rect.x0 + rect.x1) / 2), y = int32_t((rect.y0 + rect.y1) / 2);
        Click(x, y);
        return std::to_string(x) + " y=" + std::to_string(y);
    };
    log.lines.clear();
    const std::string canvasAt = clickAt(*canvas);
    const std::string spacerAt = clickAt(*spacer);
    EXPECT_EQ(Printed(), (std::vector<std::string>{
                             "down 4 root window=handle13 widget=handle14 id=4 cursor_id=0 x=" + canvasAt +
                                 " left_down=true middle_down=false right_down=false",
                             "down 4 context window=handle13 widget=handle14 id=7 cursor_id=0 x=" + spacerAt +
                                 " left_down=true middle_down=false right_down=false",
                         }));
    // A press and a release on the same widget is a click.
    EXPECT_EQ(EvaluateWithGlobals("WidgetSetEventHandler(canvas, EventLeftMouseClick, OnDown)"), "");
    log.lines.clear();
    clickAt(*canvas);
    ASSERT_EQ(ScriptLines().size(), 2u);
    EXPECT_EQ(ScriptLines()[0].find("[S] down 4 root window="), 0u);
    EXPECT_EQ(ScriptLines()[1].find("[S] down 1 root window="), 0u);
    // A null context is the root table, as for a handler without one.
    EXPECT_EQ(
        EvaluateWithGlobals("WidgetSetEventHandlerWithContext(spacer, EventLeftMouseDown, null, OnDown)"),
        "");
    log.lines.clear();
    clickAt(*spacer);
    ASSERT_EQ(ScriptLines().size(), 1u);
    EXPECT_EQ(ScriptLines()[0].find("[S] down 4 root window="), 0u);
    // An insensitive widget hears nothing.
    EXPECT_EQ(EvaluateWithGlobals("WidgetSetSensitive(canvas, false)"), "");
    log.lines.clear();
    clickAt(*canvas);
    EXPECT_TRUE(ScriptLines().empty());
    scene->DeleteItem(window);
}

// The handlers' closures belong to the machine: closing it lets them go while the widget lives on.
TEST_F(UIWidgetApi, HandlersAreReleasedWhenTheMachineCloses)
{
    EXPECT_EQ(EvaluateWithGlobals(
                  "WidgetSetEventHandlerWithContext(text, EventMouseEnter, [1, 2], function(e, t) {})"),
              "");
    ASSERT_NE(text->FindHandler(EventMouseEnter), nullptr);
    machine.Close();
    EXPECT_NE(text->FindHandler(EventMouseEnter), nullptr);
    ASSERT_TRUE(machine.Open());
}

TEST_F(UIWidgetApi, ScreenPositionsFollowTheWindow)
{
    nWindow* window = AddWindow(30, 40, 200, 100);
    window->SetBaseWidget(spacer.Get());
    window->Draw(nullptr);
    EXPECT_EQ(EvaluateWithGlobals(
                  "local r = WidgetGetRect(spacer); local p = WidgetGetScreenPosition(CastToWidget(spacer));"
                  "print((p.x - r.sx) + \",\" + (p.y - r.sy))"),
              "30,40");
    scene->DeleteItem(window);
}
TEST_F(UIWidgetApi, WindowHandlersGetTheWindowKeysWithTheirThis)
{
    EXPECT_EQ(EvaluateWithGlobals(std::string(Handlers) + R"(
::a <- UIAddWindow(ui, 1, 100, 100, 200, 100);
::b <- UIAddWindow(ui, 2, 500, 100, 200, 100);
WindowSetEventHandler(a, EventLeftMouseClick, OnDown);
WindowSetEventHandlerWithContext(b, EventLeftMouseClick, {name = "context"}, OnDown);
)"),
              "");
    log.lines.clear();
    Click(150, 180);
    Click(550, 180);
    EXPECT_EQ(Printed(),
              (std::vector<std::string>{"down 1 root window=handle13 cursor_id=0 x=100 y=100",
                                        "down 1 context window=handle13 cursor_id=0 x=500 y=100"}));
}

TEST_F(UIWidgetApi, SceneNativesSetTheFadeNameSpritesAndOrderWindows)
{
    EXPECT_EQ(EvaluateWithGlobals(
                  "UISetGlobalFadeEffect(ui, 2.5); UISetGlobalFadeColor(ui, 255, 0, 0);"
                  "UIAddSprite(ui, 7, NullTexture, 0, 0, 10, 10);"
                  "::a <- UIAddWindow(ui, 1, 0, 0, 10, 10); ::b <- UIAddWindow(ui, 2, 0, 0, 10, 10);"
                  "::c <- UIAddWindow(ui, 3, 0, 0, 10, 10); WindowMoveToFrontOf(c, b)"),
              "");
    EXPECT_EQ(scene->GetFade(), 1.0f);
    std::string names;
    for (auto* node = scene->GetItems().GetHead(); node; node = node->next)
        names += std::string(node->value->GetName().GetText()) + " ";
    EXPECT_EQ(names, "7 1 3 2 ");
    renderer.triangleBatches.clear();
    scene->Render(true);
    ASSERT_GE(renderer.triangleBatches.size(), 2u);
    for (const auto& batch : {renderer.triangleBatches.end()[-2], renderer.triangleBatches.back()})
        for (const nVector& colour : batch.colours)
        {
            EXPECT_EQ(colour.x, 1.0f);
            EXPECT_EQ(colour.y, 0.0f);
            EXPECT_EQ(colour.z, 0.0f);
            EXPECT_EQ(colour.w, 1.0f);
        }
}

TEST_F(UIWidgetApi, ADeletedSizerChildLeavesTheRestLaidOut)
{
    EXPECT_EQ(EvaluateWithGlobals(R"(
::w <- UIAddWindow(ui, 1, 0, 0, 404, 100);
::row <- UIAddHorizontalSizerWidget(ui, 10);
WindowSetBaseWidget(w, row);
::x <- SizerAddWidget(row, UIAddSpacerWidget(ui, 11));
::y <- SizerAddWidget(row, UIAddSpacerWidget(ui, 12));
WidgetSetFormattingSize(y, 3, 1);
WindowForceLayout(w);
local r = WidgetGetRect(y);
print(r.sx + "," + r.ex);
UIDeleteWidget(ui, x);
WindowForceLayout(w);
r = WidgetGetRect(y);
print(" " + r.sx + "," + r.ex + " " + ObjectIsValid(x));
)"),
              "102,402 2,402 false");
}

// The widget below the cursor and the pressed one are held weakly by the scene's input records:
// deleting them from a handler leaves the next frames sound.
TEST_F(UIWidgetApi, DeletingThePressedWidgetLeavesTheInputSound)
{
    nWindow* window = AddWindow(100, 100, 400, 200);
    window->SetBaseWidget(canvas.Get());
    canvas->SetHorizontalAlign(WidgetAlignStretch);
    canvas->SetVerticalAlign(WidgetAlignStretch);
    EXPECT_EQ(EvaluateWithGlobals("function Gone(e, t) { UIDeleteWidget(ui, t.widget); print(\"gone\"); }"
                                  "WidgetSetEventHandler(canvas, EventLeftMouseDown, Gone)"),
              "");
    canvas = nullptr;
    ASSERT_NO_FATAL_FAILURE(Frame(300, 200));
    ASSERT_NE(scene->GetInput().widget.Get(), nullptr);
    log.lines.clear();
    Frame(300, 200, true);
    EXPECT_EQ(Printed(), std::vector<std::string>{"gone"});
    EXPECT_EQ(window->GetBaseWidget(), nullptr);
    Frame(301, 200, true);
    Frame(302, 200);
    EXPECT_EQ(scene->GetInput().widget.Get(), nullptr);
}
} // namespace
