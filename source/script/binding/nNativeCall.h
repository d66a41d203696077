#pragma once

#include "script/binding/ScriptArgs.h"
#include "script/binding/nNumberArgs.h"
#include "squirrel/squirrel.h"

#include <cstddef>
#include <cstdint>
#include <new>

// One row of a group's registration table.
struct nNativeEntry
{
    const char* name;
    SQFUNCTION function;
    const char* typeMask;
};

struct nIntegerConstantEntry
{
    const char* name;
    int32_t value;
};

// Binds the rows in table order; a name bound again is replaced (RegisterNative).
void RegisterNatives(HSQUIRRELVM vm, const nNativeEntry* natives, size_t count);
void RegisterIntegerConstants(HSQUIRRELVM vm, const nIntegerConstantEntry* constants, size_t count);

template <size_t Count> void RegisterNatives(HSQUIRRELVM vm, const nNativeEntry (&natives)[Count])
{
    RegisterNatives(vm, natives, Count);
}

template <size_t Count>
void RegisterIntegerConstants(HSQUIRRELVM vm, const nIntegerConstantEntry (&constants)[Count])
{
    RegisterIntegerConstants(vm, constants, Count);
}

// Runs the body of a native. No C++ exception crosses the script machine: a failed allocation
// becomes the runtime error "Out of memory", anything else "Internal failure", and the native
// returns -1 as for any other error.
template <typename Body> SQInteger GuardNative(HSQUIRRELVM vm, Body&& body) noexcept
{
    try
    {
        return body();
    }
    catch (const std::bad_alloc&)
    {
        return sq_throwerror(vm, "Out of memory");
    }
    catch (...)
    {
        return sq_throwerror(vm, "Internal failure");
    }
}

// How a native reads a handle argument as a T. Each group of natives specialises it for the engine
// classes it hands out: Get answers the object, or null after the call frame's error ("Expected
// '%s' got '%s'", "CObject is null").
template <typename T> struct nHandleArg;

template <typename Function> struct nNativeBodyTraits;

template <typename T> struct nNativeBodyTraits<SQInteger (*)(const ScriptArgs&, T&)>
{
    using Object = T;
};

// The native of a body that works on the object of its first parameter's handle: the handle is
// read and checked before the body runs, and the body returns what the native returns (1 after
// pushing a result, 0 for none, or the error of a check of its own).
template <auto Body> SQInteger Native(HSQUIRRELVM vm) noexcept
{
    using Object = typename nNativeBodyTraits<decltype(Body)>::Object;
    return GuardNative(vm,
                       [vm]() -> SQInteger
                       {
                           Object* object = nHandleArg<Object>::Get(vm, 2);
                           return object ? Body(ScriptArgs(vm), *object) : SQ_ERROR;
                       });
}

// The class of a member function pointer.
template <typename Member> struct nMemberClassOf;

template <typename Class, typename Result, typename... Arguments>
struct nMemberClassOf<Result (Class::*)(Arguments...)>
{
    using Type = Class;
};

template <typename Class, typename Result, typename... Arguments>
struct nMemberClassOf<Result (Class::*)(Arguments...) const>
{
    using Type = Class;
};

template <auto Member> using nMemberClass = typename nMemberClassOf<decltype(Member)>::Type;

// Bodies of the natives that run one operation of the handle's object: without arguments, with the
// first argument as a number, an integer, a bool or a string, or answering a number, an integer or
// a bool. The object's class is the operation's unless another (derived) class is named.
template <auto Operation, typename T = nMemberClass<Operation>> SQInteger CallOf(const ScriptArgs&, T& object)
{
    (object.*Operation)();
    return 0;
}

// A number the rule refuses keeps the value there (GetFloatArg); without a rule every finite number
// is taken.
template <auto Set, nFloatRule Rule, typename T = nMemberClass<Set>>
SQInteger SetFloatWithinOf(const ScriptArgs& args, T& object)
{
    float value = 0.0f;
    if (GetFloatArg(args, 3, Rule, value))
        (object.*Set)(value);
    return 0;
}

template <auto Set, typename T = nMemberClass<Set>> SQInteger SetFloatOf(const ScriptArgs& args, T& object)
{
    return SetFloatWithinOf<Set, AnyFinite, T>(args, object);
}

// An integer that names none of the codes first .. last keeps the value there (GetEnumArg).
template <auto Set, int32_t First, int32_t Last, typename T = nMemberClass<Set>>
SQInteger SetEnumOf(const ScriptArgs& args, T& object)
{
    int32_t value = 0;
    if (GetEnumArg(args, 3, First, Last, value))
        (object.*Set)(value);
    return 0;
}

template <auto Set, typename T = nMemberClass<Set>> SQInteger SetBoolOf(const ScriptArgs& args, T& object)
{
    (object.*Set)(args.GetBool(3));
    return 0;
}

template <auto Set, typename T = nMemberClass<Set>> SQInteger SetStringOf(const ScriptArgs& args, T& object)
{
    (object.*Set)(args.GetString(3));
    return 0;
}

template <auto Get, typename T = nMemberClass<Get>> SQInteger AnswerFloatOf(const ScriptArgs& args, T& object)
{
    return args.PushFloat((object.*Get)());
}

template <auto Get, typename T = nMemberClass<Get>> SQInteger AnswerIntOf(const ScriptArgs& args, T& object)
{
    return args.PushInt((object.*Get)());
}

template <auto Get, typename T = nMemberClass<Get>> SQInteger AnswerBoolOf(const ScriptArgs& args, T& object)
{
    return args.PushBool((object.*Get)());
}

// A native that reads all its arguments itself (its first parameter is not one handle type), run
// under the same guard.
template <SQFUNCTION Body> SQInteger GuardedNative(HSQUIRRELVM vm) noexcept
{
    return GuardNative(vm, [vm]() -> SQInteger { return Body(vm); });
}

// Bodies of the natives that only exist for old scripts: their arguments are checked by the frame,
// and they change nothing.
template <typename T> SQInteger Ignored(const ScriptArgs&, T&)
{
    return 0;
}

template <typename T, int32_t Value> SQInteger AnswerInteger(const ScriptArgs& args, T&)
{
    return args.PushInt(Value);
}

template <typename T, bool Value> SQInteger AnswerBool(const ScriptArgs& args, T&)
{
    return args.PushBool(Value);
}
