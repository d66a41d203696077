#pragma once

#include "script/binding/nScriptRegistrar.h"
#include "core/base/nMemory.h"
#include "script/SquirrelObject.h"
#include "squirrel/squirrel.h"

#include <new>

// The native value behind "this" of a class method. Raises "Invalid instance type" when "this"
// is not an instance of the class, "Internal failure" when it holds no value, and answers null.
SQUserPointer GetThisValue(HSQUIRRELVM vm, const nScriptClassDescriptor& descriptor);

template <typename T>
T* GetThis(HSQUIRRELVM vm, const nScriptClassDescriptor& descriptor)
{
    return static_cast<T*>(GetThisValue(vm, descriptor));
}

// The value of an argument that must be an instance of the class: raises "Invalid instance type"
// for anything else, "Internal failure" for an instance without value, and answers null.
SQUserPointer GetArgumentValue(HSQUIRRELVM vm, SQInteger index, const nScriptClassDescriptor& descriptor);

template <typename T>
T* GetArgument(HSQUIRRELVM vm, SQInteger index, const nScriptClassDescriptor& descriptor)
{
    return static_cast<T*>(GetArgumentValue(vm, index, descriptor));
}

// The number at the index as a float (0 when it is no number).
float ScriptFloatAt(HSQUIRRELVM vm, SQInteger index);

// Makes a missing key of "_get" or "_set" fail the access as an ordinary missing index does.
SQInteger FailKeyAccess(HSQUIRRELVM vm);

// The heap copy that an instance of a value class owns: a tracked block of the category, freed
// by the instance's release hook.
template <typename T, uint32_t Category>
struct nScriptValueStorage
{
    static T* New(const T& value)
    {
        void* memory = MemNew(sizeof(T), Category);
        return memory ? new (memory) T(value) : nullptr;
    }

    static SQInteger Release(SQUserPointer value, SQInteger)
    {
        if (value)
        {
            static_cast<T*>(value)->~T();
            MemDelete(value, Category);
        }
        return 1;
    }

    // Pushes a new instance of the class holding a copy; false with nothing pushed on failure.
    static bool Push(HSQUIRRELVM vm, const nScriptClassDescriptor& descriptor, const T& value)
    {
        T* copy = New(value);
        if (!copy)
            return false;
        if (PushClassInstance(vm, descriptor.name, copy, Release))
            return true;
        Release(copy, 0);
        return false;
    }

    // The constructor's value: "this" reuses the copy it holds or gets a new one.
    static T* Construct(HSQUIRRELVM vm)
    {
        SQUserPointer held = nullptr;
        sq_getinstanceup(vm, 1, &held, nullptr, SQFalse);
        if (held)
            return static_cast<T*>(held);
        T* copy = New(T());
        if (copy)
        {
            sq_setinstanceup(vm, 1, copy);
            sq_setreleasehook(vm, 1, Release);
        }
        return copy;
    }
};

// Takes the new instance on top of the stack off it, as a holder.
SquirrelObject PopInstanceObject(HSQUIRRELVM vm, bool pushed);
