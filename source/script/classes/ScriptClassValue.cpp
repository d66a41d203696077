#include "script/classes/ScriptClassValue.h"

namespace
{
SQUserPointer GetValue(HSQUIRRELVM vm, SQInteger index, const nScriptClassDescriptor& descriptor)
{
    SQUserPointer value = nullptr;
    if (SQ_FAILED(sq_getinstanceup(vm, index, &value, const_cast<nScriptClassDescriptor*>(&descriptor), SQFalse)))
    {
        sq_throwerror(vm, "Invalid instance type");
        return nullptr;
    }
    if (!value)
        sq_throwerror(vm, "Internal failure");
    return value;
}
} // namespace

SQUserPointer GetThisValue(HSQUIRRELVM vm, const nScriptClassDescriptor& descriptor)
{
    return GetValue(vm, 1, descriptor);
}

SQUserPointer GetArgumentValue(HSQUIRRELVM vm, SQInteger index, const nScriptClassDescriptor& descriptor)
{
    return GetValue(vm, index, descriptor);
}

float ScriptFloatAt(HSQUIRRELVM vm, SQInteger index)
{
    SQFloat value = 0.0f;
    sq_getfloat(vm, index, &value);
    return value;
}

SQInteger FailKeyAccess(HSQUIRRELVM vm)
{
    sq_pushnull(vm);
    return sq_throwobject(vm);
}

SquirrelObject PopInstanceObject(HSQUIRRELVM vm, bool pushed)
{
    SquirrelObject object(vm);
    if (pushed)
    {
        object.AttachToStackObject(-1);
        sq_poptop(vm);
    }
    return object;
}
