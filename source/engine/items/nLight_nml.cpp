#include "engine/items/nLight.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nItemTags.h"

namespace
{
constexpr const char* Block = "Light";
constexpr const char* TypeNames[] = {"None", "Point", "Parallel", "Spot"};
constexpr const char* ShadowNames[] = {"None", "PMap", "Map"};
constexpr const char* FalloffNames[] = {"Linear", "InvDist", "InvDist2"};
constexpr float DefaultVolumeRange = 500.0f;
constexpr float ZNearFloor = 0.1f;

// The index of the text in the table, or -1 after the "[*] Bogus light ..." warning.
template <size_t Count>
int32_t ReadNamedValue(const nMetaTag& tag, const char* const (&names)[Count], const char* what)
{
    nString text;
    if (!ReadStringTag(tag, Block, text))
        return -1;
    for (size_t index = 0; index < Count; ++index)
        if (text == names[index])
            return static_cast<int32_t>(index);
    nLogHolder::Get() << "[*] Bogus light " << what << " '" << text << "'.\n";
    return -1;
}

nColor ToColor(const nVector& vector)
{
    return nColor(vector.x, vector.y, vector.z, vector.w);
}

nVector ToVector(const nColor& color)
{
    return nVector(color.r, color.g, color.b, color.a);
}

bool ReadColorTag(const nMetaTag& tag, nColor& out)
{
    nVector value = ToVector(out);
    if (!ReadVectorTag(tag, Block, value))
        return false;
    out = ToColor(value);
    return true;
}

bool ColorDiffers(const nColor& color, const nColor& reference)
{
    return ToVector(color).DiffersFrom(ToVector(reference));
}
} // namespace

bool nLight::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (!CheckBlockName(tag, Block, "Could not parse light. Root tag id is incorrect ("))
        return false;
    Reset();
    Settings& s = m_settings;
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        float value = 0.0f;
        int32_t index = -1;
        if (name == "Item")
            nItem::ParseTag(file, *child);
        else if (name == "Type")
        {
            if ((index = ReadNamedValue(*child, TypeNames, "type")) >= 0)
                s.type = index;
        }
        else if (name == "Shadow")
        {
            if ((index = ReadNamedValue(*child, ShadowNames, "shadow")) >= 0)
                s.shadowMode = index;
        }
        else if (name == "Falloff")
        {
            if ((index = ReadNamedValue(*child, FalloffNames, "falloff")) >= 0)
                s.falloff = index;
        }
        else if (name == "ShadowRange")
            ReadRealTag(*child, Block, s.shadowRange);
        else if (name == "ShadowBias")
            ReadRealTag(*child, Block, s.shadowBias);
        else if (name == "ShadowDistribution")
            ReadRealTag(*child, Block, s.shadowDistribution);
        else if (name == "ShadowColor")
            ReadColorTag(*child, s.shadowColor);
        else if (name == "ShadowCastAll")
            ReadBoolTag(*child, Block, s.shadowCastAll);
        else if (name == "Volumetric")
            s.volumetric = true;
        else if (name == "VolumetricSampleStep")
            ReadRealTag(*child, Block, s.volumetricSampleStep);
        else if (name == "VolumetricThick")
            ReadRealTag(*child, Block, s.volumetricThickness);
        else if (name == "VolumetricRange" || name == "VolumetricThickness")
            ReadRealTag(*child, Block, s.volumetricRange); // the older name held the range too
        else if (name == "ZNear")
        {
            if (ReadRealTag(*child, Block, value))
                s.zNear = value > ZNearFloor ? value : ZNearFloor;
        }
        else if (name == "Range")
            ReadRealTag(*child, Block, s.range);
        else if (name == "VolumeRange")
        {
            if (ReadRealTag(*child, Block, value))
                s.volumeRange = value > 0.0f ? value : DefaultVolumeRange;
        }
        else if (name == "ClipDistance")
            ReadRealTag(*child, Block, s.clipDistance);
        else if (name == "ProjectionMap")
            ReadProjectionMap(*child);
        else if (name == "Diffuse")
            ReadColorTag(*child, s.diffuse);
        else if (name == "Specular")
            ReadColorTag(*child, s.specular);
        else if (name == "DiffuseIntensity")
            ReadRealTag(*child, Block, s.diffuseIntensity);
        else if (name == "SpecularIntensity")
            ReadRealTag(*child, Block, s.specularIntensity);
        else if (name == "ConeAngle")
            ReadRealTag(*child, Block, s.coneAngle);
        else if (name == "EdgeAngle")
            ReadRealTag(*child, Block, s.edgeAngle);
        else if (name != "Shader")
            LogUnknownTag(*child, Block);
    }
    return true;
}

nMetaTag* nLight::SerializeTag(nMetaFile& file) const
{
    nMetaTag* tag = new nMetaTag(Block);
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not serialize light. Failed to create root tag.\n";
        return nullptr;
    }
    const Settings& s = m_settings;
    const Settings defaults;
    AddChildBlock(*tag, nItem::SerializeTag(file));
    if (s.type != LightTypePoint && s.type >= 0 && s.type <= LightTypeSpot)
        tag->AddChildString("Type", TypeNames[s.type]);
    if (s.shadowMode > 0 && s.shadowMode <= LightShadowMap)
        tag->AddChildString("Shadow", ShadowNames[s.shadowMode]);
    if (s.shadowRange != defaults.shadowRange)
        tag->AddChildFloat("ShadowRange", s.shadowRange);
    tag->AddChildFloat("ShadowBias", s.shadowBias);
    tag->AddChildFloat("ShadowDistribution", s.shadowDistribution);
    if (ColorDiffers(s.shadowColor, defaults.shadowColor))
        WriteVectorTag(*tag, "ShadowColor", ToVector(s.shadowColor));
    if (s.shadowCastAll)
        tag->AddChildBool("ShadowCastAll", true);
    if (s.volumetric)
        tag->AddChild("Volumetric");
    tag->AddChildFloat("VolumetricSampleStep", s.volumetricSampleStep);
    tag->AddChildFloat("VolumetricThick", s.volumetricThickness);
    tag->AddChildFloat("VolumetricRange", s.volumetricRange);
    if (s.zNear != defaults.zNear)
        tag->AddChildFloat("ZNear", s.zNear);
    if (s.falloff > 0 && s.falloff <= LightFalloffInvDist2)
        tag->AddChildString("Falloff", FalloffNames[s.falloff]);
    if (s.range != defaults.range)
        tag->AddChildFloat("Range", s.range);
    if (s.volumeRange != defaults.volumeRange)
        tag->AddChildFloat("VolumeRange", s.volumeRange);
    if (s.clipDistance != defaults.clipDistance)
        tag->AddChildFloat("ClipDistance", s.clipDistance);
    WriteProjectionMap(*tag);
    if (ColorDiffers(s.diffuse, defaults.diffuse))
        WriteVectorTag(*tag, "Diffuse", ToVector(s.diffuse));
    if (ColorDiffers(s.specular, defaults.specular))
        WriteVectorTag(*tag, "Specular", ToVector(s.specular));
    if (s.diffuseIntensity != defaults.diffuseIntensity)
        tag->AddChildFloat("DiffuseIntensity", s.diffuseIntensity);
    if (s.specularIntensity != defaults.specularIntensity)
        tag->AddChildFloat("SpecularIntensity", s.specularIntensity);
    if (s.coneAngle != defaults.coneAngle)
        tag->AddChildFloat("ConeAngle", s.coneAngle);
    if (s.edgeAngle != defaults.edgeAngle)
        tag->AddChildFloat("EdgeAngle", s.edgeAngle);
    return tag;
}
