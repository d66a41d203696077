#include "script/nScriptValue.h"

#include "script/nScriptObject.h"

nScriptValue::nScriptValue() = default;

nScriptValue::nScriptValue(const nVariant& value) : m_value(value)
{
    m_kind = ScriptValuePlain;
}

nScriptValue::nScriptValue(bool value) : nScriptValue()
{
    SetBool(value);
}

nScriptValue::nScriptValue(int32_t value) : m_kind(ScriptValuePlain), m_value(nullptr, value) {}

nScriptValue::nScriptValue(uint32_t value) : nScriptValue(static_cast<int32_t>(value)) {}

nScriptValue::nScriptValue(float value) : m_kind(ScriptValuePlain), m_value(nullptr, value) {}

nScriptValue::nScriptValue(const char* text) : nScriptValue()
{
    SetString(text);
}

nScriptValue::nScriptValue(nScriptObject* object, bool owned) : nScriptValue()
{
    SetObject(object, owned);
}

// Built in place: every event pushes its owner through one of these.
nScriptValue::nScriptValue(int32_t nativeType, void* nativeObject)
    : m_kind(ScriptValueNative), m_nativeObject(nativeObject), m_nativeType(nativeType)
{
}

nScriptValue::~nScriptValue()
{
    Reset();
}

void nScriptValue::SetBool(bool value)
{
    Reset();
    m_kind = ScriptValuePlain;
    m_value.SetBool(value);
}

void nScriptValue::SetInt(int32_t value)
{
    Reset();
    m_kind = ScriptValuePlain;
    m_value.SetInt(value);
}

void nScriptValue::SetInt(uint32_t value)
{
    SetInt(static_cast<int32_t>(value));
}

void nScriptValue::SetFloat(float value)
{
    Reset();
    m_kind = ScriptValuePlain;
    m_value.SetFloat(value);
}

void nScriptValue::SetString(const char* text)
{
    Reset();
    m_kind = ScriptValuePlain;
    m_value.SetString(text);
}

void nScriptValue::SetVariant(const nVariant& value)
{
    Reset();
    m_kind = ScriptValuePlain;
    m_value = value;
}

void nScriptValue::SetObject(nScriptObject* object, bool owned)
{
    Reset();
    m_kind = ScriptValueObject;
    m_scriptObject = object;
    m_ownsObject = owned;
}

void nScriptValue::SetNative(int32_t nativeType, void* nativeObject)
{
    Reset();
    m_kind = ScriptValueNative;
    m_nativeType = nativeType;
    m_nativeObject = nativeObject;
}

// The handle is detached before it is deleted, so a value is never seen owning a dead handle.
void nScriptValue::Reset()
{
    m_kind = ScriptValueNone;
    nScriptObject* object = m_scriptObject;
    const bool owned = m_ownsObject;
    m_scriptObject = nullptr;
    m_ownsObject = false;
    if (owned)
        delete object;
}

nScriptObject* nScriptValue::TakeObject()
{
    m_ownsObject = false;
    return m_scriptObject;
}
