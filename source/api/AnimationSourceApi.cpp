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
    int32_t mode = 0;
    if (GetEnumArg(args, 3, CurveReset, CurveOffsetRepeat, mode))
        sources.SetLoopMode(static_cast<uint32_t>(mode));
    return 0;
}

SQInteger SetLoop(const ScriptArgs& args, nAnimationSourceList& sources)
{
    float start = 0.0f, end = 0.0f;
    if (GetFloatArg(args, 3, AnyFinite, start) && GetFloatArg(args, 4, AnyFinite, end))
        sources.SetLoop(start, end);
    return 0;
}

// A weight that is not a number would spread into every blended channel; a negative weight counts
// as 0.
SQInteger SetWeight(const ScriptArgs& args, nAnimationSourceList& sources)
{
    float weight = 0.0f, fadeTime = 0.0f;
    if (GetFloatArg(args, 3, AnyFinite, weight) && GetFloatArg(args, 4, AnyFinite, fadeTime))
        sources.SetWeight(weight > 0.0f ? weight : 0.0f, fadeTime);
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
