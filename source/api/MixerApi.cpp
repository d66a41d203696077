#include "api/ScriptApiGroups.h"
#include "audio/nMixer.h"
#include "audio/nSound.h"
#include "engine/Quenvar.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"

// Channel indices go to the mixer unchecked: it refuses those outside 0..63 itself (false, state
// invalid), and scripts pass MixerChannelInvalid routinely.
namespace
{
constexpr int32_t MixerChannelInvalid = -1;

nMixer* MixerArg(HSQUIRRELVM vm)
{
    return GetObjectArg<nMixer>(vm, 2, ObjectTypeMixer);
}

// A Sound handle on nothing is a valid "no sound" here, not an error.
bool IsNullSoundHandle(HSQUIRRELVM vm, SQInteger index)
{
    SQUserPointer record = nullptr;
    if (SQ_FAILED(sq_getinstanceup(vm, index, &record, nCObject::GetClassTag(), SQFalse)) || !record)
        return false;
    const auto* handle = static_cast<const nCObject*>(record);
    return handle->GetType() == ObjectTypeSound && !handle->GetObject();
}

SQInteger PushInteger(HSQUIRRELVM vm, int32_t value)
{
    sq_pushinteger(vm, value);
    return 1;
}

SQInteger PushBool(HSQUIRRELVM vm, bool value)
{
    sq_pushbool(vm, value ? SQTrue : SQFalse);
    return 1;
}

SQInteger EngineGetMixer(HSQUIRRELVM vm)
{
    Quenvar* engine = GetObjectArg<Quenvar>(vm, 2, ObjectTypeEngine);
    if (!engine)
        return SQ_ERROR;
    return PushCObject(vm, engine->GetMixer(), ObjectTypeMixer) ? 1 : SQ_ERROR;
}

template <void (nMixer::*Operation)()> SQInteger MixerCall(HSQUIRRELVM vm)
{
    nMixer* mixer = MixerArg(vm);
    if (!mixer)
        return SQ_ERROR;
    (mixer->*Operation)();
    return 0;
}

template <typename Operation> SQInteger ChannelCall(HSQUIRRELVM vm, Operation operation)
{
    nMixer* mixer = MixerArg(vm);
    if (!mixer)
        return SQ_ERROR;
    return operation(*mixer, ScriptArgs(vm).GetInt(3));
}

SQInteger MixerSetGain(HSQUIRRELVM vm)
{
    nMixer* mixer = MixerArg(vm);
    if (!mixer)
        return SQ_ERROR;
    float gain = 0.0f;
    if (GetFloatArg(ScriptArgs(vm), 3, NotNegative, gain))
        mixer->SetMasterGain(gain);
    return 0;
}

SQInteger MixerSoundStart(HSQUIRRELVM vm)
{
    nMixer* mixer = MixerArg(vm);
    if (!mixer)
        return SQ_ERROR;
    if (IsNullSoundHandle(vm, 3))
        return PushInteger(vm, MixerChannelInvalid);
    nSound* sound = GetObjectArg<nSound>(vm, 3, ObjectTypeSound);
    if (!sound)
        return SQ_ERROR;
    return PushInteger(vm, mixer->SoundStart(sound));
}

SQInteger MixerStreamStart(HSQUIRRELVM vm)
{
    nMixer* mixer = MixerArg(vm);
    if (!mixer)
        return SQ_ERROR;
    return PushInteger(vm, mixer->StreamStart(nSampleFormat()));
}

SQInteger MixerChannelStart(HSQUIRRELVM vm)
{
    nMixer* mixer = MixerArg(vm);
    if (!mixer)
        return SQ_ERROR;
    const int32_t channel = ScriptArgs(vm).GetInt(3);
    if (IsNullSoundHandle(vm, 4))
        return PushBool(vm, mixer->ChannelStart(channel, nullptr));
    nSound* sound = GetObjectArg<nSound>(vm, 4, ObjectTypeSound);
    if (!sound)
        return SQ_ERROR;
    return PushBool(vm, mixer->ChannelStart(channel, sound));
}

SQInteger MixerChannelStartStream(HSQUIRRELVM vm)
{
    return ChannelCall(vm,
                       [vm](nMixer& mixer, int32_t channel)
                       {
                           const char* path = ScriptArgs(vm).GetString(4);
                           return PushBool(vm, path && *path &&
                                                   mixer.ChannelStartStream(channel, nSampleFormat()));
                       });
}

SQInteger MixerChannelLockAndStream(HSQUIRRELVM vm)
{
    return ChannelCall(vm,
                       [vm](nMixer& mixer, int32_t channel)
                       {
                           if (!mixer.ChannelTryLock(channel))
                               return PushBool(vm, false);
                           // A call that answers false leaves nothing for the script to unlock.
                           const bool started = mixer.ChannelStartStream(channel, nSampleFormat());
                           if (!started)
                               mixer.ChannelUnlock(channel);
                           return PushBool(vm, started);
                       });
}

SQInteger MixerChannelGetSound(HSQUIRRELVM vm)
{
    return ChannelCall(vm,
                       [vm](nMixer& mixer, int32_t channel) -> SQInteger {
                           return PushCObject(vm, mixer.ChannelGetSound(channel), ObjectTypeSound) ? 1
                                                                                                   : SQ_ERROR;
                       });
}

SQInteger MixerChannelGetState(HSQUIRRELVM vm)
{
    return ChannelCall(vm, [vm](nMixer& mixer, int32_t channel)
                       { return PushInteger(vm, mixer.ChannelGetState(channel)); });
}

SQInteger MixerChannelStop(HSQUIRRELVM vm)
{
    return ChannelCall(vm,
                       [](nMixer& mixer, int32_t channel) -> SQInteger
                       {
                           mixer.ChannelStop(channel);
                           return 0;
                       });
}

template <void (nMixer::*Operation)(int32_t)> SQInteger ChannelVoidCall(HSQUIRRELVM vm)
{
    return ChannelCall(vm,
                       [](nMixer& mixer, int32_t channel) -> SQInteger
                       {
                           (mixer.*Operation)(channel);
                           return 0;
                       });
}

SQInteger MixerChannelLock(HSQUIRRELVM vm)
{
    nMixer* mixer = MixerArg(vm);
    if (!mixer)
        return SQ_ERROR;
    return PushInteger(vm, mixer->ChannelLock());
}

SQInteger MixerChannelTryLock(HSQUIRRELVM vm)
{
    return ChannelCall(vm, [vm](nMixer& mixer, int32_t channel)
                       { return PushBool(vm, mixer.ChannelTryLock(channel)); });
}

// Gains and pitches below 0 mean nothing to a mixer; a panning is clamped to 0 .. 1 where it is heard.
template <void (nMixer::*Setter)(int32_t, float), nFloatRule Rule> SQInteger ChannelSetFloat(HSQUIRRELVM vm)
{
    return ChannelCall(vm,
                       [vm](nMixer& mixer, int32_t channel) -> SQInteger
                       {
                           float value = 0.0f;
                           if (GetFloatArg(ScriptArgs(vm), 4, Rule, value))
                               (mixer.*Setter)(channel, value);
                           return 0;
                       });
}

SQInteger MixerChannelSetLoopMode(HSQUIRRELVM vm)
{
    return ChannelCall(vm,
                       [vm](nMixer& mixer, int32_t channel) -> SQInteger
                       {
                           int32_t mode = LoopNone;
                           if (GetEnumArg(ScriptArgs(vm), 4, LoopNone, LoopRepeat, mode))
                               mixer.ChannelSetLoopMode(channel, uint32_t(mode));
                           return 0;
                       });
}

SQInteger MixerChannelSetLoopPosition(HSQUIRRELVM vm)
{
    return ChannelCall(vm,
                       [vm](nMixer& mixer, int32_t channel) -> SQInteger
                       {
                           mixer.ChannelSetLoopPosition(channel, uint32_t(ScriptArgs(vm).GetInt(4)));
                           return 0;
                       });
}

const nNativeEntry MixerNatives[] = {
    {"EngineGetMixer", GuardedNative<EngineGetMixer>, ".x"},
    {"MixerSetGain", GuardedNative<MixerSetGain>, ".xn"},
    {"MixerMute", GuardedNative<MixerCall<&nMixer::Mute>>, ".x"},
    {"MixerUnmute", GuardedNative<MixerCall<&nMixer::Unmute>>, ".x"},
    {"MixerUpdate", GuardedNative<MixerCall<&nMixer::Update>>, ".x"},
    {"MixerSoundStart", GuardedNative<MixerSoundStart>, ".xx"},
    {"MixerStreamStart", GuardedNative<MixerStreamStart>, ".xs"},
    {"MixerChannelStart", GuardedNative<MixerChannelStart>, ".xix"},
    {"MixerChannelStartStream", GuardedNative<MixerChannelStartStream>, ".xis"},
    {"MixerChannelLockAndStream", GuardedNative<MixerChannelLockAndStream>, ".xis"},
    {"MixerChannelGetSound", GuardedNative<MixerChannelGetSound>, ".xi"},
    {"MixerChannelGetState", GuardedNative<MixerChannelGetState>, ".xi"},
    {"MixerChannelStop", GuardedNative<MixerChannelStop>, ".xi"},
    {"MixerChannelStopAll", GuardedNative<MixerCall<&nMixer::ChannelStopAll>>, ".x"},
    {"MixerChannelPause", GuardedNative<ChannelVoidCall<&nMixer::ChannelPause>>, ".xi"},
    {"MixerChannelResume", GuardedNative<ChannelVoidCall<&nMixer::ChannelResume>>, ".xi"},
    {"MixerChannelLock", GuardedNative<MixerChannelLock>, ".x"},
    {"MixerChannelTryLock", GuardedNative<MixerChannelTryLock>, ".xi"},
    {"MixerChannelUnlock", GuardedNative<ChannelVoidCall<&nMixer::ChannelUnlock>>, ".xi"},
    {"MixerChannelUnlockAll", GuardedNative<MixerCall<&nMixer::ChannelUnlockAll>>, ".x"},
    {"MixerChannelSetGain", GuardedNative<ChannelSetFloat<&nMixer::ChannelSetGain, NotNegative>>, ".xin"},
    {"MixerChannelSetPitch", GuardedNative<ChannelSetFloat<&nMixer::ChannelSetPitch, NotNegative>>, ".xin"},
    {"MixerChannelSetPanning", GuardedNative<ChannelSetFloat<&nMixer::ChannelSetPanning, AnyFinite>>, ".xin"},
    {"MixerChannelSetLoopMode", GuardedNative<MixerChannelSetLoopMode>, ".xii"},
    {"MixerChannelSetLoopPosition", GuardedNative<MixerChannelSetLoopPosition>, ".xii"},
};
} // namespace

void RegisterMixerApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, MixerNatives);
    RegisterIntegerConstant(vm, "LoopNone", LoopNone);
    RegisterIntegerConstant(vm, "LoopRepeat", LoopRepeat);
    RegisterIntegerConstant(vm, "ChannelStateInvalid", ChannelStateInvalid);
    RegisterIntegerConstant(vm, "ChannelStateStopped", ChannelStateStopped);
    RegisterIntegerConstant(vm, "ChannelStatePlaying", ChannelStatePlaying);
    RegisterIntegerConstant(vm, "ChannelStatePaused", ChannelStatePaused);
    RegisterIntegerConstant(vm, "MixerChannelInvalid", MixerChannelInvalid);
    RegisterIntegerConstant(vm, "MixerMaxChannel", nMixer::ChannelCount);
}
