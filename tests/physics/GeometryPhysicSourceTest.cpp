#include "physics/nGeometryPhysicSource.h"

#include "core/NmlLogCapture.h"
#include "geometry/nGeometry.h"
#include "physics/nPhysicMeshData.h"
#include "support/StubEngineServices.h"

#include <gtest/gtest.h>

TEST(GeometryPhysicSourceTest, FillsPositionsAndPolygonRunsLeavingOutBrokenPolygons)
{
    NmlLogCapture log;
    StubEngineServices engine;
    nGeometry geometry(&engine);
    geometry.vertices.Resize(4);
    for (uint32_t v = 0; v < 4; ++v)
        *geometry.vertices.At(v) = nVector(float(v), float(v) * 2.0f, 1.0f);
    geometry.SetPolygonCount(3);
    geometry.polygons.At(0)->bindingCount = 4;
    geometry.polygons.At(1)->bindingCount = 3;
    geometry.polygons.At(2)->bindingCount = 3;
    geometry.AllocateBindings();
    const uint32_t runs[10] = {0, 1, 2, 3, 0, 9, 1, 3, 2, 1};
    for (uint32_t i = 0; i < 10; ++i)
        *geometry.bindings.At(i) = runs[i];
    nPhysicMeshData data;
    nGeometryPhysicSource::Fill(geometry, data);
    EXPECT_EQ(data.GetVertexCount(), 4u);
    EXPECT_EQ(*data.positions.At(7), 4.0f);
    ASSERT_EQ(data.GetPolygonCount(), 2u);
    EXPECT_EQ(*data.polygonSizes.At(0), 4u);
    ASSERT_EQ(data.polygonIndices.GetCount(), 7u);
    EXPECT_EQ(*data.polygonIndices.At(4), 3u);
    nGeometryPhysicSource source(engine);
    EXPECT_FALSE(source.ReadGeometry(nString("none.nml"), data)); // the stub loads nothing
}
