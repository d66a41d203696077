#include "api/ItemApi.h"
#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "engine/Quenvar.h"
#include "engine/items/nMObject.h"
#include "geometry/nGeometry.h"
#include "render/nRenderGeometry.h"
#include "render/nRenderer.h"

template <> struct nHandleArg<nMObject> : nItemViewArg<nMObject, ObjectTypeObject, ItemTypeObject>
{
};

namespace
{
SQInteger GetItem(const ScriptArgs& args, nMObject& object)
{
    return PushItem(args.GetVM(), &object);
}

// Not an error for the script: a null Object handle and one line.
SQInteger CastToObject(const ScriptArgs& args, nMItem& item)
{
    if (item.GetKind() == ItemTypeObject)
        return PushItem(args.GetVM(), &item, ObjectTypeObject);
    nLogHolder::Get() << "[!] Incorrect cast, item is not an object.\n";
    return PushItem(args.GetVM(), nullptr, ObjectTypeObject);
}

SQInteger GetGeometry(const ScriptArgs& args, nMObject& object)
{
    return PushHandle(args.GetVM(), object.GetObject().GetGeometry(), ObjectTypeGeometry);
}

SQInteger SetGeometry(const ScriptArgs& args, nMObject& object)
{
    nGeometry* geometry = GetObjectArg<nGeometry>(args.GetVM(), 3, ObjectTypeGeometry);
    if (!geometry)
        return SQ_ERROR;
    Quenvar* engine = object.GetItem()->GetEngine();
    if (!geometry->renderData && engine)
        geometry->renderData = engine->GetRenderer()->SetupGeometry(geometry);
    object.GetObject().SetGeometry(geometry);
    return 0;
}

SQInteger SkinGetItemCount(const ScriptArgs& args, nMObject& object)
{
    return args.PushInt(int32_t(object.GetObject().GetBoneCount()));
}

// A negative index, one past the bones and an unbound bone all read a null handle.
SQInteger SkinGetItem(const ScriptArgs& args, nMObject& object)
{
    const int32_t index = args.GetInt(3);
    nItem* bone = index < 0 ? nullptr : object.GetObject().GetBone(uint32_t(index));
    return PushItem(args.GetVM(), bone ? bone->GetMItem() : nullptr);
}

// A null item unbinds the bone. Only an item of the object's own scene may move a bone: deleting
// an item unbinds it from the objects of its scene, so a bone held elsewhere would outlive it.
SQInteger SkinSetItem(const ScriptArgs& args, nMObject& object)
{
    nMItem* item = nullptr;
    if (!GetItemOrNullArg(args.GetVM(), 4, ObjectTypeItem, item))
        return SQ_ERROR;
    const int32_t index = args.GetInt(3);
    nObject& skinned = object.GetObject();
    nLog& log = nLogHolder::Get();
    if (index < 0 || uint32_t(index) >= skinned.GetBoneCount())
        log << "[!] Bone index " << index << " out of range, object '" << object.GetName() << "' has "
            << skinned.GetBoneCount() << " bones.\n";
    else if (item && item->GetScene() != object.GetScene())
        log << "[!] Item '" << item->GetName() << "' cannot move a bone of object '" << object.GetName()
            << "' of another scene.\n";
    else
        skinned.BindBone(uint32_t(index), item ? item->GetItem() : nullptr);
    return 0;
}

const nNativeEntry ObjectNatives[] = {
    {"ObjectGetItem", Native<GetItem>, ".x"},
    {"ItemCastToObject", Native<CastToObject>, ".x"},
    {"ObjectGetGeometry", Native<GetGeometry>, ".x"},
    {"ObjectSetGeometry", Native<SetGeometry>, ".xx"},
    {"ObjectSkinGetItemCount", Native<SkinGetItemCount>, ".x"},
    {"ObjectSkinGetItem", Native<SkinGetItem>, ".xi"},
    {"ObjectSkinSetItem", Native<SkinSetItem>, ".xix"},
    {"ObjectSetSkinMotion", Native<Ignored<nMObject>>, ".xs"},
    {"ObjectSetSkinMotionClockScale", Native<Ignored<nMObject>>, ".xf"},
    {"ObjectStopAllSkinMotion", Native<Ignored<nMObject>>, ".x"},
};
} // namespace

void RegisterObjectApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, ObjectNatives);
}
