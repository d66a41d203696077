#include "api/ScriptApiGroups.h"
#include "core/math/nVector.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "render/nEngineServices.h"
#include "render/nRenderer.h"
#include "render/shader/nShaderMap.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/classes/ScriptMatrix.h"
#include "script/classes/ScriptVector.h"
#include "script/nObjectType.h"

template <> struct nHandleArg<nMaterial>
{
    static nMaterial* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nMaterial>(vm, index, ObjectTypeMaterial);
    }
};

namespace
{
SQInteger GetName(const ScriptArgs& args, nMaterial& material)
{
    return args.PushString(material.name.GetText());
}

// The renderer's data replaces what the material held; a renderer that makes none leaves none.
SQInteger Setup(const ScriptArgs&, nMaterial& material)
{
    if (nRenderer* renderer = material.engine ? material.engine->GetRenderer() : nullptr)
        material.renderData = renderer->SetupMaterial(&material);
    return 0;
}

template <nColor nMaterial::*Colour> SQInteger GetColour(const ScriptArgs& args, nMaterial& material)
{
    const nColor& colour = material.*Colour;
    return PushVector(args.GetVM(), nVector(colour.r, colour.g, colour.b, colour.a))
               ? 1
               : sq_throwerror(args.GetVM(), "Failed to create Vector instance.");
}

template <nColor nMaterial::*Colour> SQInteger SetColour(const ScriptArgs& args, nMaterial& material)
{
    nVector colour;
    if (!GetVectorArg(args.GetVM(), 3, colour))
        return SQ_ERROR;
    if (IsFiniteVector(args, colour))
        material.*Colour = nColor(colour.x, colour.y, colour.z, colour.w);
    return 0;
}

// The stage numbered by the argument at 3; null after "Texture stage out of range".
nTextureStage* StageArg(const ScriptArgs& args, nMaterial& material)
{
    const int32_t stage = args.GetInt(3);
    if (stage < 0 || stage >= int32_t(nTextureStageCount))
    {
        sq_throwerror(args.GetVM(), "Texture stage out of range");
        return nullptr;
    }
    return &material.stages[stage];
}

SQInteger StageGetChannel(const ScriptArgs& args, nMaterial& material)
{
    const nTextureStage* stage = StageArg(args, material);
    return stage ? args.PushInt(int32_t(stage->channel)) : SQ_ERROR;
}

SQInteger StageSetChannel(const ScriptArgs& args, nMaterial& material)
{
    nTextureStage* stage = StageArg(args, material);
    if (!stage)
        return SQ_ERROR;
    stage->channel = uint32_t(args.GetInt(4));
    material.Update();
    return 0;
}

SQInteger HasChannel(const ScriptArgs& args, nMaterial& material)
{
    return args.PushBool(material.GetChannel(uint32_t(args.GetInt(3)), false) != nullptr);
}

// The stage bound to the channel at 3; null after "Could not fetch texture stage from material".
nTextureStage* ChannelArg(const ScriptArgs& args, nMaterial& material, SQInteger index = 3)
{
    nTextureStage* stage = material.GetChannel(uint32_t(args.GetInt(index)), false);
    if (!stage)
        sq_throwerror(args.GetVM(), "Could not fetch texture stage from material");
    return stage;
}

SQInteger ChannelGetUVIndex(const ScriptArgs& args, nMaterial& material)
{
    const nTextureStage* stage = ChannelArg(args, material);
    return stage ? args.PushInt(stage->uvSet) : SQ_ERROR;
}

// An index no UV set has stays one (Update then turns the stage off) instead of wrapping onto a
// set that exists.
SQInteger ChannelSetUVIndex(const ScriptArgs& args, nMaterial& material)
{
    nTextureStage* stage = ChannelArg(args, material);
    if (!stage)
        return SQ_ERROR;
    const int32_t index = args.GetInt(4);
    stage->uvSet = uint8_t(index >= 0 && index <= 255 ? index : 255);
    material.Update();
    return 0;
}

SQInteger ChannelGetActive(const ScriptArgs& args, nMaterial& material)
{
    const nTextureStage* stage = ChannelArg(args, material);
    return stage ? args.PushBool(stage->active != 0) : SQ_ERROR;
}

SQInteger ChannelSetActive(const ScriptArgs& args, nMaterial& material)
{
    nTextureStage* stage = ChannelArg(args, material);
    if (!stage)
        return SQ_ERROR;
    stage->active = args.GetBool(4) ? 1 : 0;
    material.Update();
    return 0;
}

SQInteger ChannelGetUVMatrix(const ScriptArgs& args, nMaterial& material)
{
    const nTextureStage* stage = ChannelArg(args, material);
    if (!stage)
        return SQ_ERROR;
    return PushMatrix4(args.GetVM(), stage->uvMatrix)
               ? 1
               : sq_throwerror(args.GetVM(), "Failed to create Matrix4 instance.");
}

SQInteger ChannelSetUVMatrix(const ScriptArgs& args, nMaterial& material)
{
    nTextureStage* stage = ChannelArg(args, material);
    if (!stage)
        return SQ_ERROR;
    nMatrix4 matrix;
    if (!GetMatrix4Arg(args.GetVM(), 4, matrix))
        return SQ_ERROR;
    stage->uvMatrix = matrix;
    return 0;
}

SQInteger ChannelGetTexture(const ScriptArgs& args, nMaterial& material)
{
    const nTextureStage* stage = ChannelArg(args, material);
    return stage ? PushHandle(args.GetVM(), stage->texture.Get(), ObjectTypeTexture) : SQ_ERROR;
}

// A handle on no texture is an answer: the stage loses its texture and goes inactive.
SQInteger ChannelSetTexture(const ScriptArgs& args, nMaterial& material)
{
    void* texture = nullptr;
    if (!GetCObject(args.GetVM(), 3, texture, ObjectTypeTexture))
        return SQ_ERROR;
    nTextureStage* stage = ChannelArg(args, material, 4);
    if (!stage)
        return SQ_ERROR;
    stage->texture = static_cast<nTexture*>(texture);
    stage->active = texture ? 1 : 0;
    material.Update();
    return 0;
}

SQInteger FlagSet(const ScriptArgs& args, nMaterial& material)
{
    const uint32_t flags = uint32_t(args.GetInt(3));
    if (args.GetBool(4))
        material.renderFlags |= flags;
    else
        material.renderFlags &= ~flags;
    return 0;
}

SQInteger FlagGet(const ScriptArgs& args, nMaterial& material)
{
    return args.PushBool((material.renderFlags & uint32_t(args.GetInt(3))) != 0);
}

SQInteger BuildShaderTreeFromFixedFunction(const ScriptArgs&, nMaterial& material)
{
    material.SetShaderMap(nShaderMap::CreateFromFixedFunction(material));
    material.Update();
    return 0;
}

const nNativeEntry MaterialNatives[] = {
    {"MaterialGetName", Native<GetName>, ".x"},
    {"MaterialUpdate", Native<CallOf<&nMaterial::Update>>, ".x"},
    {"MaterialSetup", Native<Setup>, ".x"},
    {"MaterialGetAmbient", Native<GetColour<&nMaterial::ambient>>, ".x"},
    {"MaterialGetDiffuse", Native<GetColour<&nMaterial::diffuse>>, ".x"},
    {"MaterialGetSpecular", Native<GetColour<&nMaterial::specular>>, ".x"},
    {"MaterialGetSelfIllum", Native<GetColour<&nMaterial::selfIllumination>>, ".x"},
    {"MaterialSetAmbient", Native<SetColour<&nMaterial::ambient>>, ".xx"},
    {"MaterialSetDiffuse", Native<SetColour<&nMaterial::diffuse>>, ".xx"},
    {"MaterialSetSecular", Native<SetColour<&nMaterial::specular>>, ".xx"},
    {"MaterialSetSelfIllum", Native<SetColour<&nMaterial::selfIllumination>>, ".xx"},
    {"MaterialStageGetChannel", Native<StageGetChannel>, ".xi"},
    {"MaterialStageSetChannel", Native<StageSetChannel>, ".xii"},
    {"MaterialHasChannel", Native<HasChannel>, ".xi"},
    {"MaterialChannelGetUVIndex", Native<ChannelGetUVIndex>, ".xi"},
    {"MaterialChannelSetUVIndex", Native<ChannelSetUVIndex>, ".xii"},
    {"MaterialChannelGetActive", Native<ChannelGetActive>, ".xi"},
    {"MaterialChannelSetActive", Native<ChannelSetActive>, ".xib"},
    {"MaterialChannelGetUVMatrix", Native<ChannelGetUVMatrix>, ".xi"},
    {"MaterialChannelSetUVMatrix", Native<ChannelSetUVMatrix>, ".xix"},
    {"MaterialChannelGetTexture", Native<ChannelGetTexture>, ".xi"},
    {"MaterialChannelSetTexture", Native<ChannelSetTexture>, ".xxi"},
    {"MaterialFlagSet", Native<FlagSet>, ".xib"},
    {"MaterialFlagGet", Native<FlagGet>, ".xi"},
    {"MaterialBuildShaderTreeFromFixedFunction", Native<BuildShaderTreeFromFixedFunction>, ".x"},
};

// Interleaved as the group registers them; the detail and colour channels are the decal and light
// channels under older names, and no render flag has the value 2048.
const nIntegerConstantEntry MaterialConstants[] = {
    {"MaterialRenderUnlit", MaterialUnlit},
    {"ChannelNone", ChannelNone},
    {"MaterialRenderSmooth", MaterialSmoothing},
    {"ChannelDiffuse", ChannelDiffuse},
    {"MaterialRenderNormalMapTangent", MaterialNormalMapTangent},
    {"ChannelDecal", ChannelDecal},
    {"MaterialRenderNoFog", MaterialNoFog},
    {"ChannelDetail", ChannelDecal},
    {"MaterialRenderDoubleSided", MaterialDoubleSided},
    {"ChannelOpacity", ChannelOpacity},
    {"MaterialRenderWire", MaterialWireframe},
    {"ChannelSpecular", ChannelSpecular},
    {"MaterialRenderVertexColor", MaterialVertexColor},
    {"ChannelGlossiness", ChannelGlossiness},
    {"MaterialRenderParralax", MaterialParallaxDisplacement},
    {"ChannelNormal", ChannelNormal},
    {"MaterialRenderToonShading", MaterialToon},
    {"ChannelReflection", ChannelReflection},
    {"MaterialRenderNoDepthWrite", MaterialNoZWrite},
    {"ChannelSelfIllum", ChannelSelfIllumination},
    {"MaterialRenderNoDepthTest", MaterialNoZTest},
    {"ChannelLight", ChannelLightmap},
    {"MaterialRenderAlphaSoftZ", MaterialAlphaSoftZ},
    {"ChannelColor", ChannelLightmap},
    {"MaterialRenderAlphaInShadow", MaterialAlphaInShadow},
    {"ChannelBlendRGB", ChannelBlendRGB},
};
} // namespace

void RegisterMaterialApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, MaterialNatives);
    RegisterNullHandleConstant(vm, "NullMaterial", ObjectTypeMaterial);
    RegisterIntegerConstants(vm, MaterialConstants);
}
