#pragma once

#include "render/gl/nEGLShaderInputLocation.h"
#include "render/gl/nShaderInput.h"

#include <cstdint>
#include <memory>

class nEGLTexture;

// One input of a linked program: its declaration, the texture unit a texture uniform binds on
// (counted from 0 over the program's texture uniforms in declaration order), the GPU texture a
// NativeTexture input binds, and where GL put it.
struct nGPUProgramInput : nShaderInput
{
    uint32_t unit = 0;
    nEGLTexture* nativeTexture = nullptr;
    std::unique_ptr<nEGLShaderInputLocation> location;
};
