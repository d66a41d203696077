#include "RaytracerFixture.h"

#include <cmath>

namespace
{

class RaytracerShadingTest : public RaytracerFixture
{
protected:
    // Square panes of half size 1 in the planes z = 1 .. count, facing -z, with their opacity.
    void AddPanes(uint32_t count, float opacity, uint32_t extraFlags = 0, float ior = 1.0f)
    {
        for (uint32_t i = 1; i <= count; ++i)
        {
            nMObject* pane = AddWall(float(i), 1.0f, nColor(1, 1, 1, 1), "Pane");
            MaterialOf(pane).opacity = opacity;
            MaterialOf(pane).renderFlags |= extraFlags;
            MaterialOf(pane).ior = ior;
        }
    }

    // A ray traced on its own, with the settings' budgets; answers the rays it cast.
    uint64_t CastFrom(nRaytracer& raytracer, const nVector& origin, const nVector& direction, nColor& colour,
                      const nRaytracerHit* parent = nullptr)
    {
        nRaytracerTraceContext context;
        nRaytracerBudget budget{settings.globalIlluminationDepth, settings.reflectionDepth,
                                settings.refractionDepth, 0};
        raytracer.TraceRay(context, origin, direction, colour, budget, parent);
        return context.rays;
    }
};

TEST_F(RaytracerShadingTest, VisibilityPassesThroughAtMostThePassLimitOfTransparentSurfaces)
{
    AddPanes(40, 0.5f);
    nRaytracer raytracer(nullptr);
    ASSERT_TRUE(raytracer.SetScene(scene));
    nRaytracerTraceContext context;
    const nVector origin(0.0f, 0.0f, 0.0f);
    const nVector along(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(raytracer.Visibility(context, origin, along, 100.0f, 32), std::ldexp(1.0f, -32));
    EXPECT_EQ(context.visibilityRays, 32u);
    EXPECT_EQ(raytracer.Visibility(context, origin, along, 100.0f, 40), std::ldexp(1.0f, -40));
    EXPECT_EQ(raytracer.Visibility(context, origin, along, 100.0f, 0), 1.0f);
    // The segment ends before the third pane.
    EXPECT_EQ(raytracer.Visibility(context, origin, along, 2.5f, 32), 0.25f);
    // Seen from behind the panes are not there.
    EXPECT_EQ(raytracer.Visibility(context, nVector(0, 0, 50), nVector(0, 0, -1), 100.0f, 32), 1.0f);

    nRaytracerSettings opaqueShadows;
    opaqueShadows.transparentShadows = false;
    raytracer.SetSettings(opaqueShadows);
    EXPECT_EQ(raytracer.Visibility(context, origin, along, 100.0f, 32), 0.0f);
    EXPECT_EQ(raytracer.Visibility(context, origin, along, 0.5f, 32), 1.0f);
}

TEST_F(RaytracerShadingTest, AnOpaqueSurfaceStopsTheLight)
{
    AddPanes(3, 0.5f);
    MaterialOf(scene->GetObjects().GetNodeAt(1)->value).opacity = 1.0f;
    nRaytracer raytracer(nullptr);
    ASSERT_TRUE(raytracer.SetScene(scene));
    nRaytracerTraceContext context;
    EXPECT_EQ(raytracer.Visibility(context, nVector(0, 0, 0), nVector(0, 0, 1), 100.0f, 32), 0.0f);
    EXPECT_EQ(context.visibilityRays, 2u);
}

TEST_F(RaytracerShadingTest, ARayReflectsAtMostTwiceAndRefractsAtMostSixTimes)
{
    // Two mirrors facing each other.
    MaterialOf(AddWall(10.0f, 5.0f)).reflection = 1.0f;
    nMObject* back = scene->NewObject(
        "Back", MakePolygon({nVector(-5, -5, 0), nVector(5, -5, 0), nVector(5, 5, 0), nVector(-5, 5, 0)}));
    MaterialOf(back).reflection = 1.0f;
    {
        nRaytracer raytracer(nullptr);
        ASSERT_TRUE(raytracer.SetScene(scene));
        nColor colour;
        EXPECT_EQ(CastFrom(raytracer, nVector(0, 0, 5), nVector(0, 0, 1), colour), 3u);
        settings.reflectionDepth = 5;
        raytracer.SetSettings(settings);
        EXPECT_EQ(CastFrom(raytracer, nVector(0, 0, 5), nVector(0, 0, 1), colour), 6u);
        settings.reflections = false;
        raytracer.SetSettings(settings);
        EXPECT_EQ(CastFrom(raytracer, nVector(0, 0, 5), nVector(0, 0, 1), colour), 1u);
    }
    TearDown();
    SetUp();
    settings = nRaytracerSettings();
    AddPanes(10, 0.5f);
    nRaytracer raytracer(nullptr);
    ASSERT_TRUE(raytracer.SetScene(scene));
    nColor colour;
    EXPECT_EQ(CastFrom(raytracer, nVector(0, 0, 0), nVector(0, 0, 1), colour), 7u);
}

TEST_F(RaytracerShadingTest, TotalInternalReflectionSendsNoRefractedRay)
{
    AddPanes(1, 0.5f, MaterialDoubleSided, 1.5f);
    nRaytracer raytracer(nullptr);
    ASSERT_TRUE(raytracer.SetScene(scene));
    // Inside glass of the pane's index: leaving it along the normal refracts...
    nRaytracerHit inside;
    inside.mediumIndex = 1.5f;
    nColor colour;
    EXPECT_EQ(CastFrom(raytracer, nVector(0, 0, 0), nVector(0, 0, 1), colour, &inside), 2u);
    // ... and at 60 degrees from it, past the critical angle, nothing leaves.
    const nVector steep(std::sin(1.0472f), 0.0f, std::cos(1.0472f));
    EXPECT_EQ(CastFrom(raytracer, nVector(-0.5f, 0, 0.5f), steep, colour, &inside), 1u);
    // From air at the same angle the ray enters the glass.
    EXPECT_EQ(CastFrom(raytracer, nVector(-0.5f, 0, 0.5f), steep, colour), 2u);
}

TEST_F(RaytracerShadingTest, GlobalIlluminationGathersWithinItsBudget)
{
    // A closed double-sided cube around the camera, without lights.
    const float h = 10.0f;
    const std::vector<std::vector<nVector>> faces = {{{-h, -h, h}, {-h, h, h}, {h, h, h}, {h, -h, h}},
                                                     {{-h, -h, -h}, {h, -h, -h}, {h, h, -h}, {-h, h, -h}},
                                                     {{h, -h, -h}, {h, -h, h}, {h, h, h}, {h, h, -h}},
                                                     {{-h, -h, -h}, {-h, h, -h}, {-h, h, h}, {-h, -h, h}},
                                                     {{-h, h, -h}, {h, h, -h}, {h, h, h}, {-h, h, h}},
                                                     {{-h, -h, -h}, {-h, -h, h}, {h, -h, h}, {h, -h, -h}}};
    for (const std::vector<nVector>& face : faces)
    {
        nGeometry* geometry = MakePolygon(face);
        geometry->GetMaterial(0)->renderFlags |= MaterialDoubleSided;
        scene->NewObject("Face", geometry);
    }
    settings.globalIllumination = true;
    settings.sampleSetSideCount = 8;
    Frame(1, 1);
    EXPECT_EQ(lastRays, 33u); // 1 + 64 / 2; the sample rays gather no more
    settings.globalIlluminationDepth = 2;
    Frame(1, 1);
    EXPECT_EQ(lastRays, 54u); // 1 + 32 + 21: the first sample's hit gathers 64 / 3, then the budget is spent
    settings.globalIllumination = false;
    Frame(1, 1);
    EXPECT_EQ(lastRays, 1u);
}

TEST_F(RaytracerShadingTest, ALightBehindTheSurfaceIsNotTestedForVisibility)
{
    AddWall(10.0f);
    nMLight* light = scene->NewLight("Lamp", LightTypePoint, 0.5f);
    light->GetLight().SetShadowMode(LightShadowMap);
    light->GetLight().SetPosition(nVector(0.0f, 0.0f, 20.0f));
    nRaytracer raytracer(nullptr);
    settings.antialiasThreshold = 1e9f;
    raytracer.SetSettings(settings);
    ASSERT_TRUE(raytracer.SetScene(scene));
    nPicture picture;
    ASSERT_TRUE(raytracer.Trace(picture, 4, 4));
    EXPECT_EQ(raytracer.GetVisibilityRayCount(), 0u);
    EXPECT_EQ(At(picture, 1, 1), (Pixel{0, 0, 0, 255}));
    // In front of the wall it is tested once per pixel.
    light->GetLight().SetPosition(nVector(0.0f, 0.0f, 0.0f));
    ASSERT_TRUE(raytracer.Trace(picture, 4, 4));
    EXPECT_EQ(raytracer.GetVisibilityRayCount(), 16u);
    EXPECT_GT(At(picture, 1, 1)[2], 0u);
}

TEST_F(RaytracerShadingTest, SampleSetsAreConesOfTheirSideSquaredDirectionsTheSameForEveryRaytracer)
{
    nRaytracer first(nullptr);
    nRaytracer second(nullptr);
    for (uint32_t set = 0; set < nRaytracer::SampleSetCount; ++set)
    {
        const nAutoArray<nVector>& directions = first.GetSampleSet(set);
        ASSERT_EQ(directions.GetCount(), 64u);
        for (uint32_t i = 0; i < directions.GetCount(); ++i)
        {
            const nVector& d = *directions.At(i);
            EXPECT_NEAR(d.Length(), 1.0f, 1e-5f);
            EXPECT_GT(d.z, std::cos(72.0f * 0.017453292f)); // below 72 degrees from the axis
            EXPECT_FALSE(d.DiffersFrom(*second.GetSampleSet(set).At(i)));
        }
    }
    EXPECT_TRUE(first.GetSampleSet(0).At(0)->DiffersFrom(*first.GetSampleSet(1).At(0)));
    nRaytracerSettings huge;
    huge.sampleSetSideCount = 5000;
    EXPECT_FALSE(first.SetSettings(huge));
    EXPECT_NE(log.text.find("[!] failed to allocate vector spread.\n"), std::string::npos);
}

} // namespace
