#include "engine/Quenvar.h"

#include "core/NmlFileFixture.h"
#include "core/NmlLogCapture.h"
#include "geometry/nGeometry.h"
#include "geometry/nGeometryOctreeNode.h"
#include "support/RecordingRenderer.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string GeometryFile(const std::string& extra)
{
    return "<NML=1.0>\n<Geometry=<AVertex=<Count=3><Data=<V=<X=0.0><Y=0.0><Z=0.0>><V=<X=1.0><Y=0.0><Z=0.0>>"
           "<V=<X=0.0><Y=1.0><Z=0.0>>>><APolygon=<Count=1><BindingCount=3><Data=<Polygon=<Count=3><Material="
           "0>"
           "<Index=0><Index=1><Index=2>>>>" +
           extra + ">\n";
}

class QuenvarGeometryLoaderTest : public testing::Test
{
protected:
    QuenvarGeometryLoaderTest() { engine.SetRenderer(&renderer); }
    ~QuenvarGeometryLoaderTest() override
    {
        engine.FreeResourceCaches();
        engine.SetRenderer(nullptr);
    }

    NmlFileFixture files;
    NmlLogCapture log;
    Quenvar engine;
    RecordingRenderer renderer{&engine};
};
} // namespace

TEST_F(QuenvarGeometryLoaderTest, LoadsSetsUpAndCachesByKind)
{
    nSharedPtr<nRenderGeometry> renderData(new nRenderGeometry(&renderer));
    renderer.nextGeometryData = renderData.Get();
    files.Write("tri.nml", GeometryFile(""));
    nGeometry* geometry = engine.LoadGeometry("tri.nml", false, false);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->renderData.Get(), renderData.Get());
    EXPECT_EQ(geometry->name, "tri.nml");
    EXPECT_EQ(renderer.setUpGeometries.size(), 1u);
    EXPECT_EQ(engine.LoadGeometry("tri.nml", false, false), geometry);
    nGeometry* cpu = engine.LoadGeometry("tri.nml", true, false);
    ASSERT_TRUE(cpu);
    EXPECT_NE(cpu, geometry);
    EXPECT_EQ(renderer.setUpGeometries.size(), 1u);
    EXPECT_EQ(engine.GetResourceCache()->GetGeometryList(true).GetCount(), 1u);
    EXPECT_EQ(engine.LoadGeometry("none.nml", false, false), nullptr);
    engine.FreeResourceCaches();
}

TEST_F(QuenvarGeometryLoaderTest, ProxiesNamingAGeometryStillLoadingAreLeftOut)
{
    files.Write("a.nml", GeometryFile("<LodProxy=\"b.nml\"><ShadowProxy=\"a.nml\">"));
    files.Write("b.nml", GeometryFile("<LodProxy=\"a.nml\">"));
    nGeometry* a = engine.LoadGeometry("a.nml", false, false);
    ASSERT_TRUE(a);
    ASSERT_TRUE(a->lodProxy);
    EXPECT_EQ(a->lodProxy->name, "b.nml");
    EXPECT_FALSE(a->lodProxy->lodProxy);
    EXPECT_FALSE(a->shadowProxy);
    EXPECT_NE(log.text.find("[*] Geometry 'a.nml' is still loading"), std::string::npos);
}

// The file system finds "BAD.NML" as "bad.nml", so the guard compares names as it does.
TEST_F(QuenvarGeometryLoaderTest, AProxyNamingItsGeometryInAnotherLetterCaseIsLeftOut)
{
    files.Write("bad.nml", GeometryFile("<ShadowProxy=\"BAD.NML\">"));
    nGeometry* geometry = engine.LoadGeometry("bad.nml", false, false);
    ASSERT_TRUE(geometry);
    EXPECT_FALSE(geometry->shadowProxy);
    EXPECT_NE(log.text.find("[*] Geometry 'BAD.NML' is still loading"), std::string::npos) << log.text;
    const size_t first = log.text.find("[H] Loading geometry '");
    ASSERT_NE(first, std::string::npos) << log.text;
    EXPECT_EQ(log.text.find("[H] Loading geometry '", first + 1), std::string::npos) << log.text;
    EXPECT_NE(log.text.find("[H] Checking geometry 'bad.nml'.\n"), std::string::npos) << log.text;
}

TEST_F(QuenvarGeometryLoaderTest, MaterialReferencesLoadThroughTheMaterialLoader)
{
    files.Write("stone.nml", "<NML=1.0>\n<Material=<Glossiness=0.25>>\n");
    files.Write("tri.nml", GeometryFile("<Materials=<MaterialRef=\"stone.nml\">>"));
    nGeometry* geometry = engine.LoadGeometry("tri.nml", false, false);
    ASSERT_TRUE(geometry);
    ASSERT_TRUE(geometry->GetMaterial(0));
    EXPECT_EQ(geometry->GetMaterial(0), engine.LoadMaterial("stone.nml"));
    EXPECT_EQ(geometry->GetMaterial(0)->glossiness, 0.25f);
}

TEST_F(QuenvarGeometryLoaderTest, OptimizeKeepsTheSourceArraysOnlyWhenAsked)
{
    files.Write("tri.nml", GeometryFile(""));
    engine.SetKeepGeometryData(true);
    nSharedPtr<nGeometry> kept(engine.LoadGeometry("tri.nml", false, true));
    ASSERT_TRUE(kept && kept->Optimize(16384));
    EXPECT_EQ(kept->vertices.GetCount(), 3u);
    engine.SetKeepGeometryData(false);
    nSharedPtr<nGeometry> released(engine.LoadGeometry("tri.nml", false, true));
    ASSERT_TRUE(released && released->Optimize(16384));
    EXPECT_EQ(released->vertices.GetCount(), 0u);
    ASSERT_TRUE(released->octree && released->octree->leaf);
}

TEST_F(QuenvarGeometryLoaderTest, ProxiesKeepTheCpuOnlySettingOfTheirOwner)
{
    files.Write("a.nml", GeometryFile("<LodProxy=\"b.nml\"><ShadowProxy=\"c.nml\">"));
    files.Write("b.nml", GeometryFile(""));
    files.Write("c.nml", GeometryFile(""));
    nGeometry* a = engine.LoadGeometry("a.nml", true, false);
    ASSERT_TRUE(a && a->lodProxy && a->shadowProxy);
    EXPECT_TRUE(a->cpuOnly && a->lodProxy->cpuOnly && a->shadowProxy->cpuOnly);
    EXPECT_TRUE(renderer.setUpGeometries.empty());
    EXPECT_EQ(engine.GetResourceCache()->GetGeometryList(true).GetCount(), 3u);
    EXPECT_EQ(engine.GetResourceCache()->GetGeometryList(false).GetCount(), 0u);
    nGeometry* drawn = engine.LoadGeometry("a.nml", false, false);
    ASSERT_TRUE(drawn && drawn->lodProxy);
    EXPECT_FALSE(drawn->lodProxy->cpuOnly);
    EXPECT_EQ(renderer.setUpGeometries.size(), 3u);
}

TEST_F(QuenvarGeometryLoaderTest, SetupIsTimedUnderItsProfilerScopes)
{
    files.Write("tri.nml", GeometryFile(""));
    engine.SetKeepGeometryData(true);
    nSharedPtr<nGeometry> geometry(engine.LoadGeometry("tri.nml", true, true));
    ASSERT_TRUE(geometry && geometry->Optimize(16384));
    EXPECT_EQ(engine.GetProfileScope("Geometry Setup"), nullptr);
    geometry->Setup();
    geometry->Setup();
    const Quenvar::ProfileScope* setup = engine.GetProfileScope("Geometry Setup");
    ASSERT_TRUE(setup);
    EXPECT_EQ(setup->runs, 2u);
    // The leaf has no render data from the recording renderer, so each set-up asks again, nested.
    const Quenvar::ProfileScope* leaves = engine.GetProfileScope("Octree Leaf Setup");
    ASSERT_TRUE(leaves);
    EXPECT_EQ(leaves->runs, 2u);
    engine.EndProfileScope(); // none open: nothing to close
    EXPECT_EQ(setup->runs, 2u);
}
