#include "api/PictureApi.h"
#include "api/UIApi.h"
#include "api/UIApiGroups.h"
#include "core/base/nLog.h"
#include "core/math/nRect.h"
#include "core/picture/nPicture.h"
#include "platform/nstring/nString.h"
#include "script/SquirrelObject.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/binding/nScriptValuePush.h"
#include "script/classes/ScriptVector.h"
#include "script/nObjectType.h"
#include "ui/nCheckWidget.h"
#include "ui/nContainerWidget.h"
#include "ui/nDrawableWidget.h"
#include "ui/nFontSystem.h"
#include "ui/nSizerWidget.h"
#include "ui/nTextAttributesScript.h"
#include "ui/nTextLayout.h"
#include "ui/nTextWidget.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

// Every widget handle, whatever its type (14 to 21), holds the nWidget address itself, so a cast
// changes only the handle's type and the widget lifetime of all those types sees the same object.
namespace
{
// The handle type that shows a widget of the kind as what it is; drawables, which scripts cannot
// make, show as plain widgets.
int32_t HandleTypeOf(const nWidget& widget)
{
    switch (widget.GetType())
    {
    case WidgetTypeSizer:
    case WidgetTypeVerticalSizer:
    case WidgetTypeHorizontalSizer:
        return ObjectTypeBaseSizer;
    case WidgetTypeContainer:
        return ObjectTypeContainerWidget;
    case WidgetTypeSpacer:
        return ObjectTypeSpacerWidget;
    case WidgetTypeText:
        return ObjectTypeTextWidget;
    case WidgetTypeCanvas:
        return ObjectTypeCanvasWidget;
    case WidgetTypeBitmap:
        return ObjectTypeBitmapWidget;
    case WidgetTypeCheck:
        return ObjectTypeCheckWidget;
    default:
        return ObjectTypeWidget;
    }
}

// The typed handles, each with the kinds of widget it may hold. A handle whose widget is of
// another kind could only have been made by hand; it reads as a handle on nothing.
template <int32_t HandleType, int32_t... Kinds> struct nWidgetKinds
{
    static constexpr int32_t Type = HandleType;
    static bool Holds(const nWidget& widget) { return ((widget.GetType() == Kinds) || ...); }
};

template <typename T> struct nWidgetHandle;

template <> struct nWidgetHandle<nWidget>
{
    static constexpr int32_t Type = ObjectTypeWidget;
    static bool Holds(const nWidget&) { return true; }
};

template <>
struct nWidgetHandle<nSizerWidget>
    : nWidgetKinds<ObjectTypeBaseSizer, WidgetTypeVerticalSizer, WidgetTypeHorizontalSizer>
{
};
template <>
struct nWidgetHandle<nContainerWidget> : nWidgetKinds<ObjectTypeContainerWidget, WidgetTypeContainer>
{
};
template <> struct nWidgetHandle<nCanvasWidget> : nWidgetKinds<ObjectTypeCanvasWidget, WidgetTypeCanvas>
{
};
template <> struct nWidgetHandle<nTextWidget> : nWidgetKinds<ObjectTypeTextWidget, WidgetTypeText>
{
};
template <> struct nWidgetHandle<nBitmapWidget> : nWidgetKinds<ObjectTypeBitmapWidget, WidgetTypeBitmap>
{
};
template <> struct nWidgetHandle<nCheckWidget> : nWidgetKinds<ObjectTypeCheckWidget, WidgetTypeCheck>
{
};

// The widget of the kind that the object of a typed handle is, or null.
template <typename T> T* AsKind(nWidget* widget)
{
    return widget && nWidgetHandle<T>::Holds(*widget) ? static_cast<T*>(widget) : nullptr;
}
} // namespace

template <typename T>
requires std::is_base_of_v<nWidget, T>
struct nUIObject<T>
{
    static constexpr int32_t Type = nWidgetHandle<T>::Type;
    static T* From(void* object) { return AsKind<T>(static_cast<nWidget*>(object)); }
};

namespace
{
// A handle of exactly the type of T: false after the frame's error, true with null for a handle on
// nothing.
template <typename T> bool GetWidgetOrNullArg(HSQUIRRELVM vm, SQInteger index, T*& widget)
{
    void* object = nullptr;
    if (!GetCObject(vm, index, object, nUIObject<T>::Type))
        return false;
    widget = nUIObject<T>::From(object);
    return true;
}

// What the natives typed for one kind with the null check do for a handle on nothing.
SQInteger RaiseNullObject(HSQUIRRELVM vm)
{
    return sq_throwerror(vm, "CObject is null");
}

// The natives that take a widget of any kind: "Object is not a widget", "Widget is null".
template <SQInteger (*Body)(const ScriptArgs&, nWidget&)> SQInteger AnyWidgetNative(HSQUIRRELVM vm) noexcept
{
    return GuardNative(vm,
                       [vm]() -> SQInteger
                       {
                           nWidget* widget = GetWidgetArg(vm, 2);
                           return widget ? Body(ScriptArgs(vm), *widget) : SQ_ERROR;
                       });
}

// Layout values that scripts give in pixels stay within this many pixels of the origin, so that
// the layout's sums of cell origins, margins and sizes stay far from the integer range.
constexpr int32_t MaxLayoutCoordinate = 1 << 20;

bool AreLayoutCoordinates(HSQUIRRELVM vm, std::initializer_list<int64_t> values)
{
    for (int64_t value : values)
        if (value < -MaxLayoutCoordinate || value > MaxLayoutCoordinate)
        {
            LogRefusedValue(vm, nString::Format("%lld", static_cast<long long>(value)).GetText(),
                            nString::Format("a layout value from %d to %d pixels", -MaxLayoutCoordinate,
                                            MaxLayoutCoordinate)
                                .GetText());
            return false;
        }
    return true;
}

// Casts.

SQInteger CastToWidget(const ScriptArgs& args, nWidget& widget)
{
    return PushHandle(args.GetVM(), &widget, ObjectTypeWidget);
}

// A widget of another kind answers a null handle: a typed handle on it would let the natives of
// that kind work on the wrong class.
template <typename T> SQInteger CastFromWidget(const ScriptArgs& args, nWidget& widget)
{
    return PushHandle(args.GetVM(), AsKind<T>(&widget), nWidgetHandle<T>::Type);
}

// Any widget.

template <bool WithContext> SQInteger SetEventHandler(const ScriptArgs& args, nWidget& widget)
{
    SetEventHandlerArgs(args.GetVM(), widget, 3, WithContext ? 4 : 0, WithContext ? 5 : 4);
    return 0;
}

SQInteger GetRect(const ScriptArgs& args, nWidget& widget)
{
    return PushRect(args.GetVM(), widget.GetRect()) ? 1 : SQ_ERROR;
}

SQInteger GetScreenPosition(const ScriptArgs& args, nWidget& widget)
{
    return PushVector(args.GetVM(), widget.GetScreenPosition()) ? 1 : SQ_ERROR;
}

template <void (nWidget::*Set)(int32_t)> SQInteger SetAlign(const ScriptArgs& args, nWidget& widget)
{
    int32_t align = 0;
    if (!GetEnumArg(args, 3, WidgetAlignDefault, WidgetAlignBottom, align))
        return 0;
    (widget.*Set)(align);
    widget.Invalidate();
    return 0;
}

SQInteger SetHidden(const ScriptArgs& args, nWidget& widget)
{
    const bool hidden = args.GetBool(3);
    if (hidden != widget.IsHidden())
    {
        widget.SetHidden(hidden);
        widget.SetDirty(true);
    }
    return 0;
}

SQInteger IsHidden(const ScriptArgs& args, nWidget& widget)
{
    return args.PushBool(widget.IsHidden());
}

// Weights share out a sizer's length: a negative or infinite one would hand out more than it has.
SQInteger SetFormattingSize(const ScriptArgs& args, nWidget& widget)
{
    float weights[2];
    if (GetFloatArgs(args, 3, 2, NotNegative, weights))
        widget.SetFormattingSize(weights[0], weights[1]);
    return 0;
}

// Sizers and containers.

SQInteger SetBorderSize(const ScriptArgs& args, nSizerWidget& sizer)
{
    const int32_t left = args.GetInt(3), top = args.GetInt(4), right = args.GetInt(5),
                  bottom = args.GetInt(6);
    if (!AreLayoutCoordinates(args.GetVM(), {left, top, right, bottom}))
        return 0;
    sizer.SetMargins(float(top), float(bottom), float(left), float(right));
    sizer.Invalidate();
    return 0;
}

// The holder of SizerAddWidget and ContainerAddWidget (which may hold nothing) and the widget to
// add (of any kind); false after the frame's error.
template <typename Holder> bool GetHolderAndWidget(HSQUIRRELVM vm, Holder*& holder, nWidget*& widget)
{
    if (!GetWidgetOrNullArg(vm, 2, holder))
        return false;
    widget = GetWidgetArg(vm, 3);
    return widget != nullptr;
}

// The result shows the added widget as what it is. A widget that would hold its own holder is
// refused (the widget tree has said why) with a null handle; one already there stays as it is.
SQInteger AddToSizer(HSQUIRRELVM vm)
{
    nSizerWidget* sizer = nullptr;
    nWidget* widget = nullptr;
    if (!GetHolderAndWidget(vm, sizer, widget))
        return SQ_ERROR;
    const int32_t type = HandleTypeOf(*widget);
    if (!sizer)
        return PushHandle(vm, nullptr, type);
    const bool added = widget->GetParent() == sizer || sizer->AddWidget(widget);
    return PushHandle(vm, added ? widget : nullptr, type);
}

SQInteger AddToContainer(HSQUIRRELVM vm)
{
    nContainerWidget* container = nullptr;
    nWidget* widget = nullptr;
    if (!GetHolderAndWidget(vm, container, widget))
        return SQ_ERROR;
    const ScriptArgs args(vm);
    const int32_t type = HandleTypeOf(*widget);
    const int32_t x1 = args.GetInt(4), y1 = args.GetInt(5), x2 = args.GetInt(6), y2 = args.GetInt(7);
    if (!container || !AreLayoutCoordinates(vm, {x1, y1, x2, y2}))
        return PushHandle(vm, nullptr, type);
    return PushHandle(vm, container->AddWidget(widget, x1, y1, x2, y2) ? widget : nullptr, type);
}

SQInteger SetPositionInContainer(HSQUIRRELVM vm)
{
    nContainerWidget* container = nullptr;
    if (!GetWidgetOrNullArg(vm, 2, container))
        return SQ_ERROR;
    if (!container)
        return sq_throwerror(vm, "CObject is null");
    nWidget* widget = GetWidgetArg(vm, 3);
    if (!widget)
        return SQ_ERROR;
    const nContainerCell* cell = container->FindCell(widget);
    if (!cell)
        return sq_throwerror(vm, "Widget not in container");
    const ScriptArgs args(vm);
    // The cell keeps its size, so its far corner must stay in range as well.
    const int32_t x = args.GetInt(4), y = args.GetInt(5);
    if (AreLayoutCoordinates(vm, {x, y, int64_t(x) + cell->rect.Width(), int64_t(y) + cell->rect.Height()}))
        container->SetWidgetPosition(widget, x, y);
    return 0;
}

// Pictures.

SQInteger LockCanvas(const ScriptArgs& args, nCanvasWidget& canvas)
{
    return PushHandle(args.GetVM(), canvas.Lock(), ObjectTypePicture);
}

// Text.

// Text sizes are whole pixels; colour components 0 to 255.
bool GetTextSizeArg(const ScriptArgs& args, int32_t& size)
{
    float pixels = 0.0f;
    if (!GetFloatArg(args, 3, nFloatRule{0.0f, float(MaxLayoutCoordinate)}, pixels))
        return false;
    size = args.GetInt(3);
    return true;
}

SQInteger SetSize(const ScriptArgs& args, nTextWidget& text)
{
    int32_t size = 0;
    if (GetTextSizeArg(args, size))
        text.SetSize(size);
    return 0;
}

SQInteger SetColor(const ScriptArgs& args, nTextWidget& text)
{
    float colour[4];
    if (GetFloatArgs(args, 3, 4, AnyFinite, colour))
        text.SetColor(float(args.GetInt(3)) / 255.0f, float(args.GetInt(4)) / 255.0f,
                      float(args.GetInt(5)) / 255.0f, float(args.GetInt(6)) / 255.0f);
    return 0;
}

SQInteger SetText(const ScriptArgs& args, nTextWidget& text)
{
    text.SetText(args.GetString(3));
    return 0;
}

SquirrelObject TableArg(HSQUIRRELVM vm, SQInteger index)
{
    HSQOBJECT table;
    sq_getstackobj(vm, index, &table);
    return SquirrelObject(vm, table);
}

SQInteger SetParameters(const ScriptArgs& args, nTextWidget& text)
{
    nTextAttributes attributes = text.GetAttributes();
    if (ParseTextAttributes(TableArg(args.GetVM(), 3), attributes))
        text.SetAttributes(attributes);
    return 0;
}

SQInteger ComputeRect(HSQUIRRELVM vm)
{
    nRect rectangle;
    if (!ReadRectArg(vm, 2, rectangle))
        return SQ_ERROR;
    const ScriptArgs args(vm);
    nTextAttributes attributes;
    ParseTextAttributes(TableArg(vm, 5), attributes);
    attributes.font = FontSystemGetFont(args.GetString(4));
    return PushRect(vm, ComputeTextRect(args.GetString(3), attributes, rectangle)) ? 1 : SQ_ERROR;
}

// Check boxes. The label is a part of the check widget that every check widget has, unless its
// construction ran out of memory.

SQInteger SetLabel(const ScriptArgs& args, nCheckWidget& check)
{
    if (nTextWidget* label = check.GetLabel())
        label->SetText(args.GetString(3));
    return 0;
}

SQInteger SetLabelFont(const ScriptArgs& args, nCheckWidget& check)
{
    if (nTextWidget* label = check.GetLabel())
        label->SetFont(FontSystemGetFont(args.GetString(3)));
    return 0;
}

SQInteger SetLabelSize(const ScriptArgs& args, nCheckWidget& check)
{
    int32_t size = 0;
    if (nTextWidget* label = check.GetLabel(); label && GetTextSizeArg(args, size))
        label->SetSize(size);
    return 0;
}

SQInteger GetLabel(const ScriptArgs& args, nCheckWidget& check)
{
    return PushHandle(args.GetVM(), check.GetLabel(), ObjectTypeTextWidget);
}

const nNativeEntry WidgetNatives[] = {
    {"CastToWidget", AnyWidgetNative<CastToWidget>, ".x"},
    {"WidgetToBitmap", NativeOrNull<CastFromWidget<nBitmapWidget>, AnswerNullHandle<ObjectTypeBitmapWidget>>,
     ".x"},
    {"WidgetToText", NativeOrNull<CastFromWidget<nTextWidget>, AnswerNullHandle<ObjectTypeTextWidget>>, ".x"},
    {"WidgetToCheck", NativeOrNull<CastFromWidget<nCheckWidget>, AnswerNullHandle<ObjectTypeCheckWidget>>,
     ".x"},
    {"WidgetSetEventHandler", AnyWidgetNative<SetEventHandler<false>>, ".xnc"},
    {"WidgetSetEventHandlerWithContext", AnyWidgetNative<SetEventHandler<true>>, ".xn.c"},
    {"WidgetSetSensitive", AnyWidgetNative<SetBoolOf<&nWidget::SetEnabled, nWidget>>, ".xb"},
    {"WidgetGetRect", AnyWidgetNative<GetRect>, ".x"},
    {"WidgetGetScreenPosition", NativeOrNull<GetScreenPosition, RaiseNullObject>, ".x"},
    {"WidgetSetHAlign", AnyWidgetNative<SetAlign<&nWidget::SetHorizontalAlign>>, ".xn"},
    {"WidgetSetVAlign", AnyWidgetNative<SetAlign<&nWidget::SetVerticalAlign>>, ".xn"},
    {"WidgetSetHidden", AnyWidgetNative<SetHidden>, ".xb"},
    {"WidgetIsHidden", AnyWidgetNative<IsHidden>, ".x"},
    {"WidgetSetFormattingSize", AnyWidgetNative<SetFormattingSize>, ".xnn"},
    {"SizerSetDrawDelimiter", NativeOrNull<Ignored<nSizerWidget>>, ".xb"},
    {"SizerSetBorderSize", NativeOrNull<SetBorderSize>, ".xnnnn"},
    {"SizerAddWidget", GuardedNative<AddToSizer>, ".xx"},
    {"ContainerAddWidget", GuardedNative<AddToContainer>, ".xxnnnn"},
    {"ContainerWidgetSetPosition", GuardedNative<SetPositionInContainer>, ".xxnn"},
    {"BitmapSetPicture", NativeOrNull<SetStringOf<&nBitmapWidget::SetPicture, nBitmapWidget>>, ".xs"},
    {"CanvasWidgetLock", NativeOrNull<LockCanvas, AnswerNullHandle<ObjectTypePicture>>, ".x"},
    {"CanvasWidgetUnlock", NativeOrNull<CallOf<&nCanvasWidget::Unlock>>, ".x"},
    {"TextSetAlignment",
     NativeOrNull<SetEnumOf<&nTextWidget::SetAlignment, TextAlignLeft, TextAlignJustify, nTextWidget>>,
     ".xn"},
    {"TextSetFormat",
     NativeOrNull<SetEnumOf<&nTextWidget::SetFormat, TextFormatLine, TextFormatColumn, nTextWidget>>, ".xn"},
    {"TextSetSize", NativeOrNull<SetSize>, ".xn"},
    {"TextSetColor", NativeOrNull<SetColor>, ".xnnnn"},
    {"TextSetText", NativeOrNull<SetText, RaiseNullObject>, ".xs"},
    {"TextSetParameters", NativeOrNull<SetParameters>, ".xt"},
    {"TextComputeRect", GuardedNative<ComputeRect>, ".xsst"},
    {"CheckWidgetSetLabel", NativeOrNull<SetLabel>, ".xs"},
    {"CheckWidgetSetLabelFont", NativeOrNull<SetLabelFont>, ".xs"},
    {"CheckWidgetSetLabelSize", NativeOrNull<SetLabelSize>, ".xn"},
    {"CheckWidgetSetState", NativeOrNull<SetBoolOf<&nCheckWidget::SetState>>, ".xb"},
    {"CheckWidgetGetState",
     NativeOrNull<AnswerBoolOf<&nCheckWidget::GetState, nCheckWidget>, AnswerFixedBool<false>>, ".x"},
    {"CheckWidgetGetText", NativeOrNull<GetLabel, AnswerNullHandle<ObjectTypeTextWidget>>, ".x"},
};
} // namespace

void RegisterUIWidgetApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, WidgetNatives);
}
