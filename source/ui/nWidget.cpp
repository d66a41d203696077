#include "ui/nWidget.h"

#include "core/base/nLog.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"
#include "script/nScriptVM.h"
#include "ui/nItem2DMath.h"
#include "ui/nScene2D.h"
#include "ui/nWindow.h"

#include <algorithm>
#include <cstdint>

namespace
{
void AddWidgetReference(void* widget)
{
    static_cast<nWidget*>(widget)->AddRef();
}

void ReleaseWidgetReference(void* widget)
{
    static_cast<nWidget*>(widget)->Release();
}

// Script handles on widgets of every kind hold a reference for as long as they live.
void RegisterWidgetLifetimes()
{
    static const bool registered = []
    {
        nObjectTypeLifetime lifetime;
        lifetime.addReference = AddWidgetReference;
        lifetime.releaseReference = ReleaseWidgetReference;
        for (int32_t type = ObjectTypeWidget; type <= ObjectTypeCheckWidget; ++type)
            SetObjectTypeLifetime(type, lifetime);
        return true;
    }();
    (void)registered;
}
} // namespace

nWidget::nWidget(int32_t type, nScene2D* scene, int32_t id) : m_type(type), m_scene(scene), m_id(id)
{
    RegisterWidgetLifetimes();
}

nWidget::~nWidget()
{
    if (m_parent)
        m_parent->m_children.Remove(this);
    while (auto* node = m_children.GetHead())
    {
        nWidget* child = node->value;
        m_children.RemoveNode(node);
        child->m_parent = nullptr;
        child->SetWindow(nullptr);
        child->Release();
    }
    nScene2D* scene = GetScene();
    if (scene && scene->GetVM())
        scene->GetVM()->InvalidateNativeObject(this);
    else if (!scene)
        nCObject::Invalidate(this); // the scene went first, and script handles may still hold the widget
}

nWidget* nWidget::FindChild(int32_t id)
{
    if (m_id == id)
        return this;
    for (auto* node = m_children.GetHead(); node; node = node->next)
        if (nWidget* found = node->value->FindChild(id))
            return found;
    return nullptr;
}

nRectF nWidget::GetScreenRect(nItem2D& window) const
{
    return window.MapToScreen(m_rect);
}

nVector nWidget::GetScreenPosition() const
{
    if (!m_window)
        return nVector(float(m_rect.x0), float(m_rect.y0), 0.0f, 1.0f);
    float x = 0.0f, y = 0.0f;
    TransformPoint2D(m_window->GetWorldMatrix(), float(m_rect.x0), float(m_rect.y0), x, y);
    return nVector(x, y, 0.0f, 1.0f);
}

nWidget* nWidget::HitTest(nItem2D& window, float px, float py)
{
    for (auto* node = m_children.GetHead(); node; node = node->next)
    {
        nWidget* child = node->value;
        if (child->m_hidden)
            continue;
        const nRectF rect = child->GetScreenRect(window);
        if (rect.x0 < px && px < rect.x1 && rect.y0 < py && py < rect.y1)
            return child->HitTest(window, px, py);
    }
    return this;
}

bool nWidget::AddChild(nWidget* child)
{
    if (!child || child->m_parent == this)
        return false;
    if (IsDescendantOf(child))
    {
        nLogHolder::Get() << "[*] A widget cannot hold itself or one of its ancestors.\n";
        return false;
    }
    if (!m_children.PushBack(child))
    {
        nLogHolder::Get() << "[!] Failed to allocate the child link of a widget.\n";
        return false;
    }
    child->AddRef();
    if (child->m_parent)
        child->m_parent->RemoveChild(child);
    child->m_parent = this;
    child->SetWindow(m_window);
    return true;
}

bool nWidget::RemoveChild(nWidget* child)
{
    if (!child || child->m_parent != this || !m_children.Remove(child))
        return false;
    child->m_parent = nullptr;
    child->SetWindow(nullptr);
    OnChildRemoved(child);
    Invalidate();
    child->Release();
    return true;
}

void nWidget::InvalidateChildren()
{
    for (auto* node = m_children.GetHead(); node; node = node->next)
        node->value->Invalidate();
}

void nWidget::GetFormattingSize(float& x, float& y) const
{
    x = m_formattingSize[0];
    y = m_formattingSize[1];
}

namespace
{
// One axis of a cell: 3 centres, farAlign puts the span at the far end, 6 stretches it to there;
// anything else keeps it at the start. A text measured in the billions of pixels (huge tracking or
// heading) ends at the integer range rather than past it.
void AlignAxis(int32_t cellStart, int32_t cellEnd, int32_t size, int32_t align, int32_t farAlign,
               int32_t& start, int32_t& end)
{
    int64_t first = cellStart;
    if (align == WidgetAlignMiddle)
        first += (int64_t(cellEnd) - cellStart - size) / 2;
    else if (align == farAlign)
        first = int64_t(cellEnd) - size;
    const int64_t last = align == WidgetAlignStretch ? cellEnd : first + size;
    start = int32_t(std::clamp<int64_t>(first, INT32_MIN, INT32_MAX));
    end = int32_t(std::clamp<int64_t>(last, INT32_MIN, INT32_MAX));
}
} // namespace

nRect nWidget::AlignInCell(int32_t width, int32_t height, const nRect& cell) const
{
    nRect rect;
    AlignAxis(cell.x0, cell.x1, width, m_horizontalAlign, WidgetAlignRight, rect.x0, rect.x1);
    AlignAxis(cell.y0, cell.y1, height, m_verticalAlign, WidgetAlignBottom, rect.y0, rect.y1);
    return rect;
}

// The reference taken first keeps the widget alive while its holders let it go; whatever
// references remain belong to script handles, which the destructor turns dead.
bool nWidget::DeleteNow()
{
    if (m_partOf)
    {
        nLogHolder::Get() << "[*] A widget that is part of another widget is deleted with it.\n";
        return false;
    }
    AddRef();
    if (m_parent)
        m_parent->RemoveChild(this);
    if (m_window)
        m_window->ForgetWidget(this);
    delete this;
    return true;
}

bool nWidget::IsDescendantOf(const nWidget* widget) const
{
    for (const nWidget* walk = this; walk; walk = walk->m_parent)
        if (walk == widget)
            return true;
    return false;
}

void nWidget::SetWindow(nWindow* window)
{
    m_window = window;
    for (auto* node = m_children.GetHead(); node; node = node->next)
        node->value->SetWindow(window);
}

void nWidget::SetMargins(float top, float bottom, float left, float right)
{
    m_margins[0] = top;
    m_margins[1] = bottom;
    m_margins[2] = left;
    m_margins[3] = right;
}

void nWidget::SetFormattingSize(float x, float y)
{
    m_formattingSize[0] = x;
    m_formattingSize[1] = y;
}
