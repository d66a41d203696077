#pragma once

#include "ui/nWidget.h"

// Lays its children out in a row or a column: each visible child gets a slice of the cell (less
// the margins) in proportion to its formatting size; hidden children take no space.
class nSizerWidget : public nWidget
{
public:
    // Holds the widget as its last child; a widget held elsewhere leaves its old parent first.
    // False for null, a child already here, or this sizer or one of its ancestors.
    bool AddWidget(nWidget* widget) { return AddChild(widget); }

    void Invalidate() override;
    // Measures every child; dirty when one of them is.
    void Measure() override;
    void GetFormattingSize(float& x, float& y) const override;
    void Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;

protected:
    nSizerWidget(int32_t type, nScene2D* scene, int32_t id, bool horizontal)
        : nWidget(type, scene, id), m_horizontal(horizontal)
    {
    }

private:
    bool m_horizontal;
};

class nVSizerWidget : public nSizerWidget
{
public:
    nVSizerWidget(nScene2D* scene, int32_t id) : nSizerWidget(WidgetTypeVerticalSizer, scene, id, false) {}
};

class nHSizerWidget : public nSizerWidget
{
public:
    nHSizerWidget(nScene2D* scene, int32_t id) : nSizerWidget(WidgetTypeHorizontalSizer, scene, id, true) {}
};
