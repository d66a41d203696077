#include "api/ScriptApiGroups.h"
#include "audio/nSound.h"
#include "engine/Quenvar.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"

namespace
{
Quenvar* EngineArg(HSQUIRRELVM vm)
{
    return GetObjectArg<Quenvar>(vm, 2, ObjectTypeEngine);
}

SQInteger EngineSetFixedDeltaFrame(HSQUIRRELVM vm)
{
    Quenvar* engine = EngineArg(vm);
    if (!engine)
        return SQ_ERROR;
    engine->SetFixedDeltaFrame(ScriptArgs(vm).GetFloat(3));
    return 0;
}

// The current cache owns the sound, so the handle does not.
SQInteger EngineLoadSound(HSQUIRRELVM vm)
{
    Quenvar* engine = EngineArg(vm);
    if (!engine)
        return SQ_ERROR;
    return PushCObject(vm, engine->LoadSound(ScriptArgs(vm).GetString(3)), ObjectTypeSound) ? 1 : SQ_ERROR;
}
} // namespace

void RegisterEngineApi(HSQUIRRELVM vm)
{
    RegisterNative(vm, EngineSetFixedDeltaFrame, "EngineSetFixedDeltaFrame", ".xn");
    RegisterNative(vm, EngineLoadSound, "EngineLoadSound", ".xs");
}
