#include "geometry/nMaterial.h"

#include "core/base/nLog.h"
#include "core/math/nVector.h"
#include "core/nml/nMetaTag.h"
#include "render/nEngineServices.h"
#include "render/shader/nShaderMap.h"

#include <algorithm>

namespace
{
struct ScalarField
{
    const char* name;
    float nMaterial::*value;
};
const ScalarField kScalarFields[] = {
    {"Opacity", &nMaterial::opacity},
    {"Reflection", &nMaterial::reflection},
    {"IOR", &nMaterial::ior},
    {"AlphaThreshold", &nMaterial::alphaThreshold},
    {"MaxSmoothingAngle", &nMaterial::maxSmoothingAngle},
};

struct ColorField
{
    const char* name;
    nColor nMaterial::*value;
};
const ColorField kColorFields[] = {
    {"Diffuse", &nMaterial::diffuse},
    {"Specular", &nMaterial::specular},
    {"Self", &nMaterial::selfIllumination},
    {"Ambient", &nMaterial::ambient},
};

const char* const kUVSourceNames[] = {nullptr, "UVMap", "LSNormal", "FrontMap", "SphericalEnvironment"};
} // namespace

bool nMaterial::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (tag.GetName() != "Material")
    {
        nLogHolder::Get() << "[!] Could not parse material. Root tag id is incorrect (" << tag.GetName()
                          << ").\n";
        return false;
    }
    Reset();
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& key = child->GetName();
        if (key == "Id")
        {
            nString id;
            if (name == "Default" && child->GetValue().GetString(id))
                name = id;
        }
        else if (key == "Glossiness")
        {
            if (child->GetValue().GetFloat(glossiness))
                glossiness = std::clamp(glossiness, 0.01f, 16.0f);
        }
        else if (key == "Shader")
            child->GetValue().GetString(shaderName);
        else if (key == "PhysicMaterial")
            nPhysicMaterial::ParseTag(file, *child);
        else if (key == "RenderMask")
            ReadRenderMask(*child);
        else if (key == "BlendOp")
        {
            nString op;
            child->GetValue().GetString(op);
            if (op == "Add")
                blendOp = MaterialBlendAdditive;
            else if (op == "Alpha")
                blendOp = MaterialBlendAlpha;
        }
        else if (key == "ShaderMap")
        {
            nShaderMap* map = new nShaderMap();
            if (map)
                map->ParseTag(engine, *child);
            SetShaderMap(map);
        }
        else if (key == "TextureStage")
            ReadTextureStage(*child);
        else if (!ReadValueTag(*child))
            nLogHolder::Get() << "[*] Unknown tag '" << key << "' in <Material>.\n";
    }
    Update();
    if (!shaderMap)
        SetShaderMap(nShaderMap::CreateFromFixedFunction(*this));
    AddEmbeddedOpacityStage();
    return true;
}

bool nMaterial::ReadValueTag(const nMetaTag& tag)
{
    for (const ScalarField& field : kScalarFields)
    {
        if (tag.GetName() == field.name)
        {
            tag.GetValue().GetFloat(this->*field.value);
            return true;
        }
    }
    for (const ColorField& field : kColorFields)
    {
        if (tag.GetName() == field.name)
        {
            ReadColor(tag, this->*field.value);
            return true;
        }
    }
    return false;
}

void nMaterial::ReadColor(const nMetaTag& tag, nColor& color)
{
    nVector value(color.r, color.g, color.b, color.a);
    if (!value.Parse(&tag))
    {
        nLogHolder::Get() << "[*] Invalid colour '" << tag.GetName() << "' in material '" << name << "'.\n";
        return;
    }
    color = nColor(value.x, value.y, value.z, value.w);
}

void nMaterial::ReadRenderMask(const nMetaTag& tag)
{
    renderFlags = MaterialDefaultRenderFlags;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& flagName = child->GetName();
        if (flagName == "Additive")
            blendOp = MaterialBlendAdditive;
        else if (flagName == "Alpha" || flagName == "FixedFunction")
            blendOp = MaterialBlendAlpha;
        else if (flagName != "Lit")
        {
            bool known = false;
            // A flag given as False is cleared: the only way a file keeps Smoothing or
            // NormalMapTangent off, since the mask starts with both.
            bool on = true;
            if (child->GetType() == TagTypeBool)
                child->GetValue().GetBool(on);
            for (const nMaterialRenderFlagName& flag : nMaterialRenderFlagNames)
                if ((known = flagName == flag.name))
                {
                    renderFlags = on ? renderFlags | flag.flag : renderFlags & ~flag.flag;
                    break;
                }
            if (!known)
                nLogHolder::Get() << "[*] Unknown tag '" << flagName << "' in material '" << name << "'.\n";
        }
    }
}

void nMaterial::ReadTextureStage(const nMetaTag& tag)
{
    const nMetaTag* indexTag = tag.GetTypedTag("Index;", TagTypeInteger);
    int32_t index = 0;
    if (!indexTag || !indexTag->GetValue().GetInt(index))
    {
        // Read as stage 0 it would overwrite whatever that stage holds.
        nLogHolder::Get() << "[*] Illegal index tag type in material '" << name << "'.\n";
        return;
    }
    if (index < 0 || index >= int32_t(nTextureStageCount))
    {
        nLogHolder::Get() << "[*] Illegal texture stage index " << int(index) << " in material '" << name
                          << "'.\n";
        return;
    }
    nTextureStage& stage = stages[index];
    stage.active = 0;
    stage.channel = ChannelDiffuse;
    stage.op = nTextureStage::OperatorNone;
    stage.uvSet = 0;
    if (const nMetaTag* channelTag = tag.GetTag("Channel;"))
    {
        nString channelName;
        channelTag->GetValue().GetString(channelName);
        if (!MaterialChannelFromNmlName(channelName.GetText() ? channelName.GetText() : "", stage.channel))
        {
            stage.channel = ChannelNone;
            nLogHolder::Get() << "[*] Unknown channel for texture stage " << int(index) << " of material '"
                              << name << "'.\n";
        }
    }
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& key = child->GetName();
        if (key == "Texture")
        {
            nString path;
            child->GetValue().GetString(path);
            stage.texture =
                engine && !path.IsEmpty() ? engine->LoadTexture(path.GetText(), false, false) : nullptr;
            if (stage.texture && stage.channel == ChannelNormal)
                stage.texture->SetNormalMap();
        }
        else if (key == "Active")
            stage.active = 1;
        else if (key == "UV")
        {
            int32_t uvSet = 0;
            child->GetValue().GetInt(uvSet);
            stage.uvSet = uint8_t(uvSet >= 0 && uvSet < 256 ? uvSet : 255); // out of range stays unusable
        }
        else if (key == "NoWrapU")
            stage.wrapU = 0;
        else if (key == "NoWrapV")
            stage.wrapV = 0;
        else if (key == "Operator")
        {
            nString op;
            child->GetValue().GetString(op);
            if (op == "Multiply")
                stage.op = nTextureStage::OperatorMultiply;
            else if (op == "Add")
                stage.op = nTextureStage::OperatorAdd;
        }
        else if (key == "UVSource" && child->GetType() == TagTypeInteger)
        {
            // A source without a name (0, or beyond 4) is written as its number.
            int32_t source = 0;
            child->GetValue().GetInt(source);
            if (source >= 0)
                stage.uvSource = uint32_t(source);
            else
                nLogHolder::Get() << "[*] Unknown UV source for texture stage " << int(index)
                                  << " of material '" << name << "'.\n";
        }
        else if (key == "UVSource")
        {
            nString source;
            child->GetValue().GetString(source);
            bool known = false;
            for (uint32_t value = nTextureStage::UVSourceUVMap;
                 value <= nTextureStage::UVSourceSphericalEnvironment; ++value)
                if ((known = source == kUVSourceNames[value]))
                {
                    stage.uvSource = value;
                    break;
                }
            if (!known)
                nLogHolder::Get() << "[*] Unknown UV source for texture stage " << int(index)
                                  << " of material '" << name << "'.\n";
        }
    }
    ++stageCount;
}

// A diffuse texture with transparent pixels also feeds opacity, through a stage of its own.
void nMaterial::AddEmbeddedOpacityStage()
{
    const nTextureStage* diffuseStage = GetChannel(ChannelDiffuse, true);
    if (!diffuseStage || GetChannel(ChannelOpacity, false) || !diffuseStage->texture->HasTransparentPixel())
        return;
    if (!AddStage(ChannelOpacity, diffuseStage->texture.Get(), nTextureStage::UVSourceUVMap,
                  diffuseStage->uvSet))
    {
        nLogHolder::Get()
            << "[*] Diffuse channel texture has embedded alpha but there is no texture stage left to "
               "enable opacity in material '"
            << name << "'.\n";
        return;
    }
    Update(); // so that the channel table holds the new stage, as it will after a save and a load
}
