#include "geometry/nMaterial.h"

#include "core/base/nLog.h"
#include "core/math/nVector.h"
#include "core/nml/nMetaTag.h"
#include "render/shader/nShaderMap.h"

#include <cmath>
#include <memory>

namespace
{
bool DiffersFrom(const nColor& color, const nColor& reference)
{
    return std::fabs(color.r - reference.r) > 1e-6f || std::fabs(color.g - reference.g) > 1e-6f ||
           std::fabs(color.b - reference.b) > 1e-6f || std::fabs(color.a - reference.a) > 1e-6f;
}

// All four components, so that a colour's alpha survives a save (the reader takes an optional
// fourth value, so files written with three still read as before).
void WriteColor(nMetaTag& parent, const char* name, const nColor& color)
{
    parent.AddChildTag(nVector(color.r, color.g, color.b, color.a).Serialize(name, true));
}

void WriteScalar(nMetaTag& parent, const char* name, float value, float defaultValue)
{
    if (value != defaultValue)
        parent.AddChildFloat(name, value);
}

const char* const kUVSourceNames[] = {nullptr, nullptr, "LSNormal", "FrontMap", "SphericalEnvironment"};
} // namespace

nMetaTag* nMaterial::SerializeTag(nMetaFile& file)
{
    std::unique_ptr<nMetaTag> tag(new nMetaTag("Material"));
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not serialize material '" << name
                          << "'. Failed to create root tag.\n";
        return nullptr;
    }
    tag->AddChildString("Id", name.GetText() ? name.GetText() : "");
    const nColor white(1.0f, 1.0f, 1.0f, 1.0f);
    if (DiffersFrom(diffuse, white))
        WriteColor(*tag, "Diffuse", diffuse);
    if (DiffersFrom(specular, white))
        WriteColor(*tag, "Specular", specular);
    if (DiffersFrom(ambient, white))
        WriteColor(*tag, "Ambient", ambient);
    if (DiffersFrom(selfIllumination, nColor(0.0f, 0.0f, 0.0f, 1.0f)))
        WriteColor(*tag, "Self", selfIllumination);
    WriteScalar(*tag, "Glossiness", glossiness, 0.4f);
    WriteScalar(*tag, "Opacity", opacity, 1.0f);
    WriteScalar(*tag, "Reflection", reflection, 0.0f);
    WriteScalar(*tag, "IOR", ior, 1.0f);
    WriteScalar(*tag, "AlphaThreshold", alphaThreshold, 0.1f);
    WriteScalar(*tag, "MaxSmoothingAngle", maxSmoothingAngle, 0.0f);
    tag->AddChildTag(nPhysicMaterial::SerializeTag(file));
    // A read mask starts with the default flags set, so a default flag that is off is written
    // as False: with that, some flag is always set or cleared, and the mask is always written.
    const uint32_t clearedDefaults = MaterialDefaultRenderFlags & ~renderFlags;
    if (nMetaTag* mask = tag->AddChild("RenderMask"))
    {
        for (const nMaterialRenderFlagName& flag : nMaterialRenderFlagNames)
            if (renderFlags & flag.flag)
                mask->AddChild(flag.name);
            else if (clearedDefaults & flag.flag)
                mask->AddChildBool(flag.name, false);
    }
    else
        nLogHolder::Get() << "[*] Could not serialize material '" << name << "' render word.\n";
    if (blendOp == MaterialBlendAlpha)
        tag->AddChildString("BlendOp", "Alpha");
    else if (blendOp == MaterialBlendAdditive)
        tag->AddChildString("BlendOp", "Add");
    if (!shaderName.IsEmpty())
        tag->AddChildString("Shader", shaderName.GetText());
    if (shaderMap)
        tag->AddChildTag(shaderMap->SerializeTag());
    // A stage bound to a channel is written even without a texture: left out, a later stage of
    // its channel would take its place in the channel table when the file is read back.
    for (uint32_t index = 0; index < nTextureStageCount; ++index)
        if (stages[index].texture || stages[index].channel != ChannelNone)
            WriteTextureStage(*tag, index);
    return tag.release();
}

void nMaterial::WriteTextureStage(nMetaTag& parent, uint32_t index) const
{
    const nTextureStage& stage = stages[index];
    nMetaTag* tag = parent.AddChild("TextureStage");
    if (!tag)
    {
        nLogHolder::Get() << "[*] Could not serialize a texture stage in material '" << name << "'.\n";
        return;
    }
    tag->AddChildInt("Index", int32_t(index));
    if (stage.active)
        tag->AddChild("Active");
    if (stage.texture)
    {
        const nString& textureName = stage.texture->GetName();
        tag->AddChildString("Texture", textureName.GetText() ? textureName.GetText() : "");
    }
    tag->AddChildInt("UV", stage.uvSet);
    if (!stage.wrapU)
        tag->AddChild("NoWrapU");
    if (!stage.wrapV)
        tag->AddChild("NoWrapV");
    if (stage.op == nTextureStage::OperatorMultiply)
        tag->AddChildString("Operator", "Multiply");
    else if (stage.op == nTextureStage::OperatorAdd)
        tag->AddChildString("Operator", "Add");
    if (stage.channel != ChannelDiffuse)
    {
        // Channel 0 is written too ("None"): left out, it would read back as Diffuse.
        const char* channelName = MaterialChannelNmlName(stage.channel);
        if (channelName)
            tag->AddChildString("Channel", channelName);
        else
            nLogHolder::Get() << "[*] Bogus channel in texture stage " << int(index) << " material '" << name
                              << "'.\n";
    }
    if (stage.uvSource != nTextureStage::UVSourceUVMap)
    {
        if (stage.uvSource < 5 && kUVSourceNames[stage.uvSource])
            tag->AddChildString("UVSource", kUVSourceNames[stage.uvSource]);
        else // a source without a name is kept as its number
            tag->AddChildInt("UVSource", int32_t(stage.uvSource));
    }
}
