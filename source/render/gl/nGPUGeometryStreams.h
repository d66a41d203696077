#pragma once

#include <cstdint>

// The vertex streams of one geometry as a display list packs them. Absent streams are null;
// floats are interleaved per vertex (3 for positions, normals, tangents and bitangents, 4 for
// colours and weights, 2 per UV set), bone indices are 4 bytes per vertex.
struct nGPUGeometryStreams
{
    uint32_t vertexCount = 0;
    const float* positions = nullptr;
    const float* normals = nullptr;
    const float* colours = nullptr;
    const float* uvs[3] = {nullptr, nullptr, nullptr};
    const float* tangents = nullptr;
    const float* bitangents = nullptr;
    const uint8_t* boneIndices = nullptr;
    const float* boneWeights = nullptr;
    uint32_t indexCount = 0;
    const uint32_t* indices = nullptr;
    const uint16_t* boneMap = nullptr;
    uint32_t boneMapCount = 0;
};
