#include "ui/nTextWidget.h"

#include "ui/nFontSystem.h"
#include "ui/nTextLayout.h"
#include "ui/nWindowSystemFont.h"

#include <algorithm>
#include <cmath>

namespace
{
// The small bias keeps a byte that went through n / 255 in float from coming back as n - 1.
int32_t ColourByte(float value)
{
    if (std::isnan(value))
        return 0;
    return int32_t(std::clamp(double(value) * 255.0 + 1e-3, 0.0, 255.0));
}
} // namespace

nTextWidget::nTextWidget(nScene2D* scene, int32_t id) : nWidget(WidgetTypeText, scene, id)
{
    m_attributes.font = FontSystemGetDefaultFont();
}

void nTextWidget::SetText(const char* text)
{
    const char* value = text ? text : "";
    if (m_text == value)
        return;
    m_text = value;
    Invalidate();
}

void nTextWidget::SetFont(nWindowSystemFont* font)
{
    nTextAttributes attributes = m_attributes;
    attributes.font = font;
    SetAttributes(attributes);
}

void nTextWidget::SetSize(int32_t size)
{
    nTextAttributes attributes = m_attributes;
    attributes.size = size;
    SetAttributes(attributes);
}

void nTextWidget::SetFormat(int32_t format)
{
    nTextAttributes attributes = m_attributes;
    attributes.format = format;
    SetAttributes(attributes);
}

void nTextWidget::SetColor(float red, float green, float blue, float alpha)
{
    SetColorBytes(ColourByte(red), ColourByte(green), ColourByte(blue), ColourByte(alpha));
}

void nTextWidget::SetColorBytes(int32_t red, int32_t green, int32_t blue, int32_t alpha)
{
    nTextAttributes attributes = m_attributes;
    const int32_t values[4] = {red, green, blue, alpha};
    for (int i = 0; i < 4; ++i)
        attributes.color[i] = std::clamp(values[i], 0, 255);
    SetAttributes(attributes);
}

void nTextWidget::SetAttributes(const nTextAttributes& attributes)
{
    if (attributes == m_attributes)
        return;
    m_attributes = attributes;
    Invalidate();
}

void nTextWidget::Measure()
{
    if (!m_attributes.font || !IsDirty())
        return;
    m_attributes.font->GetTextExtent(m_text.GetText() ? m_text.GetText() : "", m_attributes.size,
                                     m_measured[0], m_measured[1]);
}

// The text is laid out in the cell's width, placed in the cell by the widget's alignment and
// drawn there; the lines break as they did when measured, since the wrapping width stays the
// cell's. Nothing is drawn outside the cell.
void nTextWidget::Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (IsHidden())
        SetDirty(false);
    if (!IsDirty())
        return;
    const nRect cell{x1, y1, x2, y2};
    const char* text = m_text.GetText() ? m_text.GetText() : "";
    const nRect measured = ComputeTextRect(text, m_attributes, cell);
    const nRect aligned = AlignInCell(measured.Width(), measured.Height(), cell);
    RenderTextToPicture(picture, text, m_attributes, aligned, cell, cell.Width());
    SetRect(aligned);
    SetDirty(false);
}
