#pragma once

#include "squirrel/squirrel.h"

#include <cstdint>

class SquirrelObject;

// The arguments of one native call: index 1 is "this", 2 .. count the parameters. Reads outside
// that range answer 0, 0.0, null, false, or -1 for the type. Every push answers 1, so a native can
// return its result directly.
class ScriptArgs
{
public:
    explicit ScriptArgs(HSQUIRRELVM vm) : m_vm(vm), m_count(sq_gettop(vm)) {}

    int32_t GetCount() const { return m_count; }
    HSQUIRRELVM GetVM() const { return m_vm; }

    float GetFloat(int32_t index) const;
    int32_t GetInt(int32_t index) const;
    const char* GetString(int32_t index) const;
    bool GetBool(int32_t index) const;
    int32_t GetType(int32_t index) const;

    int32_t PushString(const char* text) const;
    int32_t PushFloat(float value) const;
    int32_t PushInt(int32_t value) const;
    int32_t PushBool(bool value) const;
    int32_t PushObject(const SquirrelObject& object) const;

private:
    bool InRange(int32_t index) const { return index >= 1 && index <= m_count; }

    HSQUIRRELVM m_vm;
    int32_t m_count;
};
