#include "api/ItemApi.h"
#include "api/ScriptApiGroups.h"
#include "core/math/nColor.h"
#include "engine/Quenvar.h"
#include "engine/items/nLight.h"
#include "engine/items/nMLight.h"
#include "geometry/nTexture.h"
#include "script/classes/ScriptVector.h"

template <> struct nHandleArg<nMLight>
{
    static nMLight* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return static_cast<nMLight*>(GetItemViewArg(vm, index, ObjectTypeLight, ItemTypeLight));
    }
};

namespace
{
SQInteger GetItem(const ScriptArgs& args, nMLight& light)
{
    return PushItem(args.GetVM(), &light);
}

SQInteger GetType(const ScriptArgs& args, nMLight& light)
{
    return args.PushInt(light.GetLight().GetType());
}

SQInteger SetType(const ScriptArgs& args, nMLight& light)
{
    light.GetLight().SetType(args.GetInt(3));
    return 0;
}

template <const nColor& (nLight::*Get)() const> SQInteger GetColor(const ScriptArgs& args, nMLight& light)
{
    const nColor& color = (light.GetLight().*Get)();
    return PushVector(args.GetVM(), nVector(color.r, color.g, color.b, color.a))
               ? 1
               : sq_throwerror(args.GetVM(), "Failed to create Vector instance.");
}

template <void (nLight::*Set)(const nColor&)> SQInteger SetColor(const ScriptArgs& args, nMLight& light)
{
    nVector color;
    if (!GetVectorArg(args.GetVM(), 3, color))
        return SQ_ERROR;
    (light.GetLight().*Set)(nColor(color.x, color.y, color.z, 1.0f));
    return 0;
}

template <float (nLight::*Get)() const> SQInteger GetFloat(const ScriptArgs& args, nMLight& light)
{
    return args.PushFloat((light.GetLight().*Get)());
}

template <void (nLight::*Set)(float)> SQInteger SetFloat(const ScriptArgs& args, nMLight& light)
{
    (light.GetLight().*Set)(args.GetFloat(3));
    return 0;
}

// A texture that does not load leaves the light without one; the light's update then hands the
// change to the renderer.
SQInteger SetProjectionTexture(const ScriptArgs& args, nMLight& light)
{
    Quenvar* engine = light.GetItem()->GetEngine();
    light.GetLight().SetProjectionMap(engine ? engine->LoadTexture(args.GetString(3), false, false) : nullptr);
    light.Update();
    return 0;
}

const nNativeEntry LightNatives[] = {
    {"LightGetItem", Native<GetItem>, ".x"},
    {"LightGetType", Native<GetType>, ".x"},
    {"LightSetType", Native<SetType>, ".xi"},
    {"LightGetDiffuseColor", Native<GetColor<&nLight::GetDiffuse>>, ".x"},
    {"LightSetDiffuseColor", Native<SetColor<&nLight::SetDiffuse>>, ".xx"},
    {"LightGetDiffuseIntensity", Native<GetFloat<&nLight::GetDiffuseIntensity>>, ".x"},
    {"LightSetDiffuseIntensity", Native<SetFloat<&nLight::SetDiffuseIntensity>>, ".xn"},
    {"LightGetSpecularColor", Native<GetColor<&nLight::GetSpecular>>, ".x"},
    {"LightSetSpecularColor", Native<SetColor<&nLight::SetSpecular>>, ".xx"},
    {"LightGetSpecularIntensity", Native<GetFloat<&nLight::GetSpecularIntensity>>, ".x"},
    {"LightSetSpecularIntensity", Native<SetFloat<&nLight::SetSpecularIntensity>>, ".xn"},
    {"LightGetConeAngle", Native<GetFloat<&nLight::GetConeAngle>>, ".x"},
    {"LightSetConeAngle", Native<SetFloat<&nLight::SetConeAngle>>, ".xn"},
    {"LightGetEdgeAngle", Native<GetFloat<&nLight::GetEdgeAngle>>, ".x"},
    {"LightSetEdgeAngle", Native<SetFloat<&nLight::SetEdgeAngle>>, ".xn"},
    {"LightGetRange", Native<GetFloat<&nLight::GetRange>>, ".x"},
    {"LightSetRange", Native<SetFloat<&nLight::SetRange>>, ".xn"},
    {"LightGetVolumeRange", Native<GetFloat<&nLight::GetVolumeRange>>, ".x"},
    {"LightSetVolumeRange", Native<SetFloat<&nLight::SetVolumeRange>>, ".xn"},
    {"LightSetProjectionTexture", Native<SetProjectionTexture>, ".xs"},
};

const nIntegerConstantEntry LightConstants[] = {
    {"LightTypeNone", LightTypeNone},
    {"LightTypePoint", LightTypePoint},
    {"LightTypeLinear", LightTypeParallel},
    {"LightTypeSpot", LightTypeSpot},
};
} // namespace

void RegisterLightApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, LightNatives);
    RegisterIntegerConstants(vm, LightConstants);
}
