#include "core/base/nLog.h"
#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "script/classes/ScriptMatrix.h"
#include "script/classes/ScriptMatrixMethods.h"
#include "script/classes/ScriptVector.h"

namespace
{
constexpr int Size = 4;

using Methods = nScriptMatrixMethods<nMatrix4, Size, Matrix4Class>;

SQInteger Constructor(HSQUIRRELVM vm)
{
    return Methods::Construct(vm, "Matrix4() wrong parameter count", "Matrix4() invalid parameters");
}

SQInteger AsMatrix3(HSQUIRRELVM vm)
{
    const nMatrix4* self = Methods::This(vm);
    if (!self)
        return SQ_ERROR;
    return PushMatrix3(vm, self->GetMatrix3()) ? 1 : sq_throwerror(vm, "Internal failure");
}

SQInteger Print(HSQUIRRELVM vm)
{
    const nMatrix4* self = Methods::This(vm);
    if (!self)
        return SQ_ERROR;
    const SQChar* name = "Matrix";
    if (sq_gettop(vm) >= 2 && sq_gettype(vm, 2) == OT_STRING)
        sq_getstring(vm, 2, &name);
    nLogHolder::Get() << "[S] Dumping matrix '" << name << "':\n";
    for (int column = 0; column < Size; ++column)
        self->GetColumn(column, false).Dump("Row");
    return 0;
}

SQInteger RotationFromMatrix3(HSQUIRRELVM vm)
{
    nMatrix4* self = Methods::This(vm);
    const nMatrix3* rotation = self ? GetArgument<nMatrix3>(vm, 2, Matrix3Class) : nullptr;
    if (!rotation)
        return SQ_ERROR;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            self->m[row * Size + column] = rotation->m[row * 3 + column];
    return 0;
}

SQInteger Axis(HSQUIRRELVM vm, int column, float sign)
{
    const nMatrix4* self = Methods::This(vm);
    if (!self)
        return SQ_ERROR;
    const nVector axis = self->GetColumn(column, true);
    return PushVectorResult(vm, nVector(axis.x * sign, axis.y * sign, axis.z * sign));
}

SQInteger GetFront(HSQUIRRELVM vm)
{
    return Axis(vm, 2, 1.0f);
}

SQInteger GetBack(HSQUIRRELVM vm)
{
    return Axis(vm, 2, -1.0f);
}

SQInteger GetRight(HSQUIRRELVM vm)
{
    return Axis(vm, 0, 1.0f);
}

SQInteger GetLeft(HSQUIRRELVM vm)
{
    return Axis(vm, 0, -1.0f);
}

SQInteger GetUp(HSQUIRRELVM vm)
{
    return Axis(vm, 1, 1.0f);
}

SQInteger GetDown(HSQUIRRELVM vm)
{
    return Axis(vm, 1, -1.0f);
}

SQInteger GetPosition(HSQUIRRELVM vm)
{
    return Axis(vm, 3, 1.0f);
}

const nScriptClassMethod Matrix4Methods[] = {
    {"_SCypeof", Methods::TypeOf, 1, nullptr},
    {"constructor", Constructor, -1, ". n|x n|x n|x n|x nnnn nnnn"},
    {"_get", Methods::Get, 2, "xs"},
    {"_set", Methods::Set, 3, "xsn"},
    {"_mul", Methods::Multiply, 2, "xx"},
    {"GetRow", Methods::GetRow, 2, "xi"},
    {"SetRow", Methods::SetRow, 3, "xix"},
    {"GetColumn", Methods::GetColumn, 2, "xi"},
    {"SetColumn", Methods::SetColumn, 3, "xix"},
    {"AsMatrix3", AsMatrix3, 1, "x"},
    {"Print", Print, -1, "x"},
    {"RotationFromMatrix3", RotationFromMatrix3, 2, "xx"},
    {"GetFront", GetFront, 1, "x"},
    {"GetBack", GetBack, 1, "x"},
    {"GetRight", GetRight, 1, "x"},
    {"GetLeft", GetLeft, 1, "x"},
    {"GetUp", GetUp, 1, "x"},
    {"GetDown", GetDown, 1, "x"},
    {"GetPosition", GetPosition, 1, "x"},
    {nullptr, nullptr, 0, nullptr},
};
} // namespace

const nScriptClassDescriptor Matrix4Class = {"Matrix4", nullptr, Matrix4Methods};

bool PushMatrix4(HSQUIRRELVM vm, const nMatrix4& value)
{
    return Methods::Push(vm, value);
}

SquirrelObject NewMatrix4Object(HSQUIRRELVM vm, const nMatrix4& value)
{
    return PopInstanceObject(vm, PushMatrix4(vm, value));
}

nMatrix4* GetMatrix4Instance(HSQUIRRELVM vm, SQInteger index)
{
    return Methods::Instance(vm, index);
}
