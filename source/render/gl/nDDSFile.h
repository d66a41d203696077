#pragma once

#include "platform/nstring/nString.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

// What a DirectDraw Surface file holds, checked against the file's bytes: the GL layout of its
// pixels and where each mipmap level lies. Pure, so that any bytes can be read without a context.
struct nDDSFile
{
    enum Result
    {
        Loaded,
        NotDDS,      // no "DDS " magic: the file is something else
        Unsupported, // a pixel layout the renderer has no GL format for
        Corrupt,     // sizes or counts the file cannot hold; the reason is set
    };

    static constexpr uint32_t MaxLevels = 15;
    static constexpr uint32_t MaxDimension = 16384;

    struct Level
    {
        uint32_t width;
        uint32_t height;
        size_t offset;
        size_t size;
    };

    bool compressed = false;
    GLenum internalFormat = 0;
    // Layout of uncompressed levels for glTexImage2D.
    GLenum dataFormat = 0;
    GLenum dataType = 0;
    uint32_t levelCount = 0;
    Level levels[MaxLevels] = {};
    nString reason;

    Result Parse(const uint8_t* data, size_t size);
};
