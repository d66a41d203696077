#include "script/binding/ScriptArgs.h"

#include "script/SquirrelObject.h"

float ScriptArgs::GetFloat(int32_t index) const
{
    SQFloat value = 0.0f;
    if (InRange(index))
        sq_getfloat(m_vm, index, &value);
    return value;
}

int32_t ScriptArgs::GetInt(int32_t index) const
{
    SQInteger value = 0;
    if (InRange(index))
        sq_getinteger(m_vm, index, &value);
    return value;
}

const char* ScriptArgs::GetString(int32_t index) const
{
    const SQChar* text = nullptr;
    if (InRange(index) && SQ_FAILED(sq_getstring(m_vm, index, &text)))
        text = nullptr;
    return text;
}

bool ScriptArgs::GetBool(int32_t index) const
{
    SQBool value = SQFalse;
    if (InRange(index) && sq_gettype(m_vm, index) == OT_BOOL)
        sq_getbool(m_vm, index, &value);
    return value != SQFalse;
}

int32_t ScriptArgs::GetType(int32_t index) const
{
    return InRange(index) ? static_cast<int32_t>(sq_gettype(m_vm, index)) : -1;
}

int32_t ScriptArgs::PushString(const char* text) const
{
    sq_pushstring(m_vm, text ? text : "", -1);
    return 1;
}

int32_t ScriptArgs::PushFloat(float value) const
{
    sq_pushfloat(m_vm, value);
    return 1;
}

int32_t ScriptArgs::PushInt(int32_t value) const
{
    sq_pushinteger(m_vm, value);
    return 1;
}

int32_t ScriptArgs::PushBool(bool value) const
{
    sq_pushbool(m_vm, value ? SQTrue : SQFalse);
    return 1;
}

int32_t ScriptArgs::PushObject(const SquirrelObject& object) const
{
    sq_pushobject(m_vm, object.GetObjectHandle());
    return 1;
}
