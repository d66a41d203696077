#include "e2e/KestrunProcess.h"
#include "e2e_frame/FrameGrab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
constexpr uint32_t Width = FrameGrab::Width;
constexpr uint32_t Height = FrameGrab::Height;
const std::string CoreData = FrameGrab::CoreData;
const char* const GrabScript = FrameGrab::Script;

struct Corner
{
    float x, y, z;
};

// A grey quad through the four corners, seen from either side.
std::string Quad(const std::array<Corner, 4>& corners)
{
    std::string vertices;
    for (const Corner& corner : corners)
        vertices += "<V=<X=" + std::to_string(corner.x) + "><Y=" + std::to_string(corner.y) +
                    "><Z=" + std::to_string(corner.z) + ">>";
    return "<NML=1.0>\n<Geometry=<Materials=<Material=<Diffuse=<X=0.5><Y=0.5><Z=0.5><W=1.0>>"
           "<RenderMask=<DoubleSided>>>><AVertex=<Count=4><Data=" +
           vertices +
           ">><APolygon=<Count=1><BindingCount=4><Data=<Polygon=<Count=4><Material=0><Index=0><Index=1>"
           "<Index=2><Index=3>>>>>\n";
}

// A grey square of side 2 x half, centred on (x, 0, z), facing the camera at the origin.
std::string Square(float x, float z, float half)
{
    return Quad({Corner{x - half, -half, z}, Corner{x - half, half, z}, Corner{x + half, half, z},
                 Corner{x + half, -half, z}});
}

std::string Object(const char* id, int uid, const char* geometry)
{
    return std::string("<MObject=<MItem=<Id=\"") + id + "\"><UId=" + std::to_string(uid) +
           "><Active>><Object=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>><Geometry=\"" + geometry + "\">>>";
}

// A spot light at (-3, 0, 0) facing +Z, whose cone takes in the ground around the screen centre.
std::string SpotLight(const std::string& shadow)
{
    return "<MLight=<MItem=<Id=\"Lamp\"><UId=3><Active>><Light=<Item=<Position=<X=-3.0><Y=0.0><Z=0.0>>>"
           "<Type=\"Spot\"><ConeAngle=0.6><EdgeAngle=0.1><VolumeRange=30.0>" +
           shadow + ">>";
}

std::string PointLight(const std::string& shadow, const char* position = "<X=-3.0><Y=0.0><Z=0.0>",
                       const char* id = "Lamp", int uid = 3)
{
    return std::string("<MLight=<MItem=<Id=\"") + id + "\"><UId=" + std::to_string(uid) +
           "><Active>><Light=<Item=<Position=" + position + ">><Type=\"Point\"><VolumeRange=30.0>" + shadow +
           ">>";
}

// A parallel light (the sun) aimed past the occluder's centre at the ground's centre: its shadow
// falls where the spot's does.
std::string SunLight(const std::string& shadow)
{
    return "<MLight=<MItem=<Id=\"Sun\"><UId=3><Active>><Light=<Item=<Position=<X=-4.5><Y=0.0><Z=-5.0>>"
           "<Target=<X=-1.5><Y=0.0><Z=5.0>><ItemFlag=<HasTarget>>><Type=\"Parallel\">" +
           shadow + ">>";
}

// The camera at the origin with the items given.
std::string SceneOf(const std::string& items)
{
    return "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">>"
           "<Globals=<BackgroundColor=<X=0.0><Y=0.0><Z=0.0><W=1.0>><AmbientColor=<X=1.0><Y=1.0><Z=1.0><W=1.0>"
           ">"
           "<AmbientIntensity=0.2>><Items=<MCamera=<MItem=<Id=\"Cam\"><UId=0><Active>><Camera=<Item=<"
           "Position="
           "<X=0.0><Y=0.0><Z=0.0>>>>>" +
           items + "><CurrentCamera=\"Cam\">>\n";
}

// The ground at z 10 and the occluder halfway between it and the light.
std::string Scene(const std::string& light)
{
    return SceneOf(Object("Ground", 1, "ground.nmg") + Object("Occluder", 2, "occluder.nmg") + light);
}

using Pixel = std::array<int, 3>; // R, G, B

// Each scene runs under both techniques, named by the parameter as engine.cfg gives "Technique".
class ShadowRun : public testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display";
        directory.WriteFile("s.nut", GrabScript);
        directory.WriteFile("ground.nmg", Square(0.0f, 10.0f, 4.0f));
        directory.WriteFile("occluder.nmg", Square(-1.5f, 5.0f, 0.5f));
    }

    void Run(const std::string& scene, const std::string& configuration = "")
    {
        const std::string technique = GetParam();
        directory.WriteFile("engine.cfg", "<NML=1.0>\n<Width=320><Height=240><Technique=\"" + technique +
                                              "\">" + configuration + "\n");
        directory.WriteFile("s.nms", scene);
        FrameGrab::RunAndGrab(directory.Path(), run, grab);
    }

    // The red channel at (x, y), (0, 0) the top left pixel.
    int RedAt(uint32_t x, uint32_t y) const { return FrameGrab::PixelAt(grab, x, y)[0]; }

    int BrightestOfCentreRow() const
    {
        int brightest = 0;
        for (uint32_t x = 0; x < Width; ++x)
            brightest = std::max(brightest, RedAt(x, Height / 2));
        return brightest;
    }

    TemporaryDirectory directory;
    KestrunRun run;
    std::string grab;
};

TEST_P(ShadowRun, TheOccluderShadowsTheGroundAtTheScreenCentreOnly)
{
    Run(Scene(SpotLight("<Shadow=\"Map\">")));
    EXPECT_NE(run.output.find("Creating shadow maps (1024x1024)."), std::string::npos) << run.output;
    EXPECT_NEAR(RedAt(Width / 2, Height / 2), 26, 6) << "ambient alone in the shadow";
    EXPECT_GT(BrightestOfCentreRow(), 80) << "the ground beside the shadow is lit";
    EXPECT_NEAR(RedAt(240, Height / 2), 140, 6) << "the ground lit at x 2";
}

TEST_P(ShadowRun, WithoutShadowOrWithShadowMappingOffTheCentreIsLit)
{
    Run(Scene(SpotLight("")));
    const int unshadowed = RedAt(Width / 2, Height / 2);
    EXPECT_GT(unshadowed, 60);
    EXPECT_NEAR(unshadowed, 148, 6);
    Run(Scene(SpotLight("<Shadow=\"Map\">")), "<ShadowMapping=<Enable=False>>");
    EXPECT_NEAR(RedAt(Width / 2, Height / 2), unshadowed, 2);
}
TEST_P(ShadowRun, APointLightCastsTheSameShadowThroughItsForwardFace)
{
    Run(Scene(PointLight("")));
    const int unshadowed = RedAt(Width / 2, Height / 2);
    EXPECT_GT(unshadowed, 60);
    EXPECT_NEAR(unshadowed, 148, 6);
    Run(Scene(PointLight("<Shadow=\"Map\">")));
    EXPECT_NEAR(RedAt(Width / 2, Height / 2), 26, 6) << "ambient alone in the shadow";
    EXPECT_GT(BrightestOfCentreRow(), 60) << "the ground beside the shadow is lit";
    EXPECT_NEAR(RedAt(240, Height / 2), 140, 6) << "the ground lit at x 2";
}

TEST_P(ShadowRun, TheSunShadowsTheGroundBehindTheOccluder)
{
    Run(Scene(SunLight("")));
    const int unshadowed = RedAt(Width / 2, Height / 2);
    EXPECT_GT(unshadowed, 60) << "lit without a shadow";
    Run(Scene(SunLight("<Shadow=\"Map\">")));
    EXPECT_NEAR(RedAt(Width / 2, Height / 2), 26, 6) << "ambient alone in the shadow";
    EXPECT_NEAR(RedAt(Width / 2 + 40, Height / 2), unshadowed, 6) << "the ground beside the shadow is lit";
    EXPECT_NEAR(RedAt(Width / 2, Height / 2 + 40), unshadowed, 6) << "and below it";
}

// A floor a unit below the camera runs to the foot of a wall at z 12; each light meets the floor
// at grazing angles: a point light level with the camera three units ahead, one up and to the
// left whose shadow faces meet on the floor in front of the camera, and a spot with a wide cone as
// far ahead as the first. Nothing stands between them, so turning a light's shadow on changes no
// pixel by more than a level: neither the floor, the seams of the point light's faces nor the
// wall's foot darkens. (Under the spot, whose texels are coarser, the wall's lowest row still
// darkens by two levels where the filter reaches the floor: its row leaves the wall out.)
TEST_P(ShadowRun, ALightsShadowLeavesAGrazingFloorAndTheFootOfAWallAsLit)
{
    directory.WriteFile("floor.nmg",
                        Quad({Corner{-6, -1, 1}, Corner{-6, -1, 12}, Corner{6, -1, 12}, Corner{6, -1, 1}}));
    directory.WriteFile("wall.nmg",
                        Quad({Corner{-6, -1, 12}, Corner{-6, 5, 12}, Corner{6, 5, 12}, Corner{6, -1, 12}}));
    const std::string floor = Object("Floor", 1, "floor.nmg");
    const std::string wall = Object("Wall", 2, "wall.nmg");
    struct Lamp
    {
        const char* name;
        const char* position;
        const char* kind;
        bool withWall;
    };
    const Lamp lamps[] = {
        {"point ahead", "<X=0.0><Y=0.0><Z=3.0>", "<Type=\"Point\"><VolumeRange=30.0>", true},
        {"point up and left", "<X=-2.0><Y=1.5><Z=7.0>", "<Type=\"Point\"><Range=12.0>", true},
        {"wide spot", "<X=0.0><Y=0.0><Z=3.0>",
         "<Type=\"Spot\"><ConeAngle=1.2><EdgeAngle=0.1><VolumeRange=30.0>", false},
    };
    for (const Lamp& lamp : lamps)
    {
        SCOPED_TRACE(lamp.name);
        const std::string room = lamp.withWall ? floor + wall : floor;
        auto light = [&lamp](const std::string& shadow)
        {
            return std::string("<MLight=<MItem=<Id=\"Lamp\"><UId=3><Active>><Light=<Item=<Position=") +
                   lamp.position + ">>" + lamp.kind + shadow + ">>";
        };
        Run(SceneOf(room + light("")));
        const std::string unshadowed = grab;
        ASSERT_GT(RedAt(Width / 2, Height * 3 / 4), 30) << "the floor is lit";
        Run(SceneOf(room + light("<Shadow=\"Map\">")));
        uint32_t darkened = 0;
        int deepest = 0;
        for (uint32_t y = 0; y < Height; ++y)
            for (uint32_t x = 0; x < Width; ++x)
            {
                const int difference = FrameGrab::PixelAt(unshadowed, x, y)[0] - RedAt(x, y);
                darkened += difference > 1;
                deepest = std::max(deepest, difference);
            }
        EXPECT_EQ(darkened, 0u) << "the deepest by " << deepest;
    }
}

// A spot light and a point light above it, both shadowing, in one frame: each still casts the
// occluder's shadow where it alone does (the spot's at the centre, the point light's below and
// to the left), and lights what the other's shadow covers as it alone does.
TEST_P(ShadowRun, ASpotAndAPointLightShadowTogetherAsEachAlone)
{
    const std::string point = PointLight("<Shadow=\"Map\">", "<X=-1.5><Y=3.0><Z=0.0>", "Bulb", 4);
    const uint32_t pointShadowX = 100;
    const uint32_t pointShadowY = 220;
    Run(Scene(SpotLight("<Shadow=\"Map\">")));
    const int spotInPointShadow = RedAt(pointShadowX, pointShadowY);
    EXPECT_GT(spotInPointShadow, 60) << "the spot lights the ground there";
    Run(Scene(point));
    const int pointInSpotShadow = RedAt(Width / 2, Height / 2);
    EXPECT_GT(pointInSpotShadow, 60) << "the point light lights the centre";
    EXPECT_NEAR(RedAt(pointShadowX, pointShadowY), 26, 6) << "ambient alone in the point light's shadow";
    Run(Scene(SpotLight("<Shadow=\"Map\">") + point));
    EXPECT_NEAR(RedAt(Width / 2, Height / 2), pointInSpotShadow, 2);
    EXPECT_NEAR(RedAt(pointShadowX, pointShadowY), spotInPointShadow, 2);
}

INSTANTIATE_TEST_SUITE_P(Techniques, ShadowRun, testing::Values("Forward", "Deferred"),
                         [](const testing::TestParamInfo<const char*>& info)
                         { return std::string(info.param); });
} // namespace
