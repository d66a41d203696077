#include "api/CoreApi_cobject.h"

#include "engine/items/nMItem.h"
#include "engine/scene/nScene.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicShape.h"
#include "physics/nPhysicWorld.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNumberArgs.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/classes/ScriptVector.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"

// The physics component of items, its collision shapes and the scene's step frequency. An item
// without a physics component, and a scene without a world, answer neutral values (0, 0.0, false,
// a zero vector, an empty handle), and their setters do nothing.
namespace
{
// "this" as an item; body is its physics component or null.
bool GetThisBody(HSQUIRRELVM vm, nPhysicItem*& body)
{
    nMItem* item = GetThisItem(vm);
    body = item ? item->GetPhysicItem() : nullptr;
    return item != nullptr;
}

nPhysicShape* GetThisShape(HSQUIRRELVM vm)
{
    return GetHandleThis<nPhysicShape>(vm, HandleKindShape, "Invalid type");
}

nScene* GetThisScene(HSQUIRRELVM vm)
{
    return GetHandleThis<nScene>(vm, HandleKindScene, "Invalid type");
}

SQInteger PhysicsFrequency(HSQUIRRELVM vm)
{
    nScene* scene = GetThisScene(vm);
    if (!scene)
        return SQ_ERROR;
    const nPhysicWorld* world = scene->GetPhysicWorld();
    const float step = world ? world->GetFixedTimeStep() : 0.0f;
    return ScriptArgs(vm).PushFloat(step > 0.0f ? 1.0f / step : 0.0f);
}

// The world steps at the period 1 / frequency, which only a positive finite frequency gives.
SQInteger SetPhysicsFrequency(HSQUIRRELVM vm)
{
    nScene* scene = GetThisScene(vm);
    if (!scene)
        return SQ_ERROR;
    nPhysicWorld* world = scene->GetPhysicWorld();
    float frequency = 0.0f;
    if (world && GetFloatArg(ScriptArgs(vm), 2, Positive, frequency))
        world->SetFixedTimeStep(1.0f / frequency);
    return 0;
}

SQInteger PhysicsActive(HSQUIRRELVM vm)
{
    nPhysicItem* body = nullptr;
    if (!GetThisBody(vm, body))
        return SQ_ERROR;
    return ScriptArgs(vm).PushBool(body && body->IsSleeping());
}

SQInteger SetPhysicsActive(HSQUIRRELVM vm)
{
    nPhysicItem* body = nullptr;
    if (!GetThisBody(vm, body))
        return SQ_ERROR;
    if (body)
        body->SetSimulated(ScriptArgs(vm).GetBool(2));
    return 0;
}

template <nVector (nPhysicItem::*Get)() const> SQInteger BodyVector(HSQUIRRELVM vm)
{
    nPhysicItem* body = nullptr;
    if (!GetThisBody(vm, body))
        return SQ_ERROR;
    return PushVectorResult(vm, body ? (body->*Get)() : nVector(0.0f, 0.0f, 0.0f));
}

template <void (nPhysicItem::*Set)(const nVector&)> SQInteger SetBodyVector(HSQUIRRELVM vm)
{
    nPhysicItem* body = nullptr;
    nVector value;
    if (!GetThisBody(vm, body) || !GetVectorArg(vm, 2, value))
        return SQ_ERROR;
    if (body)
        (body->*Set)(value);
    return 0;
}

template <int32_t (nPhysicItem::*Get)() const> SQInteger BodyInteger(HSQUIRRELVM vm)
{
    nPhysicItem* body = nullptr;
    if (!GetThisBody(vm, body))
        return SQ_ERROR;
    return ScriptArgs(vm).PushInt(body ? (body->*Get)() : 0);
}

template <void (nPhysicItem::*Set)(int32_t)> SQInteger SetBodyInteger(HSQUIRRELVM vm)
{
    nPhysicItem* body = nullptr;
    if (!GetThisBody(vm, body))
        return SQ_ERROR;
    if (body)
        (body->*Set)(ScriptArgs(vm).GetInt(2));
    return 0;
}

// The impulse or force, and with a point argument the point it acts at.
template <void (nPhysicItem::*Apply)(const nVector&, const nVector*), bool AtPoint>
SQInteger ApplyToBody(HSQUIRRELVM vm)
{
    nPhysicItem* body = nullptr;
    nVector value;
    nVector point;
    if (!GetThisBody(vm, body) || !GetVectorArg(vm, 2, value) || (AtPoint && !GetVectorArg(vm, 3, point)))
        return SQ_ERROR;
    if (body)
        (body->*Apply)(value, AtPoint ? &point : nullptr);
    return 0;
}

SQInteger CollisionShapeCount(HSQUIRRELVM vm)
{
    nPhysicItem* body = nullptr;
    if (!GetThisBody(vm, body))
        return SQ_ERROR;
    return ScriptArgs(vm).PushInt(body ? static_cast<int32_t>(body->GetShapes().GetCount()) : 0);
}

// An index outside the list finds nothing.
SQInteger CollisionShape(HSQUIRRELVM vm)
{
    nPhysicItem* body = nullptr;
    if (!GetThisBody(vm, body))
        return SQ_ERROR;
    const int32_t index = ScriptArgs(vm).GetInt(2);
    nPhysicShape* found = nullptr;
    if (body && index >= 0 && static_cast<uint32_t>(index) < body->GetShapes().GetCount())
    {
        nListIterator<nPhysicShape*> iterator;
        for (int32_t at = 0; at <= index; ++at)
            found = body->GetShapes().Next(iterator);
    }
    return PushHandleResult(vm, found, ObjectTypeCollisionShape);
}

SQInteger AddCollisionShape(HSQUIRRELVM vm)
{
    nPhysicItem* body = nullptr;
    if (!GetThisBody(vm, body))
        return SQ_ERROR;
    return PushHandleResult(vm, body ? body->AddShape() : nullptr, ObjectTypeCollisionShape);
}

template <float nPhysicShape::*Field> SQInteger ShapeFloat(HSQUIRRELVM vm)
{
    nPhysicShape* shape = GetThisShape(vm);
    return shape ? ScriptArgs(vm).PushFloat(shape->*Field) : SQ_ERROR;
}

// Masses, frictions, restitutions and sizes are finite and not negative, as the Shape natives take
// them; a refused one leaves the shape as it was.
template <float nPhysicShape::*Field> SQInteger SetShapeFloat(HSQUIRRELVM vm)
{
    nPhysicShape* shape = GetThisShape(vm);
    if (!shape)
        return SQ_ERROR;
    float value = 0.0f;
    if (GetFloatArg(ScriptArgs(vm), 2, NotNegative, value))
        shape->*Field = value;
    return 0;
}

SQInteger SetBox(HSQUIRRELVM vm)
{
    nPhysicShape* shape = GetThisShape(vm);
    nVector size;
    if (!shape || !GetVectorArg(vm, 2, size))
        return SQ_ERROR;
    if (IsFiniteVector(ScriptArgs(vm), size))
        shape->SetPrimitive(PhysicShapeBox, size);
    return 0;
}

SQInteger SetSphere(HSQUIRRELVM vm)
{
    nPhysicShape* shape = GetThisShape(vm);
    if (!shape)
        return SQ_ERROR;
    float radius = 0.0f;
    if (GetFloatArg(ScriptArgs(vm), 2, NotNegative, radius))
        shape->SetPrimitive(PhysicShapeSphere, nVector(radius, 0.0f, 0.0f, 1.0f));
    return 0;
}

// Capsules and cylinders: setX(a, b) gives the parameters (a, b, 0, 1).
template <int32_t Kind> SQInteger SetTwoParameterShape(HSQUIRRELVM vm)
{
    nPhysicShape* shape = GetThisShape(vm);
    if (!shape)
        return SQ_ERROR;
    float parameters[2];
    if (GetFloatArgs(ScriptArgs(vm), 2, 2, NotNegative, parameters))
        shape->SetPrimitive(Kind, nVector(parameters[0], parameters[1], 0.0f, 1.0f));
    return 0;
}

// Convex hulls and meshes of the named geometry.
template <int32_t Kind> SQInteger SetGeometryShape(HSQUIRRELVM vm)
{
    nPhysicShape* shape = GetThisShape(vm);
    if (!shape)
        return SQ_ERROR;
    shape->SetGeometry(Kind, ScriptArgs(vm).GetString(2));
    return 0;
}

const nScriptClassMethod PhysicsMethods[] = {
    {"physicsFrequency", PhysicsFrequency, 1, "."},
    {"setPhysicsFrequency", SetPhysicsFrequency, 2, ".n"},
    {"physicsActive", PhysicsActive, 1, "."},
    {"setPhysicsActive", SetPhysicsActive, 2, ".b"},
    {"physicsMode", BodyInteger<&nPhysicItem::GetMode>, 1, "."},
    // Only the field: the body follows at its next build.
    {"setPhysicsMode", SetBodyInteger<&nPhysicItem::SetMode>, 2, ".i"},
    {"linearVelocity", BodyVector<&nPhysicItem::GetLinearVelocity>, 1, "."},
    {"setLinearVelocity", SetBodyVector<&nPhysicItem::SetLinearVelocity>, 2, ".x"},
    {"angularVelocity", BodyVector<&nPhysicItem::GetAngularVelocity>, 1, "."},
    {"setAngularVelocity", SetBodyVector<&nPhysicItem::SetAngularVelocity>, 2, ".x"},
    {"applyLinearImpulse", ApplyToBody<&nPhysicItem::ApplyLinearImpulse, false>, 2, ".x"},
    {"applyImpulse", ApplyToBody<&nPhysicItem::ApplyLinearImpulse, true>, 3, ".xx"},
    {"applyLinearForce", ApplyToBody<&nPhysicItem::ApplyLinearForce, false>, 2, ".x"},
    {"applyForce", ApplyToBody<&nPhysicItem::ApplyLinearForce, true>, 3, ".xx"},
    {"collisionShapeCount", CollisionShapeCount, 1, "."},
    {"collisionShape", CollisionShape, 2, ".i"},
    {"addCollisionShape", AddCollisionShape, 1, "."},
    {"collisionMask", BodyInteger<&nPhysicItem::GetMask>, 1, "."},
    {"setCollisionMask", SetBodyInteger<&nPhysicItem::SetMask>, 2, ".i"},
    {"selfMask", BodyInteger<&nPhysicItem::GetSelfMask>, 1, "."},
    {"setSelfMask", SetBodyInteger<&nPhysicItem::SetSelfMask>, 2, ".i"},
    {"setLinearFactor", SetBodyVector<&nPhysicItem::SetLinearFactor>, 2, ".x"},
    {"setAngularFactor", SetBodyVector<&nPhysicItem::SetAngularFactor>, 2, ".x"},
    {"mass", ShapeFloat<&nPhysicShape::mass>, 1, "."},
    {"setMass", SetShapeFloat<&nPhysicShape::mass>, 2, ".n"},
    {"staticFriction", ShapeFloat<&nPhysicShape::staticFriction>, 1, "."},
    {"setStaticFriction", SetShapeFloat<&nPhysicShape::staticFriction>, 2, ".n"},
    {"dynamicFriction", ShapeFloat<&nPhysicShape::dynamicFriction>, 1, "."},
    {"setDynamicFriction", SetShapeFloat<&nPhysicShape::dynamicFriction>, 2, ".n"},
    {"restitution", ShapeFloat<&nPhysicShape::restitution>, 1, "."},
    {"setRestitution", SetShapeFloat<&nPhysicShape::restitution>, 2, ".n"},
    {"setBox", SetBox, 2, ".x"},
    {"setCapsule", SetTwoParameterShape<PhysicShapeCapsule>, 3, ".nn"},
    {"setConvex", SetGeometryShape<PhysicShapeConvex>, 2, ".s"},
    {"setCylinder", SetTwoParameterShape<PhysicShapeCylinder>, 3, ".nn"},
    {"setMesh", SetGeometryShape<PhysicShapeMesh>, 2, ".s"},
    {"setSphere", SetSphere, 2, ".n"},
    {nullptr, nullptr, 0, nullptr},
};
} // namespace

bool AddCObjectPhysicsMethods(HSQUIRRELVM vm)
{
    return AddScriptClassMethods(vm, nCObject::GetClassDescriptor(), PhysicsMethods);
}
