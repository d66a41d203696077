#pragma once

#include "geometry/nMaterial.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nGPUGeometryStreams.h"
#include "render/gl/nGPURenderer.h"

#include <gtest/gtest.h>

#include <memory>

// One triangle list over the box [-1, 1]^3 drawn with the material.
inline std::unique_ptr<nEGLDisplayList> MakeTriangleList(nGPURenderer& renderer, nMaterial* material)
{
    static const float positions[] = {-1, -1, -1, 1, -1, 1, 1, 1, 1};
    static const uint32_t indices[] = {0, 1, 2};
    nGPUGeometryStreams streams;
    streams.vertexCount = 3;
    streams.positions = positions;
    streams.indexCount = 3;
    streams.indices = indices;
    std::unique_ptr<nEGLDisplayList> list(renderer.NewDisplayList());
    EXPECT_TRUE(list->Build(streams, reinterpret_cast<uintptr_t>(material)));
    return list;
}
