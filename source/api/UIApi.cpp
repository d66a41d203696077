#include "api/UIApi.h"

#include "api/SceneApi.h"
#include "api/ScriptApiGroups.h"
#include "api/UIApiGroups.h"
#include "core/base/nLog.h"
#include "core/math/nVector.h"
#include "geometry/nTexture.h"
#include "platform/nstring/nString.h"
#include "render/nEngineServices.h"
#include "script/binding/ScriptArgs.h"
#include "script/classes/ScriptVector.h"
#include "ui/nCheckWidget.h"
#include "ui/nContainerWidget.h"
#include "ui/nDrawableWidget.h"
#include "ui/nFontSystem.h"
#include "ui/nSizerWidget.h"
#include "ui/nSpacerWidget.h"
#include "ui/nTextAttributes.h"
#include "ui/nTextWidget.h"

#include <new>

namespace
{
// The largest side of a canvas: a window's cache stops there, so a larger canvas could never show.
constexpr int32_t MaxCanvasSide = int32_t(nWindow::MaxCacheSide);
// Text and check widgets start at this pixel size.
constexpr int32_t WidgetTextSize = 16;

nString IdName(int32_t id)
{
    return nString::Format("%d", id);
}

SQInteger GetScriptInstance(const ScriptArgs& args, nScene2D& ui)
{
    return PushScriptInstance(args.GetVM(), ui.GetScriptUnit().GetInstance());
}

SQInteger SceneGetUI(const ScriptArgs& args, nScene& scene)
{
    return PushHandle(args.GetVM(), scene.GetUI(), ObjectTypeWindowSystem);
}

// The scene refuses sizes that are not positive with its own line and keeps the old ones: they
// divide the cursor's and the layer offset's coordinates later.
SQInteger SetInternalResolution(const ScriptArgs& args, nScene2D& ui)
{
    float size[2];
    if (GetFloatArgs(args, 3, 2, AnyFinite, size))
        ui.SetInternalResolution(float(args.GetInt(3)), float(args.GetInt(4)));
    return 0;
}

SQInteger GetInternalResolution(const ScriptArgs& args, nScene2D& ui)
{
    return PushVector(args.GetVM(), nVector(ui.GetInternalWidth(), ui.GetInternalHeight(), 0.0f, 1.0f))
               ? 1
               : SQ_ERROR;
}

SQInteger LoadBitmap(const ScriptArgs& args, nScene2D& ui)
{
    nEngineServices* engine = ui.GetEngine();
    return args.PushBool(engine && engine->LoadPicture(args.GetString(3), false) != nullptr);
}

SQInteger UnloadBitmap(const ScriptArgs& args, nScene2D& ui)
{
    return args.PushBool(ui.UnloadBitmap(args.GetString(3)));
}

SQInteger LoadFont(HSQUIRRELVM vm)
{
    return PushHandle(vm, FontSystemLoadFont(ScriptArgs(vm).GetString(2)), ObjectTypeTruetypeFont);
}

SQInteger GetFont(HSQUIRRELVM vm)
{
    return PushHandle(vm, FontSystemFindFont(ScriptArgs(vm).GetString(2)), ObjectTypeTruetypeFont);
}

SQInteger SetSkin(const ScriptArgs& args, nScene2D& ui)
{
    const char* paths[Scene2DSkinPartCount];
    for (uint32_t part = 0; part < Scene2DSkinPartCount; ++part)
        paths[part] = args.GetString(3 + int32_t(part));
    return args.PushBool(ui.SetSkin(paths, uint32_t(args.GetInt(11)), uint32_t(args.GetInt(12)),
                                    args.GetInt(13), args.GetInt(14), args.GetInt(15), args.GetString(16)));
}

SQInteger GetCursorWindow(const ScriptArgs& args, nScene2D& ui)
{
    return PushItem2D(args.GetVM(), ui.GetCursor());
}

SQInteger Render(const ScriptArgs&, nScene2D& ui)
{
    ui.Render(true);
    return 0;
}

SQInteger SetFadeColor(const ScriptArgs& args, nScene2D& ui)
{
    float colour[3];
    if (GetFloatArgs(args, 3, 3, AnyFinite, colour))
        ui.SetFadeColor(args.GetInt(3), args.GetInt(4), args.GetInt(5));
    return 0;
}

SQInteger GetWindowBelowCursor(const ScriptArgs& args, nScene2D& ui)
{
    return PushItem2D(args.GetVM(), ui.GetWindowBelowCursor());
}

// A null item is left alone; an item of another scene is refused by the scene with its line.
SQInteger DeleteWindow(const ScriptArgs& args, nScene2D& ui)
{
    nSprite2D* item = nullptr;
    if (!GetItem2DOrNullArg(args.GetVM(), 3, item))
        return SQ_ERROR;
    if (item)
        ui.DeleteItem(item);
    return 0;
}

// The windows that hold the widget as their base widget let it go. A widget moved into another
// window's tree keeps only its newest window, so every window of its scene is asked (windows of
// other scenes never take it).
void ForgetBaseWidget(nScene2D* scene, nWidget& widget)
{
    if (!scene)
        return;
    for (auto* node = scene->GetItems().GetHead(); node; node = node->next)
        if (node->value->GetType() == Item2DWindow)
        {
            auto* window = static_cast<nWindow*>(node->value);
            if (window->GetBaseWidget() == &widget)
                window->ForgetWidget(&widget);
        }
}

// The widget goes at once: its parent list or cell, its window and every window holding it as
// base widget let it go, the scene's input records hold it weakly, and its handles turn dead. The
// handle argument keeps a reference until then, so letting the windows go cannot free it early.
SQInteger DeleteWidget(const ScriptArgs& args, nScene2D&)
{
    nWidget* widget = GetWidgetArg(args.GetVM(), 3);
    if (!widget)
        return SQ_ERROR;
    if (!widget->GetPartOf()) // a part of another widget is refused by DeleteNow with its line
        ForgetBaseWidget(widget->GetScene(), *widget);
    widget->DeleteNow();
    return 0;
}

SQInteger LockToWindow(const ScriptArgs& args, nScene2D& ui)
{
    nSprite2D* window = nullptr;
    if (!GetItem2DOrNullArg(args.GetVM(), 3, window))
        return SQ_ERROR;
    ui.LockToWindow(window);
    return 0;
}

// Adds the new item to the scene and answers its handle; a null handle when it cannot be made.
SQInteger AddAndPush(HSQUIRRELVM vm, nScene2D& ui, nSprite2D* item)
{
    if (!item)
    {
        nLogHolder::Get() << "[!] Failed to allocate a new 2D item.\n";
        return PushItem2D(vm, nullptr);
    }
    return PushItem2D(vm, ui.AddItem(item));
}

// A place that is not finite makes no item: the natives answer a null handle.
bool ReadPlacement(const ScriptArgs& args, int32_t first, float position[2], float size[2])
{
    float placement[4];
    if (!GetFloatArgs(args, first, 4, AnyFinite, placement))
        return false;
    position[0] = placement[0];
    position[1] = placement[1];
    size[0] = placement[2];
    size[1] = placement[3];
    return true;
}

SQInteger AddSprite(const ScriptArgs& args, nScene2D& ui)
{
    void* texture = nullptr;
    if (!GetCObject(args.GetVM(), 4, texture, ObjectTypeTexture))
        return SQ_ERROR;
    float position[2], size[2];
    if (!ReadPlacement(args, 5, position, size))
        return PushItem2D(args.GetVM(), nullptr);
    const nString name = IdName(args.GetInt(3));
    auto* sprite = new (std::nothrow)
        nSprite2D(&ui, static_cast<nTexture*>(texture), nullptr, name.GetText(), position, size);
    return AddAndPush(args.GetVM(), ui, sprite);
}

// False when the placement is refused; otherwise true with the new window, null when it could not
// be made.
bool NewWindow(const ScriptArgs& args, nScene2D& ui, int32_t placementIndex, nWindow*& window)
{
    float position[2], size[2];
    if (!ReadPlacement(args, placementIndex, position, size))
        return false;
    const nString name = IdName(args.GetInt(3));
    window = new (std::nothrow) nWindow(&ui, nullptr, name.GetText(), "Window", position, size);
    return true;
}

SQInteger AddWindow(const ScriptArgs& args, nScene2D& ui)
{
    nWindow* window = nullptr;
    if (!NewWindow(args, ui, 4, window))
        return PushItem2D(args.GetVM(), nullptr);
    return AddAndPush(args.GetVM(), ui, window);
}

SQInteger AddBitmapWindow(const ScriptArgs& args, nScene2D& ui)
{
    nWindow* window = nullptr;
    if (!NewWindow(args, ui, 5, window))
        return PushItem2D(args.GetVM(), nullptr);
    if (window)
        window->SetBackgroundPicture(args.GetString(4));
    return AddAndPush(args.GetVM(), ui, window);
}

// A new widget of the scene, held by nothing but the handle it is answered in.
template <int32_t HandleType> SQInteger PushNewWidget(HSQUIRRELVM vm, nWidget* widget)
{
    if (!widget)
        nLogHolder::Get() << "[!] Failed to allocate a new widget.\n";
    return PushHandle(vm, widget, HandleType);
}

template <typename Widget, int32_t HandleType> SQInteger AddWidget(const ScriptArgs& args, nScene2D& ui)
{
    return PushNewWidget<HandleType>(args.GetVM(), new (std::nothrow) Widget(&ui, args.GetInt(3)));
}

SQInteger AddCanvasWidget(const ScriptArgs& args, nScene2D& ui)
{
    float size[2];
    if (!GetFloatArgs(args, 4, 2, nFloatRule{1.0f, float(MaxCanvasSide)}, size))
        return PushHandle(args.GetVM(), nullptr, ObjectTypeCanvasWidget);
    auto* canvas = new (std::nothrow) nCanvasWidget(&ui, args.GetInt(3), int32_t(size[0]), int32_t(size[1]));
    return PushNewWidget<ObjectTypeCanvasWidget>(args.GetVM(), canvas);
}

SQInteger AddBitmapWidget(const ScriptArgs& args, nScene2D& ui)
{
    auto* bitmap = new (std::nothrow) nBitmapWidget(&ui, args.GetInt(3));
    if (bitmap)
        bitmap->SetPicture(args.GetString(4));
    return PushNewWidget<ObjectTypeBitmapWidget>(args.GetVM(), bitmap);
}

void SetUpText(nTextWidget& text, const char* content, const char* fontName)
{
    text.SetText(content);
    text.SetFont(FontSystemGetFont(fontName));
    text.SetSize(WidgetTextSize);
}

SQInteger AddStaticTextWidget(const ScriptArgs& args, nScene2D& ui)
{
    auto* text = new (std::nothrow) nTextWidget(&ui, args.GetInt(3));
    if (text)
        SetUpText(*text, args.GetString(4), args.GetString(5));
    return PushNewWidget<ObjectTypeTextWidget>(args.GetVM(), text);
}

SQInteger AddCheckWidget(const ScriptArgs& args, nScene2D& ui)
{
    auto* check = new (std::nothrow) nCheckWidget(&ui, args.GetInt(3));
    if (check)
    {
        if (nTextWidget* label = check->GetLabel())
            SetUpText(*label, args.GetString(4), args.GetString(5));
        check->SetState(args.GetBool(6));
    }
    return PushNewWidget<ObjectTypeCheckWidget>(args.GetVM(), check);
}

const nNativeEntry UINatives[] = {
    {"UIGetScriptInstance", Native<GetScriptInstance>, ".x"},
    {"SceneGetUI", Native<SceneGetUI>, ".x"},
    {"UISetInternalResolution", Native<SetInternalResolution>, ".xnn"},
    {"UIGetInternalResolution", Native<GetInternalResolution>, ".x"},
    {"UILoadBitmap", Native<LoadBitmap>, ".xs"},
    {"UIUnloadBitmap", Native<UnloadBitmap>, ".xs"},
    {"UILoadFont", GuardedNative<LoadFont>, ".s"},
    {"UIGetFont", GuardedNative<GetFont>, ".s"},
    {"UISetSkin", NativeOrNull<SetSkin>, ".xssssssssnnnnns"},
    {"UISetCursor", NativeOrNull<SetStringOf<&nScene2D::SetCursor, nScene2D>>, ".xs"},
    {"UISetCursorAutoHideDelay", NativeOrNull<SetFloatOf<&nScene2D::SetCursorAutoHideDelay>>, ".xn"},
    {"UIGetCursorWindow", Native<GetCursorWindow>, ".x"},
    {"UISetCommandList", Native<SetStringOf<&nScene2D::SetCommandList, nScene2D>>, ".xs"},
    {"UIIsCommandListDone", Native<AnswerBoolOf<&nScene2D::IsCommandListDone, nScene2D>>, ".x"},
    {"UIRender", Native<Render>, ".x"},
    {"UISetGlobalFadeEffect", Native<SetFloatOf<&nScene2D::SetFade>>, ".xn"},
    {"UISetGlobalFadeColor", NativeOrNull<SetFadeColor>, ".xnnn"},
    {"UISetAceUseRawClock", Native<SetBoolOf<&nScene2D::SetUseRawClock>>, ".xb"},
    {"UIGetWindowBelowCursor", Native<GetWindowBelowCursor>, ".x"},
    {"UIDeleteWindow", Native<DeleteWindow>, ".xx"},
    {"UIDeleteWidget", Native<DeleteWidget>, ".xx"},
    {"UILockToWindow", Native<LockToWindow>, ".xx"},
    {"UIUnlock", Native<CallOf<&nScene2D::Unlock>>, ".x"},
    {"UIAddSprite", Native<AddSprite>, ".xnxnnnn"},
    {"UIAddWindow", Native<AddWindow>, ".xnnnnn"},
    {"UIAddBitmapWindow", NativeOrNull<AddBitmapWindow, AnswerNullHandle<ObjectTypeWindow>>, ".xnsnnnn"},
    {"UIAddCanvasWidget", NativeOrNull<AddCanvasWidget, AnswerNullHandle<ObjectTypeCanvasWidget>>, ".xnnn"},
    {"UIAddHorizontalSizerWidget",
     NativeOrNull<AddWidget<nHSizerWidget, ObjectTypeBaseSizer>, AnswerNullHandle<ObjectTypeBaseSizer>>,
     ".xn"},
    {"UIAddVerticalSizerWidget",
     NativeOrNull<AddWidget<nVSizerWidget, ObjectTypeBaseSizer>, AnswerNullHandle<ObjectTypeBaseSizer>>,
     ".xn"},
    {"UIAddContainerWidget",
     NativeOrNull<AddWidget<nContainerWidget, ObjectTypeContainerWidget>,
                  AnswerNullHandle<ObjectTypeContainerWidget>>,
     ".xn"},
    {"UIAddSpacerWidget",
     NativeOrNull<AddWidget<nSpacerWidget, ObjectTypeSpacerWidget>, AnswerNullHandle<ObjectTypeSpacerWidget>>,
     ".xn"},
    {"UIAddBitmapWidget", NativeOrNull<AddBitmapWidget, AnswerNullHandle<ObjectTypeBitmapWidget>>, ".xns"},
    {"UIAddStaticTextWidget", NativeOrNull<AddStaticTextWidget, AnswerNullHandle<ObjectTypeTextWidget>>,
     ".xnss"},
    {"UIAddCheckWidget", NativeOrNull<AddCheckWidget, AnswerNullHandle<ObjectTypeCheckWidget>>, ".xnssb"},
};

const nIntegerConstantEntry UIConstants[] = {
    {"StyleBlendAdditive", StyleBlendAdditive},
    {"StyleAlwaysOnTop", StyleAlwaysOnTop},
    {"StyleAlwaysBehind", StyleAlwaysBehind},
    {"StyleNonSensitive", StyleNonSensitive},
    {"StyleResolutionInvariant", StyleResolutionInvariant},
    {"StyleNoDecoration", StyleNoDecoration},
    {"StyleLockUV", StyleLockUV},
    {"StyleNoTitleBar", StyleNoTitleBar},
    {"StyleMovable", StyleMovable},
    {"StyleNonSkinned", StyleNoDecoration},
    {"WidgetAlignDefault", WidgetAlignDefault},
    {"WidgetAlignLeft", WidgetAlignLeft},
    {"WidgetAlignTop", WidgetAlignTop},
    {"WidgetAlignMiddle", WidgetAlignMiddle},
    {"WidgetAlignRight", WidgetAlignRight},
    {"WidgetAlignBottom", WidgetAlignBottom},
    {"TextAlignLeft", TextAlignLeft},
    {"TextAlignRight", TextAlignRight},
    {"TextAlignCenter", TextAlignCenter},
    {"TextAlignJustify", TextAlignJustify},
    {"TextFormatStandard", TextFormatLine},
    {"TextFormatLine", TextFormatLine},
    {"TextFormatParagraph", TextFormatParagraph},
    {"TextFormatColumn", TextFormatColumn},
    {"EventLeftMouseClick", EventLeftMouseClick},
    {"EventRightMouseClick", EventRightMouseClick},
    {"EventMiddleMouseClick", EventMiddleMouseClick},
    {"EventLeftMouseDown", EventLeftMouseDown},
    {"EventRightMouseDown", EventRightMouseDown},
    {"EventMiddleMouseDown", EventMiddleMouseDown},
    {"EventLeftMouseUp", EventLeftMouseUp},
    {"EventRightMouseUp", EventRightMouseUp},
    {"EventMiddleMouseUp", EventMiddleMouseUp},
    {"EventMouseEnter", EventMouseEnter},
    {"EventMouseLeave", EventMouseLeave},
    {"EventMouseMove", EventMouseMove},
    {"EventShade", EventShade},
    {"EventUnshade", EventUnshade},
    {"EventMove", EventMove},
};
} // namespace

void RegisterUIApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, UINatives);
    RegisterUIWindowApi(vm);
    RegisterUIWidgetApi(vm);
    RegisterNullHandleConstant(vm, "NullWindow", ObjectTypeWindow);
    RegisterIntegerConstants(vm, UIConstants);
}
