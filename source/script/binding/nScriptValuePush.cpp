#include "script/binding/nScriptValuePush.h"

#include "core/math/nMinMax.h"
#include "core/math/nRect.h"
#include "script/binding/nScriptRegistrar.h"

#include <cmath>
#include <limits>

namespace
{
// Sets a member of the instance on top of the stack.
bool SetFloatMember(HSQUIRRELVM vm, const char* name, float value)
{
    sq_pushstring(vm, name, -1);
    sq_pushfloat(vm, value);
    return SQ_SUCCEEDED(sq_set(vm, -3));
}

bool SetVectorMembers(HSQUIRRELVM vm, const nVector& value)
{
    return SetFloatMember(vm, "x", value.x) && SetFloatMember(vm, "y", value.y) && SetFloatMember(vm, "z", value.z);
}

// Sets x, y, z of the instance's member; the instance is on top of the stack.
bool SetCornerMembers(HSQUIRRELVM vm, const char* member, const nVector& corner)
{
    sq_pushstring(vm, member, -1);
    if (SQ_FAILED(sq_get(vm, -2)))
        return false;
    const bool set = SetVectorMembers(vm, corner);
    sq_poptop(vm);
    return set;
}

bool CreateOrFail(HSQUIRRELVM vm, const char* className, bool callConstructor, const char* failure)
{
    return InstantiateScriptClass(vm, className, callConstructor) || BindingError(vm, failure);
}

int32_t TruncateToInt(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483520.0f)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

bool GetFloatMember(HSQUIRRELVM vm, SQInteger index, const char* name, float& value)
{
    sq_pushstring(vm, name, -1);
    if (SQ_FAILED(sq_get(vm, index < 0 ? index - 1 : index)))
        return false;
    SQFloat number = 0.0f;
    const bool read = SQ_SUCCEEDED(sq_getfloat(vm, -1, &number));
    sq_poptop(vm);
    value = number;
    return read;
}
} // namespace

bool PushVectorByFields(HSQUIRRELVM vm, float x, float y, float z, float w)
{
    const SQInteger top = sq_gettop(vm);
    if (!CreateOrFail(vm, "Vector", true, "Failed to create Vector instance."))
        return false;
    if (SetFloatMember(vm, "x", x) && SetFloatMember(vm, "y", y) && SetFloatMember(vm, "z", z) &&
        SetFloatMember(vm, "w", w))
        return true;
    sq_settop(vm, top);
    return BindingError(vm, "Failed to create Vector instance.");
}

bool PushUVByFields(HSQUIRRELVM vm, float u, float v)
{
    const SQInteger top = sq_gettop(vm);
    if (!CreateOrFail(vm, "UV", true, "Failed to create UV instance."))
        return false;
    if (SetFloatMember(vm, "u", u) && SetFloatMember(vm, "v", v))
        return true;
    sq_settop(vm, top);
    return BindingError(vm, "Failed to create UV instance.");
}

bool PushMinMax(HSQUIRRELVM vm, const nMinMax& box)
{
    const SQInteger top = sq_gettop(vm);
    if (!CreateOrFail(vm, "MinMax", true, "Failed to create MinMax instance."))
        return false;
    if (SetCornerMembers(vm, "min", box.min) && SetCornerMembers(vm, "max", box.max))
        return true;
    sq_settop(vm, top);
    return BindingError(vm, "Failed to create MinMax instance.");
}

bool PushRect(HSQUIRRELVM vm, const nRect& rect)
{
    const SQInteger top = sq_gettop(vm);
    if (!CreateOrFail(vm, "Rect", false, "Failed to create Rect instance."))
        return false;
    if (SetFloatMember(vm, "sx", static_cast<float>(rect.x0)) && SetFloatMember(vm, "sy", static_cast<float>(rect.y0)) &&
        SetFloatMember(vm, "ex", static_cast<float>(rect.x1)) && SetFloatMember(vm, "ey", static_cast<float>(rect.y1)))
        return true;
    sq_settop(vm, top);
    return BindingError(vm, "Failed to create Rect instance.");
}

bool GetRectArg(HSQUIRRELVM vm, SQInteger index, nRect& rect)
{
    if (sq_gettype(vm, index) != OT_INSTANCE)
        return false;
    float sx = 0.0f, sy = 0.0f, ex = 0.0f, ey = 0.0f;
    if (!GetFloatMember(vm, index, "sx", sx) || !GetFloatMember(vm, index, "sy", sy) ||
        !GetFloatMember(vm, index, "ex", ex) || !GetFloatMember(vm, index, "ey", ey))
        return false;
    rect = {TruncateToInt(sx), TruncateToInt(sy), TruncateToInt(ex), TruncateToInt(ey)};
    return true;
}
