#include "render/gl/nTrilist.h"

nGPUGeometryStreams nTrilist::GetStreams() const
{
    nGPUGeometryStreams streams;
    streams.vertexCount = vertices.GetCount();
    streams.positions = streams.vertexCount > 0 ? &vertices.GetData()->x : nullptr;
    streams.positionStride = sizeof(nVector);
    if (normals.GetCount() == streams.vertexCount && streams.vertexCount > 0)
    {
        streams.normals = &normals.GetData()->x;
        streams.normalStride = sizeof(nVector);
    }
    if (colors.GetCount() == streams.vertexCount && streams.vertexCount > 0)
    {
        streams.colours = &colors.GetData()->r;
        streams.colourStride = sizeof(nColor);
    }
    for (uint32_t set = 0; set < 3; ++set)
    {
        if (uvSets[set].GetCount() == streams.vertexCount && streams.vertexCount > 0)
        {
            streams.uvs[set] = &uvSets[set].GetData()->u;
            streams.uvStrides[set] = sizeof(nUV);
        }
    }
    if (tangentFrames.GetCount() == streams.vertexCount && streams.vertexCount > 0)
    {
        streams.tangents = &tangentFrames.GetData()->tangent.x;
        streams.bitangents = &tangentFrames.GetData()->bitangent.x;
        streams.tangentStride = sizeof(nTangentFrame);
        streams.bitangentStride = sizeof(nTangentFrame);
    }
    if (skin.GetCount() == streams.vertexCount && streams.vertexCount > 0)
    {
        streams.boneWeights = skin.GetData()->weights;
        streams.boneIndices = skin.GetData()->slots;
        streams.boneWeightStride = sizeof(nTrilistSkin);
        streams.boneIndexStride = sizeof(nTrilistSkin);
    }
    streams.indexCount = indices.GetCount();
    streams.indices = indices.GetData();
    streams.boneMapCount = boneMap.GetCount();
    streams.boneMap = boneMap.GetCount() > 0 ? boneMap.GetData() : nullptr;
    return streams;
}
