#include "api/ScriptApiGroups.h"
#include "audio/nSound.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/nObjectType.h"

#include <limits>

template <> struct nHandleArg<nSound>
{
    static nSound* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nSound>(vm, index, ObjectTypeSound);
    }
};

namespace
{
// Whole milliseconds: frames x 1000 overflows 32 bits past 71 minutes at 1 kHz, so the product is
// taken in 64 bits; a rate of 0 has no duration.
int32_t ComputeSoundDuration(uint32_t frames, uint32_t rate)
{
    if (rate == 0)
        return 0;
    const uint64_t milliseconds = uint64_t(frames) * 1000u / rate;
    return milliseconds > uint64_t(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                                        : int32_t(milliseconds);
}

SQInteger GetDuration(const ScriptArgs& args, nSound& sound)
{
    return args.PushInt(ComputeSoundDuration(sound.GetFrameCount(), sound.GetFormat().rate));
}

const nNativeEntry SoundNatives[] = {
    {"SoundGetDuration", Native<GetDuration>, ".x"},
};
} // namespace

void RegisterSoundApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, SoundNatives);
}
