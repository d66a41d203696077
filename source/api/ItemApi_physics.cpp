#include "api/PhysicApi.h"

#include "core/base/nLog.h"
#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "engine/items/nMObject.h"
#include "geometry/nGeometry.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicWorld.h"
#include "script/classes/ScriptMatrix.h"
#include "script/classes/ScriptVector.h"

#include <cmath>

nPhysicItem* GetPhysicItemArg(HSQUIRRELVM vm, SQInteger index)
{
    nMItem* item = GetItemArg(vm, index);
    if (!item)
        return nullptr;
    nPhysicItem* body = item->GetPhysicItem();
    if (!body)
        sq_throwerror(vm, "Item has no physics component.");
    return body;
}

nPhysicItem* GetPhysicItemArgOf(HSQUIRRELVM vm, SQInteger index, const nPhysicWorld* world)
{
    nPhysicItem* body = GetPhysicItemArg(vm, index);
    if (body && body->GetWorld() != world)
    {
        sq_throwerror(vm, "Item is not in the constraint's physics world.");
        return nullptr;
    }
    return body;
}

// Every body native reads its item as a physics item and fails with "Item has no physics
// component." before anything else happens; the natives kept for old scripts answer on any item.
namespace
{
const nVector Origin(0.0f, 0.0f, 0.0f, 1.0f);

SQInteger PushMatrix4Result(HSQUIRRELVM vm, const nMatrix4& matrix)
{
    return PushMatrix4(vm, matrix) ? 1 : sq_throwerror(vm, "Failed to create Matrix4 instance.");
}

// The body's transform without a body is the identity, as GetMatrix leaves its output alone.
nMatrix4 BodyMatrix(const nPhysicItem& body)
{
    nMatrix4 matrix;
    body.GetMatrix(matrix);
    return matrix;
}

// The body's origin is the item's centre of mass; SetMatrix takes the item's own origin. Turning
// the body about its item's origin with the body's origin would shift it by the turned centre of
// mass every call.
nMatrix4 ItemMatrixOfBody(const nPhysicItem& body)
{
    nMatrix4 matrix = BodyMatrix(body);
    const nVector origin = matrix.GetTranslation() - body.GetCenterOfMass().MulMatrix3(matrix.GetMatrix3());
    matrix.m[3] = origin.x;
    matrix.m[7] = origin.y;
    matrix.m[11] = origin.z;
    return matrix;
}

// Mode, build, mass and sleep.

template <bool Sleeping> SQInteger SetSleeping(const ScriptArgs&, nPhysicItem& body)
{
    body.SetSleeping(Sleeping);
    return 0;
}

// Vectors in, vectors out.

template <void (nPhysicItem::*Set)(const nVector&)>
SQInteger SetVector(const ScriptArgs& args, nPhysicItem& body)
{
    nVector value;
    if (!GetPointArg(args.GetVM(), 3, value))
        return SQ_ERROR;
    (body.*Set)(value);
    return 0;
}

template <nVector (nPhysicItem::*Get)() const> SQInteger GetVector(const ScriptArgs& args, nPhysicItem& body)
{
    return PushVectorResult(args.GetVM(), (body.*Get)());
}

template <nVector (nPhysicItem::*Get)(const nVector&) const>
SQInteger GetVectorAt(const ScriptArgs& args, nPhysicItem& body)
{
    nVector point;
    if (!GetPointArg(args.GetVM(), 3, point))
        return SQ_ERROR;
    return PushVectorResult(args.GetVM(), (body.*Get)(point));
}

SQInteger SetGravityScale(const ScriptArgs& args, nPhysicItem& body)
{
    const nPhysicWorld* world = body.GetWorld();
    float scale = 0.0f;
    if (world && GetFloatArg(args, 3, AnyFinite, scale))
    {
        nVector gravity = world->GetGravity() * scale;
        gravity.w = 1.0f;
        body.SetGravity(gravity);
    }
    return 0;
}

SQInteger GetSpeed(const ScriptArgs& args, nPhysicItem& body)
{
    const nVector velocity = body.GetLinearVelocity();
    return args.PushFloat(
        std::sqrt(velocity.x * velocity.x + velocity.y * velocity.y + velocity.z * velocity.z));
}

// Forces and impulses: the central ones take the vector alone, the others a point (the second
// parameter) and the vector acting there (the third).
template <void (nPhysicItem::*Apply)(const nVector&, const nVector*)>
SQInteger ApplyCentral(const ScriptArgs& args, nPhysicItem& body)
{
    nVector value;
    if (!GetPointArg(args.GetVM(), 3, value))
        return SQ_ERROR;
    (body.*Apply)(value, nullptr);
    return 0;
}

template <void (nPhysicItem::*Apply)(const nVector&, const nVector*)>
SQInteger ApplyAtPoint(const ScriptArgs& args, nPhysicItem& body)
{
    nVector point;
    nVector value;
    if (!GetPointArgs(args.GetVM(), 3, point, value))
        return SQ_ERROR;
    (body.*Apply)(value, &point);
    return 0;
}

// The transform of the body.

// Without a physics item the answer is the origin rather than an error.
SQInteger GetPhysicPosition(const ScriptArgs& args, nMItem& item)
{
    const nPhysicItem* body = item.GetPhysicItem();
    return PushVectorResult(args.GetVM(), body ? BodyMatrix(*body).GetTranslation() : Origin);
}

SQInteger SetPhysicPosition(const ScriptArgs& args, nPhysicItem& body)
{
    nVector position;
    if (!GetPointArg(args.GetVM(), 3, position))
        return SQ_ERROR;
    nMatrix4 matrix = BodyMatrix(body);
    matrix.m[3] = position.x;
    matrix.m[7] = position.y;
    matrix.m[11] = position.z;
    body.SetMatrix(matrix);
    return 0;
}

SQInteger GetPhysicRotation(const ScriptArgs& args, nPhysicItem& body)
{
    return PushVectorResult(args.GetVM(), BodyMatrix(body).GetMatrix3().ToEuler(nPhysicShape::RotationOrder));
}

SQInteger SetPhysicRotation(const ScriptArgs& args, nPhysicItem& body)
{
    nVector angles;
    if (!GetPointArg(args.GetVM(), 3, angles))
        return SQ_ERROR;
    nVector position;
    nVector scale;
    ItemMatrixOfBody(body).Decompose(&position, &scale, nullptr);
    body.SetMatrix(nMatrix4::ComposeEuler(position, angles, scale, nPhysicShape::RotationOrder));
    return 0;
}

SQInteger ResetTransformation(const ScriptArgs& args, nPhysicItem& body)
{
    nVector position;
    nVector angles;
    if (!GetPointArgs(args.GetVM(), 3, position, angles))
        return SQ_ERROR;
    body.SetMatrix(nMatrix4::ComposeEuler(position, angles, nVector(1.0f, 1.0f, 1.0f, 1.0f),
                                          nPhysicShape::RotationOrder));
    return 0;
}

// Vehicles: a wheel index outside the vehicle (a negative one included) reaches no wheel.

template <void (nPhysicItem::*Set)(float, uint32_t)>
SQInteger SetWheel(const ScriptArgs& args, nPhysicItem& body)
{
    float value = 0.0f;
    if (GetFloatArg(args, 4, AnyFinite, value))
        (body.*Set)(value, static_cast<uint32_t>(args.GetInt(3)));
    return 0;
}

SQInteger GetWheelMatrix(const ScriptArgs& args, nPhysicItem& body)
{
    nMatrix4 matrix;
    body.VehicleGetWheelMatrix(matrix, static_cast<uint32_t>(args.GetInt(3)));
    return PushMatrix4Result(args.GetVM(), matrix);
}

SQInteger GetGeometry(const ScriptArgs& args, nMItem& item)
{
    if (item.GetKind() != ItemTypeObject)
        return sq_throwerror(args.GetVM(), "Item is not an object, cannot get geometry");
    return PushHandle(args.GetVM(), static_cast<nMObject&>(item).GetObject().GetGeometry(),
                      ObjectTypeGeometry);
}

// Kept for old scripts.

SQInteger CheckInertiaArguments(const ScriptArgs& args, nMItem&)
{
    nMatrix3 tensor;
    nVector centre;
    return GetMatrix3Arg(args.GetVM(), 3, tensor) && GetPointArg(args.GetVM(), 4, centre) ? 0 : SQ_ERROR;
}

SQInteger AnswerOrigin(const ScriptArgs& args, nMItem&)
{
    return PushVectorResult(args.GetVM(), Origin);
}

SQInteger LogObsolete(const ScriptArgs&, nMItem&)
{
    nLogHolder::Get() << "[!] OBSOLETE\n";
    return 0;
}

const nNativeEntry ItemPhysicsNatives[] = {
    {"ItemGetPhysicMode", Native<AnswerIntOf<&nPhysicItem::GetMode, nPhysicItem>>, ".x"},
    {"ItemSetPhysicMode",
     Native<SetEnumOf<&nPhysicItem::SetMode, PhysicModeNone, PhysicModeDynamic, nPhysicItem>>, ".xi"},
    {"ItemUpdateInertiaTensorFromCollision", Native<CallOf<&nPhysicItem::Build>>, ".x"},
    {"ItemGetMass", Native<AnswerFloatOf<&nPhysicItem::GetMass>>, ".x"},
    {"ItemWake", Native<SetSleeping<false>>, ".x"},
    {"ItemSleep", Native<SetSleeping<true>>, ".x"},
    {"ItemIsSleeping", Native<AnswerBoolOf<&nPhysicItem::IsSleeping, nPhysicItem>>, ".x"},
    {"ItemSetLinearDamping", Native<SetFloatOf<&nPhysicItem::SetLinearDamping>>, ".xn"},
    {"ItemSetAngularDamping", Native<SetFloatOf<&nPhysicItem::SetAngularDamping>>, ".xn"},
    {"ItemSetGravity", Native<SetVector<&nPhysicItem::SetGravity>>, ".xx"},
    {"ItemSetGravityScale", Native<SetGravityScale>, ".xn"},
    {"ItemGetGravity", Native<GetVector<&nPhysicItem::GetGravity>>, ".x"},
    {"ItemPhysicSetLinearFactor", Native<SetVector<&nPhysicItem::SetLinearFactor>>, ".xx"},
    {"ItemPhysicSetAngularFactor", Native<SetVector<&nPhysicItem::SetAngularFactor>>, ".xx"},
    {"ItemApplyLinearForce", Native<ApplyCentral<&nPhysicItem::ApplyLinearForce>>, ".xx"},
    {"ItemApplyForce", Native<ApplyAtPoint<&nPhysicItem::ApplyLinearForce>>, ".xxx"},
    {"ItemApplyLinearImpulse", Native<ApplyCentral<&nPhysicItem::ApplyLinearImpulse>>, ".xx"},
    {"ItemApplyImpulse", Native<ApplyAtPoint<&nPhysicItem::ApplyLinearImpulse>>, ".xxx"},
    {"ItemApplyTorque", Native<SetVector<&nPhysicItem::ApplyTorque>>, ".xx"},
    {"ItemGetLinearVelocity", Native<GetVector<&nPhysicItem::GetLinearVelocity>>, ".x"},
    // The simulation keeps no earlier velocity: the current one stands for it.
    {"ItemGetPreviousLinearVelocity", Native<GetVector<&nPhysicItem::GetLinearVelocity>>, ".x"},
    {"ItemSetLinearVelocity", Native<SetVector<&nPhysicItem::SetLinearVelocity>>, ".xx"},
    {"ItemGetAngularVelocity", Native<GetVector<&nPhysicItem::GetAngularVelocity>>, ".x"},
    {"ItemSetAngularVelocity", Native<SetVector<&nPhysicItem::SetAngularVelocity>>, ".xx"},
    {"ItemGetSpeed", Native<GetSpeed>, ".x"},
    {"ItemPointVelocity", Native<GetVectorAt<&nPhysicItem::GetLocalPointVelocity>>, ".xx"},
    {"ItemWorldPointVelocity", Native<GetVectorAt<&nPhysicItem::GetPointVelocity>>, ".xx"},
    {"ItemGetCenterOfMass", Native<GetVector<&nPhysicItem::GetCenterOfMassPosition>>, ".x"},
    {"ItemGetPhysicPosition", Native<GetPhysicPosition>, ".x"},
    {"ItemSetPhysicPosition", Native<SetPhysicPosition>, ".xx"},
    {"ItemGetPhysicRotation", Native<GetPhysicRotation>, ".x"},
    {"ItemSetPhysicRotation", Native<SetPhysicRotation>, ".xx"},
    {"ItemPhysicResetTransformation", Native<ResetTransformation>, ".xxx"},
    {"ItemPhysicVehicleSetForce", Native<SetWheel<&nPhysicItem::VehicleSetForce>>, ".xin"},
    {"ItemPhysicVehicleSetBrake", Native<SetWheel<&nPhysicItem::VehicleSetBrake>>, ".xin"},
    {"ItemPhysicVehicleSetSteering", Native<SetWheel<&nPhysicItem::VehicleSetSteering>>, ".xin"},
    {"ItemPhysicVehicleGetWheelMatrix", Native<GetWheelMatrix>, ".xi"},
    {"ItemGetGeometry", Native<GetGeometry>, ".x"},
    {"ItemCollided", Native<AnswerBool<nMItem, false>>, ".x"},
    {"ItemPhysicGetFlag", Native<AnswerInteger<nMItem, 0>>, ".x"},
    {"ItemPhysicSetFlag", Native<Ignored<nMItem>>, ".xi"},
    {"ItemSetInertiaTensorAndCom", Native<CheckInertiaArguments>, ".xxx"},
    {"ItemGetLinearAcceleration", Native<AnswerOrigin>, ".x"},
    {"ItemGetPhysicPreviousPosition", Native<AnswerOrigin>, ".x"},
    {"ItemSetPhysicPreviousPosition", Native<LogObsolete>, ".xx"},
    {"ItemPhysicSynchronizeCollision", Native<LogObsolete>, ".x"},
};
} // namespace

void RegisterItemPhysicsNatives(HSQUIRRELVM vm)
{
    RegisterNatives(vm, ItemPhysicsNatives);
}
