#pragma once

#include "audio/nMixerData.h"

#include <cstdint>

// The OpenAL buffer that holds an uploaded sound.
class nALMixerData : public nMixerData
{
public:
    uint32_t buffer = 0;
};
