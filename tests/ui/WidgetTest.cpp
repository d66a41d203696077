#include "geometry/nTexture.h"
#include "ui/CoreFonts.h"
#include "ui/Scene2DFixture.h"
#include "ui/nCheckWidget.h"
#include "ui/nContainerWidget.h"
#include "ui/nDrawableWidget.h"
#include "ui/nSizerWidget.h"
#include "ui/nSpacerWidget.h"
#include "ui/nTextWidget.h"

#include <string>

namespace
{

class Widgets : public Scene2DFixture
{
protected:
    // A widget the test holds (one reference) until the end of the test.
    template <typename T, typename... Arguments> T* Make(Arguments... arguments)
    {
        T* widget = new T(scene, arguments...);
        held.emplace_back(widget);
        return widget;
    }
    FlatWidget* Flat(int32_t id, float weight)
    {
        FlatWidget* widget = Make<FlatWidget>(id);
        widget->SetFormattingSize(weight, weight);
        return widget;
    }
    static bool SameRect(const nRect& rect, nRect expected)
    {
        return rect.x0 == expected.x0 && rect.y0 == expected.y0 && rect.x1 == expected.x1 &&
               rect.y1 == expected.y1;
    }
    static uint32_t Pixel(const nPicture& picture, uint32_t x, uint32_t y)
    {
        return *reinterpret_cast<const uint32_t*>(picture.GetPixelAddress(x, y));
    }

    nPicture target{512, 512, PixelFormatBGRA8};
    std::vector<nSharedPtr<nWidget>> held;
};

#define EXPECT_RECT(rect, ...)                                                                               \
    EXPECT_TRUE(SameRect(rect, nRect{__VA_ARGS__}))                                                          \
        << (rect).x0 << "," << (rect).y0 << "," << (rect).x1 << "," << (rect).y1

TEST_F(Widgets, SizersSliceTheirCellByWeightsAndSkipHiddenChildren)
{
    nHSizerWidget* row = Make<nHSizerWidget>(1);
    FlatWidget* one = Flat(2, 1.0f);
    FlatWidget* hidden = Flat(3, 5.0f);
    FlatWidget* three = Flat(4, 3.0f);
    for (nWidget* child :
         {static_cast<nWidget*>(one), static_cast<nWidget*>(hidden), static_cast<nWidget*>(three)})
        ASSERT_TRUE(row->AddWidget(child));
    EXPECT_FALSE(row->AddWidget(one)); // no duplicates
    hidden->SetHidden(true);
    row->Draw(target, 0, 10, 404, 60); // 2-pixel margins: 400 pixels inside
    EXPECT_RECT(row->GetRect(), 2, 12, 402, 58);
    EXPECT_RECT(one->GetRect(), 2, 12, 102, 58);
    EXPECT_RECT(three->GetRect(), 102, 12, 402, 58);
    EXPECT_EQ(hidden->draws, 0);
    EXPECT_FALSE(hidden->IsDirty());

    // A column does the same downwards; its own formatting size multiplies its children's.
    nVSizerWidget* column = Make<nVSizerWidget>(5);
    FlatWidget* top = Flat(6, 1.0f);
    FlatWidget* bottom = Flat(7, 1.0f);
    column->AddWidget(top);
    column->AddWidget(bottom);
    column->SetFormattingSize(2.0f, 3.0f);
    float x = 0.0f, y = 0.0f;
    column->GetFormattingSize(x, y);
    EXPECT_EQ(x, 2.0f);
    EXPECT_EQ(y, 6.0f);
    column->Draw(target, 0, 0, 104, 204);
    EXPECT_RECT(top->GetRect(), 2, 2, 102, 102);
    EXPECT_RECT(bottom->GetRect(), 2, 102, 102, 202);

    // Weights that add up to nothing give empty slices.
    one->SetFormattingSize(0.0f, 0.0f);
    three->SetFormattingSize(0.0f, 0.0f);
    row->Invalidate();
    row->Draw(target, 0, 0, 404, 50);
    EXPECT_EQ(one->GetRect().Width(), 0);
    EXPECT_EQ(three->GetRect().Width(), 0);
}

TEST_F(Widgets, AlignmentsPlaceADrawableInItsCell)
{
    WritePicture("ten.tga", 10, 10, [](uint32_t, uint32_t) { return 0xFF0000FFu; });
    nBitmapWidget* bitmap = Make<nBitmapWidget>(1);
    ASSERT_TRUE(bitmap->SetPicture("ten.tga"));
    const struct
    {
        int32_t horizontal, vertical;
        nRect expected;
    } cases[] = {
        {WidgetAlignMiddle, WidgetAlignMiddle, {45, 20, 55, 30}},
        {WidgetAlignRight, WidgetAlignBottom, {90, 40, 100, 50}},
        {WidgetAlignStretch, WidgetAlignStretch, {0, 0, 100, 50}},
        {WidgetAlignLeft, WidgetAlignTop, {0, 0, 10, 10}},
        {WidgetAlignDefault, WidgetAlignRight, {0, 0, 10, 10}}, // 4 means nothing vertically
    };
    for (const auto& entry : cases)
    {
        bitmap->SetHorizontalAlign(entry.horizontal);
        bitmap->SetVerticalAlign(entry.vertical);
        bitmap->Invalidate();
        target.Fill(0.0f, 0.0f, 0.0f, 0.0f);
        bitmap->Draw(target, 0, 0, 100, 50);
        EXPECT_RECT(bitmap->GetRect(), entry.expected.x0, entry.expected.y0, entry.expected.x1,
                    entry.expected.y1);
        // Stretching places the picture at the cell's origin and draws it at its own size.
        EXPECT_EQ(Pixel(target, uint32_t(entry.expected.x0), uint32_t(entry.expected.y0)), 0xFF0000FFu);
        EXPECT_EQ(Pixel(target, uint32_t(entry.expected.x0 + 10), uint32_t(entry.expected.y0)) >> 24, 0u);
    }
    EXPECT_FALSE(bitmap->SetPicture("missing.tga"));
    EXPECT_EQ(bitmap->GetPicture(), nullptr);

    // A canvas clipped by the target picture draws only what is inside it.
    nCanvasWidget* canvas = Make<nCanvasWidget>(2, 30, 30);
    canvas->Lock()->Fill(0.0f, 1.0f, 0.0f, 1.0f);
    canvas->Unlock();
    canvas->SetHorizontalAlign(WidgetAlignLeft);
    canvas->SetVerticalAlign(WidgetAlignTop);
    canvas->Draw(target, 500, 500, 600, 600);
    EXPECT_EQ(Pixel(target, 511, 511), 0xFF00FF00u);
    EXPECT_TRUE(Make<nCanvasWidget>(3, -4, 10)->Lock()->GetPixels() == nullptr);
}

TEST_F(Widgets, ContainersPlaceCellsFromTheirOrigin)
{
    nContainerWidget* container = Make<nContainerWidget>(1);
    FlatWidget* a = Flat(2, 1.0f);
    FlatWidget* b = Flat(3, 1.0f);
    ASSERT_NE(container->AddWidget(a, 0, 0, 20, 10), nullptr);
    ASSERT_NE(container->AddWidget(b, 30, 5, 40, 25), nullptr);
    EXPECT_EQ(container->AddWidget(nullptr, 0, 0, 1, 1), nullptr);
    EXPECT_NE(log.text.find("[!] Cannot create a cell for a NULL widget."), std::string::npos);
    EXPECT_EQ(container->FindChild(3), b);
    container->Draw(target, 100, 200, 300, 400);
    EXPECT_RECT(a->GetRect(), 100, 200, 120, 210);
    EXPECT_RECT(b->GetRect(), 130, 205, 140, 225);

    EXPECT_TRUE(container->SetWidgetPosition(b, 50, 60));
    EXPECT_RECT(container->FindCell(b)->rect, 50, 60, 60, 80);
    EXPECT_FALSE(container->SetWidgetPosition(container, 1, 1));
    container->Draw(target, 0, 0, 300, 400);
    EXPECT_RECT(b->GetRect(), 50, 60, 60, 80);

    // A widget added elsewhere leaves its cell.
    nHSizerWidget* row = Make<nHSizerWidget>(4);
    ASSERT_TRUE(row->AddWidget(b));
    EXPECT_EQ(container->FindCell(b), nullptr);
    EXPECT_EQ(container->GetCells().GetCount(), 1u);
    EXPECT_EQ(b->GetParent(), row);
}

TEST_F(Widgets, ATreeRefusesCyclesAndDeletedWidgetsLeaveTheirHolders)
{
    nHSizerWidget* outer = Make<nHSizerWidget>(1);
    nVSizerWidget* inner = Make<nVSizerWidget>(2);
    ASSERT_TRUE(outer->AddWidget(inner));
    EXPECT_FALSE(inner->AddWidget(outer));
    EXPECT_FALSE(inner->AddWidget(inner));
    EXPECT_NE(log.text.find("[*] A widget cannot hold itself or one of its ancestors."), std::string::npos);

    nWindow* window = AddWindow("w", 0, 0, 200, 100);
    window->SetBaseWidget(outer);
    auto* leaf = new FlatWidget(scene, 3);
    ASSERT_TRUE(inner->AddWidget(leaf));
    EXPECT_EQ(window->GetChild(3), leaf);
    EXPECT_TRUE(leaf->DeleteNow());
    EXPECT_EQ(inner->GetChildren().GetCount(), 0u);
    EXPECT_EQ(window->GetChild(3), nullptr);

    auto* base = new nHSizerWidget(scene, 4);
    window->SetBaseWidget(base);
    EXPECT_TRUE(base->DeleteNow());
    EXPECT_EQ(window->GetBaseWidget(), nullptr);

    nCheckWidget* check = Make<nCheckWidget>(5);
    EXPECT_FALSE(check->GetLabel()->DeleteNow());
    EXPECT_NE(log.text.find("[*] A widget that is part of another widget is deleted with it."),
              std::string::npos);
}

class TextWidgets : public Widgets
{
protected:
    CoreFonts fonts;
};

TEST_F(TextWidgets, CheckWidgetsSwapTheirPictureWithTheirState)
{
    nCheckWidget* check = Make<nCheckWidget>(1);
    check->SetState(true);
    ASSERT_NE(check->GetCheck()->GetPicture(), nullptr);
    EXPECT_EQ(check->GetCheck()->GetPicturePath(), "@core/engine/scene2d/ui_check_true.tga");
    const nPicture* on = check->GetCheck()->GetPicture();
    check->SetState(false);
    EXPECT_TRUE(check->IsDirty());
    EXPECT_EQ(check->GetCheck()->GetPicturePath(), "@core/engine/scene2d/ui_check_false.tga");
    EXPECT_NE(check->GetCheck()->GetPicture(), on);
    EXPECT_FALSE(check->GetState());

    // The content's own picture comes first.
    files.Write("engine/scene2d/readme.txt", "");
    WritePicture("engine/scene2d/ui_check_true.tga", 8, 8, [](uint32_t, uint32_t) { return 0xFFFFFFFFu; });
    check->SetState(true);
    EXPECT_EQ(check->GetCheck()->GetPicturePath(), "engine/scene2d/ui_check_true.tga");

    // The picture takes one and a half times its width, the label the rest.
    check->GetLabel()->SetText("Sound");
    check->Measure();
    check->Draw(target, 0, 0, 200, 40);
    EXPECT_RECT(check->GetCheck()->GetRect(), 4, 16, 12, 24); // centred in (2, 2) to (14, 38)
    EXPECT_GE(check->GetLabel()->GetRect().x0, 14);
}

TEST_F(TextWidgets, TextWidgetsMeasureDrawAndInvalidateOnChange)
{
    nTextWidget* text = Make<nTextWidget>(1);
    EXPECT_EQ(text->GetFont(), fonts.font);
    text->SetText("Hello");
    text->Measure();
    int32_t width = 0, height = 0;
    fonts.font->GetTextExtent("Hello", 16, width, height);
    EXPECT_EQ(text->GetMeasuredWidth(), width);
    text->SetHorizontalAlign(WidgetAlignLeft);
    text->SetVerticalAlign(WidgetAlignTop);
    target.Fill(0.0f, 0.0f, 0.0f, 0.0f);
    text->Draw(target, 10, 20, 200, 60);
    EXPECT_FALSE(text->IsDirty());
    EXPECT_EQ(text->GetRect().x0, 10);
    EXPECT_EQ(text->GetRect().Width(), width);
    bool covered = false;
    for (uint32_t y = 20; y < 60; ++y)
        for (uint32_t x = 10; x < 200; ++x)
            covered = covered || (Pixel(target, x, y) >> 24) != 0;
    EXPECT_TRUE(covered);

    text->SetText("Hello");
    EXPECT_FALSE(text->IsDirty());
    text->SetColor(1.0f / 255.0f, 2.0f / 255.0f, 254.0f / 255.0f, 1.0f);
    EXPECT_TRUE(text->IsDirty());
    const nTextAttributes& attributes = text->GetAttributes();
    EXPECT_EQ(attributes.color[0], 1);
    EXPECT_EQ(attributes.color[1], 2);
    EXPECT_EQ(attributes.color[2], 254);
    EXPECT_EQ(attributes.color[3], 255);
    text->SetColor(0.5f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(text->GetAttributes().color[0], 127);
    text->SetDirty(false);
    text->SetSize(16);
    EXPECT_FALSE(text->IsDirty());
    text->SetSize(20);
    EXPECT_TRUE(text->IsDirty());
    text->SetDirty(false);
    text->SetAlignment(TextAlignRight); // shows at the next redraw only
    EXPECT_FALSE(text->IsDirty());
    EXPECT_EQ(text->GetAttributes().align, TextAlignRight);
    text->SetFormat(TextFormatParagraph);
    EXPECT_TRUE(text->IsDirty());
}

TEST_F(TextWidgets, AWindowTitleIsACentredTextInTheScenesTitleStyle)
{
    const char* paths[Scene2DSkinPartCount];
    for (uint32_t part = 0; part < Scene2DSkinPartCount; ++part)
        paths[part] = "skin.tga";
    WritePicture("skin.tga", 8, 8, [](uint32_t, uint32_t) { return 0xFF000000u; });
    ASSERT_TRUE(scene->SetSkin(paths, 0xFF000000u, 0xFF0000FFu, 4, 24, 20, "default.ttf"));
    nWindow* window = AddWindow("w", 0, 0, 200, 100);
    auto* title = static_cast<nTextWidget*>(window->GetTitleWidget());
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetType(), WidgetTypeText);
    EXPECT_EQ(title->GetId(), -1);
    EXPECT_EQ(title->GetText(), "Window");
    EXPECT_EQ(title->GetAttributes().size, 20);
    EXPECT_EQ(title->GetAttributes().color[0], 255);
    EXPECT_EQ(title->GetAttributes().color[2], 0);
    EXPECT_EQ(title->GetFont(), fonts.font);
    EXPECT_EQ(title->GetHorizontalAlign(), WidgetAlignMiddle);
    window->SetTitle("Options");
    EXPECT_EQ(window->GetTitle(), "Options");

    window->Draw(nullptr);
    const nRect rect = title->GetRect();
    EXPECT_GT(rect.Width(), 20);
    EXPECT_NEAR((rect.x0 + rect.x1) / 2, 8 + (200 - 8 - 8) / 2, 1); // centred between the corners
    bool red = false;
    const nTexture* cache = window->GetCacheTexture();
    for (int32_t y = rect.y0; y < rect.y1; ++y)
        for (int32_t x = rect.x0; x < rect.x1; ++x)
            red = red || ((Pixel(*cache, uint32_t(x), uint32_t(y)) >> 16) & 0xFF) > 200;
    EXPECT_TRUE(red);

    // A new title is drawn on a freshly composed band and uploaded.
    window->Draw(nullptr);
    window->SetTitle("A");
    window->Draw(nullptr);
    EXPECT_TRUE(window->HasFlag(SpriteFlagComposePending));
    EXPECT_LT(title->GetRect().Width(), rect.Width());
    red = false;
    for (int32_t y = rect.y0; y < rect.y1; ++y)
        for (int32_t x = rect.x0; x < title->GetRect().x0; ++x)
            red = red || ((Pixel(*cache, uint32_t(x), uint32_t(y)) >> 16) & 0xFF) > 200;
    EXPECT_FALSE(red);
}

} // namespace
