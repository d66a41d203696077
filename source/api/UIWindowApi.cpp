#include "api/UIApi.h"

#include "api/UIApiGroups.h"
#include "core/base/nLog.h"
#include "core/math/nRect.h"
#include "core/math/nVector.h"
#include "geometry/nTexture.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nScriptValuePush.h"
#include "script/classes/ScriptVector.h"
#include "ui/nItem2DMath.h"
#include "ui/nWidget.h"

#include <algorithm>
#include <cstdint>

namespace
{
SQInteger PushPair(const ScriptArgs& args, float x, float y)
{
    return PushVector(args.GetVM(), nVector(x, y, 0.0f, 1.0f)) ? 1 : SQ_ERROR;
}

SQInteger PushRectResult(const ScriptArgs& args, const nRect& rect)
{
    return PushRect(args.GetVM(), rect) ? 1 : SQ_ERROR;
}

// The two-number setters of an item: position, pivot, scale, size.
template <void (nItem2D::*Set)(float, float)> SQInteger SetPair(const ScriptArgs& args, nSprite2D& item)
{
    float pair[2];
    if (GetFloatArgs(args, 3, 2, AnyFinite, pair))
        (item.*Set)(pair[0], pair[1]);
    return 0;
}

SQInteger SetSize(const ScriptArgs& args, nSprite2D& item)
{
    float size[2];
    if (GetFloatArgs(args, 3, 2, AnyFinite, size))
        item.SetSize(size[0], size[1]);
    return 0;
}

template <float (nItem2D::*GetX)() const, float (nItem2D::*GetY)() const>
SQInteger GetPair(const ScriptArgs& args, nSprite2D& item)
{
    return PushPair(args, (item.*GetX)(), (item.*GetY)());
}

int32_t ClampToInt(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

SQInteger GetRect(const ScriptArgs& args, nSprite2D& item)
{
    return PushRectResult(args, item.GetRect());
}

SQInteger GetScreenRect(const ScriptArgs& args, nSprite2D& item)
{
    const nRect rect = item.GetRect();
    const int64_t x = TruncateToPixel(item.GetX()), y = TruncateToPixel(item.GetY());
    return PushRectResult(args, nRect{ClampToInt(rect.x0 + x), ClampToInt(rect.y0 + y),
                                      ClampToInt(rect.x1 + x), ClampToInt(rect.y1 + y)});
}

// Two handles on nothing hold the same item, as with ObjectIsSame.
SQInteger Compare(HSQUIRRELVM vm)
{
    nSprite2D* first = nullptr;
    nSprite2D* second = nullptr;
    if (!GetItem2DOrNullArg(vm, 2, first) || !GetItem2DOrNullArg(vm, 3, second))
        return SQ_ERROR;
    return ScriptArgs(vm).PushBool(first == second);
}

SQInteger Show(const ScriptArgs& args, nSprite2D& item)
{
    item.SetFlags(SpriteFlagVisible, args.GetBool(3));
    return 0;
}

SQInteger GetTitle(const ScriptArgs& args, nWindow& window)
{
    return args.PushString(window.GetTitle().GetText() ? window.GetTitle().GetText() : "");
}

// A widget that another window holds as its base widget moves here: two windows never share one,
// so the widget's window is always the one that draws it. A widget of another 2D scene is refused,
// so that the windows holding a widget are all in its own scene (UIDeleteWidget asks them).
SQInteger SetBaseWidget(const ScriptArgs& args, nSprite2D& item)
{
    nWidget* widget = GetWidgetArg(args.GetVM(), 3);
    if (!widget)
        return SQ_ERROR;
    nWindow* window = nUIObject<nWindow>::From(static_cast<nItem2D*>(&item));
    if (!window)
        return 0;
    if (widget->GetScene() != window->GetScene())
    {
        nLogHolder::Get() << "[*] Window '" << window->GetName()
                          << "' can only take a widget of its own 2D scene as base widget.\n";
        return 0;
    }
    nWindow* previous = widget->GetWindow();
    if (previous && previous != window && previous->GetBaseWidget() == widget)
        previous->ForgetWidget(widget);
    window->SetBaseWidget(widget);
    return 0;
}

SQInteger GetChild(const ScriptArgs& args, nWindow& window)
{
    return PushHandle(args.GetVM(), window.GetChild(args.GetInt(3)), ObjectTypeWidget);
}

SQInteger GetParent(const ScriptArgs& args, nSprite2D& item)
{
    return PushItem2D(args.GetVM(), item.GetParent());
}

// A null parent detaches; the item refuses itself and its descendants with its own line.
SQInteger SetParent(const ScriptArgs& args, nSprite2D& item)
{
    nSprite2D* parent = nullptr;
    if (!GetItem2DOrNullArg(args.GetVM(), 3, parent))
        return SQ_ERROR;
    item.SetParent(parent);
    return 0;
}

SQInteger Compose(const ScriptArgs&, nWindow& window)
{
    window.Compose();
    window.UploadCacheTexture();
    return 0;
}

SQInteger GetStyle(const ScriptArgs& args, nSprite2D& item)
{
    return args.PushInt(int32_t(item.GetStyle()));
}

template <void (nSprite2D::*Set)(uint32_t)> SQInteger SetStyleBits(const ScriptArgs& args, nSprite2D& item)
{
    (item.*Set)(uint32_t(args.GetInt(3)));
    return 0;
}

SQInteger SetFlip(const ScriptArgs& args, nSprite2D& item)
{
    item.SetFlags(SpriteFlagFlipU, args.GetBool(3));
    item.SetFlags(SpriteFlagFlipV, args.GetBool(4));
    return 0;
}

SQInteger GetBackgroundPicture(const ScriptArgs& args, nWindow& window)
{
    return PushHandle(args.GetVM(), window.GetBackgroundPicture(), ObjectTypePicture);
}

// Red in the low byte, alpha in the high one.
SQInteger SetBackgroundColor(const ScriptArgs& args, nWindow& window)
{
    const uint32_t colour = uint32_t(args.GetInt(3));
    const auto channel = [colour](int shift) { return float((colour >> shift) & 0xFFu) / 255.0f; };
    window.SetBackgroundColor(channel(0), channel(8), channel(16), channel(24));
    return 0;
}

SQInteger Centre(const ScriptArgs&, nSprite2D& item)
{
    nScene2D* scene = item.GetScene();
    if (!scene)
        return 0;
    item.SetPosition((scene->GetInternalWidth() - item.GetWidth()) / 2.0f + item.GetPivotX(),
                     (scene->GetInternalHeight() - item.GetHeight()) / 2.0f + item.GetPivotY());
    return 0;
}

template <void (nScene2D::*Move)(nItem2D*, nItem2D*)> SQInteger MoveToEnd(const ScriptArgs&, nSprite2D& item)
{
    if (nScene2D* scene = item.GetScene())
        (scene->*Move)(&item, nullptr);
    return 0;
}

// Beside another item of the same scene: the item itself, or one the scene does not list, would
// send it to an end of the list instead.
template <void (nScene2D::*Move)(nItem2D*, nItem2D*)>
SQInteger MoveBeside(const ScriptArgs& args, nSprite2D& item)
{
    nSprite2D* other = nHandleArg<nSprite2D>::Get(args.GetVM(), 3);
    if (!other)
        return SQ_ERROR;
    nScene2D* scene = item.GetScene();
    if (other == &item || other->GetScene() != scene || !scene)
    {
        nLogHolder::Get() << "[*] Window '" << item.GetName()
                          << "' can only move beside another window of its 2D scene.\n";
        return 0;
    }
    (scene->*Move)(&item, other);
    return 0;
}

// The draw slot without a renderer: a window measures, lays out and composes its widgets.
SQInteger ForceLayout(const ScriptArgs&, nSprite2D& item)
{
    item.Draw(nullptr);
    return 0;
}

SQInteger GetCacheTexture(const ScriptArgs& args, nWindow& window)
{
    return PushHandle(args.GetVM(), window.GetCacheTexture(), ObjectTypeTexture);
}

SQInteger SetEventHandler(const ScriptArgs& args, nSprite2D& item)
{
    SetEventHandlerArgs(args.GetVM(), item, 3, 0, 4);
    return 0;
}

SQInteger SetEventHandlerWithContext(const ScriptArgs& args, nSprite2D& item)
{
    SetEventHandlerArgs(args.GetVM(), item, 3, 4, 5);
    return 0;
}

// Windows keep their own composition as texture and ignore it.
SQInteger SetTexture(const ScriptArgs& args, nSprite2D& item)
{
    auto* texture = GetObjectArg<nTexture>(args.GetVM(), 3, ObjectTypeTexture);
    if (!texture)
        return SQ_ERROR;
    item.SetTexture(texture);
    return 0;
}

const nNativeEntry UIWindowNatives[] = {
    {"WindowGetZOrder", Native<AnswerFloatOf<&nItem2D::GetZOrder, nSprite2D>>, ".x"},
    {"WindowSetZOrder", Native<SetFloatOf<&nItem2D::SetZOrder, nSprite2D>>, ".xn"},
    {"WindowGetRect", Native<GetRect>, ".x"},
    {"WindowGetScreenRect", Native<GetScreenRect>, ".x"},
    {"WindowCompare", GuardedNative<Compare>, ".xx"},
    {"WindowSetCommandList", NativeOrNull<SetStringOf<&nSprite2D::SetCommandList, nSprite2D>>, ".xs"},
    {"WindowResetCommandList", NativeOrNull<CallOf<&nACEUnit::ResetCommandList, nSprite2D>>, ".x"},
    {"WindowIsCommandListDone",
     NativeOrNull<AnswerBoolOf<&nSprite2D::IsCommandListDone, nSprite2D>, AnswerFixedBool<true>>, ".x"},
    {"WindowShow", NativeOrNull<Show>, ".xb"},
    {"WindowIsShown", Native<AnswerBoolOf<&nSprite2D::IsShown, nSprite2D>>, ".x"},
    {"WindowSetTitle", NativeOrNull<SetStringOf<&nWindow::SetTitle, nWindow>>, ".xs"},
    {"WindowGetTitle", Native<GetTitle>, ".x"},
    {"WindowSetBaseWidget", NativeOrNull<SetBaseWidget>, ".xx"},
    {"WindowGetChild", NativeOrNull<GetChild, AnswerNullHandle<ObjectTypeWidget>>, ".xn"},
    {"WindowGetParent", Native<GetParent>, ".x"},
    {"WindowSetParent", Native<SetParent>, ".xx"},
    {"WindowCompose", Native<Compose>, ".x"},
    {"WindowGetPosition", NativeOrNull<GetPair<&nItem2D::GetX, &nItem2D::GetY>>, ".x"},
    {"WindowSetPosition", NativeOrNull<SetPair<&nItem2D::SetPosition>>, ".xnn"},
    {"WindowSetRotation", NativeOrNull<SetFloatOf<&nItem2D::SetAngle, nSprite2D>>, ".xn"},
    {"WindowGetSize", NativeOrNull<GetPair<&nItem2D::GetWidth, &nItem2D::GetHeight>>, ".x"},
    {"WindowSetSize", NativeOrNull<SetSize>, ".xnn"},
    {"WindowGetPivot", NativeOrNull<GetPair<&nItem2D::GetPivotX, &nItem2D::GetPivotY>>, ".x"},
    {"WindowSetPivot", NativeOrNull<SetPair<&nItem2D::SetPivot>>, ".xnn"},
    {"WindowSetScale", NativeOrNull<SetPair<&nItem2D::SetScale>>, ".xnn"},
    {"WindowGetOpacity", NativeOrNull<AnswerFloatOf<&nSprite2D::GetOpacity>>, ".x"},
    {"WindowSetOpacity", NativeOrNull<SetFloatOf<&nSprite2D::SetOpacity>>, ".xn"},
    {"WindowSetFlip", NativeOrNull<SetFlip>, ".xbb"},
    {"WindowGetStyle", NativeOrNull<GetStyle>, ".x"},
    {"WindowSetStyle", NativeOrNull<SetStyleBits<&nSprite2D::SetStyle>>, ".xn"},
    {"WindowAddStyle", NativeOrNull<SetStyleBits<&nSprite2D::AddStyle>>, ".xn"},
    {"WindowRemoveStyle", NativeOrNull<SetStyleBits<&nSprite2D::RemoveStyle>>, ".xn"},
    {"WindowGetBackgroundPicture", Native<GetBackgroundPicture>, ".x"},
    {"WindowSetBackgroundPicture", NativeOrNull<SetStringOf<&nWindow::SetBackgroundPicture, nWindow>>, ".xs"},
    {"WindowSetBackgroundColor", NativeOrNull<SetBackgroundColor>, ".xn"},
    {"WindowCentre", Native<Centre>, ".x"},
    {"WindowMoveToBack", Native<MoveToEnd<&nScene2D::MoveItemToBack>>, ".x"},
    {"WindowMoveToFront", Native<MoveToEnd<&nScene2D::MoveItemToFront>>, ".x"},
    {"WindowMoveToBackOf", Native<MoveBeside<&nScene2D::MoveItemToBack>>, ".xx"},
    {"WindowMoveToFrontOf", Native<MoveBeside<&nScene2D::MoveItemToFront>>, ".xx"},
    {"WindowForceLayout", Native<ForceLayout>, ".x"},
    {"WindowInvalidate", Native<CallOf<&nWindow::Invalidate>>, ".x"},
    {"WindowGetCacheTexture", Native<GetCacheTexture>, ".x"},
    {"WindowSetEventHandler", NativeOrNull<SetEventHandler>, ".xnc"},
    {"WindowSetEventHandlerWithContext", NativeOrNull<SetEventHandlerWithContext>, ".xn.c"},
    {"SpriteSetTexture", Native<SetTexture>, ".xx"},
};
} // namespace

void RegisterUIWindowApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, UIWindowNatives);
}
