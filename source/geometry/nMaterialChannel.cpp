#include "geometry/nMaterialChannel.h"

#include <cstring>

namespace
{
const char* const kDisplayNames[ChannelCount] = {"None",     "Diffuse",    "Decal",
                                                 "Opacity",  "Specular",   "Glossiness",
                                                 "Normal",   "Reflection", "Self-Illum (Emissive)",
                                                 "Lightmap", "Blend RGB"};

// Every name a file may use; the first name of a channel is the one written.
struct NmlName
{
    const char* name;
    uint32_t channel;
};
const NmlName kNmlNames[] = {
    {"None", ChannelNone},
    {"Diffuse", ChannelDiffuse},
    {"Decal", ChannelDecal},
    {"Detail", ChannelDecal},
    {"Opacity", ChannelOpacity},
    {"Specular", ChannelSpecular},
    {"Glossiness", ChannelGlossiness},
    {"Normal", ChannelNormal},
    {"Reflection", ChannelReflection},
    {"SelfIllum", ChannelSelfIllumination},
    {"Light", ChannelLightmap},
    {"VertexColor", ChannelLightmap},
    {"Color", ChannelLightmap},
    {"BlendRGB", ChannelBlendRGB},
};
} // namespace

const char* GetMaterialChannelName(uint32_t channel)
{
    return channel < ChannelCount ? kDisplayNames[channel] : "Invalid";
}

bool MaterialChannelFromNmlName(const char* name, uint32_t& channel)
{
    for (const NmlName& entry : kNmlNames)
    {
        if (std::strcmp(entry.name, name) == 0)
        {
            channel = entry.channel;
            return true;
        }
    }
    return false;
}

const char* MaterialChannelNmlName(uint32_t channel)
{
    for (const NmlName& entry : kNmlNames)
        if (entry.channel == channel)
            return entry.name;
    return nullptr;
}
