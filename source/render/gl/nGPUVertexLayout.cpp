#include "render/gl/nGPUVertexLayout.h"

#include "core/base/nLog.h"
#include "render/gl/nGPUGeometryStreams.h"

#include <cstring>

namespace
{
int8_t SignedByte(float value)
{
    return static_cast<int8_t>(static_cast<int32_t>(value * 127.0f));
}

uint8_t UnsignedByte(float value)
{
    return static_cast<uint8_t>(static_cast<int32_t>(value * 255.0f));
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
    memset(out, 0, stride);
    memcpy(out + offsets[Position], streams.positions + index * 3, 12);
    if (offsets[Normal] >= 0)
        PackSigned3(streams.normals + index * 3, out + offsets[Normal]);
    if (offsets[Colour] >= 0)
    {
        for (int i = 0; i < 4; ++i)
            out[offsets[Colour] + i] = UnsignedByte(streams.colours[index * 4 + i]);
    }
    for (uint32_t set = 0; set < 3; ++set)
    {
        if (offsets[UV0 + set] >= 0)
            memcpy(out + offsets[UV0 + set], streams.uvs[set] + index * 2, 8);
    }
    if (offsets[TangentFrame] >= 0)
    {
        PackSigned3(streams.tangents + index * 3, out + offsets[TangentFrame]);
        PackSigned3(streams.bitangents + index * 3, out + offsets[TangentFrame] + 4);
    }
    if (offsets[Skin] >= 0)
    {
        memcpy(out + offsets[Skin], streams.boneIndices + index * 4, 4);
        for (int i = 0; i < 4; ++i)
            out[offsets[Skin] + 4 + i] = UnsignedByte(streams.boneWeights[index * 4 + i]);
    }
}
