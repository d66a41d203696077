#include "api/PhysicApi.h"
#include "api/SceneApi.h"

#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "engine/Quenvar.h"
#include "engine/items/nItem.h"
#include "engine/items/nMObject.h"
#include "engine/items/nTrigger.h"
#include "geometry/nGeometry.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicRayHit.h"
#include "physics/nPhysicShape.h"
#include "physics/nPhysicWorld.h"
#include "render/nRenderGeometry.h"
#include "render/nRenderer.h"
#include "script/classes/ScriptVector.h"
#include "script/nCObject.h"

#include <cmath>

// A scene without a physics world answers the neutral value of each native and changes nothing.
namespace
{
// Frequency and gravity.

SQInteger GetPhysicFrequency(const ScriptArgs& args, nScene& scene)
{
    const nPhysicWorld* world = scene.GetPhysicWorld();
    const float step = world ? world->GetFixedTimeStep() : 0.0f;
    return args.PushFloat(step > 0.0f ? 1.0f / step : 0.0f);
}

// The step is the period of the frequency, which only a positive finite frequency has.
SQInteger SetPhysicFrequency(const ScriptArgs& args, nScene& scene)
{
    nPhysicWorld* world = scene.GetPhysicWorld();
    float frequency = 0.0f;
    if (world && GetFloatArg(args, 3, Positive, frequency))
        world->SetFixedTimeStep(1.0f / frequency);
    return 0;
}

// Bodies take the world's gravity when they are built; one that is not finite would throw every
// body built afterwards out of the simulation.
SQInteger SetGravity(const ScriptArgs& args, nScene& scene)
{
    nVector gravity;
    if (!GetPointArg(args.GetVM(), 3, gravity))
        return SQ_ERROR;
    nPhysicWorld* world = scene.GetPhysicWorld();
    if (world && IsFiniteVector(args, gravity))
        world->SetGravity(gravity);
    return 0;
}

// Rays.

// Adds one slot to the table on top of the stack; false, with the table left on top, when the
// value cannot be made.
template <typename PushValue> bool AddSlot(HSQUIRRELVM vm, const char* key, PushValue pushValue)
{
    sq_pushstring(vm, key, -1);
    if (!pushValue())
    {
        sq_poptop(vm);
        return false;
    }
    sq_newslot(vm, -3, SQFalse);
    return true;
}

bool AddHandleSlot(HSQUIRRELVM vm, const char* key, void* object, int32_t type)
{
    return AddSlot(vm, key, [&] { return PushCObject(vm, object, type); });
}

bool AddVectorSlot(HSQUIRRELVM vm, const char* key, const nVector& value)
{
    return AddSlot(vm, key, [&] { return PushVector(vm, nVector(value.x, value.y, value.z)); });
}

nMItem* OwnerOf(const nPhysicItem* body)
{
    return body ? dynamic_cast<nMItem*>(body->GetOwner()) : nullptr;
}

SQInteger CollisionRaytrace(const ScriptArgs& args, nScene& scene)
{
    HSQUIRRELVM vm = args.GetVM();
    nVector origin;
    nVector direction;
    if (!GetPointArgs(vm, 3, origin, direction))
        return SQ_ERROR;
    nPhysicWorld* world = scene.GetPhysicWorld();
    if (!world)
        return 0;
    nPhysicRayHit hit;
    const bool hitSomething = world->RayCast(origin, direction, hit, static_cast<uint16_t>(args.GetInt(5)),
                                             static_cast<uint32_t>(args.GetInt(6)), args.GetFloat(7));
    const nVector offset = hit.position - origin;
    const float distance = std::sqrt(offset.x * offset.x + offset.y * offset.y + offset.z * offset.z);
    sq_newtable(vm);
    AddSlot(vm, "hit", [&] { return sq_pushbool(vm, hitSomething ? SQTrue : SQFalse), true; });
    if (hitSomething && !(AddHandleSlot(vm, "shape", hit.shape, ObjectTypeCollisionShape) &&
                          AddHandleSlot(vm, "item", OwnerOf(hit.item), ObjectTypeItem) &&
                          AddHandleSlot(vm, "material", hit.material, ObjectTypeMaterial) &&
                          AddVectorSlot(vm, "p", hit.position) && AddVectorSlot(vm, "n", hit.normal) &&
                          AddSlot(vm, "d", [&] { return sq_pushfloat(vm, distance), true; })))
    {
        sq_poptop(vm);
        return SQ_ERROR; // the handle or vector that could not be made has logged why
    }
    return 1;
}

SQInteger RaytraceTriggerList(const ScriptArgs& args, nScene& scene)
{
    nVector origin;
    nVector direction;
    if (!GetPointArgs(args.GetVM(), 3, origin, direction))
        return SQ_ERROR;
    nTrigger* trigger = scene.RaytraceTriggerList(origin, direction, args.GetFloat(5), nullptr);
    return PushItem(args.GetVM(), trigger);
}

// Merging.

// A geometry the renderer has taken its arrays from is read again, for the CPU alone and beside the
// cache: loaded through the renderer, the copy would lose its arrays to the renderer in turn. Null
// when no usable copy can be read.
nSharedPtr<nGeometry> GeometryWithData(nGeometry& geometry)
{
    if (geometry.vertices.GetCount() != 0 && geometry.polygons.GetCount() != 0)
        return nSharedPtr<nGeometry>(&geometry);
    nSharedPtr<nGeometry> loaded;
    if (geometry.engine && geometry.name.GetLength() != 0)
        loaded = geometry.engine->LoadGeometry(geometry.name.GetText(), true, true);
    if (loaded && (loaded->vertices.GetCount() == 0 || loaded->polygons.GetCount() == 0))
        loaded = nullptr;
    return loaded;
}

// The new shape stands where the source shape stands in the world: placed by the item's world matrix,
// with the source's own size. The placement leaves the dimensions out, so a sphere's (radius, 0, 0)
// cannot flatten its rotation.
void CopyShape(const nPhysicShape& source, const nMatrix4& itemWorld, nPhysicShape& copy)
{
    const nMatrix4 placement =
        itemWorld * nMatrix4::ComposeEuler(source.position, source.rotation, nVector(1.0f, 1.0f, 1.0f, 1.0f),
                                           nPhysicShape::RotationOrder);
    nMatrix3 rotation;
    placement.Decompose(&copy.position, nullptr, &rotation);
    copy.position.w = 1.0f;
    copy.rotation = rotation.ToEuler(nPhysicShape::RotationOrder);
    switch (source.kind)
    {
    case PhysicShapeBox:
    case PhysicShapeSphere:
    case PhysicShapeCylinder:
    case PhysicShapeCone:
    case PhysicShapeCapsule:
        copy.SetPrimitive(source.kind, source.dimensions);
        break;
    case PhysicShapeConvex:
    case PhysicShapeMesh:
        copy.SetGeometry(source.kind, source.geometryName.GetText() ? source.geometryName.GetText() : "");
        break;
    default: // a heightfield stays behind: the copy keeps no shape
        break;
    }
    copy.scale = source.scale;
    copy.mass = source.mass;
    copy.restitution = source.restitution;
    copy.staticFriction = source.staticFriction;
    copy.dynamicFriction = source.dynamicFriction;
}

void CopyShapes(nMItem& source, nPhysicItem& target)
{
    const nPhysicItem* body = source.GetPhysicItem();
    if (!body)
        return;
    const nMatrix4& world = source.GetItem()->GetWorldMatrix();
    for (const auto* node = body->GetShapes().GetHead(); node; node = node->next)
        if (nPhysicShape* copy = target.AddShape())
            CopyShape(*node->value, world, *copy);
}

nGeometry* ObjectGeometry(nMItem& item)
{
    return static_cast<nMObject&>(item).GetObject().GetGeometry();
}

SQInteger MergeItems(const ScriptArgs& args, nScene& scene)
{
    HSQUIRRELVM vm = args.GetVM();
    nMItem* a = GetItemArg(vm, 3);
    nMItem* b = a ? GetItemArg(vm, 4) : nullptr;
    if (!a || !b)
        return SQ_ERROR;
    if (a->GetKind() != ItemTypeObject || b->GetKind() != ItemTypeObject)
        return sq_throwerror(vm, "Only objects can be merged.");
    if (!ObjectGeometry(*a) || !ObjectGeometry(*b))
        return sq_throwerror(vm, "Only objects with a geometry can be merged.");
    const nSharedPtr<nGeometry> geometryA = GeometryWithData(*ObjectGeometry(*a));
    const nSharedPtr<nGeometry> geometryB = GeometryWithData(*ObjectGeometry(*b));
    if (!geometryA || !geometryB)
        return sq_throwerror(vm, "Failed to load geometry to merge.");

    const nSharedPtr<nGeometry> merged(nGeometry::Merge(
        geometryA.Get(), geometryB.Get(), &a->GetItem()->GetWorldMatrix(), &b->GetItem()->GetWorldMatrix()));
    nMObject* object = merged ? scene.NewObject("merged", merged.Get()) : nullptr;
    if (!object)
        return PushItem(vm, nullptr);
    if (Quenvar* engine = scene.GetEngine())
        if (nRenderGeometry* data = engine->GetRenderer()->SetupGeometry(merged.Get()))
            merged->renderData = data;
    if (nPhysicItem* target = object->GetPhysicItem())
    {
        CopyShapes(*a, *target);
        CopyShapes(*b, *target);
        for (const nMItem* source : {a, b})
            if (const nPhysicItem* body = source->GetPhysicItem())
                target->SetMode(body->GetMode());
    }
    return PushItem(vm, object);
}

SQInteger AllocateCollisionNode(const ScriptArgs&, nScene&)
{
    nLogHolder::Get() << "ScenePhysicAllocateCollisionNode is obsolete.\n";
    return 0;
}

// Kept for old scripts: nothing is read, not even the scene.
SQInteger ReadsNothing(HSQUIRRELVM)
{
    return 0;
}

const nNativeEntry ScenePhysicsNatives[] = {
    {"SceneGetPhysicFrequency", Native<GetPhysicFrequency>, ".x"},
    {"SceneSetPhysicFrequency", Native<SetPhysicFrequency>, ".xn"},
    {"SceneSetGravity", Native<SetGravity>, ".xx"},
    {"SceneCollisionRaytrace", Native<CollisionRaytrace>, ".xxxiin"},
    {"SceneRaytraceTriggerList", Native<RaytraceTriggerList>, ".xxxn"},
    {"SceneMergeItems", Native<MergeItems>, ".xxx"},
    {"ScenePhysicAllocateCollisionNode", Native<AllocateCollisionNode>, ".xii"},
    {"ScenePhysicEnableDeactivation", GuardedNative<ReadsNothing>, ".xb"},
    {"SceneSetPhysicContactSolverIteration", GuardedNative<ReadsNothing>, ".xi"},
    {"SceneSetPhysicConstraintSolverIteration", GuardedNative<ReadsNothing>, ".xi"},
};
} // namespace

void RegisterScenePhysicsNatives(HSQUIRRELVM vm)
{
    RegisterNatives(vm, ScenePhysicsNatives);
}
