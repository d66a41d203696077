#include "render/gl/nGPUGeometryStreams.h"
#include "render/gl/nGPUVertexLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

TEST(GPUVertexLayoutTest, PositionsOnlyPackTwelveBytes)
{
    const float positions[] = {1, 2, 3};
    nGPUGeometryStreams streams;
    streams.vertexCount = 1;
    streams.positions = positions;
    nGPUVertexLayout layout;
    layout.Compute(streams);
    EXPECT_EQ(layout.stride, 12u);
    EXPECT_EQ(layout.offsets[nGPUVertexLayout::Position], 0);
    EXPECT_EQ(layout.offsets[nGPUVertexLayout::Normal], -1);
}

TEST(GPUVertexLayoutTest, FullVertexPacksInOrder)
{
    const float positions[] = {1, 2, 3};
    const float normals[] = {0.5f, -1.0f, 0.0f};
    const float colours[] = {1.0f, 0.5f, 0.0f, 1.0f};
    const float uv0[] = {0.25f, 0.75f};
    const float uv1[] = {2.0f, 3.0f};
    const uint8_t bones[] = {1, 2, 3, 4};
    const float weights[] = {1.0f, 0.0f, 0.5f, 0.0f};
    nGPUGeometryStreams streams;
    streams.vertexCount = 1;
    streams.positions = positions;
    streams.normals = normals;
    streams.colours = colours;
    streams.uvs[0] = uv0;
    streams.uvs[1] = uv1;
    streams.boneIndices = bones;
    streams.boneWeights = weights;
    nGPUVertexLayout layout;
    layout.Compute(streams);
    ASSERT_EQ(layout.stride, 44u);
    EXPECT_EQ(layout.offsets[nGPUVertexLayout::Skin], 36);
    EXPECT_EQ(layout.offsets[nGPUVertexLayout::UV1], 28);

    uint8_t vertex[44];
    layout.Pack(streams, 0, vertex);
    EXPECT_EQ(vertex[12], 63);
    EXPECT_EQ(vertex[13], 0x81);
    EXPECT_EQ(vertex[14], 0);
    EXPECT_EQ(vertex[16], 255);
    EXPECT_EQ(vertex[17], 127);
    float uv[2];
    memcpy(uv, vertex + 28, 8);
    EXPECT_EQ(uv[1], 3.0f);
    const uint8_t skin[] = {1, 2, 3, 4, 255, 0, 127, 0};
    EXPECT_EQ(memcmp(vertex + 36, skin, 8), 0);
}

TEST(GPUVertexLayoutTest, ValuesOutsideTheByteRangePackAtItsEnds)
{
    const float positions[] = {0, 0, 0};
    const float normals[] = {3e17f, -2.0f, std::nanf("")};
    const float colours[] = {-1e20f, 1.5f, std::nanf(""), 0.5f};
    nGPUGeometryStreams streams;
    streams.vertexCount = 1;
    streams.positions = positions;
    streams.normals = normals;
    streams.colours = colours;
    nGPUVertexLayout layout;
    layout.Compute(streams);
    uint8_t vertex[20];
    layout.Pack(streams, 0, vertex);
    EXPECT_EQ((std::vector<int>{int8_t(vertex[12]), int8_t(vertex[13]), int8_t(vertex[14])}),
              (std::vector<int>{127, -127, 0}));
    EXPECT_EQ((std::vector<int>{vertex[16], vertex[17], vertex[18], vertex[19]}), (std::vector<int>{0, 255, 0, 127}));
}

TEST(GPUVertexLayoutTest, StridesReadInterleavedRecordsAndZeroRepeatsOneValue)
{
    struct Record
    {
        float position[3];
        float weight;
        float uv[2];
    };
    const Record records[] = {{{1, 2, 3}, 9, {0.5f, 0.25f}}, {{4, 5, 6}, 9, {0.75f, 1.0f}}};
    const float up[] = {0, 1, 0};
    nGPUGeometryStreams streams;
    streams.vertexCount = 2;
    streams.positions = records[0].position;
    streams.positionStride = sizeof(Record);
    streams.uvs[0] = records[0].uv;
    streams.uvStrides[0] = sizeof(Record);
    streams.normals = up;
    streams.normalStride = 0;
    nGPUVertexLayout layout;
    layout.Compute(streams);
    ASSERT_EQ(layout.stride, 24u);
    uint8_t vertex[24];
    layout.Pack(streams, 1, vertex);
    float packed[3];
    memcpy(packed, vertex, sizeof packed);
    EXPECT_EQ(packed[2], 6.0f);
    EXPECT_EQ(vertex[13], 127);
    memcpy(packed, vertex + 16, 8);
    EXPECT_EQ(packed[0], 0.75f);
}
