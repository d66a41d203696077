#pragma once

#include "core/base/nSharedPtr.h"
#include "geometry/nTexture.h"
#include "platform/nstring/nString.h"
#include "render/gl/nEGLShaderInputLocation.h"

#include <cstdint>
#include <memory>

class nEGLTexture;

// One uniform or attribute of a program, the engine value that feeds it and where GL put it.
struct nGPUProgramInput
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
    uint32_t scope = 0;
    uint32_t kind = 0;
    uint32_t semantic = 80;
    uint32_t type = 1;  // the declared value type
    uint32_t count = 1; // array elements
    // Counted from 0 over the texture uniforms of the program, in declaration order; 0 for others.
    uint32_t unit = 0;
    nEGLTexture* texture = nullptr;       // what a NativeTexture input binds
    nSharedPtr<nTexture> materialTexture; // what a Texture input binds
    float value[16] = {};
    std::unique_ptr<nEGLShaderInputLocation> location;
};
