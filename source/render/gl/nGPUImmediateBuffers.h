#pragma once

#include "core/base/nAutoArray.h"

#include <cstdint>

// Scratch memory of the immediate operations, kept between calls so that overlays drawn every
// frame allocate nothing once warm. Indices are 16-bit, so one draw reaches at most
// MaxChunkVertices vertices: longer inputs are drawn in chunks of whole primitives.
class nGPUImmediateBuffers
{
public:
    static constexpr uint32_t MaxChunkVertices = 65535;
    static constexpr uint32_t MaxChunkTriangles = MaxChunkVertices / 3;
    static constexpr uint32_t MaxChunkQuads = MaxChunkVertices / 4;
    static constexpr uint32_t PositionFloats = 3;
    static constexpr uint32_t UVFloats = 2;
    static constexpr uint32_t ColourFloats = 4;

    // The indices 0 to count - 1; null after an "[!]" line when they cannot be allocated.
    const uint16_t* GetSequence(uint32_t count);
    // (4i, 4i + 1, 4i + 2) and (4i, 4i + 2, 4i + 3) for each of quadCount quads; null as above.
    const uint16_t* GetQuadIndices(uint32_t quadCount);
    // Room for four vertices per quad in the three arrays below (previous contents lost);
    // false after an "[!]" line when it cannot be allocated.
    bool ReserveQuads(uint32_t quadCount);

    float* GetPositions() { return m_positions.GetData(); }
    float* GetUVs() { return m_uvs.GetData(); }
    float* GetColours() { return m_colours.GetData(); }

private:
    nAutoArray<uint16_t> m_sequence{MemCategoryRenderer};
    nAutoArray<uint16_t> m_quadIndices{MemCategoryRenderer};
    nAutoArray<float> m_positions{MemCategoryRenderer};
    nAutoArray<float> m_uvs{MemCategoryRenderer};
    nAutoArray<float> m_colours{MemCategoryRenderer};
    uint32_t m_quadCapacity = 0;
};
