#include "api/ScriptApiGroups.h"

#include "animation/nMotion.h"
#include "animation/nMotionChannel.h"
#include "core/math/nVector.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/classes/ScriptVector.h"
#include "script/nObjectType.h"

#include <iterator>

template <> struct nHandleArg<nMotion>
{
    static nMotion* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nMotion>(vm, index, ObjectTypeMotion);
    }
};

namespace
{
SQInteger GetName(const ScriptArgs& args, nMotion& motion)
{
    return args.PushString(motion.GetName().GetText() ? motion.GetName().GetText() : "");
}

// Components without a channel are 0; the motion's own loop mode applies outside its keys.
SQInteger EvaluatePosition(const ScriptArgs& args, nMotion& motion)
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    motion.EvaluatePosition(args.GetFloat(3), x, y, z, motion.GetLoopMode());
    return PushVectorResult(args.GetVM(), nVector(x, y, z, 1.0f));
}

const nNativeEntry MotionNatives[] = {
    {"MotionGetName", Native<GetName>, ".x"},
    {"MotionEvaluatePosition", Native<EvaluatePosition>, ".xn"},
    {"MotionGetLength", Native<AnswerFloatOf<&nMotion::GetLength>>, ".x"},
};

// Each constant's value is its channel id, the index in this list.
const char* const ChannelNames[] = {
    "ChannelNone",
    "ChannelXPos",
    "ChannelYPos",
    "ChannelZPos",
    "ChannelXRot",
    "ChannelYRot",
    "ChannelZRot",
    "ChannelXScl",
    "ChannelYScl",
    "ChannelZScl",
    "ChannelXPiv",
    "ChannelYPiv",
    "ChannelZPiv",
    "ChannelRDif",
    "ChannelGDif",
    "ChannelBDif",
    "ChannelRSpc",
    "ChannelGSpc",
    "ChannelBSpc",
    "ChannelDiffuseIntensity",
    "ChannelSpecularIntensity",
    "ChannelConeAngle",
    "ChannelEdgeAngle",
    "ChannelAlpha",
    "ChannelZoomFactor",
    "ChannelRange",
    "ChannelFogStart",
    "ChannelFogEnd",
    "ChannelRFog",
    "ChannelGFog",
    "ChannelBFog",
};
static_assert(std::size(ChannelNames) == MotionChannelCount);
} // namespace

void RegisterMotionApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, MotionNatives);
    for (int32_t channel = 0; channel < MotionChannelCount; ++channel)
        RegisterIntegerConstant(vm, ChannelNames[channel], channel);
}
