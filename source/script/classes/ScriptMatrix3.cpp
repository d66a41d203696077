#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nQuaternion.h"
#include "core/math/nVector.h"
#include "script/classes/ScriptClassValue.h"
#include "script/classes/ScriptMatrix.h"
#include "script/classes/ScriptMatrixKeys.h"
#include "script/classes/ScriptVector.h"

namespace
{
using Matrix3Storage = nScriptValueStorage<nMatrix3, MemCategoryMatrix>;

constexpr int Size = 3;
constexpr SQInteger DefaultEulerOrder = 4;

float FloatAt(HSQUIRRELVM vm, SQInteger index)
{
    SQFloat value = 0.0f;
    sq_getfloat(vm, index, &value);
    return value;
}

nMatrix3* This(HSQUIRRELVM vm)
{
    return GetThis<nMatrix3>(vm, Matrix3Class);
}

SQInteger PushVectorResult(HSQUIRRELVM vm, const nVector& vector)
{
    return PushVector(vm, nVector(vector.x, vector.y, vector.z)) ? 1
                                                                 : sq_throwerror(vm, "Failed to create Vector instance.");
}

SQInteger PushMatrixResult(HSQUIRRELVM vm, const nMatrix3& matrix)
{
    return PushMatrix3(vm, matrix) ? 1 : sq_throwerror(vm, "Internal failure");
}

SQInteger TypeOf(HSQUIRRELVM vm)
{
    sq_pushstring(vm, "Matrix3", -1);
    return 1;
}

SQInteger Constructor(HSQUIRRELVM vm)
{
    if (!IsClassInstance(vm, 1, Matrix3Class))
        return sq_throwerror(vm, "Invalid instance type");
    const SQInteger count = sq_gettop(vm) - 1;
    nMatrix3 value;
    if (count == Size)
    {
        for (int column = 0; column < Size; ++column)
        {
            const nVector* vector = GetVectorInstance(vm, 2 + column);
            if (!vector)
                return sq_throwerror(vm, "Matrix3() invalid parameters");
            value.SetColumn(column, *vector);
        }
    }
    else if (count == Size * Size)
    {
        for (int i = 0; i < Size * Size; ++i)
            value.m[(i % Size) * Size + i / Size] = FloatAt(vm, 2 + i);
    }
    else if (count != 0)
    {
        return sq_throwerror(vm, "Matrix3() wrong parameter count");
    }
    nMatrix3* self = Matrix3Storage::Construct(vm);
    if (!self)
        return sq_throwerror(vm, "Internal failure");
    *self = value;
    return 0;
}

SQInteger Get(HSQUIRRELVM vm)
{
    const nMatrix3* self = This(vm);
    if (!self)
        return SQ_ERROR;
    const int element = MatrixElementOfKey(vm, Size);
    if (element < 0)
        return sq_throwerror(vm, "Index out of range");
    sq_pushfloat(vm, self->m[element]);
    return 1;
}

SQInteger Set(HSQUIRRELVM vm)
{
    nMatrix3* self = This(vm);
    if (!self)
        return SQ_ERROR;
    const int element = MatrixElementOfKey(vm, Size);
    if (element < 0)
        return sq_throwerror(vm, "Index out of range");
    self->m[element] = FloatAt(vm, 3);
    return 0;
}

SQInteger Mul(HSQUIRRELVM vm)
{
    const nMatrix3* self = This(vm);
    const nMatrix3* other = self ? GetArgument<nMatrix3>(vm, 2, Matrix3Class) : nullptr;
    return other ? PushMatrixResult(vm, *self * *other) : SQ_ERROR;
}

nMatrix3* WithLine(HSQUIRRELVM vm, int& line)
{
    nMatrix3* self = This(vm);
    if (!self)
        return nullptr;
    line = MatrixLineIndex(vm, Size);
    if (line < 0)
    {
        sq_throwerror(vm, "Index out of range");
        return nullptr;
    }
    return self;
}

// Script "rows" are the matrix's columns: the axes.
SQInteger GetRow(HSQUIRRELVM vm)
{
    int line = 0;
    const nMatrix3* self = WithLine(vm, line);
    return self ? PushVectorResult(vm, self->GetColumn(line)) : SQ_ERROR;
}

SQInteger SetRow(HSQUIRRELVM vm)
{
    int line = 0;
    nMatrix3* self = WithLine(vm, line);
    const nVector* vector = self ? GetArgument<nVector>(vm, 3, VectorClass) : nullptr;
    if (!vector)
        return SQ_ERROR;
    self->SetColumn(line, *vector);
    return 0;
}

SQInteger GetColumn(HSQUIRRELVM vm)
{
    int line = 0;
    const nMatrix3* self = WithLine(vm, line);
    return self ? PushVectorResult(vm, self->GetRow(line)) : SQ_ERROR;
}

SQInteger SetColumn(HSQUIRRELVM vm)
{
    int line = 0;
    nMatrix3* self = WithLine(vm, line);
    const nVector* vector = self ? GetArgument<nVector>(vm, 3, VectorClass) : nullptr;
    if (!vector)
        return SQ_ERROR;
    self->SetRow(line, *vector);
    return 0;
}

SQInteger AsMatrix4(HSQUIRRELVM vm)
{
    const nMatrix3* self = This(vm);
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
    const nMatrix3* self = This(vm);
    const nMatrix3* other = self ? GetArgument<nMatrix3>(vm, 3, Matrix3Class) : nullptr;
    if (!other)
        return SQ_ERROR;
    const nQuaternion from = nQuaternion::FromMatrix3(*self);
    const nQuaternion to = nQuaternion::FromMatrix3(*other);
    return PushMatrixResult(vm, nQuaternion::Slerp(FloatAt(vm, 2), from, to).ToMatrix3());
}

SQInteger AsEuler(HSQUIRRELVM vm)
{
    const nMatrix3* self = This(vm);
    if (!self)
        return SQ_ERROR;
    SQInteger order = DefaultEulerOrder;
    if (sq_gettop(vm) >= 2)
        sq_getinteger(vm, 2, &order);
    return PushVectorResult(vm, self->ToEuler(static_cast<uint32_t>(order)));
}

const nScriptClassMethod Matrix3Methods[] = {
    {"_SCypeof", TypeOf, 1, nullptr},
    {"constructor", Constructor, -1, ". n|x n|x n|x nnn nnn"},
    {"_get", Get, 2, "xs"},
    {"_set", Set, 3, "xsn"},
    {"_mul", Mul, 2, "xx"},
    {"GetRow", GetRow, 2, "xi"},
    {"SetRow", SetRow, 3, "xix"},
    {"GetColumn", GetColumn, 2, "xi"},
    {"SetColumn", SetColumn, 3, "xix"},
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
    return Matrix3Storage::Push(vm, Matrix3Class, value);
}

SquirrelObject NewMatrix3Object(HSQUIRRELVM vm, const nMatrix3& value)
{
    return PopInstanceObject(vm, PushMatrix3(vm, value));
}

nMatrix3* GetMatrix3Instance(HSQUIRRELVM vm, SQInteger index)
{
    return static_cast<nMatrix3*>(GetClassInstanceValue(vm, index, Matrix3Class));
}
