#include "support/RecordingRenderer.h"

#include "core/math/nTransform.h"

#include <gtest/gtest.h>

namespace
{
void ExpectVector(const nVector& actual, const nVector& expected)
{
    EXPECT_FLOAT_EQ(actual.x, expected.x);
    EXPECT_FLOAT_EQ(actual.y, expected.y);
    EXPECT_FLOAT_EQ(actual.z, expected.z);
    EXPECT_FLOAT_EQ(actual.w, expected.w);
}
} // namespace

TEST(ImmediateShapes, LineWithoutColourIsWhiteAtBothEnds)
{
    RecordingRenderer renderer(nullptr);
    renderer.DrawLine(nVector(1, 2, 3), nVector(4, 5, 6), nullptr);
    ASSERT_EQ(renderer.lineBatches.size(), 1u);
    const RecordingRenderer::Batch& line = renderer.lineBatches[0];
    EXPECT_EQ(line.count, 1u);
    EXPECT_EQ(line.blendMode, nRenderer::BlendOpaque);
    EXPECT_EQ(line.renderFlags, 6u);
    ExpectVector(line.vertices[0], nVector(1, 2, 3));
    ExpectVector(line.vertices[1], nVector(4, 5, 6));
    ASSERT_EQ(line.colours.size(), 2u);
    ExpectVector(line.colours[0], nVector(1, 1, 1, 1));
    ExpectVector(line.colours[1], nVector(1, 1, 1, 1));
}

TEST(ImmediateShapes, CrossDrawsThreeAxisLinesOnlyWhileOpen)
{
    RecordingRenderer renderer(nullptr);
    const nVector red(1, 0, 0, 1);
    renderer.DrawCross(nVector(1, 1, 1), 0.5f, &red);
    EXPECT_TRUE(renderer.lineBatches.empty());

    renderer.Open(800, 600, 32, true, nullptr);
    renderer.DrawCross(nVector(1, 1, 1), 0.5f, &red);
    ASSERT_EQ(renderer.lineBatches.size(), 3u);
    const nVector ends[3][2] = {
        {{0.5f, 1, 1}, {1.5f, 1, 1}}, {{1, 0.5f, 1}, {1, 1.5f, 1}}, {{1, 1, 0.5f}, {1, 1, 1.5f}}};
    for (int axis = 0; axis < 3; ++axis)
    {
        const RecordingRenderer::Batch& line = renderer.lineBatches[axis];
        EXPECT_EQ(line.count, 1u);
        EXPECT_EQ(line.renderFlags, 6u);
        ExpectVector(line.vertices[0], ends[axis][0]);
        ExpectVector(line.vertices[1], ends[axis][1]);
        ExpectVector(line.colours[0], red);
    }

    renderer.Close();
    renderer.DrawCross(nVector(1, 1, 1), 0.5f, &red);
    EXPECT_EQ(renderer.lineBatches.size(), 3u);
}

TEST(ImmediateShapes, BoxDrawsItsTwelveEdgesWithAnIdentityModelMatrix)
{
    RecordingRenderer renderer(nullptr);
    const nTransform box(nVector(10, 20, 30), nVector(2, 4, 6));
    renderer.DrawBox(box, nullptr, nRenderer::BlendAlpha);

    ASSERT_EQ(renderer.calls.front(), "SetModelMatrix");
    ASSERT_TRUE(renderer.modelMatrix.has_value());
    EXPECT_FALSE(renderer.modelMatrix->DiffersFrom(nMatrix4()));
    ASSERT_EQ(renderer.lineBatches.size(), 12u);
    for (const RecordingRenderer::Batch& edge : renderer.lineBatches)
    {
        EXPECT_EQ(edge.blendMode, nRenderer::BlendAlpha);
        EXPECT_EQ(edge.renderFlags, 6u);
        const nVector& a = edge.vertices[0];
        const nVector& b = edge.vertices[1];
        // Each edge runs along one axis of the box, between two of its faces.
        const int differing = (a.x != b.x) + (a.y != b.y) + (a.z != b.z);
        EXPECT_EQ(differing, 1);
        for (const nVector& corner : {a, b})
        {
            EXPECT_FLOAT_EQ(std::abs(corner.x - 10.0f), 1.0f);
            EXPECT_FLOAT_EQ(std::abs(corner.y - 20.0f), 2.0f);
            EXPECT_FLOAT_EQ(std::abs(corner.z - 30.0f), 3.0f);
        }
    }
}

TEST(ImmediateShapes, TriangleIsOneBatchOfTheCallersArrays)
{
    RecordingRenderer renderer(nullptr);
    const nVector vertices[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    renderer.DrawTriangle(vertices, nullptr, nullptr, nullptr, nRenderer::BlendAdditive, 16);
    ASSERT_EQ(renderer.triangleBatches.size(), 1u);
    EXPECT_EQ(renderer.triangleBatches[0].count, 1u);
    EXPECT_EQ(renderer.triangleBatches[0].blendMode, nRenderer::BlendAdditive);
    EXPECT_EQ(renderer.triangleBatches[0].renderFlags, 16u);
    ExpectVector(renderer.triangleBatches[0].vertices[2], vertices[2]);
}
