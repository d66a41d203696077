#include "ui/Scene2DFixture.h"

#include "script/binding/nNativeArgs.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nObjectType.h"

#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

nScene2D* g_scene = nullptr;

// DeleteItem(handle): what UIDeleteWindow will do, for handlers that delete what they stand on.
SQInteger DeleteItem(HSQUIRRELVM vm)
{
    void* item = nullptr;
    if (!GetObjectArg(vm, 2, ObjectTypeWindow, item))
        return SQ_ERROR;
    g_scene->DeleteItem(static_cast<nItem2D*>(item));
    return 0;
}

class Scene2DLifetime : public Scene2DFixture
{
protected:
    Scene2DLifetime()
    {
        g_scene = scene;
        RegisterNative(vm.GetHandle(), DeleteItem, "DeleteItem", ".x");
        RunScript(R"(
function Vanish(e, t) { print("vanish " + e); DeleteItem(t.window); }
function Note(e, t) { print("event " + e); }
)");
    }
    ~Scene2DLifetime() override { g_scene = nullptr; }
};
} // namespace

TEST_F(Scene2DLifetime, DeletingAnItemDropsEveryReferenceTheSceneHoldsToIt)
{
    nWindow* window = AddWindow("w", 100, 100, 200, 100);
    window->AddStyle(StyleMovable);
    nWidget* base = new FlatWidget(scene, 1);
    base->SetRect(nRect{0, 0, 200, 100});
    nSharedPtr<nWidget> kept(base); // a script handle would keep the widget alive like this
    window->SetBaseWidget(base);
    Frame(150, 150, true);
    Frame(151, 150, true);
    EXPECT_EQ(scene->GetDraggedWindow(), window);
    EXPECT_EQ(scene->GetInput().widget.Get(), base);
    EXPECT_EQ(scene->GetInput().pressed[0].Get(), base);
    scene->DeleteItem(window);
    for (const nScene2DInput* input : {&scene->GetInput(), &scene->GetPreviousInput()})
    {
        EXPECT_EQ(input->window, nullptr);
        EXPECT_EQ(input->widget.Get(), nullptr);
        EXPECT_EQ(input->pressed[0].Get(), nullptr);
    }
    EXPECT_EQ(scene->GetDraggedWindow(), nullptr);
    Frame(152, 150);
    EXPECT_EQ(base->GetWindow(), nullptr);

    log.text.clear();
    nSprite2D stranger(scene, nullptr, nullptr, "stranger");
    scene->DeleteItem(&stranger);
    EXPECT_EQ(log.text, "[*] 2D item 'stranger' is not in this scene and is not deleted.\n");
}

TEST_F(Scene2DLifetime, AHandlerMayDeleteTheItemItsEventIsAbout)
{
    nWindow* window = AddWindow("w", 100, 100, 200, 100);
    nWidget* base = new FlatWidget(scene, 1);
    base->SetRect(nRect{0, 0, 200, 100});
    window->SetBaseWidget(base);
    base->SetEventHandler(EventLeftMouseDown, Function("Vanish"), nullptr);
    window->SetEventHandler(EventMouseEnter, Function("Note"), nullptr);
    Frame(150, 150);
    Frame(150, 150, true);
    EXPECT_EQ(scene->GetItemCount(), 0u);
    Frame(150, 150);
    Frame(400, 400);

    nSprite2D* sprite = AddSprite("s", 100, 100, 100, 100);
    sprite->SetEventHandler(EventLeftMouseClick, Function("Vanish"), nullptr);
    sprite->SetEventHandler(EventRightMouseClick, Function("Note"), nullptr);
    Frame(150, 150, true, true);
    Frame(150, 150);
    EXPECT_EQ(scene->GetItemCount(), 0u);
    EXPECT_EQ(ScriptLines(), (Lines{"event 10", "vanish 4", "vanish 1"}));
}

TEST_F(Scene2DLifetime, ClearSendsOnDeleteAndForgetsItemsCursorAndFade)
{
    WritePicture("cursor.tga", 8, 8, [](uint32_t, uint32_t) { return 0xFFFFFFFFu; });
    scene->SetCursor("cursor.tga");
    nWindow* window = AddWindow("w", 100, 100, 200, 100);
    window->AddStyle(StyleMovable);
    scene->SetFade(0.5f);
    scene->SetFadeColor(10, 20, 30);
    Frame(150, 150, true);
    scene->Clear();
    EXPECT_EQ(scene->GetItemCount(), 0u);
    EXPECT_EQ(scene->GetCursor(), nullptr);
    EXPECT_EQ(scene->GetDraggedWindow(), nullptr);
    EXPECT_EQ(scene->GetWindowBelowCursor(), nullptr);
    EXPECT_EQ(scene->GetFade(), 0.0f);
    EXPECT_EQ(scene->GetFadeColor().r, 0.0f);
    EXPECT_FALSE(scene->IsSkinComplete());
    Frame(151, 150);
}

TEST_F(Scene2DLifetime, AWidgetThatGoesAwayLeavesNoPressedWidgetBehind)
{
    nWindow* window = AddWindow("w", 100, 100, 200, 100);
    nWidget* base = new FlatWidget(scene, 1);
    base->SetRect(nRect{0, 0, 200, 100});
    auto* inner = new FlatWidget(scene, 2);
    inner->SetRect(nRect{0, 0, 100, 100});
    base->AddChild(inner);
    window->SetBaseWidget(base);
    Frame(150, 150, true);
    EXPECT_EQ(scene->GetInput().pressed[0].Get(), inner);
    base->RemoveChild(inner);
    EXPECT_EQ(scene->GetInput().pressed[0].Get(), nullptr);
    Frame(150, 150);
}

// The cursor fades out once after resting longer than the delay, and any move brings it back.
TEST_F(Scene2DLifetime, TheCursorHidesAfterItsDelayAndShowsOnAMove)
{
    WritePicture("cursor.tga", 8, 8, [](uint32_t, uint32_t) { return 0xFFFFFFFFu; });
    scene->SetCursor("cursor.tga");
    nWindow* cursor = scene->GetCursor();
    scene->SetCursorAutoHideDelay(1.0f);
    engine.clock = 0.0f;
    Frame(100, 100);
    engine.clock = 0.9f;
    Frame(100, 100);
    EXPECT_TRUE(cursor->IsCommandListDone());
    engine.clock = 1.5f;
    Frame(100, 100);
    EXPECT_FALSE(cursor->IsCommandListDone());
    for (int frame = 0; frame < 10; ++frame)
        Frame(100, 100);
    EXPECT_FALSE(cursor->HasFlag(SpriteFlagVisible));
    EXPECT_NEAR(cursor->GetOpacity(), 0.0f, 1e-5f);
    Frame(101, 100);
    EXPECT_TRUE(cursor->HasFlag(SpriteFlagVisible));
    EXPECT_FLOAT_EQ(cursor->GetOpacity(), 1.0f);
    EXPECT_TRUE(cursor->IsCommandListDone());

    scene->SetCursorAutoHideDelay(0.0f);
    engine.clock = 10.0f;
    Frame(101, 100);
    EXPECT_TRUE(cursor->HasFlag(SpriteFlagVisible));
}
