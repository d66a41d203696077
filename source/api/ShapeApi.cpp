#include "api/ItemApi.h"
#include "api/ScriptApiGroups.h"

#include "physics/nPhysicItem.h"
#include "physics/nPhysicShape.h"
#include "script/classes/ScriptVector.h"

#include <limits>

// A "Collision Shape" handle holds one nPhysicShape of an item's physics item and dies with it.
// Shape changes take effect at the item's next build (ItemUpdateInertiaTensorFromCollision).
template <> struct nHandleArg<nPhysicShape>
{
    static nPhysicShape* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nPhysicShape>(vm, index, ObjectTypeCollisionShape);
    }
};

namespace
{
// Kinds and sizes.

template <int32_t Kind> SQInteger SetGeometry(const ScriptArgs& args, nPhysicShape& shape)
{
    return args.PushBool(shape.SetGeometry(Kind, args.GetString(3)));
}

// The build reads a sphere's radius from x. A size refused leaves the shape as it was and answers
// false.
SQInteger SetSphere(const ScriptArgs& args, nPhysicShape& shape)
{
    float radius = 0.0f;
    if (!GetFloatArg(args, 3, NotNegative, radius))
        return args.PushBool(false);
    return args.PushBool(shape.SetPrimitive(PhysicShapeSphere, nVector(radius, 0.0f, 0.0f, 1.0f)));
}

SQInteger SetBox(const ScriptArgs& args, nPhysicShape& shape)
{
    nVector size;
    if (!GetPointArg(args.GetVM(), 3, size))
        return SQ_ERROR;
    return args.PushBool(IsFiniteVector(args, size) && shape.SetPrimitive(PhysicShapeBox, size));
}

// Radius, then height, stored as the build and the shape files read them: the diameter across x and
// y, the height along z.
template <int32_t Kind> SQInteger SetRadiusAndHeight(const ScriptArgs& args, nPhysicShape& shape)
{
    constexpr nFloatRule Radius{0.0f, std::numeric_limits<float>::max() / 2.0f};
    float radius = 0.0f, height = 0.0f;
    if (!GetFloatArg(args, 3, Radius, radius) || !GetFloatArg(args, 4, NotNegative, height))
        return args.PushBool(false);
    const float diameter = 2.0f * radius;
    return args.PushBool(shape.SetPrimitive(Kind, nVector(diameter, diameter, height, 1.0f)));
}

// Placement and material.

template <nVector nPhysicShape::*Field> SQInteger SetVectorField(const ScriptArgs& args, nPhysicShape& shape)
{
    nVector value;
    if (!GetPointArg(args.GetVM(), 3, value))
        return SQ_ERROR;
    if (IsFiniteVector(args, value))
        shape.*Field = value;
    return 0;
}

template <nVector nPhysicShape::*Field> SQInteger GetVectorField(const ScriptArgs& args, nPhysicShape& shape)
{
    return PushVectorResult(args.GetVM(), shape.*Field);
}

// A mass of 0 makes a static body; the physics world takes no negative mass or restitution.
template <float nPhysicShape::*Field> SQInteger SetFloatField(const ScriptArgs& args, nPhysicShape& shape)
{
    float value = 0.0f;
    if (GetFloatArg(args, 3, NotNegative, value))
        shape.*Field = value;
    return 0;
}

SQInteger GetMass(const ScriptArgs& args, nPhysicShape& shape)
{
    return args.PushFloat(shape.mass);
}

// Static friction first, then dynamic friction.
SQInteger SetFriction(const ScriptArgs& args, nPhysicShape& shape)
{
    float staticFriction = 0.0f, dynamicFriction = 0.0f;
    if (!GetFloatArg(args, 3, NotNegative, staticFriction) ||
        !GetFloatArg(args, 4, NotNegative, dynamicFriction))
        return 0;
    shape.staticFriction = staticFriction;
    shape.dynamicFriction = dynamicFriction;
    return 0;
}

// A shape does not know its item.
SQInteger GetItem(const ScriptArgs& args, nPhysicShape&)
{
    return PushItem(args.GetVM(), nullptr);
}

// The item collision natives: an item without a physics item has no shapes and ignores changes.

nPhysicItem* Body(nMItem& item)
{
    return item.GetPhysicItem();
}

SQInteger AddCollisionShape(const ScriptArgs& args, nMItem& item)
{
    nPhysicShape* shape = Body(item) ? Body(item)->AddShape() : nullptr;
    return shape ? PushHandle(args.GetVM(), shape, ObjectTypeCollisionShape) : 0;
}

SQInteger CollisionActivate(const ScriptArgs& args, nMItem& item)
{
    if (nPhysicItem* body = Body(item))
        body->SetSimulated(args.GetBool(3));
    return 0;
}

template <void (nPhysicItem::*Set)(int32_t)> SQInteger SetMaskOf(const ScriptArgs& args, nMItem& item)
{
    if (nPhysicItem* body = Body(item))
        (body->*Set)(args.GetInt(3));
    return 0;
}

SQInteger GetShapeFromIndex(const ScriptArgs& args, nMItem& item)
{
    const nPhysicItem* body = Body(item);
    int32_t index = args.GetInt(3);
    if (!body || index < 0)
        return 0;
    for (const auto* node = body->GetShapes().GetHead(); node; node = node->next)
        if (index-- == 0)
            return PushHandle(args.GetVM(), node->value, ObjectTypeCollisionShape);
    return 0;
}

const nNativeEntry ShapeNatives[] = {
    {"ShapeSetMesh", Native<SetGeometry<PhysicShapeMesh>>, ".xs"},
    {"ShapeSetConvex", Native<SetGeometry<PhysicShapeConvex>>, ".xs"},
    {"ShapeSetSphere", Native<SetSphere>, ".xn"},
    {"ShapeSetBox", Native<SetBox>, ".xx"},
    {"ShapeSetCapsule", Native<SetRadiusAndHeight<PhysicShapeCapsule>>, ".xnn"},
    {"ShapeSetCylinder", Native<SetRadiusAndHeight<PhysicShapeCylinder>>, ".xnn"},
    {"ShapeSetPosition", Native<SetVectorField<&nPhysicShape::position>>, ".xx"},
    {"ShapeGetPosition", Native<GetVectorField<&nPhysicShape::position>>, ".x"},
    {"ShapeSetRotation", Native<SetVectorField<&nPhysicShape::rotation>>, ".xx"},
    {"ShapeGetRotation", Native<GetVectorField<&nPhysicShape::rotation>>, ".x"},
    {"ShapeSetMass", Native<SetFloatField<&nPhysicShape::mass>>, ".xn"},
    {"ShapeGetMass", Native<GetMass>, ".x"},
    {"ShapeSetFriction", Native<SetFriction>, ".xnn"},
    {"ShapeSetRestitution", Native<SetFloatField<&nPhysicShape::restitution>>, ".xn"},
    {"ShapeGetItem", Native<GetItem>, ".x"},
    {"ItemAddCollisionShape", Native<AddCollisionShape>, ".x"},
    {"ItemCollisionActivate", Native<CollisionActivate>, ".xb"},
    {"ItemSetSelfMask", Native<SetMaskOf<&nPhysicItem::SetSelfMask>>, ".xi"},
    {"ItemSetCollisionMask", Native<SetMaskOf<&nPhysicItem::SetMask>>, ".xi"},
    {"ItemGetShapeFromIndex", Native<GetShapeFromIndex>, ".xi"},
};

// No trace kind is told apart any more.
const nIntegerConstantEntry ShapeConstants[] = {
    {"CollisionTraceMesh", -1},
    {"CollisionTraceSphere", -1},
    {"CollisionTraceCuboid", -1},
    {"CollisionTraceAll", -1},
};
} // namespace

void RegisterShapeApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, ShapeNatives);
    RegisterIntegerConstants(vm, ShapeConstants);
}
