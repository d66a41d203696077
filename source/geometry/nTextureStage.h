#pragma once

#include "core/base/nSharedPtr.h"
#include "core/math/nMatrix4.h"
#include "geometry/nTexture.h"

#include <cstdint>

constexpr uint32_t nUVMapCount = 3;
constexpr uint32_t nTextureStageCount = 6;

// One texture bound to a material channel, with how it is mapped onto the surface.
struct nTextureStage
{
    enum : uint32_t
    {
        UVSourceConstant = 0,
        UVSourceUVMap = 1,
        UVSourceLocalNormal = 2,
        UVSourceFrontMap = 3,
        UVSourceSphericalEnvironment = 4,
    };
    enum : uint32_t
    {
        OperatorNone = 0,
        OperatorMultiply = 1,
        OperatorAdd = 2,
    };

    uint8_t active = 0;
    uint8_t wrapU = 1;
    uint8_t wrapV = 1;
    uint8_t uvSet = 0; // below nUVMapCount for a usable stage
    uint32_t channel = 0;
    nSharedPtr<nTexture> texture;
    uint32_t uvSource = UVSourceUVMap;
    nMatrix4 uvMatrix;
    uint32_t op = OperatorNone;

    // Inactive, texture released, every field at its default.
    void Reset() { *this = nTextureStage(); }
    bool IsUsable() const { return active && texture; }
};
