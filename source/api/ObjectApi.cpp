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

// Objects carry no skin instance until skinned drawing binds the bones of the scene file's
// "Skins": every object has 0 bones, so every bone index is outside its skin, reads a null handle
// and binds nothing.
SQInteger SkinGetItem(const ScriptArgs& args, nMObject&)
{
    return PushItem(args.GetVM(), nullptr);
}

// A null item would unbind the bone.
SQInteger SkinSetItem(const ScriptArgs& args, nMObject&)
{
    nMItem* item = nullptr;
    return GetItemOrNullArg(args.GetVM(), 4, ObjectTypeItem, item) ? 0 : SQ_ERROR;
}

const nNativeEntry ObjectNatives[] = {
    {"ObjectGetItem", Native<GetItem>, ".x"},
    {"ItemCastToObject", Native<CastToObject>, ".x"},
    {"ObjectGetGeometry", Native<GetGeometry>, ".x"},
    {"ObjectSetGeometry", Native<SetGeometry>, ".xx"},
    {"ObjectSkinGetItemCount", Native<AnswerInteger<nMObject, 0>>, ".x"},
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
