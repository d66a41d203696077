#pragma once

#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nObjectType.h"
#include "ui/nScene2D.h"
#include "ui/nSprite2D.h"
#include "ui/nWindow.h"

#include <cstdint>

// The handles of the UI group: a 2D scene is a "Window System" (12); sprites and windows share
// "Window" (13), whose record always holds the nItem2D address, so that a handle made from a window
// and one made from a sprite read alike.
template <typename T> struct nUIObject;

template <> struct nUIObject<nScene2D>
{
    static constexpr int32_t Type = ObjectTypeWindowSystem;
    static nScene2D* From(void* object) { return static_cast<nScene2D*>(object); }
};

template <> struct nUIObject<nSprite2D>
{
    static constexpr int32_t Type = ObjectTypeWindow;
    static nSprite2D* From(void* object) { return AsSprite(static_cast<nItem2D*>(object)); }
};

// A sprite read where a window is needed answers null.
template <> struct nUIObject<nWindow>
{
    static constexpr int32_t Type = ObjectTypeWindow;
    static nWindow* From(void* object)
    {
        auto* item = static_cast<nItem2D*>(object);
        return item && item->GetType() == Item2DWindow ? static_cast<nWindow*>(item) : nullptr;
    }
};

template <> struct nHandleArg<nScene2D>
{
    static nScene2D* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nScene2D>(vm, index, ObjectTypeWindowSystem);
    }
};

template <> struct nHandleArg<nSprite2D>
{
    static nSprite2D* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return nUIObject<nSprite2D>::From(GetObjectArg<nItem2D>(vm, index, ObjectTypeWindow));
    }
};

template <> struct nHandleArg<nWindow>
{
    static nWindow* Get(HSQUIRRELVM vm, SQInteger index)
    {
        auto* item = GetObjectArg<nItem2D>(vm, index, ObjectTypeWindow);
        if (!item)
            return nullptr;
        nWindow* window = nUIObject<nWindow>::From(item);
        if (!window)
            sq_throwerror(vm, "Sprite is not a window");
        return window;
    }
};

// A sprite or window handle argument that may hold nothing: false after the frame's error, true
// with null for a handle on nothing.
inline bool GetItem2DOrNullArg(HSQUIRRELVM vm, SQInteger index, nSprite2D*& item)
{
    void* object = nullptr;
    if (!GetCObject(vm, index, object, ObjectTypeWindow))
        return false;
    item = nUIObject<nSprite2D>::From(object);
    return true;
}

// A new "Window" handle on the item, or a null one.
inline SQInteger PushItem2D(HSQUIRRELVM vm, nItem2D* item)
{
    return PushHandle(vm, item, ObjectTypeWindow);
}

// What a native without the null check answers for a handle on nothing (or, for natives that need
// a window, for a sprite): nothing, a null handle of a type, or a fixed bool.
inline SQInteger AnswerNothing(HSQUIRRELVM)
{
    return 0;
}

template <int32_t Type> SQInteger AnswerNullHandle(HSQUIRRELVM vm)
{
    return PushHandle(vm, nullptr, Type);
}

template <bool Value> SQInteger AnswerFixedBool(HSQUIRRELVM vm)
{
    sq_pushbool(vm, Value ? SQTrue : SQFalse);
    return 1;
}

// The native of a body whose first handle may hold nothing: a wrong type still raises the frame's
// error, a handle on nothing gives OnNull's answer, and the body runs on anything else.
template <auto Body, SQInteger (*OnNull)(HSQUIRRELVM) = AnswerNothing> SQInteger NativeOrNull(HSQUIRRELVM vm) noexcept
{
    using Object = typename nNativeBodyTraits<decltype(Body)>::Object;
    return GuardNative(vm,
                       [vm]() -> SQInteger
                       {
                           void* handle = nullptr;
                           if (!GetCObject(vm, 2, handle, nUIObject<Object>::Type))
                               return SQ_ERROR;
                           Object* object = handle ? nUIObject<Object>::From(handle) : nullptr;
                           return object ? Body(ScriptArgs(vm), *object) : OnNull(vm);
                       });
}
