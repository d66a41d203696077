#pragma once

#include "core/nml/nVariant.h"

#include <cstdint>

class nScriptObject;

enum nScriptValueKind : uint32_t
{
    ScriptValueNone = 0,
    ScriptValuePlain = 1,
    ScriptValueObject = 2,
    ScriptValueNative = 3,
};

// The one value that crosses the script-machine interface: a plain NML value, a handle on a
// script object (deleted with the value when owned), or an engine object with its object-type
// code. A value is never copied, since two copies would both own the same handle.
class nScriptValue
{
public:
    nScriptValue();
    explicit nScriptValue(const nVariant& value);
    explicit nScriptValue(bool value);
    explicit nScriptValue(int32_t value);
    explicit nScriptValue(uint32_t value);
    explicit nScriptValue(float value);
    explicit nScriptValue(const char* text);
    nScriptValue(nScriptObject* object, bool owned);
    nScriptValue(int32_t nativeType, void* nativeObject);
    nScriptValue(const nScriptValue&) = delete;
    nScriptValue& operator=(const nScriptValue&) = delete;
    ~nScriptValue();

    void SetBool(bool value);
    void SetInt(int32_t value);
    void SetInt(uint32_t value);
    void SetFloat(float value);
    void SetString(const char* text);
    void SetVariant(const nVariant& value);
    void SetObject(nScriptObject* object, bool owned);
    void SetNative(int32_t nativeType, void* nativeObject);
    void Reset();
    // The handle, which the caller now owns; the value keeps pointing at it without owning it.
    nScriptObject* TakeObject();

    nScriptValueKind GetKind() const { return m_kind; }
    const nVariant& GetValue() const { return m_value; }
    bool OwnsObject() const { return m_ownsObject; }
    nScriptObject* GetScriptObject() const { return m_scriptObject; }
    void* GetNativeObject() const { return m_nativeObject; }
    int32_t GetNativeType() const { return m_nativeType; }

private:
    nScriptValueKind m_kind = ScriptValueNone;
    nVariant m_value;
    bool m_ownsObject = false;
    nScriptObject* m_scriptObject = nullptr;
    void* m_nativeObject = nullptr;
    int32_t m_nativeType = 0;
};
