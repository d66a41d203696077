#include "api/CoreApi_cobject.h"

#include "api/ScriptApi.h"
#include "core/base/nLog.h"
#include "core/math/nMatrix4.h"
#include "engine/Quenvar.h"
#include "engine/items/nItem.h"
#include "engine/items/nMItem.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "physics/nPhysicShape.h"
#include "platform/nstring/nString.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/classes/ScriptMatrix.h"
#include "script/classes/ScriptVector.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "ui/nScene2D.h"

namespace
{
constexpr int32_t AllImportFlags = -1;

// The record of the handle at the index, or null for any other value (without an error).
const nCObject* RecordAt(HSQUIRRELVM vm, SQInteger index)
{
    return static_cast<const nCObject*>(GetClassInstanceValue(vm, index, nCObject::GetClassDescriptor()));
}

// "this" for the methods that take any handle, the empty ones included.
const nCObject* ThisRecord(HSQUIRRELVM vm)
{
    if (!IsClassInstance(vm, 1, nCObject::GetClassDescriptor()))
    {
        sq_throwerror(vm, "Invalid instance type");
        return nullptr;
    }
    const nCObject* record = RecordAt(vm, 1);
    if (!record)
        sq_throwerror(vm, "Internal failure");
    return record;
}

const char* TextOf(const nString& text)
{
    return text.GetText() ? text.GetText() : "";
}

// A second constructor call empties the handle.
SQInteger Constructor(HSQUIRRELVM vm)
{
    if (!IsClassInstance(vm, 1, nCObject::GetClassDescriptor()))
        return sq_throwerror(vm, "Invalid instance type");
    return ResetCObject(vm, 1, nullptr, ObjectTypeUndefined) ? 0 : sq_throwerror(vm, "Internal failure");
}

SQInteger Compare(HSQUIRRELVM vm)
{
    const nCObject* record = ThisRecord(vm);
    if (!record)
        return SQ_ERROR;
    const nCObject* other = RecordAt(vm, 2);
    return ScriptArgs(vm).PushBool(other && other->GetObject() == record->GetObject());
}

SQInteger IsValid(HSQUIRRELVM vm)
{
    const nCObject* record = ThisRecord(vm);
    return record ? ScriptArgs(vm).PushBool(record->GetObject() != nullptr) : SQ_ERROR;
}

SQInteger IsNull(HSQUIRRELVM vm)
{
    const nCObject* record = ThisRecord(vm);
    return record ? ScriptArgs(vm).PushBool(record->GetObject() == nullptr) : SQ_ERROR;
}

SQInteger Type(HSQUIRRELVM vm)
{
    const nCObject* record = ThisRecord(vm);
    return record ? ScriptArgs(vm).PushInt(record->GetType()) : SQ_ERROR;
}

// The window system's own command lists come with the 2D layer; until then only items run them.
constexpr uint32_t CommandListKinds = HandleKindItem | HandleKindWindowSystem;
constexpr const char* NoCommandLists = "Object cannot execute command lists";

// A 2D layer runs its command lists on its own ACE manager, an item on its scene's.
SQInteger IsCommandListDone(HSQUIRRELVM vm)
{
    nHandleTarget target;
    if (!GetHandleTarget(vm, CommandListKinds, NoCommandLists, target))
        return SQ_ERROR;
    const bool done = target.kind == HandleKindWindowSystem
                          ? static_cast<nScene2D*>(target.object)->IsCommandListDone()
                          : static_cast<nMItem*>(target.object)->IsCommandListDone();
    return ScriptArgs(vm).PushBool(done);
}

SQInteger SetCommandList(HSQUIRRELVM vm)
{
    nHandleTarget target;
    if (!GetHandleTarget(vm, CommandListKinds, NoCommandLists, target))
        return SQ_ERROR;
    const char* text = ScriptArgs(vm).GetString(2);
    if (target.kind == HandleKindWindowSystem)
        return ScriptArgs(vm).PushInt(static_cast<nScene2D*>(target.object)->SetCommandList(text));
    nMItem* item = static_cast<nMItem*>(target.object);
    nScene* scene = item->GetScene();
    return ScriptArgs(vm).PushInt(scene ? scene->CompileCommandList(text, item) : -1);
}

SQInteger Name(HSQUIRRELVM vm)
{
    nHandleTarget target;
    if (!GetHandleTarget(vm, HandleKindScene | HandleKindItem, "Object has no name", target))
        return SQ_ERROR;
    const nString& name = target.kind == HandleKindScene ? static_cast<nScene*>(target.object)->GetName()
                                                         : static_cast<nMItem*>(target.object)->GetName();
    return ScriptArgs(vm).PushString(TextOf(name));
}

SQInteger SetName(HSQUIRRELVM vm)
{
    nMItem* item = GetHandleThis<nMItem>(vm, HandleKindItem, "Cannot set object name");
    if (!item)
        return SQ_ERROR;
    item->SetName(ScriptArgs(vm).GetString(2));
    return 0;
}

// A file that does not load has said why; the script gets an empty group.
SQInteger Load(HSQUIRRELVM vm)
{
    nScene* scene = GetHandleThis<nScene>(vm, HandleKindScene, "Object cannot be loaded");
    if (!scene)
        return SQ_ERROR;
    const ScriptArgs args(vm);
    const int32_t flags = args.GetCount() >= 3 ? args.GetInt(3) : AllImportFlags;
    nGroup* group = nullptr;
    if (!scene->LoadFromFile(args.GetString(2), &group, static_cast<uint32_t>(flags), 0))
        group = nullptr;
    return PushHandleResult(vm, group, ObjectTypeSceneGroup);
}

// Where items and collision shapes stand: the item's local value, the shape's own field.
struct nPlacement
{
    const char* refusal;
    const nVector& (nItem::*get)() const;
    void (nItem::*set)(const nVector&);
    nVector nPhysicShape::*field;
};

constexpr uint32_t PlacedKinds = HandleKindItem | HandleKindShape;
constexpr nPlacement PositionPlacement = {"Object has no position", &nItem::GetPosition, &nItem::SetPosition,
                                          &nPhysicShape::position};
constexpr nPlacement RotationPlacement = {"Object has no rotation", &nItem::GetRotation, &nItem::SetRotation,
                                          &nPhysicShape::rotation};

template <const nPlacement& Placement> SQInteger SetPlacement(HSQUIRRELVM vm)
{
    nHandleTarget target;
    nVector value;
    if (!GetHandleTarget(vm, PlacedKinds, Placement.refusal, target) || !GetVectorArg(vm, 2, value))
        return SQ_ERROR;
    if (target.kind == HandleKindShape)
        static_cast<nPhysicShape*>(target.object)->*Placement.field = value;
    else if (nItem* item = static_cast<nMItem*>(target.object)->GetItem())
        (item->*Placement.set)(value);
    return 0;
}

template <const nPlacement& Placement> SQInteger GetPlacement(HSQUIRRELVM vm)
{
    nHandleTarget target;
    if (!GetHandleTarget(vm, PlacedKinds, Placement.refusal, target))
        return SQ_ERROR;
    if (target.kind == HandleKindShape)
        return PushVectorResult(vm, static_cast<nPhysicShape*>(target.object)->*Placement.field);
    const nItem* item = static_cast<nMItem*>(target.object)->GetItem();
    return PushVectorResult(vm, item ? (item->*Placement.get)() : nVector());
}

SQInteger SceneOfItem(HSQUIRRELVM vm)
{
    nMItem* item = GetThisItem(vm);
    return item ? PushHandleResult(vm, item->GetScene(), ObjectTypeScene) : SQ_ERROR;
}

SQInteger SetNoTarget(HSQUIRRELVM vm)
{
    nMItem* item = GetThisItem(vm);
    if (!item)
        return SQ_ERROR;
    if (nItem* node = item->GetItem())
        node->SetTarget(nullptr);
    return 0;
}

SQInteger SetParent(HSQUIRRELVM vm)
{
    nMItem* item = GetThisItem(vm);
    nMItem* parent = item ? GetItemArgument(vm, 2) : nullptr;
    if (!parent)
        return SQ_ERROR;
    if (item->GetItem() && parent->GetItem())
        item->GetItem()->SetParent(parent->GetItem());
    return 0;
}

// As the last update left it: scripts that read it mid-frame rely on that.
SQInteger Matrix(HSQUIRRELVM vm)
{
    nMItem* item = GetThisItem(vm);
    if (!item)
        return SQ_ERROR;
    const nMatrix4 world = item->GetItem() ? item->GetItem()->GetStoredWorldMatrix() : nMatrix4();
    return PushMatrix4(vm, world) ? 1 : sq_throwerror(vm, "Failed to create Matrix4 instance.");
}

SQInteger WorldPosition(HSQUIRRELVM vm)
{
    nMItem* item = GetThisItem(vm);
    if (!item)
        return SQ_ERROR;
    return PushVectorResult(vm, item->GetItem() ? item->GetItem()->GetWorldPosition() : nVector());
}

SQInteger UserInterface(HSQUIRRELVM vm)
{
    nScene* scene = GetHandleThis<nScene>(vm, HandleKindScene, "Invalid type");
    return scene ? PushHandleResult(vm, scene->GetUI(), ObjectTypeWindowSystem) : SQ_ERROR;
}

SQInteger CurrentCamera(HSQUIRRELVM vm)
{
    nScene* scene = GetHandleThis<nScene>(vm, HandleKindScene, "Invalid type");
    if (!scene)
        return SQ_ERROR;
    nItem* camera = scene->GetCurrentCamera();
    return PushHandleResult(vm, camera ? camera->GetMItem() : nullptr, ObjectTypeCamera);
}

// The scene forgets its camera only when one of its own items goes, so an item of another scene
// would be left dangling there.
SQInteger SetCurrentCamera(HSQUIRRELVM vm)
{
    nScene* scene = GetHandleThis<nScene>(vm, HandleKindScene, "Invalid type");
    nMItem* camera = scene ? GetItemArgument(vm, 2) : nullptr;
    if (!camera)
        return SQ_ERROR;
    if (camera->GetScene() != scene)
    {
        nLogHolder::Get() << "[!] Item '" << camera->GetName() << "' is not in scene '" << scene->GetName()
                          << "': it cannot be its current camera.\n";
        return 0;
    }
    scene->SetCurrentCamera(camera->GetItem());
    return 0;
}

SQInteger FindGroup(HSQUIRRELVM vm)
{
    nHandleTarget target;
    if (!GetHandleTarget(vm, HandleKindScene | HandleKindGroup, "Object does not contain groups", target))
        return SQ_ERROR;
    const char* name = ScriptArgs(vm).GetString(2);
    nGroup* group = nullptr;
    if (name)
        group = target.kind == HandleKindScene ? static_cast<nScene*>(target.object)->FindGroup(name)
                                               : static_cast<nGroup*>(target.object)->FindGroup(name);
    return PushHandleResult(vm, group, ObjectTypeSceneGroup);
}

// The geometry handle is checked for its object first, as scripts pass "no geometry" that way.
SQInteger AddObject(HSQUIRRELVM vm)
{
    nScene* scene = GetHandleThis<nScene>(vm, HandleKindScene, "Invalid type");
    if (!scene)
        return SQ_ERROR;
    const ScriptArgs args(vm);
    if (args.GetCount() > 3)
        return sq_throwerror(vm, "Too many parameters");
    const char* name = "New Object";
    if (args.GetCount() >= 2)
    {
        name = args.GetString(2);
        if (args.GetType(2) != OT_STRING || !name)
            return sq_throwerror(vm, "Expected string as object name");
    }
    nGeometry* geometry = nullptr;
    if (args.GetCount() >= 3)
    {
        const nCObject* record = RecordAt(vm, 3);
        if (!record)
            return sq_throwerror(vm, "Invalid instance type");
        if (!record->GetObject())
            return sq_throwerror(vm, "C Object is null");
        if (record->GetType() != ObjectTypeGeometry)
            return sq_throwerror(vm, nString::Format("Expected '%s' got '%s'",
                                                     GetObjectTypeDescription(ObjectTypeGeometry),
                                                     GetObjectTypeDescription(record->GetType()))
                                         .GetText());
        geometry = static_cast<nGeometry*>(record->GetObject());
    }
    return PushHandleResult(vm, scene->NewObject(name, geometry), ObjectTypeObject);
}

// Whatever the kind of the item found, the handle is an Item handle.
SQInteger FindItem(HSQUIRRELVM vm)
{
    nHandleTarget target;
    if (!GetHandleTarget(vm, HandleKindScene | HandleKindGroup | HandleKindInstance,
                         "Object does not contain items", target))
        return SQ_ERROR;
    const ScriptArgs args(vm);
    const bool byUid = args.GetType(2) == OT_INTEGER;
    const char* name = args.GetString(2);
    nMItem* found = nullptr;
    if (target.kind == HandleKindScene)
    {
        nScene* scene = static_cast<nScene*>(target.object);
        found = byUid ? scene->FindMItemByUid(args.GetInt(2)) : (name ? scene->FindItem(name) : nullptr);
    }
    else
    {
        const nGroup* group = target.kind == HandleKindGroup
                                  ? static_cast<nGroup*>(target.object)
                                  : static_cast<nInstance*>(static_cast<nMItem*>(target.object))->GetGroup();
        if (group)
            found = byUid ? group->FindItemByUid(args.GetInt(2)) : (name ? group->FindItem(name) : nullptr);
    }
    return PushHandleResult(vm, found, ObjectTypeItem);
}

// The engine's cache owns the geometry; without the flag it stays on the CPU side.
SQInteger LoadGeometry(HSQUIRRELVM vm)
{
    Quenvar* engine = GetHandleThis<Quenvar>(vm, HandleKindEngine, "Invalid type");
    if (!engine)
        return SQ_ERROR;
    const ScriptArgs args(vm);
    const bool prepare = args.GetBool(3);
    return PushHandleResult(vm, engine->LoadGeometry(args.GetString(2), !prepare, false), ObjectTypeGeometry);
}

// "addObject" leaves its name unchecked by the mask, so a name of another type meets its own
// message; "findItem" takes a name or a unique id.
const nScriptClassMethod CObjectMethods[] = {
    {"constructor", Constructor, -1, "."},
    {"_cmp", Compare, 2, ".xx"},
    {"isValid", IsValid, 1, "."},
    {"isNull", IsNull, 1, "."},
    {"type", Type, 1, "."},
    {"isCommandListDone", IsCommandListDone, 1, "."},
    {"setCommandList", SetCommandList, 2, ".s"},
    {"name", Name, 1, "."},
    {"setName", SetName, 2, ".s"},
    {"load", Load, -2, ".s"},
    {"setPosition", SetPlacement<PositionPlacement>, 2, ".x"},
    {"position", GetPlacement<PositionPlacement>, 1, "."},
    {"setRotation", SetPlacement<RotationPlacement>, 2, ".x"},
    {"rotation", GetPlacement<RotationPlacement>, 1, "."},
    {"scene", SceneOfItem, 1, "."},
    {"setNoTarget", SetNoTarget, 1, "."},
    {"setParent", SetParent, 2, ".x"},
    {"matrix", Matrix, 1, "."},
    {"worldPosition", WorldPosition, 1, "."},
    {"ui", UserInterface, 1, "."},
    {"currentCamera", CurrentCamera, 1, "."},
    {"setCurrentCamera", SetCurrentCamera, 2, ".x"},
    {"findGroup", FindGroup, -1, ".s"},
    {"addObject", AddObject, -1, "..x"},
    {"findItem", FindItem, 2, ".s|i"},
    {"loadGeometry", LoadGeometry, -2, ".sb"},
    {nullptr, nullptr, 0, nullptr},
};
} // namespace

uint32_t GetHandleKind(int32_t type)
{
    switch (type)
    {
    case ObjectTypeItem:
    case ObjectTypeCamera:
    case ObjectTypeObject:
    case ObjectTypeLight:
    case ObjectTypeTrigger:
        return HandleKindItem;
    case ObjectTypeScene:
        return HandleKindScene;
    case ObjectTypeSceneGroup:
        return HandleKindGroup;
    case ObjectTypeInstance:
        return HandleKindInstance;
    case ObjectTypeWindowSystem:
        return HandleKindWindowSystem;
    case ObjectTypeEngine:
        return HandleKindEngine;
    case ObjectTypeCollisionShape:
        return HandleKindShape;
    default:
        return 0;
    }
}

bool GetHandleTarget(HSQUIRRELVM vm, uint32_t kinds, const char* refusal, nHandleTarget& target)
{
    const nCObject* record = ThisRecord(vm);
    if (!record)
        return false;
    target.type = record->GetType();
    target.kind = GetHandleKind(target.type);
    target.object = record->GetObject();
    if (!target.object)
    {
        sq_throwerror(vm, kinds == HandleKindItem ? "Item is null" : "Object is null");
        return false;
    }
    if (!(target.kind & kinds))
    {
        sq_throwerror(vm, refusal);
        return false;
    }
    // A handle typed as an instance on an item of another kind would be read as the wrong class.
    if (target.kind == HandleKindInstance &&
        static_cast<nMItem*>(target.object)->GetKind() != ItemTypeInstance)
    {
        sq_throwerror(vm, refusal);
        return false;
    }
    return true;
}

nMItem* GetThisItem(HSQUIRRELVM vm)
{
    return GetHandleThis<nMItem>(vm, HandleKindItem, "Object is not an item");
}

nMItem* GetItemArgument(HSQUIRRELVM vm, SQInteger index)
{
    const nCObject* record = RecordAt(vm, index);
    if (!record || GetHandleKind(record->GetType()) != HandleKindItem)
    {
        sq_throwerror(vm, "Object is not an item");
        return nullptr;
    }
    if (!record->GetObject())
        sq_throwerror(vm, "Item is null");
    return static_cast<nMItem*>(record->GetObject());
}

SQInteger PushHandleResult(HSQUIRRELVM vm, void* object, int32_t type)
{
    return PushCObject(vm, object, type) ? 1 : SQ_ERROR;
}

void RegisterCObjectMethods(HSQUIRRELVM vm)
{
    const nScriptClassDescriptor& descriptor = nCObject::GetClassDescriptor();
    if (!DeclareScriptClass(vm, descriptor) || !AddScriptClassMethods(vm, descriptor, CObjectMethods) ||
        !AddCObjectPhysicsMethods(vm))
        nLogHolder::Get() << "[!] Could not add the methods of the script class 'CObject'.\n";
}
