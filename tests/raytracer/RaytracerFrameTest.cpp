#include "RaytracerFixture.h"

#include "core/NmlFileFixture.h"

#include <cmath>

namespace
{

const Pixel Background = {255, 63, 127, 0};
const Pixel LitWall = {191, 63, 127, 255};

// Colours (0.5, 0.5, 0.5, 1) at every corner, read under the material's "VertexColor" flag.
nMObject* AddGreyVertexColours(nMObject* wall)
{
    nGeometry& geometry = *wall->GetObject().GetGeometry();
    geometry.colors.Resize(geometry.GetBindingTotal());
    for (uint32_t i = 0; i < geometry.colors.GetCount(); ++i)
        *geometry.colors.At(i) = nColor(0.5f, 0.5f, 0.5f, 1.0f);
    RaytracerFixture::MaterialOf(wall).renderFlags |= MaterialVertexColor;
    return wall;
}

// One pixel colour for a whole frame, under each way a scene may be set up.
TEST_F(RaytracerFixture, FramesOfSimpleScenesHaveTheirExpectedColours)
{
    struct Case
    {
        const char* name;
        void (*build)(RaytracerFixture&);
        Pixel expected;
    };
    const Case cases[] = {
        {"empty scene", [](RaytracerFixture&) {}, Background},
        {"lit wall",
         [](RaytracerFixture& f)
         {
             f.AddWall(10.0f);
             f.AddParallelLight();
         },
         LitWall},
        {"lit wall through its shader map",
         [](RaytracerFixture& f)
         {
             GiveFixedFunctionMap(MaterialOf(f.AddWall(10.0f)));
             f.AddParallelLight();
         },
         LitWall},
        {"light of half intensity counts once",
         [](RaytracerFixture& f)
         {
             GiveFixedFunctionMap(MaterialOf(f.AddWall(10.0f)));
             f.AddParallelLight()->GetLight().SetDiffuseIntensity(0.5f);
         },
         {95, 31, 63, 255}},
        {"vertex colours scale the diffuse colour",
         [](RaytracerFixture& f)
         {
             GiveFixedFunctionMap(MaterialOf(AddGreyVertexColours(f.AddWall(10.0f))));
             f.AddParallelLight();
         },
         {95, 31, 63, 255}},
        {"vertex colours without a shader map",
         [](RaytracerFixture& f)
         {
             AddGreyVertexColours(f.AddWall(10.0f));
             f.AddParallelLight();
         },
         {95, 31, 63, 255}},
        {"self-illumination without lights",
         [](RaytracerFixture& f)
         {
             nMaterial& material = MaterialOf(f.AddWall(10.0f));
             material.selfIllumination = nColor(1.0f, 0.0f, 0.0f, 1.0f);
             GiveFixedFunctionMap(material);
         },
         {0, 0, 255, 255}},
        {"fog beyond its far end",
         [](RaytracerFixture& f)
         {
             f.AddWall(10.0f);
             f.AddParallelLight();
             f.scene->SetFog(1.0f, 2.0f, nColor(0.0f, 1.0f, 0.0f, 1.0f));
         },
         {0, 255, 0, 255}},
        {"fog leaves the background alone",
         [](RaytracerFixture& f) { f.scene->SetFog(1.0f, 2.0f, nColor(0.0f, 1.0f, 0.0f, 1.0f)); },
         Background},
        {"ambient light without lights",
         [](RaytracerFixture& f)
         {
             f.AddWall(10.0f);
             f.scene->SetAmbientColor(nColor(1.0f, 1.0f, 1.0f, 1.0f));
             f.scene->SetAmbientIntensity(1.0f);
         },
         LitWall},
        {"a wall seen from behind is not there",
         [](RaytracerFixture& f)
         {
             f.scene->NewObject("Back", f.MakePolygon({nVector(-100, -100, 10), nVector(100, -100, 10),
                                                       nVector(100, 100, 10), nVector(-100, 100, 10)}));
         },
         Background},
    };
    for (const Case& c : cases)
    {
        TearDown();
        SetUp();
        c.build(*this);
        bool traced = false;
        const nPicture picture = Frame(64, 48, &traced);
        ASSERT_TRUE(traced) << c.name << log.text;
        ASSERT_EQ(picture.GetWidth(), 64u);
        ASSERT_EQ(picture.GetHeight(), 48u);
        std::string why;
        EXPECT_TRUE(AllPixels(picture, c.expected, why)) << c.name << ": " << why;
    }
    EXPECT_EQ(log.text.find("[!]"), std::string::npos) << log.text;
}

// A ball of unit radius, its poles on the z axis, built as the bundled demo's: every ring has
// twelve vertices, those of the pole rings all at the pole, so each polygon of a cap starts with
// two corners at one point.
nGeometry* MakeBall()
{
    constexpr uint32_t Rings = 8;
    constexpr uint32_t Sections = 12;
    std::vector<nVector> positions;
    for (uint32_t ring = 0; ring <= Rings; ++ring)
        for (uint32_t section = 0; section < Sections; ++section)
        {
            const float theta = 3.14159265f * float(ring) / Rings;
            const float phi = 6.2831853f * float(section) / Sections;
            positions.emplace_back(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi),
                                   -std::cos(theta));
        }
    std::vector<Corners> polygons;
    for (uint32_t ring = 0; ring < Rings; ++ring)
        for (uint32_t section = 0; section < Sections; ++section)
        {
            const uint32_t next = (section + 1) % Sections;
            polygons.push_back({ring * Sections + section, ring * Sections + next,
                                (ring + 1) * Sections + next, (ring + 1) * Sections + section});
        }
    nGeometry* geometry = new nGeometry(nullptr);
    BuildGeometry(*geometry, positions, polygons);
    geometry->name = "ball";
    return geometry;
}

// The camera looks at the ball's pole: no pixel in its disc shows the background.
TEST_F(RaytracerFixture, ABallWhosePoleCapsStartWithCoincidingCornersHasNoHole)
{
    scene->NewObject("Ball", MakeBall());
    AddParallelLight();
    const nPicture picture = Frame(64, 64);
    ASSERT_TRUE(picture.HasPixels());
    uint32_t holes = 0;
    for (uint32_t y = 20; y < 44; ++y)
        for (uint32_t x = 20; x < 44; ++x)
            holes += At(picture, x, y) == Background;
    EXPECT_EQ(holes, 0u);
    EXPECT_EQ(At(picture, 1, 1), Background);
}

TEST_F(RaytracerFixture, AnOccluderBehindTheCameraShadowsTheRightHalfOfTheWall)
{
    AddWall(10.0f);
    AddParallelLight(true);
    // Facing +z, towards the wall, over x >= 0 only.
    scene->NewObject("Occluder", MakePolygon({nVector(0, -100, -10), nVector(100, -100, -10),
                                              nVector(100, 100, -10), nVector(0, 100, -10)}));
    const nPicture picture = Frame(64, 48);
    ASSERT_TRUE(picture.HasPixels());
    for (uint32_t y : {0u, 24u, 47u})
    {
        EXPECT_EQ(At(picture, 8, y), LitWall) << y;
        EXPECT_EQ(At(picture, 56, y), (Pixel{0, 0, 0, 255})) << y;
    }
    settings.shadows = false;
    EXPECT_EQ(At(Frame(64, 48), 56, 24), LitWall);
}

TEST_F(RaytracerFixture, ALightTurnedBeforeTheFrameCastsItsShadowFromWhereItNowPoints)
{
    AddWall(10.0f);
    nMLight* light = AddParallelLight(true);
    // Facing +z, towards the wall, over x <= 0 only.
    scene->NewObject("Occluder", MakePolygon({nVector(-100, -100, -10), nVector(0, -100, -10),
                                              nVector(0, 100, -10), nVector(-100, 100, -10)}));
    // Turned about y, the light moves the shadow's edge from the middle column (x = 0) to the
    // left. Nothing has updated its matrices when the frame starts; the first tile lies wholly
    // in the old shadow, so no lighting there would update them on the way.
    light->GetLight().SetRotation(nVector(0.0f, -0.1f, 0.0f));
    settings.jobWorkerMask = int32_t(0x40000000); // the tiles in their order, on this thread
    const nPicture turnedJustNow = Frame(64, 48);
    settings.jobWorkerMask = -1;
    const nPicture onTheWorkers = Frame(64, 48);
    light->GetLight().GetWorldMatrix();
    const nPicture settled = Frame(64, 48);
    ASSERT_TRUE(settled.HasPixels());
    EXPECT_TRUE(turnedJustNow.Equals(settled));
    EXPECT_TRUE(onTheWorkers.Equals(settled));
    for (uint32_t y : {0u, 24u, 47u})
    {
        EXPECT_EQ(At(settled, 8, y), (Pixel{0, 0, 0, 255})) << y;
        EXPECT_NE(At(settled, 28, y), (Pixel{0, 0, 0, 255})) << y; // left of x = 0, lit now
    }
}

TEST_F(RaytracerFixture, TilesCoverTheFrameAndTheAntialiasPassSkipsTheBorder)
{
    std::vector<nRaytracerTile> tiles;
    nRaytracer::PlanTiles(33, 33, false, tiles);
    ASSERT_EQ(tiles.size(), 4u);
    const uint32_t expected[4][4] = {{0, 32, 0, 32}, {0, 32, 32, 33}, {32, 33, 0, 32}, {32, 33, 32, 33}};
    for (uint32_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(tiles[i].rowBegin, expected[i][0]);
        EXPECT_EQ(tiles[i].rowEnd, expected[i][1]);
        EXPECT_EQ(tiles[i].columnBegin, expected[i][2]);
        EXPECT_EQ(tiles[i].columnEnd, expected[i][3]);
    }
    nRaytracer::PlanTiles(2, 2, true, tiles);
    EXPECT_TRUE(tiles.empty());
    nRaytracer::PlanTiles(1, 1, true, tiles);
    EXPECT_TRUE(tiles.empty());
    nRaytracer::PlanTiles(35, 3, true, tiles);
    ASSERT_EQ(tiles.size(), 2u);
    EXPECT_EQ(tiles[0].rowBegin, 1u);
    EXPECT_EQ(tiles[0].rowEnd, 2u);
    EXPECT_EQ(tiles[0].columnBegin, 1u);
    EXPECT_EQ(tiles[1].columnBegin, 33u);
    EXPECT_EQ(tiles[1].columnEnd, 34u);
}

TEST_F(RaytracerFixture, PixelsCloseToTheirNeighboursKeepTheirColourAndEdgesAreResampled)
{
    // Two walls side by side whose colours differ by 0.04 (0.0048 squared): below the threshold.
    scene->NewObject("Left", MakePolygon({nVector(-100, -100, 10), nVector(-100, 100, 10),
                                          nVector(0, 100, 10), nVector(0, -100, 10)},
                                         nColor(0.5f, 0.5f, 0.5f, 1.0f)));
    scene->NewObject("Right", MakePolygon({nVector(0, -100, 10), nVector(0, 100, 10), nVector(100, 100, 10),
                                           nVector(100, -100, 10)},
                                          nColor(0.54f, 0.54f, 0.54f, 1.0f)));
    AddParallelLight();
    settings.antialiasGrid = 2;
    Frame(16, 8);
    EXPECT_EQ(lastRays, 16u * 8u);
    // 0.06 apart (0.0108 squared): the two columns at the seam are resampled, 2 x 2 rays each.
    MaterialOf(scene->FindObject("Right")).diffuse = nColor(0.56f, 0.56f, 0.56f, 1.0f);
    const nPicture picture = Frame(16, 8);
    EXPECT_EQ(lastRays, 16u * 8u + 2u * 6u * 4u);
    // Pixels away from the seam keep their first-pass colour.
    EXPECT_EQ(At(picture, 2, 4)[0], uint8_t(0.5f * 255.0f));
}

TEST_F(RaytracerFixture, InterlacedFieldsMergeIntoTheFullFrame)
{
    AddWall(10.0f);
    AddParallelLight();
    // A second wall over the upper left, so rows differ.
    scene->NewObject("Patch", MakePolygon({nVector(-100, 0.1f, 9), nVector(-100, 100, 9),
                                           nVector(0.3f, 100, 9), nVector(0.3f, 0.1f, 9)},
                                          nColor(0.1f, 0.9f, 0.3f, 1.0f)));
    settings.antialiasThreshold = 1e9f; // no resampling: the frames must match pixel for pixel
    const nPicture whole = Frame(20, 14);

    nRaytracerSettings interlaced = settings;
    interlaced.interlaced = true;
    nRaytracer raytracer(nullptr);
    raytracer.SetSettings(interlaced);
    ASSERT_TRUE(raytracer.SetScene(scene));
    nPicture picture;
    EXPECT_FALSE(raytracer.Trace(picture, 20, 7));
    EXPECT_NE(log.text.find("[!] Interlaced frame height must be a multiple of 2.\n"), std::string::npos);
    raytracer.StartInterlacedSequence();
    ASSERT_TRUE(raytracer.Trace(picture, 20, 14));
    EXPECT_FALSE(picture.HasPixels());
    ASSERT_TRUE(raytracer.Trace(picture, 20, 14));
    ASSERT_EQ(picture.GetHeight(), 14u);
    EXPECT_TRUE(picture.Equals(whole));

    // Without interlacing an odd height is fine.
    bool traced = false;
    EXPECT_EQ(Frame(20, 7, &traced).GetHeight(), 7u);
    EXPECT_TRUE(traced);
}

TEST_F(RaytracerFixture, FramesRefuseBadSizesAGoneSceneAndStaySilentWithoutACamera)
{
    AddWall(10.0f);
    nRaytracer raytracer(nullptr);
    ASSERT_TRUE(raytracer.SetScene(scene));
    nPicture picture;
    EXPECT_FALSE(raytracer.Trace(picture, 0, 10));
    EXPECT_FALSE(raytracer.Trace(picture, 10, -1));
    EXPECT_NE(log.text.find("[!] Cannot raytrace a frame of 0x10 pixels.\n"), std::string::npos) << log.text;
    EXPECT_FALSE(raytracer.Trace(picture, 100000, 100000));
    EXPECT_NE(log.text.find("[!] Failed to allocate floating point frame buffer.\n"), std::string::npos);

    scene->SetCurrentCamera(nullptr);
    log.text.clear();
    EXPECT_FALSE(raytracer.Trace(picture, 4, 4));
    EXPECT_EQ(log.text, "");

    scene->Release();
    scene = nullptr;
    EXPECT_FALSE(raytracer.Trace(picture, 4, 4));
    EXPECT_NE(log.text.find("[!] The raytraced scene no longer exists.\n"), std::string::npos) << log.text;
}

TEST_F(RaytracerFixture, AFrameLogsItsRaysAndIsTheSameOnEveryRunAndWorkerCount)
{
    AddWall(10.0f);
    AddParallelLight(true);
    scene->NewObject("Occluder", MakePolygon({nVector(0, -100, -10), nVector(100, -100, -10),
                                              nVector(100, 100, -10), nVector(0, 100, -10)}));
    settings.globalIllumination = true;
    settings.sampleSetSideCount = 3;
    settings.antialiasJitter = true;
    settings.antialiasGrid = 2;
    settings.ambientOcclusion = true;
    const nPicture first = Frame(24, 16);
    EXPECT_NE(log.text.find("Raytracing done. Took "), std::string::npos);
    EXPECT_NE(log.text.find(" ms. Ray/s = "), std::string::npos);
    const uint64_t rays = lastRays;
    EXPECT_TRUE(Frame(24, 16).Equals(first));
    EXPECT_EQ(lastRays, rays);
    // A mask no worker has: the waiting thread runs every tile itself.
    settings.jobWorkerMask = int32_t(0x40000000);
    EXPECT_TRUE(Frame(24, 16).Equals(first));
    EXPECT_EQ(lastRays, rays);
}

TEST_F(RaytracerFixture, TraceToFileWritesTheFrameAsTGA)
{
    AddWall(10.0f);
    AddParallelLight();
    NmlFileFixture files;
    nRaytracer raytracer(nullptr);
    ASSERT_TRUE(raytracer.SetScene(scene));
    ASSERT_TRUE(raytracer.TraceToFile("frame.tga", 8, 6));
    nPicture read;
    ASSERT_TRUE(nPicture::Load(read, nString("frame.tga")));
    EXPECT_EQ(read.GetWidth(), 8u);
    EXPECT_EQ(At(read, 3, 3), LitWall);
    // The first field of an interlaced sequence leaves nothing to save.
    nRaytracerSettings interlaced;
    interlaced.interlaced = true;
    raytracer.SetSettings(interlaced);
    EXPECT_FALSE(raytracer.TraceToFile("field.tga", 8, 6));
    EXPECT_TRUE(raytracer.TraceToFile("field.tga", 8, 6));
}

} // namespace
