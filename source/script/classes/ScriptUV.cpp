#include "script/classes/ScriptUV.h"

#include "core/math/nUV.h"
#include "script/classes/ScriptClassValue.h"

namespace
{
using UVStorage = nScriptValueStorage<nUV, MemCategoryVector>;

// "u", "x" or 0 is u; "v", "y" or 1 is v; a string key is known by its first letter.
float* Component(HSQUIRRELVM vm, nUV& uv)
{
    if (sq_gettype(vm, 2) == OT_STRING)
    {
        const SQChar* key = "";
        sq_getstring(vm, 2, &key);
        if (key[0] == 'u' || key[0] == 'x' || key[0] == '\0')
            return &uv.u;
        return key[0] == 'v' || key[0] == 'y' ? &uv.v : nullptr;
    }
    SQInteger index = -1;
    sq_getinteger(vm, 2, &index);
    return index == 0 ? &uv.u : index == 1 ? &uv.v : nullptr;
}

// None, one or two numbers from index 2.
bool SetFromNumbers(HSQUIRRELVM vm, nUV& uv, SQInteger count)
{
    if (count > 2)
        return false;
    uv.u = count >= 1 ? ScriptFloatAt(vm, 2) : 0.0f;
    uv.v = count >= 2 ? ScriptFloatAt(vm, 3) : 0.0f;
    return true;
}

SQInteger TypeOf(HSQUIRRELVM vm)
{
    sq_pushstring(vm, "UV", -1);
    return 1;
}

SQInteger Constructor(HSQUIRRELVM vm)
{
    if (!IsClassInstance(vm, 1, UVClass))
        return sq_throwerror(vm, "Invalid instance type");
    const SQInteger count = sq_gettop(vm) - 1;
    nUV value;
    if (count == 1 && sq_gettype(vm, 2) == OT_INSTANCE)
    {
        const nUV* source = GetArgument<nUV>(vm, 2, UVClass);
        if (!source)
            return SQ_ERROR;
        value = *source;
    }
    else if (!SetFromNumbers(vm, value, count))
    {
        return sq_throwerror(vm, "Wrong parameter count");
    }
    nUV* self = UVStorage::Construct(vm);
    if (!self)
        return sq_throwerror(vm, "Internal failure");
    *self = value;
    return 0;
}

SQInteger Cloned(HSQUIRRELVM vm)
{
    const nUV* source = GetArgument<nUV>(vm, 2, UVClass);
    if (!source)
        return SQ_ERROR;
    nUV* self = UVStorage::Construct(vm);
    if (!self)
        return sq_throwerror(vm, "Internal failure");
    *self = *source;
    return 0;
}

SQInteger Set(HSQUIRRELVM vm)
{
    nUV* self = GetThis<nUV>(vm, UVClass);
    if (!self)
        return SQ_ERROR;
    float* component = Component(vm, *self);
    if (!component)
        return FailKeyAccess(vm);
    *component = ScriptFloatAt(vm, 3);
    sq_pushfloat(vm, *component);
    return 1;
}

SQInteger Get(HSQUIRRELVM vm)
{
    nUV* self = GetThis<nUV>(vm, UVClass);
    if (!self)
        return SQ_ERROR;
    const float* component = Component(vm, *self);
    if (!component)
        return FailKeyAccess(vm);
    sq_pushfloat(vm, *component);
    return 1;
}

SQInteger SetValues(HSQUIRRELVM vm)
{
    nUV* self = GetThis<nUV>(vm, UVClass);
    if (!self)
        return SQ_ERROR;
    if (!SetFromNumbers(vm, *self, sq_gettop(vm) - 1))
        return sq_throwerror(vm, "Wrong parameter count");
    return 0;
}

const nScriptClassMethod UVMethods[] = {
    {"_SCypeof", TypeOf, 1, nullptr},
    {"constructor", Constructor, -1, ".n|xn"},
    {"_cloned", Cloned, 2, ".x"},
    {"_set", Set, 3, "xs|n"},
    {"_get", Get, 2, "xs|n"},
    {"Set", SetValues, -1, "xnn"},
    {nullptr, nullptr, 0, nullptr},
};
} // namespace

const nScriptClassDescriptor UVClass = {"UV", nullptr, UVMethods};

bool PushUV(HSQUIRRELVM vm, const nUV& value)
{
    return UVStorage::Push(vm, UVClass, value);
}

SquirrelObject NewUVObject(HSQUIRRELVM vm, const nUV& value)
{
    return PopInstanceObject(vm, PushUV(vm, value));
}

bool GetUVArg(HSQUIRRELVM vm, SQInteger index, nUV& value)
{
    const nUV* uv = GetArgument<nUV>(vm, index, UVClass);
    if (uv)
        value = *uv;
    return uv != nullptr;
}
