#include "ui/nScene2D.h"

#include "platform/nHIDConstants.h"
#include "platform/nHIDDevice.h"
#include "render/nEngineServices.h"
#include "render/nRenderer.h"
#include "script/nObjectType.h"
#include "script/nScriptObject.h"
#include "script/nScriptVM.h"
#include "script/nScriptValue.h"
#include "ui/nItem2D.h"
#include "ui/nItem2DMath.h"
#include "ui/nSprite2D.h"
#include "ui/nWindow.h"

#include <memory>
#include <utility>
#include <vector>

namespace
{
constexpr float AxisRange = 65536.0f;
constexpr const char* CursorFadeOut = "toalpha 0.1,0; hide 0;";
constexpr int32_t ClickEvents[nScene2DInput::ButtonCount] = {EventLeftMouseClick, EventRightMouseClick,
                                                             EventMiddleMouseClick};
constexpr int32_t UpEvents[nScene2DInput::ButtonCount] = {EventLeftMouseUp, EventRightMouseUp,
                                                          EventMiddleMouseUp};
constexpr int ButtonFunctions[nScene2DInput::ButtonCount] = {DeviceButton0, DeviceButton1, DeviceButton2};

bool Contains(const nRectF& rect, float x, float y)
{
    return rect.x0 < x && x < rect.x1 && rect.y0 < y && y < rect.y1;
}

bool IsLocked(const nItem2D* item)
{
    const nSprite2D* sprite = AsSprite(const_cast<nItem2D*>(item));
    return sprite && sprite->HasStyle(StyleLocked);
}

nWindow* AsWindow(nItem2D* item)
{
    return item && item->GetType() == Item2DWindow ? static_cast<nWindow*>(item) : nullptr;
}

using WidgetEvents = std::vector<std::pair<nWeakPtr<nWidget>, int32_t>>;

// Enter and leave over a window's tree, hidden widgets and their subtrees skipped: inside now and
// not before is an enter, the reverse a leave. The events are sent after the walk, since their
// handlers may change the tree.
void CollectEnterLeave(nItem2D& window, nWidget& widget, float x, float y, float previousX, float previousY,
                       WidgetEvents& out)
{
    if (widget.IsHidden())
        return;
    const nRectF rect = widget.GetScreenRect(window);
    const bool inside = Contains(rect, x, y);
    const bool wasInside = Contains(rect, previousX, previousY);
    if (inside && !wasInside)
        out.emplace_back(&widget, EventMouseEnter);
    else if (wasInside && !inside)
        out.emplace_back(&widget, EventMouseLeave);
    for (auto* node = widget.GetChildren().GetHead(); node; node = node->next)
        CollectEnterLeave(window, *node->value, x, y, previousX, previousY, out);
}
} // namespace

// Everything that runs script handlers re-reads the records afterwards: a handler may delete the
// items and widgets they point at, and the records then hold null.
void nScene2D::UpdateInput(nRenderer* renderer)
{
    m_previousInput = m_input;
    m_input.window = nullptr;

    int value0 = 0;
    int value1 = 0;
    float nx = 0.0f;
    float ny = 0.0f;
    if (m_mouse->PoolFunction(DeviceAxisX, &value0, nullptr, false) &&
        m_mouse->PoolFunction(DeviceAxisY, &value1, nullptr, false))
    {
        nx = float(value0) / AxisRange;
        ny = float(value1) / AxisRange;
    }
    float width = 1.0f, height = 1.0f, aspect = 1.0f;
    if (renderer)
        aspect = GetOutputAspect(renderer, width, height);
    if (m_cursor)
        m_cursor->SetPosition(nx * width, ny * height);
    const float internalAspect = m_internalWidth / m_internalHeight;
    m_input.x = TruncateToPixel(m_internalWidth *
                                (0.5f + (nx - 0.5f) * (width / height) / (internalAspect * aspect)));
    m_input.y = TruncateToPixel(m_internalHeight * ny);

    UpdateCursorVisibility();

    if (nItem2D* dragged = m_dragged)
    {
        dragged->SetPosition(dragged->GetX() + (float(m_input.x) - float(m_previousInput.x)),
                             dragged->GetY() + (float(m_input.y) - float(m_previousInput.y)));
        CallWindowEvent(dragged, EventMove);
    }

    m_input.window = FindItemBelowCursor();
    nWidget* widget = nullptr;
    if (nWindow* window = AsWindow(m_input.window); window && window->GetBaseWidget())
        widget = window->GetBaseWidget()->HitTest(*window, GetLayerX(m_input.x), GetLayerY(m_input.y));
    m_input.widget = widget;

    for (int button = 0; button < nScene2DInput::ButtonCount; ++button)
    {
        int value = 0;
        m_input.down[button] =
            m_mouse->PoolFunction(ButtonFunctions[button], &value, nullptr, false) && value != 0;
        if (m_input.down[button] && !m_previousInput.down[button])
            m_input.pressed[button] = m_input.widget;
    }

    SendButtonEvents();
    SendEnterLeave();
}

// Auto-hide fades the cursor out once when it has rested longer than the delay; a move brings it
// back at once.
void nScene2D::UpdateCursorVisibility()
{
    if (!m_cursor || !(m_autoHideDelay > 0.0f))
        return;
    const float clock = m_engine ? m_engine->GetClock() : 0.0f;
    if (m_input.x != m_previousInput.x || m_input.y != m_previousInput.y)
    {
        m_lastMoveTime = clock;
        if (m_cursorHiding)
            m_cursor->ResetCommandList();
        m_cursorHiding = false;
    }
    if (clock - m_lastMoveTime <= m_autoHideDelay)
    {
        m_cursor->SetOpacity(1.0f);
        m_cursor->SetFlags(SpriteFlagVisible, true);
    }
    else if (!m_cursorHiding)
    {
        m_cursor->SetCommandList(CursorFadeOut);
        m_cursorHiding = true;
    }
}

float nScene2D::GetLayerX(int32_t x) const
{
    return float(x) - m_layerOffset.m[6] * m_internalWidth;
}

float nScene2D::GetLayerY(int32_t y) const
{
    return float(y) - m_layerOffset.m[7] * m_internalHeight;
}

// From the tail toward the head: the smallest z-order below the limit wins, the first met of
// equal ones.
nItem2D* nScene2D::FindItemBelowCursor()
{
    const float x = GetLayerX(m_input.x);
    const float y = GetLayerY(m_input.y);
    nItem2D* best = nullptr;
    float bestZOrder = 0.0f;
    const uint32_t stamp = NextStamp();
    for (auto* node = m_items.GetTail(); node; node = node->prev)
    {
        nItem2D* item = node->value;
        nSprite2D* sprite = AsSprite(item);
        if (!sprite || item == m_cursor || !item->GetInheritedState(stamp).shown ||
            !(sprite->GetOpacity() > 0.0f) || sprite->HasStyle(StyleNonSensitive))
            continue;
        const float zOrder = item->GetZOrder();
        if (!(zOrder < CursorZOrderLimit) || (best && !(zOrder < bestZOrder)))
            continue;
        if (Contains(item->MapToScreen(item->GetRect()), x, y))
        {
            best = item;
            bestZOrder = zOrder;
        }
    }
    return best;
}

void nScene2D::SendButtonEvents()
{
    auto released = [this](int button) { return m_previousInput.down[button] && !m_input.down[button]; };
    auto pressed = [this](int button) { return m_input.down[button] && !m_previousInput.down[button]; };
    if (m_dragged)
    {
        if (released(nScene2DInput::Left))
            m_dragged = nullptr;
        return;
    }
    if (!m_input.widget.Get())
    {
        for (int button = 0; button < nScene2DInput::ButtonCount; ++button)
            if (released(button) && m_input.window)
                CallWindowEvent(m_input.window, m_input.window == m_previousInput.window ? ClickEvents[button]
                                                                                         : UpEvents[button]);
        nSprite2D* sprite = AsSprite(m_input.window);
        if (pressed(nScene2DInput::Left) && sprite && sprite->HasStyle(StyleMovable) &&
            !sprite->HasStyle(StyleLocked))
            m_dragged = m_input.window;
        return;
    }
    for (int button = 0; button < nScene2DInput::ButtonCount; ++button)
    {
        if (!released(button))
            continue;
        nWidget* widget = m_input.widget.Get();
        const bool click =
            widget && widget == m_previousInput.widget.Get() && widget == m_input.pressed[button].Get();
        SendToWidgetChain(click ? ClickEvents[button] : UpEvents[button]);
    }
    if (pressed(nScene2DInput::Left))
        HandleMouseDown(EventLeftMouseDown);
    if (pressed(nScene2DInput::Right))
        HandleMouseDown(EventRightMouseDown);
    if (pressed(nScene2DInput::Middle))
        SendToWidgetChain(EventMiddleMouseDown);
    if (m_input.x != m_previousInput.x ||
        (m_input.y != m_previousInput.y && m_input.widget.Get() == m_previousInput.widget.Get()))
        SendToWidgetChain(EventMouseMove);
}

// From the widget below the cursor up to its root, the first widget with a handler for the
// event takes it; else the window below the cursor.
bool nScene2D::SendToWidgetChain(int32_t event)
{
    for (nWidget* widget = m_input.widget.Get(); widget; widget = widget->GetParent())
        if (widget->FindHandler(event))
            return CallWidgetEvent(event, widget);
    return CallWindowEvent(m_input.window, event);
}

// A press nobody handled may start a drag (left) or shade the window (right). Locked items do
// neither.
void nScene2D::HandleMouseDown(int32_t event)
{
    if (SendToWidgetChain(event))
        return;
    nItem2D* item = m_input.window;
    nSprite2D* sprite = AsSprite(item);
    if (!sprite || sprite->HasStyle(StyleLocked))
        return;
    if (event == EventLeftMouseDown)
    {
        if (!sprite->FindHandler(EventLeftMouseClick) && sprite->HasStyle(StyleMovable))
            m_dragged = item;
        return;
    }
    nWindow* window = AsWindow(item);
    if (!window || window->FindHandler(EventRightMouseClick) ||
        window->HasStyle(StyleNoTitleBar | StyleNoDecoration))
        return;
    const bool wasShaded = window->IsShaded();
    window->SetShaded(!wasShaded);
    CallWindowEvent(window, wasShaded ? EventUnshade : EventShade);
}

// The tree of a window that is both the current and the previous one is walked once, so each
// widget hears one enter or leave.
void nScene2D::SendEnterLeave()
{
    const float x = GetLayerX(m_input.x);
    const float y = GetLayerY(m_input.y);
    const float previousX = GetLayerX(m_previousInput.x);
    const float previousY = GetLayerY(m_previousInput.y);
    WidgetEvents events;
    auto sendTreeEvents = [&](nItem2D* item)
    {
        nWindow* window = AsWindow(item);
        if (!window || !window->GetBaseWidget())
            return;
        events.clear();
        CollectEnterLeave(*window, *window->GetBaseWidget(), x, y, previousX, previousY, events);
        for (auto& [widget, event] : events)
            CallWidgetEvent(event, widget.Get());
    };

    sendTreeEvents(m_input.window);
    if (m_input.window && m_input.window != m_previousInput.window)
        CallWindowEvent(m_input.window, EventMouseEnter);
    if (m_previousInput.window && m_previousInput.window != m_input.window)
    {
        sendTreeEvents(m_previousInput.window);
        if (m_previousInput.window && m_previousInput.window != m_input.window)
            CallWindowEvent(m_previousInput.window, EventMouseLeave);
    }
}

bool nScene2D::CanCallScripts() const
{
    return m_vm && m_vm->IsOpen() && m_vm->GetState() == ScriptVMRunning;
}

bool nScene2D::CallWindowEvent(nItem2D* item, int32_t event)
{
    nSprite2D* sprite = AsSprite(item);
    nEventHandler* handler = sprite ? sprite->FindHandler(event) : nullptr;
    if (!handler || sprite->HasStyle(StyleLocked) || !CanCallScripts())
        return false;
    std::unique_ptr<nScriptObject> table(m_vm->NewTable());
    if (!table)
        return false;
    m_vm->SetSlot("window", nScriptValue(ObjectTypeWindow, item), table.get());
    m_vm->SetSlot("cursor_id", nScriptValue(int32_t(0)), table.get());
    m_vm->SetSlot("x", nScriptValue(item->GetX()), table.get());
    m_vm->SetSlot("y", nScriptValue(item->GetY()), table.get());
    return CallHandler(*handler, event, table.get());
}

// The "widget" key holds a widget handle: a window handle on a widget would let the window natives
// read a widget as a window.
bool nScene2D::CallWidgetEvent(int32_t event, nWidget* widget)
{
    nEventHandler* handler = widget ? widget->FindHandler(event) : nullptr;
    if (!handler || IsLocked(m_input.window) || !CanCallScripts())
        return false;
    std::unique_ptr<nScriptObject> table(m_vm->NewTable());
    if (!table)
        return false;
    m_vm->SetSlot("window", nScriptValue(ObjectTypeWindow, m_input.window), table.get());
    m_vm->SetSlot("widget", nScriptValue(ObjectTypeWidget, m_input.widget.Get()), table.get());
    m_vm->SetSlot("id", nScriptValue(widget->GetId()), table.get());
    m_vm->SetSlot("cursor_id", nScriptValue(int32_t(0)), table.get());
    m_vm->SetSlot("x", nScriptValue(m_input.x), table.get());
    m_vm->SetSlot("y", nScriptValue(m_input.y), table.get());
    m_vm->SetSlot("left_down", nScriptValue(m_input.down[nScene2DInput::Left]), table.get());
    m_vm->SetSlot("middle_down", nScriptValue(m_input.down[nScene2DInput::Middle]), table.get());
    m_vm->SetSlot("right_down", nScriptValue(m_input.down[nScene2DInput::Right]), table.get());
    return CallHandler(*handler, event, table.get());
}

// The machine holds the closure and its context for the call, so a handler that replaces or
// deletes itself is safe.
bool nScene2D::CallHandler(const nEventHandler& handler, int32_t event, nScriptObject* table)
{
    if (!m_vm->BeginCall(nullptr, handler.handler, handler.context))
        return false;
    m_vm->PushArgument(nScriptValue(event));
    m_vm->PushArgument(nScriptValue(table, false));
    m_vm->EndCall(nullptr);
    return true;
}
