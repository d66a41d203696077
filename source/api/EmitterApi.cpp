#include "api/ItemApi.h"
#include "api/ScriptApiGroups.h"

#include "engine/Quenvar.h"
#include "engine/items/nMEmitter.h"

template <> struct nHandleArg<nMEmitter> : nItemViewArg<nMEmitter, ObjectTypeEmitter, ItemTypeEmitter>
{
};

namespace
{
// A model that does not load leaves the emitter without one (the loader has said why).
SQInteger SetParticleModel(const ScriptArgs& args, nMEmitter& emitter)
{
    Quenvar* engine = emitter.GetEmitter().GetEngine();
    emitter.GetEmitter().SetParticleModel(engine ? engine->LoadParticleModel(args.GetString(3)) : nullptr);
    return 0;
}

template <void (nEmitter::*Set)(float)> SQInteger SetScale(const ScriptArgs& args, nMEmitter& emitter)
{
    (emitter.GetEmitter().*Set)(args.GetFloat(3));
    return 0;
}

const nNativeEntry EmitterNatives[] = {
    {"EmitterSetParticleModel", Native<SetParticleModel>, ".xs"},
    {"EmitterSetBirthRateScale", Native<SetScale<&nEmitter::SetBirthRateScale>>, ".xn"},
    {"EmitterSetBirthSizeScale", Native<SetScale<&nEmitter::SetBirthSizeScale>>, ".xn"},
    {"EmitterSetBirthSpeedScale", Native<SetScale<&nEmitter::SetBirthSpeedScale>>, ".xn"},
    {"EmitterSetBirthOpacityScale", Native<SetScale<&nEmitter::SetBirthOpacityScale>>, ".xn"},
};
} // namespace

void RegisterEmitterApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, EmitterNatives);
}
