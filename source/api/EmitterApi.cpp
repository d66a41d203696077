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

// The scales multiply what each newborn particle draws from the model: birth rates, sizes and
// opacities below 0 mean nothing, and a speed scale below 0 turns the particles round.
template <void (nEmitter::*Set)(float), nFloatRule Rule = NotNegative>
SQInteger SetScale(const ScriptArgs& args, nMEmitter& emitter)
{
    float scale = 0.0f;
    if (GetFloatArg(args, 3, Rule, scale))
        (emitter.GetEmitter().*Set)(scale);
    return 0;
}

const nNativeEntry EmitterNatives[] = {
    {"EmitterSetParticleModel", Native<SetParticleModel>, ".xs"},
    {"EmitterSetBirthRateScale", Native<SetScale<&nEmitter::SetBirthRateScale>>, ".xn"},
    {"EmitterSetBirthSizeScale", Native<SetScale<&nEmitter::SetBirthSizeScale>>, ".xn"},
    {"EmitterSetBirthSpeedScale", Native<SetScale<&nEmitter::SetBirthSpeedScale, AnyFinite>>, ".xn"},
    {"EmitterSetBirthOpacityScale", Native<SetScale<&nEmitter::SetBirthOpacityScale>>, ".xn"},
};
} // namespace

void RegisterEmitterApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, EmitterNatives);
}
