#include "ui/Scene2DFixture.h"

#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

// Handlers print their event and the item or widget the table names; WithKeys prints every key
// and value in order, WhoIsThis what "this" is.
const char* const Handlers = R"(
function Show(v)
{
    local type = typeof v;
    return type == "integer" || type == "float" || type == "bool" ? v.tostring() : Describe(v);
}
function OnEvent(e, t) { print("event " + e + " " + Show(t.window)); }
function WithKeys(e, t)
{
    local text = "event " + e;
    foreach (k, v in t)
        text += " " + k + "=" + Show(v);
    print(text);
}
function WhoIsThis(e, t) { print("this " + (this == getroottable() ? "root" : this.name)); }
)";

class Scene2DInput : public Scene2DFixture
{
protected:
    Scene2DInput() { RunScript(Handlers); }

    void Listen(nEventTable& table, std::initializer_list<int32_t> events, const char* function = "OnEvent")
    {
        for (int32_t event : events)
            table.SetEventHandler(event, Function(function), nullptr);
    }
    // A decorated window with a base widget covering it, so that a widget is below the cursor.
    nWindow* WindowWithWidget(const char* name, float x, float y)
    {
        nWindow* window = AddWindow(name, x, y, 200, 100);
        nWidget* base = new FlatWidget(scene, 1);
        base->SetRect(nRect{0, 0, 200, 100});
        window->SetBaseWidget(base);
        return window;
    }
};

} // namespace

TEST_F(Scene2DInput, TheCursorKeepsTheInternalAspectInAWideWindow)
{
    PlaceMouse(32768, 32768);
    scene->Render(true);
    EXPECT_EQ(scene->GetInput().x, 640);
    EXPECT_EQ(scene->GetInput().y, 480);
    PlaceMouse(16384, 32768);
    scene->Render(true);
    EXPECT_EQ(scene->GetInput().x, 213);
    // The middle of a 1280-pixel window is 32767 of 65535 on the axis, just left of 640.
    source.pointer = {640, 360, 1280, 720, false, false, false};
    mouse.Update();
    scene->Render(true);
    EXPECT_EQ(scene->GetInput().x, 639);

    ASSERT_EQ(renderer.projections.size(), 6u);
    EXPECT_FLOAT_EQ(renderer.projections[0].m[0], 0.75f);
    EXPECT_FLOAT_EQ(renderer.projections[0].m[5], 1.0f);
    EXPECT_FLOAT_EQ(renderer.projections[1].m[0], 1.0f);
}

TEST_F(Scene2DInput, OfTwoWindowsUnderTheCursorTheSmallerZOrderThenTheLaterWins)
{
    nWindow* first = AddWindow("first", 100, 100, 200, 200);
    nWindow* second = AddWindow("second", 150, 150, 200, 200);
    Frame(200, 200);
    EXPECT_EQ(scene->GetWindowBelowCursor(), second);
    first->SetZOrder(0.25f);
    Frame(201, 200);
    EXPECT_EQ(scene->GetWindowBelowCursor(), first);
    first->SetZOrder(nScene2D::CursorZOrderLimit);
    Frame(202, 200);
    EXPECT_EQ(scene->GetWindowBelowCursor(), second);
    // Edges do not count, and neither do insensitive, transparent or hidden items.
    Frame(150, 200);
    EXPECT_EQ(scene->GetWindowBelowCursor(), nullptr);
    for (int step = 0; step < 3; ++step)
    {
        second->SetStyle(step == 0 ? uint32_t(StyleNonSensitive) : 0u);
        second->SetOpacity(step == 1 ? 0.0f : 1.0f);
        second->SetFlags(SpriteFlagVisible, step != 2);
        Frame(200 + step, 201);
        EXPECT_EQ(scene->GetWindowBelowCursor(), nullptr) << step;
    }
}

TEST_F(Scene2DInput, AChildOfAHiddenParentIsNeverBelowTheCursor)
{
    nWindow* parent = AddWindow("parent", 0, 0, 100, 100);
    nSprite2D* child = AddSprite("child", 500, 500, 50, 50);
    child->SetParent(parent);
    Frame(520, 520);
    EXPECT_EQ(scene->GetWindowBelowCursor(), child);
    parent->SetFlags(SpriteFlagVisible, false);
    Frame(521, 520);
    EXPECT_EQ(scene->GetWindowBelowCursor(), nullptr);
    EXPECT_FALSE(child->IsShown());
}

TEST_F(Scene2DInput, AReleaseOverTheWindowOfThePressClicksElsewhereItIsUp)
{
    nWindow* left = AddWindow("left", 100, 100, 100, 100);
    nWindow* right = AddWindow("right", 300, 100, 100, 100);
    Listen(*left, {1, 2, 3, 7, 8, 9});
    Listen(*right, {1, 2, 3, 7, 8, 9});
    Frame(150, 150, true, false, true);
    Frame(151, 150);
    Frame(150, 150, true, true);
    Frame(350, 150);
    EXPECT_EQ(ScriptLines(), (Lines{"event 1 13:left", "event 3 13:left", "event 7 13:right", "event 8 13:right"}));
}

TEST_F(Scene2DInput, ALeftPressOnAMovableWindowDragsItUntilTheRelease)
{
    nWindow* window = AddWindow("w", 100, 100, 100, 100);
    window->AddStyle(StyleMovable);
    Listen(*window, {13});
    Frame(150, 150, true);
    EXPECT_EQ(scene->GetDraggedWindow(), window);
    Frame(160, 155, true);
    Frame(170, 150, true);
    Frame(171, 150);
    Frame(180, 150);
    EXPECT_EQ(scene->GetDraggedWindow(), nullptr);
    EXPECT_FLOAT_EQ(window->GetX(), 121.0f);
    EXPECT_FLOAT_EQ(window->GetY(), 100.0f);
    EXPECT_EQ(ScriptLines(), (Lines{"event 13 13:w", "event 13 13:w", "event 13 13:w"}));
}

// The title band of an 8-pixel skin stays below the cursor while the window is shaded.
TEST_F(Scene2DInput, ARightPressOnADecoratedWindowShadesAndUnshadesIt)
{
    std::string names[Scene2DSkinPartCount];
    const char* paths[Scene2DSkinPartCount];
    for (uint32_t part = 0; part < Scene2DSkinPartCount; ++part)
    {
        names[part] = "skin" + std::to_string(part) + ".tga";
        paths[part] = names[part].c_str();
        WritePicture(names[part], 8, 8, [](uint32_t, uint32_t) { return 0xFF808080u; });
    }
    ASSERT_TRUE(scene->SetSkin(paths, 0xFF000000u, 0xFFFFFFFFu, 0, 8, 16, "Default"));
    nWindow* window = WindowWithWidget("w", 100, 100);
    Listen(*window, {14, 15});
    Frame(150, 103, false, true);
    EXPECT_TRUE(window->IsShaded());
    Frame(150, 103);
    Frame(150, 103, false, true);
    EXPECT_FALSE(window->IsShaded());
    Frame(150, 103);
    for (uint32_t style : {StyleNoTitleBar, StyleNoDecoration})
    {
        window->SetStyle(style);
        Frame(150, 103, false, true);
        Frame(150, 103);
        EXPECT_FALSE(window->IsShaded());
    }
    EXPECT_EQ(ScriptLines(), (Lines{"event 14 13:w", "event 15 13:w"}));
}

TEST_F(Scene2DInput, ShadingNeedsAWidgetBelowTheCursorAndNoClickHandler)
{
    nWindow* plain = AddWindow("plain", 100, 100, 200, 100);
    Listen(*plain, {2, 14, 15});
    Frame(150, 150, false, true);
    Frame(150, 150);
    EXPECT_FALSE(plain->IsShaded());

    nWindow* handled = WindowWithWidget("handled", 100, 400);
    Listen(*handled, {2, 14});
    Frame(150, 450, false, true);
    Frame(150, 450);
    EXPECT_FALSE(handled->IsShaded());

    nSprite2D* sprite = AddSprite("sprite", 100, 700, 100, 100);
    Listen(*sprite, {14});
    Frame(150, 750, false, true);
    Frame(150, 750);
    EXPECT_EQ(ScriptLines(), (Lines{"event 2 13:plain", "event 2 13:handled"}));
}

TEST_F(Scene2DInput, LockedItemsHearNothingButTheLockingWindowAndItsChildren)
{
    nWindow* dialog = AddWindow("dialog", 100, 100, 100, 100);
    nSprite2D* button = AddSprite("button", 200, 0, 50, 50);
    button->SetParent(dialog);
    nWindow* other = AddWindow("other", 500, 100, 100, 100);
    other->AddStyle(StyleMovable);
    for (nSprite2D* item : {static_cast<nSprite2D*>(dialog), button, static_cast<nSprite2D*>(other)})
        Listen(*item, {1, 10, 11});
    scene->LockToWindow(dialog);
    EXPECT_FALSE(dialog->HasStyle(StyleLocked));
    EXPECT_FALSE(button->HasStyle(StyleLocked));
    EXPECT_TRUE(other->HasStyle(StyleLocked));
    Frame(550, 150, true);
    Frame(550, 150);
    EXPECT_EQ(scene->GetDraggedWindow(), nullptr);
    Frame(150, 150);
    Frame(320, 120, true);
    Frame(320, 120);
    EXPECT_EQ(ScriptLines(),
              (Lines{"event 10 13:dialog", "event 10 13:button", "event 11 13:dialog", "event 1 13:button"}));

    log.text.clear();
    scene->LockToWindow(nullptr);
    EXPECT_EQ(log.text, "[*] Cannot lock UI to NULL window.\n");
    EXPECT_TRUE(other->HasStyle(StyleLocked));
    scene->Unlock();
    EXPECT_FALSE(other->HasStyle(StyleLocked));
}

TEST_F(Scene2DInput, HandlersGetTheEventAndATableOfExactlyTheDescribedKeys)
{
    nWindow* window = WindowWithWidget("w", 100, 100);
    nSprite2D* sprite = AddSprite("s", 400, 100, 100, 100);
    Listen(*sprite, {1}, "WithKeys");
    Listen(*window->GetBaseWidget(), {4}, "WithKeys");
    Frame(450, 150, true);
    Frame(450, 150);
    Frame(150, 150, true);
    Frame(150, 150);
    EXPECT_EQ(
        ScriptLines(),
        (Lines{
            "event 1 window=13:s cursor_id=0 x=400 y=100",
            "event 4 window=13:w widget=14:1 id=1 cursor_id=0 x=150 y=150 left_down=true middle_down=false "
            "right_down=false"}));

    log.text.clear();
    RunScript("context <- { name = \"context\" };");
    sprite->SetEventHandler(1, Function("WhoIsThis"), vm.GetObject("context", nullptr));
    window->SetEventHandler(7, Function("WhoIsThis"), nullptr);
    Frame(450, 150, true);
    Frame(150, 150);
    Frame(450, 150, true);
    Frame(450, 150);
    EXPECT_EQ(ScriptLines(), (Lines{"this root", "this context"}));
}

TEST_F(Scene2DInput, WidgetEventsClimbToTheFirstWidgetWithAHandlerElseTheWindow)
{
    nWindow* window = WindowWithWidget("w", 100, 100);
    auto* inner = new FlatWidget(scene, 2);
    inner->SetRect(nRect{10, 10, 60, 60});
    ASSERT_TRUE(window->GetBaseWidget()->AddChild(inner));
    Listen(*window->GetBaseWidget(), {1});
    Listen(*window, {3, 10, 11, 12});
    Listen(*inner, {10, 11}, "WithKeys");
    Frame(120, 120, true);
    Frame(121, 120);
    Frame(180, 180, false, false, true);
    Frame(180, 180);
    Frame(400, 400);
    EXPECT_EQ(ScriptLines(),
              (Lines{"event 12 13:w",
                     "event 10 window=13:w widget=14:2 id=2 cursor_id=0 x=120 y=120 left_down=true "
                     "middle_down=false right_down=false",
                     "event 10 13:w", "event 1 13:w", "event 12 13:w", "event 12 13:w",
                     "event 11 window=13:w widget=14:1 id=2 cursor_id=0 x=180 y=180 left_down=false "
                     "middle_down=true right_down=false",
                     "event 3 13:w", "event 11 13:w"}));
}

TEST_F(Scene2DInput, ALayerOffsetMovesWhatIsDrawnAndWhatIsHit)
{
    nWindow* window = AddWindow("w", 100, 100, 100, 100);
    scene->SetLayerOffset(200.0f, 0.0f);
    Frame(150, 150);
    EXPECT_EQ(scene->GetWindowBelowCursor(), nullptr);
    Frame(350, 150);
    EXPECT_EQ(scene->GetWindowBelowCursor(), window);
    ASSERT_FALSE(renderer.triangleBatches.empty());
    ASSERT_GE(renderer.triangleBatches.size(), 2u);
    EXPECT_FLOAT_EQ(renderer.triangleBatches[renderer.triangleBatches.size() - 2].vertices[0].x,
                    2.0f * 300.0f / 1280.0f - 1.0f);
}
