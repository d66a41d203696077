#pragma once

#include <cstddef>
#include <cstdint>

// The vertex streams of one geometry as a display list packs them. Absent streams are null. Each
// stream holds floats (3 for positions, normals, tangents and bitangents, 4 for colours and
// weights, 2 per UV set) or 4 bone-index bytes per vertex; its stride is the byte distance from
// one vertex to the next, so streams may point into records that interleave other fields (a
// stride of 0 repeats one value for every vertex). The default strides are those of tight arrays.
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

    uint32_t positionStride = 3 * sizeof(float);
    uint32_t normalStride = 3 * sizeof(float);
    uint32_t colourStride = 4 * sizeof(float);
    uint32_t uvStrides[3] = {2 * sizeof(float), 2 * sizeof(float), 2 * sizeof(float)};
    uint32_t tangentStride = 3 * sizeof(float);
    uint32_t bitangentStride = 3 * sizeof(float);
    uint32_t boneIndexStride = 4;
    uint32_t boneWeightStride = 4 * sizeof(float);

    // The element of vertex `index` in a stream starting at `base`.
    template <typename T> static const T* At(const T* base, uint32_t stride, uint32_t index)
    {
        return reinterpret_cast<const T*>(reinterpret_cast<const uint8_t*>(base) + size_t{stride} * index);
    }
};
