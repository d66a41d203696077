#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nQuaternion.h"
#include "core/math/nVector.h"
#include "script/classes/ScriptMatrix.h"
#include "script/classes/ScriptMatrixMethods.h"
#include "script/classes/ScriptVector.h"

namespace
{
using Methods = nScriptMatrixMethods<nMatrix3, 3, Matrix3Class>;

constexpr SQInteger DefaultEulerOrder = 4;

SQInteger PushMatrixResult(HSQUIRRELVM vm, const nMatrix3& matrix)
{
    return PushMatrix3(vm, matrix) ? 1 : sq_throwerror(vm, "Internal failure");
}

SQInteger Constructor(HSQUIRRELVM vm)
{
    return Methods::Construct(vm, "Matrix3() wrong parameter count", "Matrix3() invalid parameters");
}

SQInteger AsMatrix4(HSQUIRRELVM vm)
{
    const nMatrix3* self = Methods::This(vm);
    if (!self)
        return SQ_ERROR;
    return PushMatrix4(vm, nMatrix4::FromMatrix3(*self)) ? 1 : sq_throwerror(vm, "Internal failure");
}

SQInteger FromOrthonormalBasis(HSQUIRRELVM vm)
{
    const SQInteger count = sq_gettop(vm) - 1;
    if (count > 2)
        return sq_throwerror(vm, "Matrix3::FromOrthonormalBasis() wrong parameter count");
    const nVector* direction = GetArgument<nVector>(vm, 2, VectorClass);
    if (!direction)
        return SQ_ERROR;
    const nVector* up = nullptr;
    if (count == 2 && !(up = GetArgument<nVector>(vm, 3, VectorClass)))
        return SQ_ERROR;
    return PushMatrixResult(vm, nMatrix3::FromDirection(*direction, up));
}

SQInteger SlerpTo(HSQUIRRELVM vm)
{
    const nMatrix3* self = Methods::This(vm);
    const nMatrix3* other = self ? GetArgument<nMatrix3>(vm, 3, Matrix3Class) : nullptr;
    if (!other)
        return SQ_ERROR;
    const nQuaternion from = nQuaternion::FromMatrix3(*self);
    const nQuaternion to = nQuaternion::FromMatrix3(*other);
    return PushMatrixResult(vm, nQuaternion::Slerp(ScriptFloatAt(vm, 2), from, to).ToMatrix3());
}

SQInteger AsEuler(HSQUIRRELVM vm)
{
    const nMatrix3* self = Methods::This(vm);
    if (!self)
        return SQ_ERROR;
    SQInteger order = DefaultEulerOrder;
    if (sq_gettop(vm) >= 2)
        sq_getinteger(vm, 2, &order);
    return PushVectorResult(vm, self->ToEuler(static_cast<uint32_t>(order)));
}

const nScriptClassMethod Matrix3Methods[] = {
    {"_SCypeof", Methods::TypeOf, 1, nullptr},
    {"constructor", Constructor, -1, ". n|x n|x n|x nnn nnn"},
    {"_get", Methods::Get, 2, "xs"},
    {"_set", Methods::Set, 3, "xsn"},
    {"_mul", Methods::Multiply, 2, "xx"},
    {"GetRow", Methods::GetRow, 2, "xi"},
    {"SetRow", Methods::SetRow, 3, "xix"},
    {"GetColumn", Methods::GetColumn, 2, "xi"},
    {"SetColumn", Methods::SetColumn, 3, "xix"},
    {"AsMatrix4", AsMatrix4, 1, "x"},
    {"FromOrthonormalBasis", FromOrthonormalBasis, -2, ".xx"},
    {"SlerpTo", SlerpTo, 3, "xnx"},
    {"AsEuler", AsEuler, -1, "xi"},
    {nullptr, nullptr, 0, nullptr},
};
} // namespace

const nScriptClassDescriptor Matrix3Class = {"Matrix3", nullptr, Matrix3Methods};

bool PushMatrix3(HSQUIRRELVM vm, const nMatrix3& value)
{
    return Methods::Push(vm, value);
}

SquirrelObject NewMatrix3Object(HSQUIRRELVM vm, const nMatrix3& value)
{
    return PopInstanceObject(vm, PushMatrix3(vm, value));
}

nMatrix3* GetMatrix3Instance(HSQUIRRELVM vm, SQInteger index)
{
    return Methods::Instance(vm, index);
}
