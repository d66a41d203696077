#include "api/ItemApi.h"
#include "api/ScriptApiGroups.h"
#include "core/math/nColor.h"
#include "engine/Quenvar.h"
#include "engine/items/nLight.h"
#include "engine/items/nMLight.h"
#include "geometry/nTexture.h"
#include "script/classes/ScriptVector.h"

template <> struct nHandleArg<nMLight> : nItemViewArg<nMLight, ObjectTypeLight, ItemTypeLight>
{
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
    int32_t type = 0;
    if (GetEnumArg(args, 3, LightTypeNone, LightTypeSpot, type))
        light.GetLight().SetType(type);
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
    if (IsFiniteVector(args, color))
        (light.GetLight().*Set)(nColor(color.x, color.y, color.z, 1.0f));
    return 0;
}

template <float (nLight::*Get)() const> SQInteger GetLightFloat(const ScriptArgs& args, nMLight& light)
{
    return args.PushFloat((light.GetLight().*Get)());
}

template <void (nLight::*Set)(float), nFloatRule Rule = AnyFinite>
SQInteger SetLightFloat(const ScriptArgs& args, nMLight& light)
{
    float value = 0.0f;
    if (GetFloatArg(args, 3, Rule, value))
        (light.GetLight().*Set)(value);
    return 0;
}

// A texture that does not load leaves the light without one; the light's update then hands the
// change to the renderer.
SQInteger SetProjectionTexture(const ScriptArgs& args, nMLight& light)
{
    Quenvar* engine = light.GetItem()->GetEngine();
    light.GetLight().SetProjectionMap(engine ? engine->LoadTexture(args.GetString(3), false, false)
                                             : nullptr);
    light.Update();
    return 0;
}

const nNativeEntry LightNatives[] = {
    {"LightGetItem", Native<GetItem>, ".x"},
    {"LightGetType", Native<GetType>, ".x"},
    {"LightSetType", Native<SetType>, ".xi"},
    {"LightGetDiffuseColor", Native<GetColor<&nLight::GetDiffuse>>, ".x"},
    {"LightSetDiffuseColor", Native<SetColor<&nLight::SetDiffuse>>, ".xx"},
    {"LightGetDiffuseIntensity", Native<GetLightFloat<&nLight::GetDiffuseIntensity>>, ".x"},
    {"LightSetDiffuseIntensity", Native<SetLightFloat<&nLight::SetDiffuseIntensity>>, ".xn"},
    {"LightGetSpecularColor", Native<GetColor<&nLight::GetSpecular>>, ".x"},
    {"LightSetSpecularColor", Native<SetColor<&nLight::SetSpecular>>, ".xx"},
    {"LightGetSpecularIntensity", Native<GetLightFloat<&nLight::GetSpecularIntensity>>, ".x"},
    {"LightSetSpecularIntensity", Native<SetLightFloat<&nLight::SetSpecularIntensity>>, ".xn"},
    {"LightGetConeAngle", Native<GetLightFloat<&nLight::GetConeAngle>>, ".x"},
    {"LightSetConeAngle", Native<SetLightFloat<&nLight::SetConeAngle>>, ".xn"},
    {"LightGetEdgeAngle", Native<GetLightFloat<&nLight::GetEdgeAngle>>, ".x"},
    {"LightSetEdgeAngle", Native<SetLightFloat<&nLight::SetEdgeAngle>>, ".xn"},
    {"LightGetRange", Native<GetLightFloat<&nLight::GetRange>>, ".x"},
    {"LightSetRange", Native<SetLightFloat<&nLight::SetRange, NotNegative>>, ".xn"},
    {"LightGetVolumeRange", Native<GetLightFloat<&nLight::GetVolumeRange>>, ".x"},
    {"LightSetVolumeRange", Native<SetLightFloat<&nLight::SetVolumeRange, NotNegative>>, ".xn"},
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
