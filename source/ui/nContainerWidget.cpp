#include "ui/nContainerWidget.h"

#include "core/base/nLog.h"

#include <new>

nContainerWidget::~nContainerWidget()
{
    while (auto* node = m_cells.GetHead())
    {
        nContainerCell* cell = node->value;
        m_cells.RemoveNode(node);
        delete cell;
    }
}

nContainerCell* nContainerWidget::AddWidget(nWidget* widget, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!widget)
    {
        nLogHolder::Get() << "[!] Cannot create a cell for a NULL widget.\n";
        return nullptr;
    }
    if (nContainerCell* existing = FindCell(widget))
    {
        existing->rect = nRect{x1, y1, x2, y2};
        Invalidate();
        return existing;
    }
    auto* cell = new (std::nothrow) nContainerCell;
    if (!cell || !m_cells.PushBack(cell))
    {
        delete cell;
        nLogHolder::Get() << "[!] Failed to allocate new container cell.\n";
        return nullptr;
    }
    cell->rect = nRect{x1, y1, x2, y2};
    cell->widget = widget;
    if (!AddChild(widget))
    {
        m_cells.Remove(cell);
        delete cell;
        return nullptr;
    }
    Invalidate();
    return cell;
}

nContainerCell* nContainerWidget::FindCell(const nWidget* widget) const
{
    for (auto* node = m_cells.GetHead(); node; node = node->next)
        if (node->value->widget.Get() == widget)
            return node->value;
    return nullptr;
}

bool nContainerWidget::SetWidgetPosition(const nWidget* widget, int32_t x, int32_t y)
{
    nContainerCell* cell = FindCell(widget);
    if (!cell)
        return false;
    const int32_t width = cell->rect.Width();
    const int32_t height = cell->rect.Height();
    cell->rect = nRect{x, y, x + width, y + height};
    Invalidate();
    return true;
}

void nContainerWidget::OnChildRemoved(nWidget* child)
{
    if (nContainerCell* cell = FindCell(child))
    {
        m_cells.Remove(cell);
        delete cell;
    }
}

void nContainerWidget::Invalidate()
{
    nWidget::Invalidate();
    InvalidateChildren();
}

void nContainerWidget::Measure()
{
    for (auto* node = m_cells.GetHead(); node; node = node->next)
    {
        nWidget* widget = node->value->widget.Get();
        widget->Measure();
        if (widget->IsDirty())
            SetDirty(true);
    }
}

void nContainerWidget::Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (IsHidden() || !IsDirty() || m_cells.GetCount() == 0)
    {
        SetDirty(false);
        return;
    }
    SetRect(nRect{x1, y1, x2, y2});
    for (auto* node = m_cells.GetHead(); node; node = node->next)
    {
        nWidget* widget = node->value->widget.Get();
        const nRect& cell = node->value->rect;
        if (widget->IsHidden())
            widget->SetDirty(false);
        else
            widget->Draw(picture, x1 + cell.x0, y1 + cell.y0, x1 + cell.x1, y1 + cell.y1);
    }
    SetDirty(false);
}
