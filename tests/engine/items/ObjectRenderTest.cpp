#include "core/math/nMinMax.h"
#include "engine/items/nCamera.h"
#include "engine/items/nObject.h"
#include "geometry/nGeometry.h"
#include "geometry/nGeometryOctreeNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
nGeometry* MakeGeometry(const nMinMax& box)
{
    auto* geometry = new nGeometry(nullptr);
    geometry->box = box;
    return geometry;
}

nMinMax UnitBox()
{
    return nMinMax(nVector(-0.5f, -0.5f, -0.5f), nVector(0.5f, 0.5f, 0.5f));
}

// An object seen by the default camera (at the origin, looking along +z) from a view item at the
// origin; near links to far at distance 10, and each level has a shadow proxy left unset.
class ObjectRender : public ::testing::Test
{
protected:
    void SetUp() override
    {
        camera.SetAspectRatio(1.0f);
        camera.ComputeViewFrustum();
        near = MakeGeometry(UnitBox());
        far = MakeGeometry(UnitBox());
        proxy = MakeGeometry(UnitBox());
        near->lodDistance = 10.0f;
        near->lodProxy = far.Get();
        object.SetGeometry(near.Get());
    }

    // The geometries queued by one render call at distance z along the view.
    std::vector<nGeometry*> Draw(float z, int32_t pass = 0, bool cull = true)
    {
        object.SetPosition(nVector(0.0f, 0.0f, z));
        nAutoList<nRenderablePrimitive*> list;
        object.Render(&camera, &viewItem, &list, pass, cull);
        std::vector<nGeometry*> drawn;
        for (auto* node = list.GetHead(); node; node = node->next)
        {
            EXPECT_EQ(node->value->kind, uint32_t(nRenderablePrimitive::KindObject));
            EXPECT_EQ(node->value->item, static_cast<nItem*>(&object));
            drawn.push_back(static_cast<nGeometry*>(node->value->payload));
        }
        return drawn;
    }

    nCamera camera{nullptr};
    nItem viewItem{nullptr};
    nSharedPtr<nGeometry> near, far, proxy;
    nObject object{nullptr};
};

TEST_F(ObjectRender, LevelOfDetailAndShadowProxiesPickWhatIsQueued)
{
    using Set = std::vector<nGeometry*>;
    struct Case
    {
        const char* name;
        float distance;
        int32_t pass;
        uint32_t nearFlags, farFlags, proxyFlags;
        bool farHasProxy;
        Set expected;
    };
    const Case cases[] = {
        {"below the distance", 9.9f, 0, 0, 0, 0, false, {near.Get()}},
        {"at the distance", 10.0f, 0, 0, 0, 0, false, {far.Get()}},
        {"LodNull at the distance", 10.0f, 0, nGeometry::FlagLodNull, 0, 0, false, {}},
        {"LodNull below it", 9.9f, 0, nGeometry::FlagLodNull, 0, 0, false, {near.Get()}},
        {"last level far away", 5000.0f, 0, 0, 0, 0, false, {far.Get()}},
        {"hidden level", 20.0f, 0, 0, nGeometry::FlagHidden, 0, false, {}},
        {"shadow pass", 20.0f, 1, 0, 0, 0, false, {far.Get()}},
        {"ShadowNull in the shadow pass", 20.0f, 1, 0, nGeometry::FlagShadowNull, 0, false, {}},
        {"ShadowNull in the view pass", 20.0f, 0, 0, nGeometry::FlagShadowNull, 0, false, {far.Get()}},
        {"shadow proxy", 20.0f, 1, 0, 0, 0, true, {proxy.Get()}},
        {"hidden shadow proxy", 20.0f, 1, 0, 0, nGeometry::FlagHidden, true, {}},
        {"proxy unused in the view pass", 20.0f, 0, 0, 0, 0, true, {far.Get()}},
    };
    for (const Case& test : cases)
    {
        near->flags = test.nearFlags;
        far->flags = test.farFlags;
        proxy->flags = test.proxyFlags;
        far->shadowProxy = test.farHasProxy ? proxy.Get() : nullptr;
        EXPECT_EQ(Draw(test.distance, test.pass), test.expected) << test.name;
    }
}

TEST_F(ObjectRender, ALoopingChainEndsAfterSixteenLevels)
{
    far->lodDistance = 1.0f;
    far->lodProxy = near.Get(); // near -> far -> near ...
    const std::vector<nGeometry*> drawn = Draw(1000.0f);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0], far.Get()); // the sixteenth level
    far->lodProxy = nullptr;        // break the reference cycle
}

TEST_F(ObjectRender, CullingTestsTheBoxOnlyWhenAskedAndNothingWithoutAGeometry)
{
    EXPECT_TRUE(Draw(-20.0f, 0, true).empty()); // behind the camera
    EXPECT_EQ(Draw(-20.0f, 0, false), std::vector<nGeometry*>{far.Get()});
    object.SetGeometry(nullptr);
    EXPECT_TRUE(Draw(5.0f, 0, false).empty());
    nMinMax box;
    object.GetWorldMinMax(box);
    EXPECT_FALSE(box.min.DiffersFrom(nVector(0, 0, 5)));
    EXPECT_FALSE(box.max.DiffersFrom(nVector(0, 0, 5)));
}

TEST_F(ObjectRender, AnOctreeQueuesOnlyTheLeavesInView)
{
    // Two leaves along x: one in front of the camera, one far to its side.
    nSharedPtr<nGeometry> inView = MakeGeometry(UnitBox());
    nSharedPtr<nGeometry> aside = MakeGeometry(UnitBox());
    auto* root = new nGeometryOctreeNode(nullptr, nullptr);
    root->box = nMinMax(nVector(-0.5f, -0.5f, -0.5f), nVector(100.5f, 0.5f, 0.5f));
    root->low = new nGeometryOctreeNode(nullptr, root);
    root->low->box = UnitBox();
    root->low->leaf = inView.Get();
    root->high = new nGeometryOctreeNode(nullptr, root);
    root->high->box = nMinMax(nVector(99.5f, -0.5f, -0.5f), nVector(100.5f, 0.5f, 0.5f));
    root->high->leaf = aside.Get();
    near->octree = root;
    near->box = root->box;
    for (bool cull : {true, false})
        EXPECT_EQ(Draw(5.0f, 0, cull), std::vector<nGeometry*>{inView.Get()}) << cull;
    EXPECT_EQ(root->flags, uint32_t(nFrustum::Crossing));
    EXPECT_EQ(root->high->flags, uint32_t(nFrustum::Outside));
    // Wholly inside: the children take it untested.
    object.SetScale(nVector(0.001f, 0.001f, 0.001f));
    EXPECT_EQ(Draw(5.0f).size(), 2u);
    EXPECT_EQ(root->high->flags, uint32_t(nFrustum::Inside));
}
} // namespace
