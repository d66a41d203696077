#include "script/binding/nNativeArgs.h"

#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/classes/ScriptClassValue.h"
#include "script/classes/ScriptMatrix.h"
#include "script/classes/ScriptVector.h"
#include "script/nCObject.h"
#include "script/nSquirrelObject.h"

namespace
{
template <typename T>
bool CopyInstanceValue(HSQUIRRELVM vm, SQInteger index, const nScriptClassDescriptor& descriptor, T& value)
{
    const T* held = GetArgument<T>(vm, index, descriptor);
    if (held)
        value = *held;
    return held != nullptr;
}

// Pushes the root table and the name; SetConstant adds the value pushed after them.
void BeginConstant(HSQUIRRELVM vm, const char* name)
{
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
}

void SetConstant(HSQUIRRELVM vm)
{
    sq_newslot(vm, -3, SQFalse);
    sq_poptop(vm);
}
} // namespace

bool GetObjectArg(HSQUIRRELVM vm, SQInteger index, int32_t expectedType, void*& object)
{
    if (!GetCObject(vm, index, object, expectedType))
        return false;
    if (!object)
    {
        sq_throwerror(vm, "CObject is null");
        return false;
    }
    return true;
}

bool GetPointArg(HSQUIRRELVM vm, SQInteger index, nVector& value)
{
    if (!GetVectorArg(vm, index, value))
        return false;
    value.w = 1.0f;
    return true;
}

bool GetMatrix3Arg(HSQUIRRELVM vm, SQInteger index, nMatrix3& value)
{
    return CopyInstanceValue(vm, index, Matrix3Class, value);
}

bool GetMatrix4Arg(HSQUIRRELVM vm, SQInteger index, nMatrix4& value)
{
    return CopyInstanceValue(vm, index, Matrix4Class, value);
}

SQInteger PushHandle(HSQUIRRELVM vm, void* object, int32_t type, bool owned)
{
    return PushCObject(vm, object, type, owned) ? 1 : SQ_ERROR;
}

SQInteger PushScriptInstance(HSQUIRRELVM vm, nScriptObject* instance)
{
    if (instance)
        sq_pushobject(vm, static_cast<nSquirrelObject*>(instance)->GetHandle());
    else
        sq_pushnull(vm);
    return 1;
}

bool AppendHandle(HSQUIRRELVM vm, void* object, int32_t type)
{
    return PushCObject(vm, object, type) && SQ_SUCCEEDED(sq_arrayappend(vm, -2));
}

void RegisterIntegerConstant(HSQUIRRELVM vm, const char* name, int32_t value)
{
    BeginConstant(vm, name);
    sq_pushinteger(vm, value);
    SetConstant(vm);
}

void RegisterFloatConstant(HSQUIRRELVM vm, const char* name, float value)
{
    BeginConstant(vm, name);
    sq_pushfloat(vm, value);
    SetConstant(vm);
}

void RegisterBoolConstant(HSQUIRRELVM vm, const char* name, bool value)
{
    BeginConstant(vm, name);
    sq_pushbool(vm, value ? SQTrue : SQFalse);
    SetConstant(vm);
}

// A handle that cannot be made leaves the name unset rather than a slot of some other value.
void RegisterNullHandleConstant(HSQUIRRELVM vm, const char* name, int32_t type)
{
    const SQInteger top = sq_gettop(vm);
    BeginConstant(vm, name);
    if (PushCObject(vm, nullptr, type))
        SetConstant(vm);
    else
        sq_settop(vm, top);
}
