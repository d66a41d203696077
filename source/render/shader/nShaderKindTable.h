#pragma once

#include "render/shader/nShaderBlockDescriptor.h"

#include <cstdint>

// What every block of one kind shares. A fixed output type of 0 means the kind computes it from
// its inputs or parameters; a prefix of null means the kind formats its own.
struct nShaderKindInfo
{
    const char* kindName;
    const char* displayName;
    const char* glslPrefix;
    nShaderBlockDescriptor descriptor;
    const nShaderInputDescriptor* inputs;
    uint32_t inputCount;
    uint32_t fixedOutputType;
};

// The record of kinds 1 to 37; null for any other kind.
const nShaderKindInfo* ShaderKindInfo(int32_t kind);
