#include "ui/nSizerWidget.h"

#include <algorithm>
#include <cmath>

namespace
{
// A child's weight along the sizer's direction and across it.
void ChildWeights(const nWidget& child, bool horizontal, float& along, float& across)
{
    float x = 0.0f, y = 0.0f;
    child.GetFormattingSize(x, y);
    along = horizontal ? x : y;
    across = horizontal ? y : x;
}
} // namespace

void nSizerWidget::Invalidate()
{
    nWidget::Invalidate();
    InvalidateChildren();
}

void nSizerWidget::Measure()
{
    for (auto* node = GetChildren().GetHead(); node; node = node->next)
    {
        node->value->Measure();
        if (node->value->IsDirty())
            SetDirty(true);
    }
}

// Along the sizer's direction the children's weights add up, across it the largest counts; the
// result is scaled by the sizer's own weights.
void nSizerWidget::GetFormattingSize(float& x, float& y) const
{
    float along = 0.0f;
    float across = 0.0f;
    for (auto* node = GetChildren().GetHead(); node; node = node->next)
    {
        if (node->value->IsHidden())
            continue;
        float childAlong = 0.0f, childAcross = 0.0f;
        ChildWeights(*node->value, m_horizontal, childAlong, childAcross);
        along += childAlong;
        across = std::max(across, childAcross);
    }
    x = (m_horizontal ? along : across) * GetFormattingWidth();
    y = (m_horizontal ? across : along) * GetFormattingHeight();
}

// Slices are truncated, so a few pixels may stay free at the far end. Weights that add up to
// nothing give every child an empty slice rather than a division by zero.
void nSizerWidget::Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (IsHidden() || !IsDirty() || GetChildren().GetCount() == 0)
    {
        SetDirty(false);
        return;
    }
    const float* margins = GetMargins(); // top, bottom, left, right
    const nRect inner{x1 + int32_t(margins[2]), y1 + int32_t(margins[0]), x2 - int32_t(margins[3]),
                      y2 - int32_t(margins[1])};
    SetRect(inner);
    float total = 0.0f;
    for (auto* node = GetChildren().GetHead(); node; node = node->next)
    {
        float along = 0.0f, across = 0.0f;
        if (!node->value->IsHidden())
            ChildWeights(*node->value, m_horizontal, along, across);
        total += along;
    }
    const float length = float(m_horizontal ? inner.Width() : inner.Height());
    const float perWeight = total > 0.0f && std::isfinite(total) ? length / total : 0.0f;
    int32_t running = m_horizontal ? inner.x0 : inner.y0;
    for (auto* node = GetChildren().GetHead(); node; node = node->next)
    {
        nWidget* child = node->value;
        if (child->IsHidden())
        {
            child->SetDirty(false);
            continue;
        }
        float along = 0.0f, across = 0.0f;
        ChildWeights(*child, m_horizontal, along, across);
        const float slice = along * perWeight;
        const int32_t extent = std::isfinite(slice) ? int32_t(std::clamp(slice, 0.0f, 1e9f)) : 0;
        if (m_horizontal)
            child->Draw(picture, running, inner.y0, running + extent, inner.y1);
        else
            child->Draw(picture, inner.x0, running, inner.x1, running + extent);
        running += extent;
    }
    SetDirty(false);
}
