#include "ScriptApiFixture.h"

#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "ui/nScene2D.h"
#include "ui/nSizerWidget.h"
#include "ui/nWindow.h"

#include <memory>
#include <string>
#include <vector>

namespace
{
// A 2D scene without engine as "g_ui", and one item of a second scene as "g_other".
class UIWindowApiTest : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        ui = std::make_unique<nScene2D>(nullptr, &machine, "ui");
        other = std::make_unique<nScene2D>(nullptr, &machine, "other");
        otherWindow = static_cast<nWindow*>(other->AddItem(new nWindow(other.get(), nullptr, "elsewhere", "Window")));
        ui->SetMouse(nullptr);
        other->SetMouse(nullptr);
    }

    void TearDown() override
    {
        other.reset();
        ui.reset();
        ScriptApiFixture::TearDown();
    }

    // Evaluate with the scenes bound again after an error reopened the machine.
    std::string Eval(const std::string& text)
    {
        if (machine.GetState() != ScriptVMRunning)
            Reopen();
        machine.SetSlot("g_ui", nScriptValue(ObjectTypeWindowSystem, ui.get()), nullptr);
        machine.SetSlot("g_other", nScriptValue(ObjectTypeWindow, static_cast<nItem2D*>(otherWindow)), nullptr);
        machine.SetSlot("g_otherui", nScriptValue(ObjectTypeWindowSystem, other.get()), nullptr);
        return Evaluate(text);
    }

    // The names of the scene's items in list order.
    std::string Order() const
    {
        std::string names;
        for (auto* node = ui->GetItems().GetHead(); node; node = node->next)
            names += node->value->GetName().GetText();
        return names;
    }

    nItem2D* FindItem(const char* name) const
    {
        for (auto* node = ui->GetItems().GetHead(); node; node = node->next)
            if (node->value->GetName() == name)
                return node->value;
        return nullptr;
    }

    nWindow* FindWindow(const char* name) const
    {
        nItem2D* item = FindItem(name);
        return item && item->GetType() == Item2DWindow ? static_cast<nWindow*>(item) : nullptr;
    }

    std::unique_ptr<nScene2D> ui;
    std::unique_ptr<nScene2D> other;
    nWindow* otherWindow = nullptr;
};

const char* const ThreeWindows = "a <- UIAddWindow(g_ui, 1, 0, 0, 8, 8); b <- UIAddWindow(g_ui, 2, 0, 0, 8, 8);"
                                 "c <- UIAddWindow(g_ui, 3, 0, 0, 8, 8);";

TEST_F(UIWindowApiTest, AnInternalResolutionThatIsNotPositiveIsRefusedAndTheOldOneKept)
{
    EXPECT_EQ(Eval("UISetInternalResolution(g_ui, 0, 480); UISetInternalResolution(g_ui, 640, -2);"
                   "print(V(UIGetInternalResolution(g_ui)));"
                   "UISetInternalResolution(g_ui, 640, 480); print(V(UIGetInternalResolution(g_ui)))"),
              "(1280,960,0,1)(640,480,0,1)");
}

TEST_F(UIWindowApiTest, CanvasSidesOutsideOneTo8192GiveANullHandle)
{
    const std::pair<const char*, const char*> cases[] = {
        {"0, 16", "false"}, {"16, -1", "false"}, {"8193, 1", "false"}, {"1e30, 1", "false"},
        {"0.0 / 0.0, 1", "false"}, {"1, 8192", "true"}, {"3, 2", "true"},
    };
    for (const auto& [size, valid] : cases)
        EXPECT_EQ(Eval(std::string("print(ObjectIsValid(UIAddCanvasWidget(g_ui, 1, ") + size + ")))"), valid) << size;
}

TEST_F(UIWindowApiTest, MovingBesideAnotherItemNeedsAnotherItemOfTheSameScene)
{
    ASSERT_EQ(Eval(ThreeWindows), "");
    const std::pair<const char*, const char*> cases[] = {
        {"WindowMoveToFrontOf(c, a)", "312"}, {"WindowMoveToBackOf(c, b)", "123"},
        {"WindowMoveToBackOf(a, c)", "231"},  {"WindowMoveToFrontOf(a, a)", "231"},
        {"WindowMoveToBackOf(b, b)", "231"},  {"WindowMoveToFrontOf(c, g_other)", "231"},
        {"WindowMoveToFront(a)", "123"},
    };
    for (const auto& [call, order] : cases)
    {
        EXPECT_EQ(Eval(call), "") << call;
        EXPECT_EQ(Order(), order) << call;
    }
    EXPECT_EQ(Eval("WindowMoveToBackOf(a, NullWindow)"), "error: CObject is null");
    EXPECT_EQ(Eval("WindowMoveToFrontOf(NullWindow, NullWindow)"), "error: CObject is null");
    EXPECT_EQ(Order(), "123");
}

TEST_F(UIWindowApiTest, ParentsNeverFormACycle)
{
    EXPECT_EQ(Eval(std::string(ThreeWindows) +
                   "WindowSetParent(b, a); WindowSetParent(c, b); WindowSetParent(a, c); WindowSetParent(a, a);"
                   "print(ObjectIsValid(WindowGetParent(a)) + \" \" + WindowCompare(WindowGetParent(c), b));"
                   "WindowSetParent(c, NullWindow); print(\" \" + ObjectIsValid(WindowGetParent(c)))"),
              "false true false");
}

TEST_F(UIWindowApiTest, ADeletedBaseWidgetLeavesEveryWindowThatHeldIt)
{
    ASSERT_EQ(Eval(std::string(ThreeWindows) + "x <- UIAddSpacerWidget(g_ui, 9); WindowSetBaseWidget(a, x);"
                                                "s <- UIAddHorizontalSizerWidget(g_ui, 4); WindowSetBaseWidget(b, s);"),
              "");
    nWindow* a = FindWindow("1");
    nWindow* b = FindWindow("2");
    ASSERT_TRUE(a && b && a->GetBaseWidget() && b->GetBaseWidget());
    // The spacer joins the sizer of the other window while the first still holds it as its base.
    ASSERT_TRUE(static_cast<nSizerWidget*>(b->GetBaseWidget())->AddWidget(a->GetBaseWidget()));
    EXPECT_EQ(Eval("UIDeleteWidget(g_ui, x); print(ObjectIsValid(x))"), "false");
    EXPECT_EQ(a->GetBaseWidget(), nullptr);
    EXPECT_TRUE(b->GetBaseWidget()->GetChildren().IsEmpty());
    EXPECT_EQ(Eval("WindowForceLayout(a); WindowForceLayout(b); WindowSetBaseWidget(c, x)"),
              "error: Object is not a widget");
}

TEST_F(UIWindowApiTest, ABaseWidgetMovesToTheWindowThatTakesItWithinItsScene)
{
    ASSERT_EQ(Eval(std::string(ThreeWindows) + "x <- UIAddSpacerWidget(g_ui, 9); WindowSetBaseWidget(a, x);"
                                                "WindowSetBaseWidget(b, x); print(ObjectIsValid(WindowGetChild(a, 9)) +"
                                                "\" \" + ObjectIsValid(WindowGetChild(b, 9)))"),
              "false true");
    EXPECT_EQ(FindWindow("1")->GetBaseWidget(), nullptr);
    EXPECT_EQ(Eval("WindowSetBaseWidget(g_other, x)"), "");
    EXPECT_EQ(otherWindow->GetBaseWidget(), nullptr);
    EXPECT_EQ(Eval("UIDeleteWindow(g_ui, b); print(ObjectIsValid(x))"), "true");
    EXPECT_EQ(Eval("UIDeleteWidget(g_ui, x); print(ObjectIsValid(x))"), "false");
}

// A script may keep widgets of a 2D scene that is gone (a project's machine outlives its scenes):
// releasing or deleting them later touches nothing of the scene.
TEST_F(UIWindowApiTest, WidgetsAScriptKeepsOutliveTheirScene)
{
    ASSERT_EQ(Eval("x <- UIAddSpacerWidget(g_ui, 1); y <- UIAddCheckWidget(g_ui, 2, \"l\", \"f\", true);"), "");
    ui.reset();
    EXPECT_EQ(Eval("UIDeleteWidget(g_otherui, y); x = null; print(ObjectIsValid(y))"), "false");
}

TEST_F(UIWindowApiTest, NativesWithoutTheNullCheckAnswerNothingForANullHandle)
{
    const std::pair<const char*, const char*> cases[] = {
        {"print(WindowIsCommandListDone(NullWindow))", "true"},
        {"print(ObjectIsValid(WindowGetChild(NullWindow, 1)))", "false"},
        {"print(WindowGetOpacity(NullWindow) == null)", "true"},
        {"print(ObjectIsValid(UIAddCheckWidget(WindowGetParent(a), 1, \"l\", \"f\", true)))",
         "error: Expected 'Window System' got 'Window'"},
        {"print(WindowCompare(NullWindow, NullWindow) + \" \" + WindowCompare(a, NullWindow))", "true false"},
        {"print(WindowGetTitle(UIAddSprite(g_ui, 7, WindowGetCacheTexture(a), 0, 0, 4, 4)))",
         "error: Sprite is not a window"},
        {"print(ObjectIsValid(WindowGetChild(UIAddSprite(g_ui, 7, WindowGetCacheTexture(a), 0, 0, 4, 4), 1)))",
         "false"},
        {"WindowShow(NullWindow, true); WindowSetEventHandler(NullWindow, 1, print); print(\"ignored\")", "ignored"},
        {"print(WindowIsShown(NullWindow))", "error: CObject is null"},
    };
    for (const auto& [script, expected] : cases)
        EXPECT_EQ(Eval(std::string(ThreeWindows) + script), expected) << script;
}

TEST_F(UIWindowApiTest, ItemsAreNamedAfterTheirIdAndKeepTheirValues)
{
    EXPECT_EQ(Eval(std::string(ThreeWindows) +
                   "local s = UIAddSprite(g_ui, 7, WindowGetCacheTexture(a), 1, 2, 30, 40);"
                   "WindowSetBackgroundColor(a, -2130771904); UISetGlobalFadeEffect(g_ui, 2.5);"
                   "WindowSetPivot(s, 5, 10); WindowCentre(s); print(V(WindowGetPosition(s)))"),
              "(630,470,0,1)");
    ASSERT_NE(FindItem("7"), nullptr);
    const float* colour = FindWindow("1")->GetBackgroundColor();
    EXPECT_FLOAT_EQ(colour[0], 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(colour[1], 0.0f);
    EXPECT_FLOAT_EQ(colour[2], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 128.0f / 255.0f);
    EXPECT_EQ(ui->GetFade(), 1.0f);
}
} // namespace
