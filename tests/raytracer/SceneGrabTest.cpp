#include "RaytracerFixture.h"

#include "core/NmlFileFixture.h"
#include "engine/Quenvar.h"
#include "engine/scene/nInstance.h"
#include "geometry/nGeometryTree.h"
#include "raytracer/nSkinnedGeometry.h"

namespace
{

class SceneGrabTest : public RaytracerFixture
{
protected:
    uint32_t Grabbed(uint32_t pass)
    {
        nSceneBIH hierarchy;
        EXPECT_TRUE(hierarchy.GrabScene(scene, pass));
        return hierarchy.GetObjectCount();
    }
};

TEST_F(SceneGrabTest, ObjectsThatAreNotShownAreNotTraced)
{
    struct Case
    {
        const char* name;
        void (*hide)(nMObject&);
    };
    const Case cases[] = {
        {"disabled", [](nMObject& o) { o.SetEnabledField(false); }},
        {"faded out", [](nMObject& o) { o.GetObject().SetAlpha(0.0f); }},
        {"state flag 64", [](nMObject& o) { o.SetFlag(64, true); }},
        {"state flag 128", [](nMObject& o) { o.SetFlag(128, true); }},
        {"invisible", [](nMObject& o) { o.GetObject().SetFlag(ItemFlagInvisible, true); }},
        {"without polygons", [](nMObject& o) { o.GetObject().GetGeometry()->SetPolygonCount(0); }},
        {"without material slots",
         [](nMObject& o) { o.GetObject().GetGeometry()->AllocateMaterials(0, false); }},
    };
    for (const Case& c : cases)
    {
        TearDown();
        SetUp();
        AddWall(10.0f, 1.0f, nColor(1, 1, 1, 1), "Shown");
        c.hide(*AddWall(12.0f, 1.0f, nColor(1, 1, 1, 1), "Hidden"));
        EXPECT_EQ(Grabbed(nSceneBIH::PassPrimary), 1u) << c.name;
    }
    // Objects without a geometry are no candidates; a scene of hidden objects grabs nothing, which
    // is no failure.
    TearDown();
    SetUp();
    scene->NewObject("Empty");
    EXPECT_EQ(Grabbed(nSceneBIH::PassPrimary), 0u);
    AddWall(10.0f)->SetEnabledField(false);
    EXPECT_EQ(Grabbed(nSceneBIH::PassPrimary), 0u);
    nRaytracer raytracer(nullptr);
    EXPECT_TRUE(raytracer.SetScene(scene));
}

TEST_F(SceneGrabTest, TheShadowPassTracesShadowProxiesAndLeavesOutNoShadowGeometries)
{
    nMObject* proxied = AddWall(10.0f, 1.0f, nColor(1, 1, 1, 1), "Proxied");
    nGeometry* proxy = MakePolygon({nVector(-2, -2, 11), nVector(-2, 2, 11), nVector(2, 2, 11)});
    proxied->GetObject().GetGeometry()->shadowProxy = proxy;
    AddWall(12.0f, 1.0f, nColor(1, 1, 1, 1), "NoShadow")->GetObject().GetGeometry()->flags |=
        nGeometry::FlagShadowNull;

    nSceneBIH primary;
    ASSERT_TRUE(primary.GrabScene(scene, nSceneBIH::PassPrimary));
    EXPECT_EQ(primary.GetObjectCount(), 2u);
    EXPECT_EQ(primary.GetObject(0).traced.Get(), proxied->GetObject().GetGeometry());
    nSceneBIH shadow;
    ASSERT_TRUE(shadow.GrabScene(scene, nSceneBIH::PassShadow));
    ASSERT_EQ(shadow.GetObjectCount(), 1u);
    EXPECT_EQ(shadow.GetObject(0).traced.Get(), proxy);
    EXPECT_EQ(shadow.GetObject(0).geometry.Get(), proxied->GetObject().GetGeometry());
    // Every tree is built by the grab itself, the proxy's too.
    EXPECT_NE(proxy->tree, nullptr);
    EXPECT_NE(proxied->GetObject().GetGeometry()->tree, nullptr);
}

TEST_F(SceneGrabTest, TheGrabComputesTheVertexNormalsAndKeepsThePlacementOfTheGrab)
{
    nMObject* wall = AddWall(10.0f);
    nGeometry& geometry = *wall->GetObject().GetGeometry();
    ASSERT_EQ(geometry.vertexNormals.GetCount(), 0u);
    wall->GetObject().SetPosition(nVector(1.0f, 2.0f, 3.0f));
    wall->GetObject().SetAlpha(0.5f);
    nSceneBIH hierarchy;
    ASSERT_TRUE(hierarchy.GrabScene(scene, nSceneBIH::PassPrimary));
    // Smoothing is on by default, so the surface normal is the interpolated vertex normal.
    EXPECT_EQ(geometry.vertexNormals.GetCount(), geometry.GetBindingTotal());
    const nRaytracerObject& record = hierarchy.GetObject(0);
    EXPECT_FLOAT_EQ(record.world.GetTranslation().z, 3.0f);
    EXPECT_FLOAT_EQ(record.fade, 0.5f);
    // Moving the object after the grab changes nothing the frames see.
    wall->GetObject().SetPosition(nVector(0.0f, 0.0f, 0.0f));
    nRaytracerHit hit;
    uint64_t rays = 0;
    hierarchy.TraceRay(hit, nVector(1, 2, -5), nVector(0, 0, 1), -1.0f, true, rays);
    ASSERT_TRUE(hit.hit);
    EXPECT_FLOAT_EQ(hit.distance, 18.0f);
    EXPECT_EQ(rays, 1u);
}

TEST_F(SceneGrabTest, ASkinnedGeometryIsTracedAsACopyInItsPose)
{
    nGeometry* geometry = MakePolygon({nVector(0, 0, 0), nVector(1, 0, 0), nVector(0, 1, 0)});
    geometry->AllocateSkin(2);
    geometry->weights.Resize(3);
    geometry->weights.At(0)->weights[0] = 1.0f;
    *geometry->weights.At(1) = nSkinWeight{{1.0f, 0.0f, 0.0f, 0.0f}, {1, 0, 0, 0}};
    *geometry->weights.At(2) = nSkinWeight{{0.5f, 0.5f, 0.0f, 0.0f}, {0, 1, 0, 0}};
    geometry->GetMaterial(0)->renderFlags |= 16384;
    nMObject* object = scene->NewObject("Skinned", geometry);
    const nMatrix4 skin[2] = {nMatrix4(), nMatrix4::FromTranslation(0.0f, 0.0f, 2.0f)};

    nSceneBIH hierarchy;
    ASSERT_TRUE(hierarchy.Reserve(2));
    ASSERT_TRUE(hierarchy.AddObject(object, geometry, geometry, nMatrix4(), nMatrix3(), 1.0f, {skin, 2}));
    const nGeometry& copy = *hierarchy.GetObject(0).traced;
    EXPECT_NE(&copy, geometry);
    EXPECT_EQ(hierarchy.GetTemporaryGeometryCount(), 1u);
    ExpectVector(*copy.vertices.At(0), 0.0f, 0.0f, 0.0f);
    ExpectVector(*copy.vertices.At(1), 1.0f, 0.0f, 2.0f);
    ExpectVector(*copy.vertices.At(2), 0.0f, 1.0f, 1.0f);
    ExpectVector(*geometry->vertices.At(1), 1.0f, 0.0f, 0.0f);
    EXPECT_EQ(copy.GetMaterial(0), geometry->GetMaterial(0));
    EXPECT_NE(copy.tree, nullptr);

    // Without the skinned render flag the geometry is traced as it is stored.
    geometry->GetMaterial(0)->renderFlags &= ~16384u;
    ASSERT_TRUE(hierarchy.AddObject(object, geometry, geometry, nMatrix4(), nMatrix3(), 1.0f, {skin, 2}));
    EXPECT_EQ(hierarchy.GetObject(1).traced.Get(), geometry);

    // Bones beyond the matrices are left out: the others place the vertex.
    nGeometry* partial = CreateSkinnedGeometry(*geometry, skin, 1);
    ASSERT_NE(partial, nullptr);
    ExpectVector(*partial->vertices.At(1), 1.0f, 0.0f, 0.0f);
    ExpectVector(*partial->vertices.At(2), 0.0f, 1.0f, 0.0f);
    delete partial;
}

TEST_F(SceneGrabTest, InstancesSetUpInTheSceneAreTracedOnceAndOthersAreLoadedForTheGrab)
{
    NmlFileFixture files;
    files.Write("wall.nmg",
                "<NML=1.0>\n<Geometry=<AVertex=<Count=3><Data=<V=<X=0.0><Y=0.0><Z=0.0>>"
                "<V=<X=0.0><Y=1.0><Z=0.0>><V=<X=1.0><Y=0.0><Z=0.0>>>><APolygon=<Count=1>"
                "<BindingCount=3><Data=<Polygon=<Count=3><Material=0><Index=0><Index=1><Index=2>>>>>\n");
    files.Write("t.nms", "<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"Box\"><UId=0><Active>>"
                         "<Object=<Item><Geometry=\"wall.nmg\">>>>>\n");
    Quenvar engine;
    engine.SetSetupOnLoad(false);
    nScene* withEngine = new nScene(&engine, nullptr);
    withEngine->AddRef();
    nInstance* placed = withEngine->NewInstance("Placed", "t.nms");
    placed->SetupInstance(0);
    ASSERT_NE(placed->GetGroup(), nullptr) << log.text;
    ASSERT_EQ(withEngine->GetObjects().GetCount(), 1u);
    nInstance* pending = withEngine->NewInstance("Pending", "t.nms");
    pending->GetItem()->SetPosition(nVector(0.0f, 0.0f, 5.0f));

    nSceneBIH hierarchy;
    ASSERT_TRUE(hierarchy.GrabScene(withEngine, nSceneBIH::PassPrimary)) << log.text;
    ASSERT_EQ(hierarchy.GetObjectCount(), 2u);
    EXPECT_FLOAT_EQ(hierarchy.GetObject(0).world.GetTranslation().z, 0.0f);
    EXPECT_FLOAT_EQ(hierarchy.GetObject(1).world.GetTranslation().z, 5.0f);
    EXPECT_EQ(pending->GetGroup(), nullptr);
    EXPECT_EQ(withEngine->GetObjects().GetCount(), 1u);
    hierarchy.Clear();
    withEngine->Release();
}

} // namespace
