#include "render/gl/nGPUVertexLayout.h"

#include "core/base/nLog.h"
#include "core/math/nColor.h"
#include "render/gl/nGPUGeometryStreams.h"

#include <cmath>
#include <cstring>

namespace
{
// Truncated toward zero and held to the byte's range, since colours and normals from files may
// lie outside [-1, 1] or be no number at all (which packs as 0).
int8_t SignedByte(float value)
{
    const float scaled = value * 127.0f;
    return scaled >= 127.0f ? 127 : scaled <= -127.0f ? -127 : std::isnan(scaled) ? 0 : static_cast<int8_t>(scaled);
}

uint8_t UnsignedByte(float value)
{
    return nColor::ComponentToByte(value);
}

void PackSigned3(const float* from, uint8_t* out)
{
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<uint8_t>(SignedByte(from[i]));
    out[3] = 0;
}
} // namespace

void nGPUVertexLayout::Compute(const nGPUGeometryStreams& streams)
{
    const bool present[PartCount] = {true,
                                     streams.normals != nullptr,
                                     streams.colours != nullptr,
                                     streams.uvs[0] != nullptr,
                                     streams.uvs[1] != nullptr,
                                     streams.uvs[2] != nullptr,
                                     streams.tangents != nullptr && streams.bitangents != nullptr,
                                     streams.boneIndices != nullptr && streams.boneWeights != nullptr};
    const uint32_t sizes[PartCount] = {12, 4, 4, 8, 8, 8, 8, 8};
    uint32_t offset = 0;
    for (uint32_t part = 0; part < PartCount; ++part)
    {
        offsets[part] = present[part] ? static_cast<int32_t>(offset) : -1;
        offset += present[part] ? sizes[part] : 0;
    }
    stride = (offset + 3) & ~3u;
    if (stride != offset)
        nLogHolder::Get() << "Padding GPU vertex to 4B by " << (stride - offset) << "B (from " << offset
                          << "B)\n";
}

void nGPUVertexLayout::Pack(const nGPUGeometryStreams& streams, uint32_t index, uint8_t* out) const
{
    using Streams = nGPUGeometryStreams;
    memset(out, 0, stride);
    memcpy(out + offsets[Position], Streams::At(streams.positions, streams.positionStride, index), 12);
    if (offsets[Normal] >= 0)
        PackSigned3(Streams::At(streams.normals, streams.normalStride, index), out + offsets[Normal]);
    if (offsets[Colour] >= 0)
    {
        const float* colour = Streams::At(streams.colours, streams.colourStride, index);
        for (int i = 0; i < 4; ++i)
            out[offsets[Colour] + i] = UnsignedByte(colour[i]);
    }
    for (uint32_t set = 0; set < 3; ++set)
    {
        if (offsets[UV0 + set] >= 0)
            memcpy(out + offsets[UV0 + set], Streams::At(streams.uvs[set], streams.uvStrides[set], index), 8);
    }
    if (offsets[TangentFrame] >= 0)
    {
        PackSigned3(Streams::At(streams.tangents, streams.tangentStride, index), out + offsets[TangentFrame]);
        PackSigned3(Streams::At(streams.bitangents, streams.bitangentStride, index),
                    out + offsets[TangentFrame] + 4);
    }
    if (offsets[Skin] >= 0)
    {
        memcpy(out + offsets[Skin], Streams::At(streams.boneIndices, streams.boneIndexStride, index), 4);
        const float* weights = Streams::At(streams.boneWeights, streams.boneWeightStride, index);
        for (int i = 0; i < 4; ++i)
            out[offsets[Skin] + 4 + i] = UnsignedByte(weights[i]);
    }
}
