#include "render/gl/nGPUGeometryStreams.h"
#include "render/gl/nGPUVertexLayout.h"

#include <gtest/gtest.h>

#include <cstring>

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
