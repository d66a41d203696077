#include "script/classes/ScriptVector.h"

#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "script/classes/ScriptClassValue.h"
#include "script/classes/ScriptMatrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
using VectorStorage = nScriptValueStorage<nVector, MemCategoryVector>;

constexpr float CompareTolerance = 0.000001f;
constexpr float DefaultEqualTolerance = 0.0001f;

float* Component(nVector& vector, int index)
{
    float* components[] = {&vector.x, &vector.y, &vector.z, &vector.w};
    return index >= 0 && index < 4 ? components[index] : nullptr;
}

int ComponentOfLetter(char letter)
{
    switch (letter)
    {
    case '\0':
    case 'x':
    case 'r':
        return 0;
    case 'y':
    case 'g':
        return 1;
    case 'z':
    case 'b':
        return 2;
    case 'w':
    case 'a':
        return 3;
    default:
        return -1;
    }
}

// Writing looks at the first letter only; reading refuses a longer key.
int ComponentOfKey(HSQUIRRELVM vm, bool forWriting)
{
    if (sq_gettype(vm, 2) == OT_STRING)
    {
        const SQChar* key = "";
        sq_getstring(vm, 2, &key);
        if (!forWriting && std::strlen(key) > 1)
            return -1;
        return ComponentOfLetter(key[0]);
    }
    SQInteger index = -1;
    sq_getinteger(vm, 2, &index);
    return index >= 0 && index < 4 ? index : -1;
}

bool IsNumber(HSQUIRRELVM vm, SQInteger index)
{
    const SQObjectType type = sq_gettype(vm, index);
    return type == OT_INTEGER || type == OT_FLOAT;
}

// The number forms of the constructor and "Set": none to four numbers from index 2.
bool SetFromNumbers(HSQUIRRELVM vm, nVector& vector, SQInteger count)
{
    if (count > 4)
        return false;
    float values[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (SQInteger i = 0; i < count; ++i)
    {
        if (!IsNumber(vm, 2 + i))
            return false;
        values[i] = ScriptFloatAt(vm, 2 + i);
    }
    vector.Set(values[0], values[1], values[2], values[3]);
    return true;
}

SQInteger PushResult(HSQUIRRELVM vm, const nVector& result)
{
    return PushVectorResult(vm, result);
}

SQInteger PushResult(HSQUIRRELVM vm, float x, float y, float z)
{
    return PushVectorResult(vm, nVector(x, y, z));
}

nVector* This(HSQUIRRELVM vm)
{
    return GetThis<nVector>(vm, VectorClass);
}

nVector* VectorArgument(HSQUIRRELVM vm, SQInteger index)
{
    return GetArgument<nVector>(vm, index, VectorClass);
}

SQInteger TypeOf(HSQUIRRELVM vm)
{
    sq_pushstring(vm, "Vector", -1);
    return 1;
}

SQInteger Constructor(HSQUIRRELVM vm)
{
    if (!IsClassInstance(vm, 1, VectorClass))
        return sq_throwerror(vm, "Invalid instance type");
    const SQInteger count = sq_gettop(vm) - 1;
    if (count == 1 && sq_gettype(vm, 2) == OT_INSTANCE)
    {
        const nVector* source = static_cast<nVector*>(GetClassInstanceValue(vm, 2, VectorClass));
        if (!source)
            return sq_throwerror(vm, "Vector() invalid instance type");
        nVector* self = VectorStorage::Construct(vm);
        if (!self)
            return sq_throwerror(vm, "Internal failure");
        *self = *source;
        return 0;
    }
    nVector value;
    if (!SetFromNumbers(vm, value, count))
        return sq_throwerror(vm, "Vector wrong parameters");
    nVector* self = VectorStorage::Construct(vm);
    if (!self)
        return sq_throwerror(vm, "Internal failure");
    *self = value;
    return 0;
}

SQInteger Cloned(HSQUIRRELVM vm)
{
    const nVector* source = VectorArgument(vm, 2);
    if (!source)
        return SQ_ERROR;
    nVector* self = VectorStorage::Construct(vm);
    if (!self)
        return sq_throwerror(vm, "Internal failure");
    *self = *source;
    return 0;
}

SQInteger Set(HSQUIRRELVM vm)
{
    nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    float* component = Component(*self, ComponentOfKey(vm, true));
    if (!component)
        return FailKeyAccess(vm);
    *component = ScriptFloatAt(vm, 3);
    sq_pushfloat(vm, *component);
    return 1;
}

SQInteger Get(HSQUIRRELVM vm)
{
    nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    const float* component = Component(*self, ComponentOfKey(vm, false));
    if (!component)
        return FailKeyAccess(vm);
    sq_pushfloat(vm, *component);
    return 1;
}

// The shared shape of "_add", "_sub" and "_div": a number applied to x, y, z, or a vector
// component by component.
template <typename Operation>
SQInteger Arithmetic(HSQUIRRELVM vm, const char* failure, Operation operation)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    if (IsNumber(vm, 2))
    {
        const float n = ScriptFloatAt(vm, 2);
        return PushResult(vm, operation(self->x, n), operation(self->y, n), operation(self->z, n));
    }
    const nVector* other = static_cast<nVector*>(GetClassInstanceValue(vm, 2, VectorClass));
    if (!other)
        return sq_throwerror(vm, failure);
    return PushResult(vm, operation(self->x, other->x), operation(self->y, other->y), operation(self->z, other->z));
}

SQInteger Add(HSQUIRRELVM vm)
{
    return Arithmetic(vm, "Vector + operator: Invalid argument type.\n", [](float a, float b) { return a + b; });
}

SQInteger Sub(HSQUIRRELVM vm)
{
    return Arithmetic(vm, "Vector - operator: Invalid argument type.\n", [](float a, float b) { return a - b; });
}

SQInteger Div(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    if (IsNumber(vm, 2))
    {
        const float divisor = ScriptFloatAt(vm, 2);
        if (divisor == 0.0f)
            return PushResult(vm, 0.0f, 0.0f, 0.0f);
        return PushResult(vm, *self * (1.0f / divisor));
    }
    return Arithmetic(vm, "Vector / operator: Invalid argument type.\n", [](float a, float b) { return a / b; });
}

// A matrix argument transforms the vector: Matrix3 as a direction, Matrix4 as a point unless
// rotationOnly keeps its translation out. Answers false when the argument is neither.
bool TransformByMatrix(HSQUIRRELVM vm, const nVector& vector, bool rotationOnly, nVector& result)
{
    if (const nMatrix3* matrix = GetMatrix3Instance(vm, 2))
    {
        result = vector.MulMatrix3(*matrix);
        return true;
    }
    if (const nMatrix4* matrix = GetMatrix4Instance(vm, 2))
    {
        result = rotationOnly ? vector.MulMatrix3(matrix->GetMatrix3()) : vector.MulMatrix4(*matrix);
        return true;
    }
    return false;
}

SQInteger Mul(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    if (IsNumber(vm, 2))
        return PushResult(vm, *self * ScriptFloatAt(vm, 2));
    if (const nVector* other = static_cast<nVector*>(GetClassInstanceValue(vm, 2, VectorClass)))
        return PushResult(vm, self->x * other->x, self->y * other->y, self->z * other->z);
    nVector result;
    if (TransformByMatrix(vm, *self, false, result))
        return PushResult(vm, result);
    return sq_throwerror(vm, "Vector * operator: Invalid argument type.\n");
}

SQInteger Compare(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    const nVector* other = self ? VectorArgument(vm, 2) : nullptr;
    if (!other)
        return SQ_ERROR;
    const bool equal = std::fabs(self->x - other->x) < CompareTolerance &&
                       std::fabs(self->y - other->y) < CompareTolerance &&
                       std::fabs(self->z - other->z) < CompareTolerance;
    sq_pushbool(vm, equal ? SQTrue : SQFalse);
    return 1;
}

SQInteger SetValues(HSQUIRRELVM vm)
{
    nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    if (!SetFromNumbers(vm, *self, sq_gettop(vm) - 1))
        return sq_throwerror(vm, "Vector Set() wrong parameters");
    return 0;
}

SQInteger ApplyMatrix(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    nVector result;
    if (!TransformByMatrix(vm, *self, false, result))
        return sq_throwerror(vm, "Vector::ApplyMatrix(): Invalid parameter");
    return PushResult(vm, result);
}

SQInteger ApplyRotationMatrix(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    nVector result;
    if (!TransformByMatrix(vm, *self, true, result))
        return sq_throwerror(vm, "Vector::ApplyRotationMatrix(): Invalid parameter");
    return PushResult(vm, result);
}

template <typename Operation>
SQInteger WithReal(HSQUIRRELVM vm, Operation operation)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    const float n = ScriptFloatAt(vm, 2);
    return PushResult(vm, operation(self->x, n), operation(self->y, n), operation(self->z, n));
}

SQInteger AddReal(HSQUIRRELVM vm)
{
    return WithReal(vm, [](float a, float n) { return a + n; });
}

SQInteger MulReal(HSQUIRRELVM vm)
{
    return WithReal(vm, [](float a, float n) { return a * n; });
}

SQInteger SubReal(HSQUIRRELVM vm)
{
    return WithReal(vm, [](float a, float n) { return a - n; });
}

SQInteger DivReal(HSQUIRRELVM vm)
{
    return WithReal(vm, [](float a, float n) { return a * (1.0f / n); });
}

// A bound that is a number stands for (n, n, n).
bool ReadBound(HSQUIRRELVM vm, SQInteger index, nVector& bound)
{
    if (IsNumber(vm, index))
    {
        const float n = ScriptFloatAt(vm, index);
        bound = nVector(n, n, n);
        return true;
    }
    const nVector* vector = VectorArgument(vm, index);
    if (vector)
        bound = *vector;
    return vector != nullptr;
}

SQInteger Clamp(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    nVector lo, hi;
    if (!self || !ReadBound(vm, 2, lo) || !ReadBound(vm, 3, hi))
        return SQ_ERROR;
    nVector result(self->x, self->y, self->z);
    result.ClampVector(lo, hi);
    return PushResult(vm, result);
}

SQInteger ClampMagnitude(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    nVector result(self->x, self->y, self->z);
    result.ClampLength(0.0f, ScriptFloatAt(vm, 2));
    return PushResult(vm, result);
}

SQInteger Reverse(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    return self ? PushResult(vm, -self->x, -self->y, -self->z) : SQ_ERROR;
}

template <typename Pick>
SQInteger Extreme(HSQUIRRELVM vm, const char* failure, Pick pick)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    const SQInteger count = sq_gettop(vm) - 1;
    nVector other;
    if (count == 1 && sq_gettype(vm, 2) == OT_INSTANCE)
    {
        const nVector* vector = VectorArgument(vm, 2);
        if (!vector)
            return SQ_ERROR;
        other = *vector;
    }
    else if ((count == 1 || count == 3) && IsNumber(vm, 2) && (count == 1 || (IsNumber(vm, 3) && IsNumber(vm, 4))))
    {
        other = nVector(ScriptFloatAt(vm, 2), count == 3 ? ScriptFloatAt(vm, 3) : 0.0f, count == 3 ? ScriptFloatAt(vm, 4) : 0.0f);
    }
    else
    {
        return sq_throwerror(vm, failure);
    }
    return PushResult(vm, pick(self->x, other.x), pick(self->y, other.y), pick(self->z, other.z));
}

SQInteger Min(HSQUIRRELVM vm)
{
    return Extreme(vm, "Vector Min(): Invalid parameter list.\n", [](float a, float b) { return std::min(a, b); });
}

SQInteger Max(HSQUIRRELVM vm)
{
    return Extreme(vm, "Vector Max(): Invalid parameter list.\n", [](float a, float b) { return std::max(a, b); });
}

// "this" and the vector argument, both checked; false after the runtime error.
bool Pair(HSQUIRRELVM vm, const nVector*& self, const nVector*& other)
{
    self = This(vm);
    other = self ? VectorArgument(vm, 2) : nullptr;
    return other != nullptr;
}

SQInteger Dot(HSQUIRRELVM vm)
{
    const nVector *self, *other;
    if (!Pair(vm, self, other))
        return SQ_ERROR;
    sq_pushfloat(vm, self->Dot(*other));
    return 1;
}

SQInteger Cross(HSQUIRRELVM vm)
{
    const nVector *self, *other;
    return Pair(vm, self, other) ? PushResult(vm, self->Cross(*other)) : SQ_ERROR;
}

SQInteger Len(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    sq_pushfloat(vm, self->Length());
    return 1;
}

SQInteger Len2(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    sq_pushfloat(vm, self->LengthSquared());
    return 1;
}

SQInteger AngleWithVector(HSQUIRRELVM vm)
{
    const nVector *self, *other;
    if (!Pair(vm, self, other))
        return SQ_ERROR;
    sq_pushfloat(vm, std::acos(std::clamp(self->Dot(*other), -1.0f, 1.0f)));
    return 1;
}

SQInteger Normalize(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    nVector unit = self->Normalized();
    if (sq_gettop(vm) >= 2)
        unit = unit * ScriptFloatAt(vm, 2);
    return PushResult(vm, unit.x, unit.y, unit.z);
}

SQInteger Dist(HSQUIRRELVM vm)
{
    const nVector *self, *other;
    if (!Pair(vm, self, other))
        return SQ_ERROR;
    sq_pushfloat(vm, (*self - *other).Length());
    return 1;
}

SQInteger Dist2(HSQUIRRELVM vm)
{
    const nVector *self, *other;
    if (!Pair(vm, self, other))
        return SQ_ERROR;
    sq_pushfloat(vm, (*self - *other).LengthSquared());
    return 1;
}

SQInteger Lerp(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    const nVector* other = self ? VectorArgument(vm, 3) : nullptr;
    if (!other)
        return SQ_ERROR;
    const float t = ScriptFloatAt(vm, 2);
    return PushResult(vm, *self * t + *other * (1.0f - t));
}

SQInteger Randomize(HSQUIRRELVM vm)
{
    const SQInteger count = sq_gettop(vm) - 1;
    if (count == 1)
        return PushResult(vm, nVector::Random(0.0f, ScriptFloatAt(vm, 2)));
    if (count == 2)
        return PushResult(vm, nVector::Random(ScriptFloatAt(vm, 2), ScriptFloatAt(vm, 3)));
    return sq_throwerror(vm, "wrong number of parameters");
}

SQInteger IsEqual(HSQUIRRELVM vm)
{
    const SQInteger count = sq_gettop(vm) - 1;
    if (count != 1 && count != 2)
        return sq_throwerror(vm, "Vector::IsEqual() wrong parameter count");
    const nVector *self, *other;
    if (!Pair(vm, self, other))
        return SQ_ERROR;
    const float tolerance = count == 2 ? ScriptFloatAt(vm, 3) : DefaultEqualTolerance;
    sq_pushbool(vm, (*self - *other).Length() < tolerance ? SQTrue : SQFalse);
    return 1;
}

SQInteger Print(HSQUIRRELVM vm)
{
    const nVector* self = This(vm);
    if (!self)
        return SQ_ERROR;
    const SQChar* name = "Vector";
    if (sq_gettop(vm) >= 2 && sq_gettype(vm, 2) == OT_STRING)
        sq_getstring(vm, 2, &name);
    self->Dump(name);
    return 0;
}

const nScriptClassMethod VectorMethods[] = {
    {"_SCypeof", TypeOf, 1, nullptr},
    {"constructor", Constructor, -1, ".n|xnnn"},
    {"_cloned", Cloned, 2, ".x"},
    {"_set", Set, 3, "xs|n"},
    {"_get", Get, 2, "xs|n"},
    {"_add", Add, 2, "xx|n"},
    {"_sub", Sub, 2, "xx|n"},
    {"_mul", Mul, 2, "xx|n"},
    {"_div", Div, 2, "xx|n"},
    {"_cmp", Compare, 2, "xx"},
    {"Set", SetValues, -1, "xnnnn"},
    {"ApplyMatrix", ApplyMatrix, 2, "xx"},
    {"ApplyRotationMatrix", ApplyRotationMatrix, 2, "xx"},
    {"AddReal", AddReal, 2, "xn"},
    {"MulReal", MulReal, 2, "xn"},
    {"SubReal", SubReal, 2, "xn"},
    {"DivReal", DivReal, 2, "xn"},
    {"Scale", MulReal, 2, "xn"},
    {"Clamp", Clamp, 3, "x x|n x|n"},
    {"ClampMagnitude", ClampMagnitude, 2, "xn"},
    {"Reverse", Reverse, 1, "x"},
    {"Min", Min, -2, "xn|xnn"},
    {"Max", Max, -2, "xn|xnn"},
    {"Dot", Dot, 2, "xx"},
    {"Cross", Cross, 2, "xx"},
    {"Len", Len, 1, "x"},
    {"Len2", Len2, 1, "x"},
    {"AngleWithVector", AngleWithVector, 2, "xx"},
    {"Normalize", Normalize, -1, "xn"},
    {"Dist", Dist, 2, "xx"},
    {"Dist2", Dist2, 2, "xx"},
    {"Lerp", Lerp, 3, "xnx"},
    {"Randomize", Randomize, -2, ".nn"},
    {"IsEqual", IsEqual, -2, "xxn"},
    {"Print", Print, -1, "x"},
    {nullptr, nullptr, 0, nullptr},
};
} // namespace

const nScriptClassDescriptor VectorClass = {"Vector", nullptr, VectorMethods};

bool PushVector(HSQUIRRELVM vm, const nVector& value)
{
    return VectorStorage::Push(vm, VectorClass, value);
}

SQInteger PushVectorResult(HSQUIRRELVM vm, const nVector& value)
{
    return PushVector(vm, nVector(value.x, value.y, value.z)) ? 1
                                                              : sq_throwerror(vm, "Failed to create Vector instance.");
}

SquirrelObject NewVectorObject(HSQUIRRELVM vm, const nVector& value)
{
    return PopInstanceObject(vm, PushVector(vm, value));
}

nVector* GetVectorInstance(HSQUIRRELVM vm, SQInteger index)
{
    return static_cast<nVector*>(GetClassInstanceValue(vm, index, VectorClass));
}

bool GetVectorArg(HSQUIRRELVM vm, SQInteger index, nVector& value)
{
    const nVector* vector = GetArgument<nVector>(vm, index, VectorClass);
    if (vector)
        value = *vector;
    return vector != nullptr;
}
