#include "engine/Quenvar.h"
#include "engine/items/BlockFixture.h"
#include "engine/items/nCamera.h"
#include "engine/items/nEmitter.h"
#include "engine/items/nLight.h"
#include "engine/items/nObject.h"
#include "engine/items/nTerrain.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

namespace
{
template <typename Part> std::unique_ptr<nMetaTag> WriteAndReadBack(const Part& written, Part& read)
{
    nMetaFile file;
    std::unique_ptr<nMetaTag> tag(written.SerializeTag(file));
    EXPECT_TRUE(tag);
    if (tag)
    {
        EXPECT_TRUE(read.ParseTag(file, *tag));
    }
    return tag;
}
} // namespace

TEST(ItemBlock, ReadsBackWhatItWrote)
{
    nItem written(nullptr), read(nullptr);
    written.SetPosition(nVector(1, 2, 3));
    written.SetRotation(nVector(0.1f, 0.2f, 0.3f));
    written.SetScale(nVector(2, 3, 4));
    written.SetPivot(nMatrix4::FromTranslation(0, 1, 0));
    written.SetRotationOrder(RotationOrderXY);
    written.SetFlag(ItemFlagInvisible | ItemFlagLinkOnlyPosition, true);
    written.GetRegistry().AddRootFloat("Exposure", 2.5f);
    WriteAndReadBack(written, read);
    EXPECT_FALSE(read.GetPosition().DiffersFrom(written.GetPosition()));
    EXPECT_FALSE(read.GetRotation().DiffersFrom(written.GetRotation()));
    EXPECT_FALSE(read.GetScale().DiffersFrom(written.GetScale()));
    EXPECT_FALSE(read.GetPivot().DiffersFrom(written.GetPivot()));
    EXPECT_EQ(read.GetRotationOrder(), static_cast<uint32_t>(RotationOrderXY));
    EXPECT_EQ(read.GetFlags() & 7u, static_cast<uint32_t>(ItemFlagInvisible | ItemFlagLinkOnlyPosition));
    EXPECT_FLOAT_EQ(read.GetRegistry().GetFloat("Exposure", 0), 2.5f);
}

TEST(ItemBlock, DefaultItemWritesOnlyTargetOrderAndRegistry)
{
    nItem item(nullptr);
    nMetaFile file;
    std::unique_ptr<nMetaTag> tag(item.SerializeTag(file));
    EXPECT_EQ(ChildNames(*tag), (std::vector<std::string>{"Target", "RotationOrder", "Registry"}));
}

TEST(ItemBlock, RotationOrderNamesAreExact)
{
    CapturedLog log;
    nMetaFile file;
    nItem item(nullptr);
    ASSERT_TRUE(item.ParseTag(file, *ParseBlock(file, "<Item=<RotationOrder=\"XY\">>")));
    EXPECT_EQ(item.GetRotationOrder(), 6u);
    ASSERT_TRUE(item.ParseTag(file, *ParseBlock(file, "<Item=<RotationOrder=\"xy\">>")));
    EXPECT_EQ(item.GetRotationOrder(), 4u);
    EXPECT_NE(log.text.find("[*] Unknown rotation order 'xy'.\n"), std::string::npos);
}

TEST(ItemBlock, OffsetPositionSetsThePivotTranslation)
{
    nMetaFile file;
    nItem item(nullptr);
    ASSERT_TRUE(item.ParseTag(file, *ParseBlock(file, "<Item=<OffsetPosition=<X=1.0><Y=2.0><Z=3.0>>>")));
    EXPECT_FLOAT_EQ(item.GetPivot().m[3], 1.0f);
    EXPECT_FLOAT_EQ(item.GetPivot().m[11], 3.0f);
}

TEST(ItemBlock, BadValuesAreLoggedAndLeaveDefaults)
{
    CapturedLog log;
    nMetaFile file;
    nItem item(nullptr);
    ASSERT_TRUE(item.ParseTag(file, *ParseBlock(file, "<Item=<Position=1><Scale=<X=1.0>><RotationOrder=4><Odd=1>>")));
    EXPECT_FALSE(item.GetPosition().DiffersFrom(nVector(0, 0, 0)));
    EXPECT_FALSE(item.GetScale().DiffersFrom(nVector(1, 1, 1)));
    EXPECT_NE(log.text.find("[*] Tag 'Position' in <Item>"), std::string::npos);
    EXPECT_NE(log.text.find("[*] Unknown tag 'Odd' in <Item>.\n"), std::string::npos);
    EXPECT_FALSE(item.ParseTag(file, *ParseBlock(file, "<Items=1>")));
    EXPECT_NE(log.text.find("[!] Could not parse item. Root tag id is incorrect (Items).\n"), std::string::npos);
}

TEST(CameraBlock, ReadsBackWhatItWrote)
{
    nCamera written(nullptr), read(nullptr);
    written.SetZNear(0.5f);
    written.SetZFar(100000.0f);
    written.SetZoom(2.0f);
    written.SetViewport(0.25f, 0.5f, 0.5f, 0.25f);
    written.SetOrthographic(true);
    written.SetOrthographicSize(4, 3);
    written.SetAspectRatioFromYAxis(false);
    written.SetPosition(nVector(1, 1, 1));
    WriteAndReadBack(written, read);
    EXPECT_FLOAT_EQ(read.GetZNear(), 0.5f);
    EXPECT_FLOAT_EQ(read.GetZFar(), 100000.0f);
    EXPECT_FLOAT_EQ(read.GetZoom(), 2.0f);
    float x, y, w, h;
    read.GetViewport(x, y, w, h);
    EXPECT_FLOAT_EQ(x + y + w + h, 1.5f);
    EXPECT_TRUE(read.IsOrthographic());
    EXPECT_FLOAT_EQ(read.GetOrthographicHeight(), 3.0f);
    EXPECT_FALSE(read.IsAspectRatioFromYAxis());
    EXPECT_FLOAT_EQ(read.GetPosition().y, 1.0f);
}

TEST(CameraBlock, ZNearBelowFloorAndDefaultOmission)
{
    nMetaFile file;
    nCamera camera(nullptr);
    ASSERT_TRUE(camera.ParseTag(file, *ParseBlock(file, "<Camera=<ZNear=0.1>>")));
    EXPECT_FLOAT_EQ(camera.GetZNear(), 0.2f);
    nCamera fresh(nullptr);
    std::unique_ptr<nMetaTag> tag(fresh.SerializeTag(file));
    EXPECT_EQ(ChildNames(*tag), (std::vector<std::string>{"Item", "AspectRatioRefYAxis"}));
}

TEST(CameraBlock, DepthOfFieldGoesToTheRegistry)
{
    nMetaFile file;
    nCamera camera(nullptr);
    ASSERT_TRUE(camera.ParseTag(file, *ParseBlock(file, "<Camera=<FStop=2.8><FocalDistance=12.0>>")));
    EXPECT_FLOAT_EQ(camera.GetRegistry().GetFloat("PostProcess:Dof:FStop", 0), 2.8f);
    EXPECT_FLOAT_EQ(camera.GetRegistry().GetFloat("PostProcess:Dof:FDist", 0), 12.0f);
    ASSERT_TRUE(camera.ParseTag(file, *ParseBlock(file, "<Camera=<ZFar=10.0>>")));
    EXPECT_FLOAT_EQ(camera.GetRegistry().GetFloat("PostProcess:Dof:FStop", 0), 0.0f);
}

TEST(LightBlock, ReadsBackWhatItWrote)
{
    nLight written(nullptr), read(nullptr);
    written.SetType(LightTypeSpot);
    written.SetShadowMode(LightShadowMap);
    written.SetFalloff(LightFalloffInvDist2);
    written.SetRange(12.0f);
    written.SetVolumetric(true);
    written.SetShadowCastAll(true);
    written.SetDiffuse(nColor(0.5f, 0.25f, 1, 1));
    written.SetSpecularIntensity(0.75f);
    written.SetConeAngle(0.3f);
    written.SetZNear(0.5f);
    WriteAndReadBack(written, read);
    EXPECT_EQ(read.GetType(), LightTypeSpot);
    EXPECT_EQ(read.GetShadowMode(), LightShadowMap);
    EXPECT_EQ(read.GetFalloff(), LightFalloffInvDist2);
    EXPECT_FLOAT_EQ(read.GetRange(), 12.0f);
    EXPECT_TRUE(read.IsVolumetric());
    EXPECT_TRUE(read.GetShadowCastAll());
    EXPECT_FLOAT_EQ(read.GetDiffuse().g, 0.25f);
    EXPECT_FLOAT_EQ(read.GetSpecularIntensity(), 0.75f);
    EXPECT_FLOAT_EQ(read.GetConeAngle(), 0.3f);
    EXPECT_FLOAT_EQ(read.GetZNear(), 0.5f);
}

TEST(LightBlock, DefaultLightWritesOnlyTheAlwaysWrittenTags)
{
    nLight light(nullptr);
    nMetaFile file;
    std::unique_ptr<nMetaTag> tag(light.SerializeTag(file));
    EXPECT_EQ(ChildNames(*tag), (std::vector<std::string>{"Item", "ShadowBias", "ShadowDistribution",
                                                          "VolumetricSampleStep", "VolumetricThick",
                                                          "VolumetricRange"}));
}

TEST(LightBlock, ReaderResetsAndChecksValues)
{
    CapturedLog log;
    nMetaFile file;
    nLight light(nullptr);
    light.SetRange(9.0f);
    ASSERT_TRUE(light.ParseTag(file, *ParseBlock(file, "<Light=<VolumeRange=0.0><Type=\"Laser\"><ZNear=0.05>>")));
    EXPECT_FLOAT_EQ(light.GetVolumeRange(), 500.0f);
    EXPECT_FLOAT_EQ(light.GetRange(), 0.0f);
    EXPECT_FLOAT_EQ(light.GetZNear(), 0.1f);
    EXPECT_EQ(light.GetType(), LightTypePoint);
    EXPECT_NE(log.text.find("[*] Bogus light type 'Laser'.\n"), std::string::npos);
}

TEST(ItemBlocks, SurviveEveryCorpusDocument)
{
    CapturedLog log;
    Quenvar engine; // names from the corpus go through the loaders
    for (const char* block : {"Item", "Camera", "Light", "Object", "Emitter", "ParticleModel", "Terrain"})
        for (auto& document : CorpusBlocks(block))
        {
            nLinkedListIterator iterator;
            while (nMetaTag* root = document->GetNextRoot(iterator))
            {
                nItem item(nullptr);
                nCamera camera(nullptr);
                nLight light(&engine);
                nObject object(&engine);
                nEmitter emitter(&engine);
                nTerrain terrain(&engine);
                nParticleModel model(&engine);
                emitter.ParseTag(*document, *root);
                terrain.ParseTag(*document, *root);
                model.ParseTag(*document, *root);
                std::unique_ptr<nMetaTag>(terrain.SerializeTag(*document));
                object.ParseTag(*document, *root);
                item.ParseTag(*document, *root);
                camera.ParseTag(*document, *root);
                light.ParseTag(*document, *root);
                std::unique_ptr<nMetaTag>(light.SerializeTag(*document));
            }
        }
}

TEST(ObjectBlock, ReadsCachingAndBalancesTheLoadContext)
{
    Quenvar engine;
    nObject written(&engine), read(&engine);
    written.SetGeometryCached(false);
    WriteAndReadBack(written, read);
    EXPECT_FALSE(read.IsGeometryCached());
    EXPECT_EQ(engine.GetLoadContextStack().GetDepth(), 0);

    nMetaFile file;
    ASSERT_TRUE(read.ParseTag(file, *ParseBlock(file, "<Object=<CacheGeometry=1>>")));
    EXPECT_FALSE(read.IsGeometryCached());
    ASSERT_TRUE(read.ParseTag(file, *ParseBlock(file, "<Object=<Item=>>")));
    EXPECT_TRUE(read.IsGeometryCached());
}
