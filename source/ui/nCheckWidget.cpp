#include "ui/nCheckWidget.h"

#include "core/picture/nPicture.h"
#include "platform/nPlatform.h"

#include <new>

nCheckWidget::nCheckWidget(nScene2D* scene, int32_t id) : nWidget(WidgetTypeCheck, scene, id)
{
    m_check = new (std::nothrow) nBitmapWidget(scene, -1);
    m_label = new (std::nothrow) nTextWidget(scene, -1);
    if (m_check)
        m_check->SetPartOf(this);
    if (m_label)
        m_label->SetPartOf(this);
}

nCheckWidget::~nCheckWidget()
{
    if (m_check)
        m_check->SetPartOf(nullptr);
    if (m_label)
        m_label->SetPartOf(nullptr);
}

void nCheckWidget::Invalidate()
{
    nWidget::Invalidate();
    if (m_check)
        m_check->Invalidate();
    if (m_label)
        m_label->Invalidate();
}

void nCheckWidget::Measure()
{
    for (nWidget* part : {static_cast<nWidget*>(m_check.Get()), static_cast<nWidget*>(m_label.Get())})
    {
        if (!part)
            continue;
        part->Measure();
        if (part->IsDirty())
            SetDirty(true);
    }
}

void nCheckWidget::SetState(bool state)
{
    m_state = state;
    if (m_check)
    {
        const nString path(state ? TruePicture : FalsePicture);
        const bool own = nPlatform::Get().GetIOSystem().Exists(path);
        m_check->SetPicture(own ? path.GetText() : (nString("@core/") + path).GetText());
    }
    Invalidate();
}

// The picture's column is one and a half times as wide as the picture; the label takes the rest.
void nCheckWidget::Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (IsHidden() || !IsDirty())
    {
        SetDirty(false);
        return;
    }
    const float* margins = GetMargins(); // top, bottom, left, right
    const nRect inner{x1 + int32_t(margins[2]), y1 + int32_t(margins[0]), x2 - int32_t(margins[3]),
                      y2 - int32_t(margins[1])};
    const nPicture* check = m_check ? m_check->GetPicture() : nullptr;
    const int32_t split = inner.x0 + (check ? int32_t(check->GetWidth()) * 3 / 2 : 0);
    if (m_check)
        m_check->Draw(picture, inner.x0, inner.y0, split, inner.y1);
    if (m_label)
        m_label->Draw(picture, split, inner.y0, inner.x1, inner.y1);
    SetRect(inner);
    SetDirty(false);
}
