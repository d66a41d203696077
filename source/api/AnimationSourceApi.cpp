#include "api/AnimationSourceApi.h"

#include "animation/nAnimationSourceList.h"
#include "api/ScriptApiGroups.h"
#include "core/math/nCurve.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"

SQInteger PushAnimationSources(HSQUIRRELVM vm, nAnimationSourceList* sources)
{
    if (PushCObject(vm, sources, ObjectTypeAnimationSource, true))
        return 1;
    delete sources;
    return SQ_ERROR;
}

template <> struct nHandleArg<nAnimationSourceList>
{
    static nAnimationSourceList* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nAnimationSourceList>(vm, index, ObjectTypeAnimationSource);
    }
};

namespace
{
SQInteger SetLoopMode(const ScriptArgs& args, nAnimationSourceList& sources)
{
    sources.SetLoopMode(static_cast<uint32_t>(args.GetInt(3)));
    return 0;
}

SQInteger SetLoop(const ScriptArgs& args, nAnimationSourceList& sources)
{
    sources.SetLoop(args.GetFloat(3), args.GetFloat(4));
    return 0;
}

// A weight that is not a number would spread into every blended channel: it counts as 0, as a
// negative weight does.
SQInteger SetWeight(const ScriptArgs& args, nAnimationSourceList& sources)
{
    const float weight = args.GetFloat(3);
    sources.SetWeight(weight > 0.0f ? weight : 0.0f, args.GetFloat(4));
    return 0;
}

const nNativeEntry AnimationSourceNatives[] = {
    {"AnimationSourceSetLoopMode", Native<SetLoopMode>, ".xi"},
    {"AnimationSourceSetLoop", Native<SetLoop>, ".xnn"},
    {"AnimationSourceSetClock", Native<SetFloatOf<&nAnimationSourceList::SetClock>>, ".xn"},
    {"AnimationSourceGetClock", Native<AnswerFloatOf<&nAnimationSourceList::GetClock>>, ".x"},
    {"AnimationSourceSetClockScale", Native<SetFloatOf<&nAnimationSourceList::SetClockScale>>, ".xn"},
    {"AnimationSourceSetWeight", Native<SetWeight>, ".xnn"},
};

const nIntegerConstantEntry AnimationSourceConstants[] = {
    {"AnimationReset", CurveReset},
    {"AnimationRepeat", CurveRepeat},
    {"AnimationOscillate", CurveOscillate},
    {"AnimationOffsetRepeat", CurveOffsetRepeat},
};
} // namespace

void RegisterAnimationSourceApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, AnimationSourceNatives);
    RegisterIntegerConstants(vm, AnimationSourceConstants);
}
