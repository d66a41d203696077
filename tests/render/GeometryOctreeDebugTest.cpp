#include "render/nGeometryOctreeDebug.h"

#include "core/NmlLogCapture.h"
#include "geometry/nGeometry.h"
#include "geometry/nGeometryOctreeNode.h"
#include "support/RecordingRenderer.h"
#include "support/StubEngineServices.h"

#include <gtest/gtest.h>

TEST(GeometryOctreeDebugTest, DrawsTwelveEdgesPerLeafInTheDepthColour)
{
    NmlLogCapture log;
    StubEngineServices engine;
    RecordingRenderer renderer(&engine);
    engine.renderer = &renderer;
    nGeometry geometry(&engine);
    geometry.vertices.Resize(3);
    *geometry.vertices.At(1) = nVector(2.0f, 0.0f, 0.0f);
    *geometry.vertices.At(2) = nVector(0.0f, 4.0f, 0.0f);
    geometry.SetPolygonCount(1);
    geometry.polygons.At(0)->bindingCount = 3;
    geometry.AllocateBindings();
    for (uint32_t c = 0; c < 3; ++c)
        geometry.GetPolygonBindings(0)[c] = c;
    geometry.AllocateMaterials(1, true);
    ASSERT_TRUE(geometry.Optimize(16384));

    const nMatrix4 moved = nMatrix4::FromTranslation(10.0f, 0.0f, 0.0f);
    DrawGeometryOctree(renderer, *geometry.octree, &moved);
    ASSERT_EQ(renderer.lineBatches.size(), 12u);
    const RecordingRenderer::Batch& edge = renderer.lineBatches[0];
    ASSERT_FALSE(edge.colours.empty());
    EXPECT_FLOAT_EQ(edge.colours[0].x, float(0xB4) / 255.0f);
    EXPECT_FLOAT_EQ(edge.colours[0].w, 1.0f);
    float lowestX = 1e9f;
    for (const RecordingRenderer::Batch& batch : renderer.lineBatches)
        for (const nVector& point : batch.vertices)
            lowestX = std::min(lowestX, point.x);
    EXPECT_NEAR(lowestX, 10.0f, 1e-4f);
}
