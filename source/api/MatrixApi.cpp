#include "api/ScriptApiGroups.h"
#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/classes/ScriptMatrix.h"
#include "script/classes/ScriptVector.h"

namespace
{
constexpr uint32_t EulerOrderYXZ = 4;
constexpr uint32_t EulerOrderCount = 7;

SQInteger PushMatrix3Result(HSQUIRRELVM vm, const nMatrix3& matrix)
{
    return PushMatrix3(vm, matrix) ? 1 : sq_throwerror(vm, "Failed to create Matrix3 instance.");
}

SQInteger PushMatrix4Result(HSQUIRRELVM vm, const nMatrix4& matrix)
{
    return PushMatrix4(vm, matrix) ? 1 : sq_throwerror(vm, "Failed to create Matrix4 instance.");
}

SQInteger RotationMatrixFromDirection(HSQUIRRELVM vm)
{
    nVector direction;
    if (!GetPointArg(vm, 2, direction))
        return SQ_ERROR;
    return PushMatrix3Result(vm, nMatrix3::FromDirection(direction));
}

SQInteger EulerFromDirection(HSQUIRRELVM vm)
{
    nVector direction;
    if (!GetPointArg(vm, 2, direction))
        return SQ_ERROR;
    return PushVectorResult(vm, nMatrix3::FromDirection(direction).ToEuler(EulerOrderYXZ));
}

SQInteger MatrixToEuler(HSQUIRRELVM vm)
{
    nMatrix3 rotation;
    if (!GetMatrix3Arg(vm, 2, rotation))
        return SQ_ERROR;
    const int32_t order = ScriptArgs(vm).GetInt(3);
    return PushVectorResult(vm, rotation.ToEuler(static_cast<uint32_t>(order)));
}

// The composition's fourth input is its rotation order, carried in the fourth vector's x
// (RotationOrder* codes); a value that is no order gives the identity rotation, as an unknown
// order code does.
uint32_t RotationOrderOf(const nVector& fourth)
{
    return fourth.x >= 0.0f && fourth.x < static_cast<float>(EulerOrderCount)
               ? static_cast<uint32_t>(fourth.x)
               : EulerOrderCount;
}

SQInteger TransformationMatrix(HSQUIRRELVM vm)
{
    nVector position, angles, scale, fourth;
    if (!GetPointArg(vm, 2, position) || !GetPointArg(vm, 3, angles) || !GetPointArg(vm, 4, scale) ||
        !GetPointArg(vm, 5, fourth))
        return SQ_ERROR;
    return PushMatrix4Result(vm, nMatrix4::ComposeEuler(position, angles, scale, RotationOrderOf(fourth)));
}

const nNativeEntry MatrixNatives[] = {
    {"RotationMatrixFromDirection", GuardedNative<RotationMatrixFromDirection>, ".x"},
    {"EulerFromDirection", GuardedNative<EulerFromDirection>, ".x"},
    {"MatrixToEuler", GuardedNative<MatrixToEuler>, ".xi"},
    {"TransformationMatrix", GuardedNative<TransformationMatrix>, ".xxxx"},
};
} // namespace

void RegisterMatrixApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, MatrixNatives);
}
