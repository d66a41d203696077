#include "api/ScriptApiGroups.h"
#include "core/math/nRandom.h"
#include "platform/nPlatform.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeCall.h"

namespace
{
// The tick count is 64-bit; scripts hold 32 bits of it, which wrap after about 59 hours.
SQInteger GetClock(HSQUIRRELVM vm)
{
    return ScriptArgs(vm).PushInt(static_cast<int32_t>(nPlatform::Get().GetClock()));
}

SQInteger GetClockFrequency(HSQUIRRELVM vm)
{
    return ScriptArgs(vm).PushInt(static_cast<int32_t>(nPlatform::Get().GetClockFrequency()));
}

SQInteger GetPlatform(HSQUIRRELVM vm)
{
    return ScriptArgs(vm).PushString(nPlatform::Get().GetName());
}

SQInteger GetLocale(HSQUIRRELVM vm)
{
    return ScriptArgs(vm).PushString("STUB");
}

// A negative time would be read as some fifty days.
SQInteger Sleep(HSQUIRRELVM vm)
{
    const int32_t milliseconds = ScriptArgs(vm).GetInt(2);
    if (milliseconds > 0)
        nPlatform::Get().Sleep(static_cast<uint32_t>(milliseconds));
    return 0;
}

SQInteger SeedRand(HSQUIRRELVM vm)
{
    const ScriptArgs args(vm);
    float seed = 0.0f;
    if (GetFloatArg(args, 2, AnyFinite, seed))
        RandomSeed(static_cast<uint32_t>(args.GetInt(2)));
    return 0;
}

// A negative range read as unsigned would give values beyond any integer a script holds; a range
// that is no number answers 0, as the range 0 does.
SQInteger Rand(HSQUIRRELVM vm)
{
    const ScriptArgs args(vm);
    float finite = 0.0f;
    const int32_t range = GetFloatArg(args, 2, AnyFinite, finite) ? args.GetInt(2) : 0;
    return args.PushInt(range > 0 ? static_cast<int32_t>(RandomInt(static_cast<uint32_t>(range))) : 0);
}

const nNativeEntry SystemNatives[] = {
    {"SystemGetClock", GuardedNative<GetClock>, "."},
    {"SystemGetClockFrequency", GuardedNative<GetClockFrequency>, "."},
    {"SystemGetPlatform", GuardedNative<GetPlatform>, "."},
    {"SystemGetLocale", GuardedNative<GetLocale>, "."},
    {"SystemSleep", GuardedNative<Sleep>, ".i"},
    {"SystemSeedRand", GuardedNative<SeedRand>, ".n"},
    {"SystemRand", GuardedNative<Rand>, ".n"},
};
} // namespace

void RegisterSystemApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, SystemNatives);
}
