#include "api/ItemApi.h"

#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nMinMax.h"
#include "engine/items/nItem.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "physics/nPhysicItem.h"
#include "platform/nstring/nString.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/binding/nScriptValuePush.h"
#include "script/classes/ScriptMatrix.h"
#include "script/classes/ScriptVector.h"
#include "script/nCObject.h"

#include <algorithm>
#include <cmath>

nMItem* GetItemArg(HSQUIRRELVM vm, SQInteger index, int32_t type)
{
    return GetObjectArg<nMItem>(vm, index, type);
}

bool GetItemOrNullArg(HSQUIRRELVM vm, SQInteger index, int32_t type, nMItem*& item)
{
    void* object = nullptr;
    if (!GetCObject(vm, index, object, type))
        return false;
    item = static_cast<nMItem*>(object);
    return true;
}

nMItem* GetItemViewArg(HSQUIRRELVM vm, SQInteger index, int32_t type, int32_t kind)
{
    nMItem* item = GetItemArg(vm, index, type);
    if (item && item->GetKind() != kind)
    {
        sq_throwerror(vm, nString::Format("Expected '%s' got '%s'", GetObjectTypeDescription(type),
                                          GetObjectTypeDescription(ObjectTypeItem))
                              .GetText());
        return nullptr;
    }
    return item;
}

SQInteger PushItem(HSQUIRRELVM vm, nMItem* item, int32_t type)
{
    return PushHandle(vm, item, type);
}

namespace
{
nItem& Node(nMItem& item)
{
    return *item.GetItem();
}

bool IsFinite(const float* values, int count)
{
    for (int index = 0; index < count; ++index)
        if (!std::isfinite(values[index]))
            return false;
    return true;
}

// A transformation that is not finite would spread through every matrix below the item and into
// the physics world: it is refused, and the item keeps its place.
bool RefuseNotFinite(const nMItem& item, const float* values, int count, const char* what)
{
    if (IsFinite(values, count))
        return false;
    nLogHolder::Get() << "[!] Item '" << item.GetName() << "': a " << what
                      << " that is not finite is refused.\n";
    return true;
}

SQInteger PushMinMaxResult(HSQUIRRELVM vm, const nMinMax& box)
{
    return PushMinMax(vm, box) ? 1 : sq_throwerror(vm, "Failed to create MinMax instance.");
}

SQInteger PushMatrix4Result(HSQUIRRELVM vm, const nMatrix4& matrix)
{
    return PushMatrix4(vm, matrix) ? 1 : sq_throwerror(vm, "Failed to create Matrix4 instance.");
}

SQInteger PushVectorAsStored(HSQUIRRELVM vm, const nVector& value)
{
    return PushVector(vm, value) ? 1 : sq_throwerror(vm, "Failed to create Vector instance.");
}

nGeometry* ObjectGeometry(nMItem& item)
{
    return item.GetKind() == ItemTypeObject ? static_cast<nMObject&>(item).GetObject().GetGeometry()
                                            : nullptr;
}

// Identity and casts.

SQInteger GetName(const ScriptArgs& args, nMItem& item)
{
    return args.PushString(item.GetName().GetText());
}

SQInteger Print(const ScriptArgs&, nMItem& item)
{
    nLogHolder::Get() << "Item: " << item.GetName() << " (Uid = " << item.GetUid() << ").\n";
    return 0;
}

SQInteger Compare(const ScriptArgs& args, nMItem& item)
{
    nMItem* other = GetItemArg(args.GetVM(), 3);
    return other ? args.PushBool(other == &item) : SQ_ERROR;
}

SQInteger GetEngine(const ScriptArgs& args, nMItem& item)
{
    return PushHandle(args.GetVM(), Node(item).GetEngine(), ObjectTypeEngine);
}

SQInteger GetScene(const ScriptArgs& args, nMItem& item)
{
    return PushHandle(args.GetVM(), item.GetScene(), ObjectTypeScene);
}

// Any item view becomes an Item handle; any other handle an Item handle on nothing. Instance
// handles are item views too, though the original list forgot them.
SQInteger DerivedCastToItem(HSQUIRRELVM vm)
{
    void* object = nullptr;
    int32_t type = ObjectTypeUndefined;
    if (!GetCObject(vm, 2, object, 0) || !GetCObjectType(vm, 2, type))
        return SQ_ERROR;
    switch (type)
    {
    case ObjectTypeItem:
    case ObjectTypeCamera:
    case ObjectTypeObject:
    case ObjectTypeLight:
    case ObjectTypeInstance:
    case ObjectTypeEmitter:
    case ObjectTypeTrigger:
        return PushItem(vm, static_cast<nMItem*>(object));
    default:
        return PushItem(vm, nullptr);
    }
}

constexpr char CannotCastToTrigger[] = "Cannot cast item to trigger";
constexpr char CannotCastToLight[] = "Cannot cast item to light";
constexpr char CannotCastToInstance[] = "Cannot cast item to instance";
constexpr char CannotCastToEmitter[] = "Cannot cast item to emitter";

// Life cycle and activity.

template <bool Recursive> SQInteger Activate(const ScriptArgs& args, nMItem& item)
{
    item.GetScene()->ActivateItem(&item, args.GetBool(3), Recursive);
    return 0;
}

template <uint32_t Flag> SQInteger HasNodeFlag(const ScriptArgs& args, nMItem& item)
{
    return args.PushBool((Node(item).GetFlags() & Flag) != 0);
}

template <uint32_t Flag> SQInteger SetNodeFlag(const ScriptArgs& args, nMItem& item)
{
    Node(item).SetFlag(Flag, args.GetBool(3));
    return 0;
}

SQInteger HierarchySetInvisible(const ScriptArgs& args, nMItem& item)
{
    const bool invisible = args.GetBool(3);
    nWalkList<nMItem*>::Walk items(item.GetScene()->GetAllItems());
    while (nMItem* other = items.Next())
        if (other->GetItem()->HasAncestor(item.GetItem()))
            other->GetItem()->SetFlag(ItemFlagInvisible, invisible);
    return 0;
}

SQInteger SetFlags(const ScriptArgs& args, nMItem& item)
{
    item.SetFlag(static_cast<uint32_t>(args.GetInt(3)), args.GetBool(4));
    return 0;
}

SQInteger GetOpacity(const ScriptArgs& args, nMItem& item)
{
    return args.PushFloat(Node(item).GetAlpha());
}

SQInteger SetOpacity(const ScriptArgs& args, nMItem& item)
{
    float opacity = 0.0f;
    if (GetFloatArg(args, 3, AnyFinite, opacity))
        Node(item).SetAlpha(std::clamp(opacity, 0.0f, 1.0f));
    return 0;
}

// Hierarchy.

SQInteger GetParent(const ScriptArgs& args, nMItem& item)
{
    nItem* parent = Node(item).GetParent();
    return PushItem(args.GetVM(), parent ? parent->GetMItem() : nullptr);
}

SQInteger SetParent(const ScriptArgs& args, nMItem& item)
{
    nMItem* parent = nullptr;
    if (!GetItemOrNullArg(args.GetVM(), 3, ObjectTypeItem, parent))
        return SQ_ERROR;
    Node(item).SetParent(parent ? parent->GetItem() : nullptr);
    return 0;
}

SQInteger GetChild(const ScriptArgs& args, nMItem& item)
{
    const char* name = args.GetString(3);
    for (const auto* node = Node(item).GetChildren().GetHead(); node; node = node->next)
        if (nMItem* child = node->value->GetMItem(); child && child->GetName() == name)
            return PushItem(args.GetVM(), child);
    return PushItem(args.GetVM(), nullptr);
}

SQInteger GetChildList(const ScriptArgs& args, nMItem& item)
{
    return PushItemArray(args.GetVM(), Node(item).GetChildren(),
                         [](nItem* child) { return child->GetMItem(); });
}

// Transformation.

template <const nVector& (nItem::*Get)() const> SQInteger GetNodeVector(const ScriptArgs& args, nMItem& item)
{
    return PushVectorAsStored(args.GetVM(), (Node(item).*Get)());
}

constexpr char Position[] = "position";
constexpr char Rotation[] = "rotation";
constexpr char Scale[] = "scale";
constexpr char Target[] = "target";
constexpr char Pivot[] = "pivot";
constexpr char Matrix[] = "matrix";

template <void (nItem::*Set)(const nVector&), const char* What>
SQInteger SetNodeVector(const ScriptArgs& args, nMItem& item)
{
    nVector value;
    if (!GetPointArg(args.GetVM(), 3, value))
        return SQ_ERROR;
    if (!RefuseNotFinite(item, &value.x, 3, What))
        (Node(item).*Set)(value);
    return 0;
}

SQInteger GetWorldPosition(const ScriptArgs& args, nMItem& item)
{
    return PushVectorResult(args.GetVM(), Node(item).GetWorldPosition());
}

SQInteger GetPreviousWorldPosition(const ScriptArgs& args, nMItem& item)
{
    return PushVectorResult(args.GetVM(), Node(item).GetPreviousWorldPosition());
}

SQInteger GetPivot(const ScriptArgs& args, nMItem& item)
{
    return PushVectorResult(args.GetVM(), Node(item).GetPivot().GetTranslation());
}

SQInteger SetPivot(const ScriptArgs& args, nMItem& item)
{
    nVector offset;
    if (!GetPointArg(args.GetVM(), 3, offset))
        return SQ_ERROR;
    if (!RefuseNotFinite(item, &offset.x, 3, Pivot))
        Node(item).SetPivot(nMatrix4::FromTranslation(offset.x, offset.y, offset.z));
    return 0;
}

SQInteger GetRotationOrder(const ScriptArgs& args, nMItem& item)
{
    return args.PushInt(static_cast<int32_t>(Node(item).GetRotationOrder()));
}

SQInteger SetRotationOrder(const ScriptArgs& args, nMItem& item)
{
    int32_t order = 0;
    if (GetEnumArg(args, 3, RotationOrderZYX, RotationOrderXY, order))
        Node(item).SetRotationOrder(static_cast<uint32_t>(order));
    return 0;
}

SQInteger SetTarget(const ScriptArgs& args, nMItem& item)
{
    nVector target;
    if (!GetPointArg(args.GetVM(), 3, target))
        return SQ_ERROR;
    if (!RefuseNotFinite(item, &target.x, 3, Target))
        Node(item).SetTarget(&target);
    return 0;
}

SQInteger SetNoTarget(const ScriptArgs&, nMItem& item)
{
    Node(item).SetTarget(nullptr);
    return 0;
}

template <const nMatrix4& (nItem::*Get)()> SQInteger GetNodeMatrix(const ScriptArgs& args, nMItem& item)
{
    return PushMatrix4Result(args.GetVM(), (Node(item).*Get)());
}

template <typename Operation> SQInteger WithMatrix4(const ScriptArgs& args, nMItem& item, Operation operation)
{
    nMatrix4 matrix;
    if (!GetMatrix4Arg(args.GetVM(), 3, matrix))
        return SQ_ERROR;
    if (!RefuseNotFinite(item, matrix.m, 16, Matrix))
        operation(matrix);
    return 0;
}

SQInteger SetMatrix(const ScriptArgs& args, nMItem& item)
{
    return WithMatrix4(args, item, [&](const nMatrix4& matrix) { Node(item).SetMatrix(matrix); });
}

SQInteger SnapshotMatrix(const ScriptArgs& args, nMItem& item)
{
    return WithMatrix4(args, item,
                       [&](const nMatrix4& matrix) { Node(item).SnapshotMatrix(matrix, false, false); });
}

SQInteger SetLogicTransformation(const ScriptArgs& args, nMItem& item)
{
    return WithMatrix4(args, item, [&](const nMatrix4& matrix) { item.SetLogicTransformation(matrix); });
}

SQInteger SnapshotTransformation(const ScriptArgs&, nMItem& item)
{
    const nMatrix4 world = Node(item).GetWorldMatrix();
    Node(item).SnapshotMatrix(world, false, false);
    return 0;
}

SQInteger GetRotationMatrix(const ScriptArgs& args, nMItem& item)
{
    return PushMatrix3(args.GetVM(), Node(item).GetWorldMatrix().GetMatrix3())
               ? 1
               : sq_throwerror(args.GetVM(), "Failed to create Matrix3 instance.");
}

SQInteger SetRotationMatrix(const ScriptArgs& args, nMItem& item)
{
    nMatrix3 rotation;
    if (!GetMatrix3Arg(args.GetVM(), 3, rotation))
        return SQ_ERROR;
    if (!RefuseNotFinite(item, rotation.m, 9, Rotation))
        Node(item).SetRotationMatrix(rotation);
    return 0;
}

SQInteger ComputeMinMax(const ScriptArgs&, nMItem& item)
{
    nMinMax box;
    Node(item).GetMinMax(box);
    return 0;
}

SQInteger GetMinMax(const ScriptArgs& args, nMItem& item)
{
    nMinMax box;
    Node(item).GetMinMax(box);
    return PushMinMaxResult(args.GetVM(), box);
}

SQInteger GetLocalMinMax(const ScriptArgs& args, nMItem& item)
{
    const nGeometry* geometry = ObjectGeometry(item);
    const nVector origin(0.0f, 0.0f, 0.0f, 1.0f);
    return PushMinMaxResult(args.GetVM(), geometry ? geometry->box : nMinMax(origin, origin));
}

// Without a geometry the item's own bounds stand (a point box at its world position).
SQInteger GetWorldMinMax(const ScriptArgs& args, nMItem& item)
{
    nMinMax box;
    if (const nGeometry* geometry = ObjectGeometry(item))
        box = geometry->GetMinMax(&Node(item).GetWorldMatrix());
    else
        Node(item).GetMinMax(box);
    return PushMinMaxResult(args.GetVM(), box);
}

const nNativeEntry ItemNatives[] = {
    {"ItemGetName", Native<GetName>, ".x"},
    {"ItemSetName", Native<SetStringOf<&nMItem::SetName, nMItem>>, ".xs"},
    {"ItemGetType", Native<AnswerIntOf<&nMItem::GetKind, nMItem>>, ".x"},
    {"ItemPrint", Native<Print>, ".x"},
    {"ItemCompare", Native<Compare>, ".xx"},
    {"ItemGetEngine", Native<GetEngine>, ".x"},
    {"ItemGetScene", Native<GetScene>, ".x"},
    {"ItemDerivedCastToItem", GuardedNative<DerivedCastToItem>, ".x"},
    {"ItemCastToTrigger", Native<ItemCast<ItemTypeTrigger, ObjectTypeTrigger, CannotCastToTrigger>>, ".x"},
    {"ItemCastToLight", Native<ItemCast<ItemTypeLight, ObjectTypeLight, CannotCastToLight>>, ".x"},
    {"ItemCastToInstance", Native<ItemCast<ItemTypeInstance, ObjectTypeInstance, CannotCastToInstance>>,
     ".x"},
    {"ItemCastToEmitter", Native<ItemCast<ItemTypeEmitter, ObjectTypeEmitter, CannotCastToEmitter>>, ".x"},
    {"ItemSetup", Native<CallInWalk<&nMItem::Setup>>, ".x"},
    {"ItemReset", Native<CallInWalk<&nMItem::Reset>>, ".x"},
    {"ItemRecordLocation", Native<CallOf<&nMItem::RecordLocation, nMItem>>, ".x"},
    {"ItemActivate", Native<Activate<false>>, ".xb"},
    {"ItemActivateHierarchy", Native<Activate<true>>, ".xb"},
    {"ItemIsActive", Native<AnswerBoolOf<&nMItem::GetEnabledField, nMItem>>, ".x"},
    {"ItemIsInvisible", Native<HasNodeFlag<ItemFlagInvisible>>, ".x"},
    {"ItemSetInvisible", Native<SetNodeFlag<ItemFlagInvisible>>, ".xb"},
    {"ItemHierarchySetInvisible", Native<HierarchySetInvisible>, ".xb"},
    {"ItemSetFlags", Native<SetFlags>, ".xib"},
    {"ItemGetFlags", Native<AnswerInteger<nMItem, 0>>, ".x"},
    {"ItemSetPriority", Native<SetFloatOf<&nMItem::SetPriority>>, ".xn"},
    {"ItemGetOpacity", Native<GetOpacity>, ".x"},
    {"ItemGetAlpha", Native<GetOpacity>, ".x"},
    {"ItemSetOpacity", Native<SetOpacity>, ".xn"},
    {"ItemSetAlpha", Native<SetOpacity>, ".xn"},
    {"ItemGetParent", Native<GetParent>, ".x"},
    {"ItemSetParent", Native<SetParent>, ".xx"},
    {"ItemSetLink", Native<SetParent>, ".xx"},
    {"ItemSetLinkInheritsPositionOnly", Native<SetNodeFlag<ItemFlagLinkOnlyPosition>>, ".xb"},
    {"ItemGetChild", Native<GetChild>, ".xs"},
    {"ItemGetChildList", Native<GetChildList>, ".x"},
    {"ItemGetPosition", Native<GetNodeVector<&nItem::GetPosition>>, ".x"},
    {"ItemSetPosition", Native<SetNodeVector<&nItem::SetPosition, Position>>, ".xx"},
    {"ItemGetWorldPosition", Native<GetWorldPosition>, ".x"},
    {"ItemGetPreviousWorldPosition", Native<GetPreviousWorldPosition>, ".x"},
    {"ItemGetRotation", Native<GetNodeVector<&nItem::GetRotation>>, ".x"},
    {"ItemSetRotation", Native<SetNodeVector<&nItem::SetRotation, Rotation>>, ".xx"},
    // Old scripts pass Euler angles here too.
    {"ItemSetRotationQuaternion", Native<SetNodeVector<&nItem::SetRotation, Rotation>>, ".xx"},
    {"ItemGetScale", Native<GetNodeVector<&nItem::GetScale>>, ".x"},
    {"ItemSetScale", Native<SetNodeVector<&nItem::SetScale, Scale>>, ".xx"},
    {"ItemGetPivot", Native<GetPivot>, ".x"},
    {"ItemSetPivot", Native<SetPivot>, ".xx"},
    {"ItemGetRotationOrder", Native<GetRotationOrder>, ".x"},
    {"ItemSetRotationOrder", Native<SetRotationOrder>, ".xi"},
    {"ItemSetOrientationMethod", Native<Ignored<nMItem>>, ".xi"},
    {"ItemSetTarget", Native<SetTarget>, ".xx"},
    {"ItemSetNoTarget", Native<SetNoTarget>, ".x"},
    {"ItemGetTarget", Native<GetNodeVector<&nItem::GetTarget>>, ".x"},
    {"ItemHasTarget", Native<HasNodeFlag<ItemFlagHasTarget>>, ".x"},
    {"ItemGetMatrix", Native<GetNodeMatrix<&nItem::GetWorldMatrix>>, ".x"},
    {"ItemGetInverseMatrix", Native<GetNodeMatrix<&nItem::GetInverseMatrix>>, ".x"},
    {"ItemGetLocalMatrix", Native<GetNodeMatrix<&nItem::GetLocalMatrix>>, ".x"},
    {"ItemSetMatrix", Native<SetMatrix>, ".xx"},
    {"ItemGetRotationMatrix", Native<GetRotationMatrix>, ".x"},
    {"ItemSetRotationMatrix", Native<SetRotationMatrix>, ".xx"},
    {"ItemSnapshotTransformation", Native<SnapshotTransformation>, ".x"},
    {"ItemSnapshotMatrix", Native<SnapshotMatrix>, ".xx"},
    {"ItemSetLogicTransformation", Native<SetLogicTransformation>, ".xx"},
    {"ItemComputeMatrix", Native<Ignored<nMItem>>, ".x"},
    {"ItemComputeLocalMatrix", Native<Ignored<nMItem>>, ".x"},
    {"ItemComputeMinMax", Native<ComputeMinMax>, ".x"},
    {"ItemGetMinMax", Native<GetMinMax>, ".x"},
    {"ItemGetLocalMinMax", Native<GetLocalMinMax>, ".x"},
    {"ItemGetWorldMinMax", Native<GetWorldMinMax>, ".x"},
};

const nIntegerConstantEntry ItemConstants[] = {
    {"PhysicModeNone", PhysicModeNone},
    {"PhysicModeStatic", PhysicModeStatic},
    {"PhysicModeDynamic", PhysicModeDynamic},
    {"PhysicModeKinematic", PhysicModeKinematic},
    {"PhysicModeRigidBody", PhysicModeDynamic},
    {"OrientationEuler", 0},
    {"OrientationMatrix", 0},
    {"OrientationQuaternion", 0},
    {"OrientationExternal", 0},
    {"PhysicFlagNone", 0},
    {"PhysicFlagNoGravity", 0},
    {"PhysicFlagNoForceField", 0},
    {"PhysicFlagMobile", 0},
    {"PhysicFlagGhost", 0},
    {"ItemFlagNone", 0},
    {"ItemFlagBillboard", MItemFlagBillboard},
    {"ItemFlagSolveOverlap", MItemFlagSolveOverlap},
    {"ItemFlagStatic", MItemFlagStatic},
    {"RotationOrderDefault", RotationOrderYXZ},
    {"RotationOrderZYX", RotationOrderZYX},
    {"RotationOrderYZX", RotationOrderYZX},
    {"RotationOrderZXY", RotationOrderZXY},
    {"RotationOrderXZY", RotationOrderXZY},
    {"RotationOrderYXZ", RotationOrderYXZ},
    {"RotationOrderXYZ", RotationOrderXYZ},
    {"RotationOrderXY", RotationOrderXY},
    {"ItemTypeNone", ItemTypeNone},
    {"ItemTypeCamera", ItemTypeCamera},
    {"ItemTypeObject", ItemTypeObject},
    {"ItemTypeLight", ItemTypeLight},
    {"ItemTypeTrigger", ItemTypeTrigger},
    {"ItemTypeEmitter", ItemTypeEmitter},
    {"ItemTypeInstance", ItemTypeInstance},
};
} // namespace

void RegisterItemApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, ItemNatives);
    RegisterItemScriptNatives(vm);
    RegisterItemPhysicsNatives(vm);
    RegisterIntegerConstants(vm, ItemConstants);
    RegisterNullHandleConstant(vm, "NullGeometry", ObjectTypeGeometry);
}
