#pragma once

#include <cstdint>

struct nGPUGeometryStreams;

// Where each part of a packed vertex lies: position, normal, colour, UV sets 0-2, tangent frame,
// skin; -1 for a part the geometry lacks. The stride is padded to a multiple of 4.
struct nGPUVertexLayout
{
    enum Part : uint32_t
    {
        Position,
        Normal,
        Colour,
        UV0,
        UV1,
        UV2,
        TangentFrame,
        Skin,
        PartCount,
    };

    int32_t offsets[PartCount] = {-1, -1, -1, -1, -1, -1, -1, -1};
    uint32_t stride = 0;

    void Compute(const nGPUGeometryStreams& streams);
    // Writes vertex `index` at `out`, stride bytes.
    void Pack(const nGPUGeometryStreams& streams, uint32_t index, uint8_t* out) const;
};
