#pragma once

#include <cstdint>

// The channels a texture stage can feed.
enum nMaterialChannel : uint32_t
{
    ChannelNone = 0,
    ChannelDiffuse = 1,
    ChannelDecal = 2,
    ChannelOpacity = 3,
    ChannelSpecular = 4,
    ChannelGlossiness = 5,
    ChannelNormal = 6,
    ChannelReflection = 7,
    ChannelSelfIllumination = 8,
    ChannelLightmap = 9,
    ChannelBlendRGB = 10,
    ChannelCount = 11,
};

// The name used in messages; "Invalid" outside 0 to 10.
const char* GetMaterialChannelName(uint32_t channel);
// The channel a stage's "Channel" text names, or false when it names none.
bool MaterialChannelFromNmlName(const char* name, uint32_t& channel);
// The text written for a channel; null for the ones that have none.
const char* MaterialChannelNmlName(uint32_t channel);
