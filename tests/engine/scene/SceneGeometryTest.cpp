#include "engine/items/nMObject.h"
#include "engine/scene/SceneFileFixture.h"
#include "geometry/GeometryTestSupport.h"

#include <gtest/gtest.h>

namespace
{
// Geometries above this many polygons are worth splitting.
constexpr uint32_t Threshold = 8192;

class SceneGeometry : public SceneFileFixture
{
protected:
    nGeometry* Grid(const char* name, uint32_t quads)
    {
        auto* geometry = new nGeometry(&engine);
        geometry->name = name;
        BuildQuadGrid(*geometry, quads, 100);
        return geometry;
    }
};
} // namespace

TEST_F(SceneGeometry, OnlyLargeUnskinnedGeometriesOfOneObjectGetAnOctree)
{
    nGeometry* own = Grid("own", Threshold + 1);
    nGeometry* shared = Grid("shared", Threshold + 1);
    nGeometry* small = Grid("small", Threshold);
    nGeometry* proxy = Grid("proxy", Threshold + 1);
    nGeometry* skinned = Grid("skinned", Threshold + 1);
    skinned->weights.Resize(1);
    small->lodProxy = proxy;
    small->shadowProxy = small;
    scene->NewObject("Own", own);
    scene->NewObject("SharedA", shared);
    scene->NewObject("SharedB", shared);
    scene->NewObject("Small", small);
    scene->NewObject("Skinned", skinned);
    scene->NewObject("Empty");

    scene->Setup(true, 100);
    EXPECT_TRUE(own->octree);
    EXPECT_EQ(CountLines("   Generating octree for geometry 'own'."), 1u) << log;
    EXPECT_FALSE(shared->octree);
    EXPECT_EQ(
        CountLines("[*] Geometry 'shared' should be optimized but will not be as it is used by more than "
                   "one item."),
        1u);
    EXPECT_FALSE(small->octree);
    EXPECT_FALSE(proxy->octree);
    EXPECT_FALSE(skinned->octree);
    EXPECT_EQ(small->shadowProxy.Get(), nullptr);
    EXPECT_EQ(small->lodProxy.Get(), proxy);
    EXPECT_EQ(log.find("Generating octree for geometry 'proxy'"), std::string::npos);
}
