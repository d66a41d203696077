#pragma once

#include "core/base/nSharedPtr.h"
#include "geometry/nTexture.h"
#include "platform/nstring/nString.h"

#include <cstdint>

// One uniform or attribute a program declares, and the engine value (semantic) that feeds it.
struct nShaderInput
{
    enum Kind : uint32_t
    {
        Uniform = 1,
        Attribute = 2,
    };
    enum Scope : uint32_t
    {
        VertexStage = 1,
        FragmentStage = 2,
    };

    nString name;
    uint32_t scope = VertexStage | FragmentStage;
    uint32_t kind = Uniform;
    uint32_t semantic = 80;
    uint32_t count = 1;
    nSharedPtr<nTexture> texture; // what a Texture input binds
    float value[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    uint32_t type = 1;
};

struct nShaderVarying
{
    nString type; // "float3", "mat4" ...
    nString name;
};
