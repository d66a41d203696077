#pragma once

#include "core/base/nList.h"
#include "engine/items/nMItem.h"
#include "engine/scene/nScene.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/nObjectType.h"
#include "squirrel/squirrel.h"

// Every item handle, Item (24) and the typed views Camera, Object, Light, Instance, Emitter and
// Trigger, holds the nMItem itself, so a cast changes only the handle's type. The object pointer of
// a handle is always the nMItem address, never that of a derived kind or of another base.

// The item of a handle of the type on a live item; null after the call frame's error.
nMItem* GetItemArg(HSQUIRRELVM vm, SQInteger index, int32_t type = ObjectTypeItem);
// The same, except that a handle of the type on nothing is an answer of its own: true with a null
// item (a null parent unlinks, a null camera clears ...).
bool GetItemOrNullArg(HSQUIRRELVM vm, SQInteger index, int32_t type, nMItem*& item);
// A typed view whose item is not of the view's kind could only come from a handle made by hand; it
// is refused like a handle of another type.
nMItem* GetItemViewArg(HSQUIRRELVM vm, SQInteger index, int32_t type, int32_t kind);

// A new handle of the type on the item, a null handle for null: 1, or -1 when it cannot be made.
SQInteger PushItem(HSQUIRRELVM vm, nMItem* item, int32_t type = ObjectTypeItem);

// A new array of Item handles on the items that toItem gives for the list's values (nulls are
// skipped): 1, or -1 with nothing pushed when a handle cannot be made.
template <typename List, typename ToItem>
SQInteger PushItemArray(HSQUIRRELVM vm, const List& list, ToItem toItem)
{
    sq_newarray(vm, 0);
    const bool appended = list.ForEach(
        [&](const auto& value)
        {
            nMItem* item = toItem(value);
            return !item || AppendHandle(vm, item, ObjectTypeItem);
        });
    if (appended)
        return 1;
    sq_poptop(vm);
    return SQ_ERROR;
}

// The item as a handle of a typed view when it is of the view's kind; otherwise the failure text.
template <int32_t Kind, int32_t Type, const char* Failure>
SQInteger ItemCast(const ScriptArgs& args, nMItem& item)
{
    if (item.GetKind() != Kind)
        return sq_throwerror(args.GetVM(), Failure);
    return PushItem(args.GetVM(), &item, Type);
}

// An operation that sends the item's scripts events, run as a walk of its scene: a script that
// frees items meanwhile is refused rather than freeing this one under the call.
template <auto Operation> SQInteger CallInWalk(const ScriptArgs&, nMItem& item)
{
    const nScene::ItemWalk walk(*item.GetScene());
    (item.*Operation)();
    return 0;
}

template <> struct nHandleArg<nMItem>
{
    static nMItem* Get(HSQUIRRELVM vm, SQInteger index) { return GetItemArg(vm, index); }
};

// The handle reading of a typed view: nHandleArg<nMLight> derives from
// nItemViewArg<nMLight, ObjectTypeLight, ItemTypeLight>.
template <typename Kind, int32_t Type, int32_t ItemKind> struct nItemViewArg
{
    static Kind* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return static_cast<Kind*>(GetItemViewArg(vm, index, Type, ItemKind));
    }
};

class nMetaTagValue;
class nRegistry;

// The registry natives of items and of the renderer: a key set from the script value at 4 by its
// type (another type logs "[*] Incorrect binding argument count." and sets a key without value),
// and a value pushed as a float, bool, integer or string (false with nothing pushed otherwise).
void SetRegistryKeyFromArgs(const ScriptArgs& args, nRegistry& registry);

// The motion, script, command-list and registry natives of the Item group (ItemApi_scripts.cpp),
// registered after the transformation natives.
void RegisterItemScriptNatives(HSQUIRRELVM vm);
// The physics-body natives of the Item group (ItemApi_physics.cpp), registered after those.
void RegisterItemPhysicsNatives(HSQUIRRELVM vm);
