#pragma once

#include "ui/nWidget.h"

// Empty space that takes its share of a sizer.
class nSpacerWidget : public nWidget
{
public:
    nSpacerWidget(nScene2D* scene, int32_t id) : nWidget(WidgetTypeSpacer, scene, id) {}

    void Measure() override {}
    void Draw(nPicture&, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override
    {
        SetRect(nRect{x1, y1, x2, y2});
        SetDirty(false);
    }

    const float* GetFactors() const { return m_factors; }

private:
    float m_factors[2] = {0.5f, 0.5f};
};
