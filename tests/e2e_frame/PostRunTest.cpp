#include "e2e/KestrunProcess.h"
#include "e2e_frame/FrameGrab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Fog, the background and the post-process chain on whole frames, each case run with the forward
// technique and then with the deferred one. The quads are self-lit and the scene has no light and
// no ambient, so each shows its own colour flat and the effects are all that change it.
namespace
{
constexpr uint32_t Width = FrameGrab::Width;
constexpr uint32_t Height = FrameGrab::Height;
// The default camera: zoom 3.2 down, and across the 4:3 ratio takes it to 2.4.
constexpr float ZoomAcross = 3.2f * 3.0f / 4.0f;
constexpr float ZoomDown = 3.2f;

std::string SelfLit(float level)
{
    const std::string c = std::to_string(level);
    return "<Diffuse=<X=0.0><Y=0.0><Z=0.0><W=1.0>><Self=<X=" + c + "><Y=" + c + "><Z=" + c +
           "><W=1.0>><RenderMask=<DoubleSided>>";
}
const std::string Grey = SelfLit(128.0f / 255.0f);
const std::string White = SelfLit(1.0f);

// One four-cornered polygon per entry, all of the one material.
std::string Geometry(const std::string& material, const std::vector<FrameGrab::QuadCorners>& quads)
{
    return FrameGrab::QuadGeometry({material}, quads);
}

// A square facing the camera at depth z whose centre shows at (across, down) in -1..1 of the screen.
FrameGrab::QuadCorners Facing(float across, float down, float z, float half)
{
    const float x = across * z / ZoomAcross;
    const float y = down * z / ZoomDown;
    return {
        {{x - half, y - half, z}, {x - half, y + half, z}, {x + half, y + half, z}, {x + half, y - half, z}}};
}

// The screen pixel column or row of a point at -1..1 across or up.
uint32_t Column(float across)
{
    return uint32_t((across + 1.0f) * 0.5f * float(Width));
}
uint32_t Row(float up)
{
    return uint32_t((1.0f - up) * 0.5f * float(Height));
}

std::string Scene(const std::string& globals, const std::string& cameraRegistry = "")
{
    return "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">>"
           "<Globals=<AmbientColor=<X=1.0><Y=1.0><Z=1.0><W=1.0>><AmbientIntensity=0.0>" +
           globals +
           "><Items=<MCamera=<MItem=<Id=\"Cam\"><UId=0><Active>><Camera=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>"
           ">" +
           (cameraRegistry.empty() ? "" : "<Registry=" + cameraRegistry + ">") +
           ">>><MObject=<MItem=<Id=\"Shapes\"><UId=1><Active>><Object=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>"
           "<Geometry=\"shapes.nmg\">>>><CurrentCamera=\"Cam\">>\n";
}

const std::string Black = "<BackgroundColor=<X=0.0><Y=0.0><Z=0.0><W=1.0>>";

using FrameGrab::ExpectNear;
using FrameGrab::Pixel;

class PostRun : public testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display";
        directory.WriteFile("s.nut", FrameGrab::Script);
    }

    bool Deferred() const { return GetParam(); }

    void Run(const std::string& scene, const std::string& geometry, const std::string& configuration = "")
    {
        const std::string technique = Deferred() ? "<Technique=\"Deferred\">" : "";
        directory.WriteFile("engine.cfg",
                            "<NML=1.0>\n<Width=320><Height=240>" + technique + configuration + "\n");
        directory.WriteFile("s.nms", scene);
        directory.WriteFile("shapes.nmg", geometry);
        FrameGrab::RunAndGrab(directory.Path(), run, grab);
    }

    Pixel At(uint32_t x, uint32_t y) const { return FrameGrab::PixelAt(grab, x, y); }

    // The mean and the standard deviation of the red channel over columns [x0, x1) of rows [y0, y1).
    std::pair<double, double> RedSpread(uint32_t x0, uint32_t x1, uint32_t y0, uint32_t y1) const
    {
        double sum = 0.0;
        double squares = 0.0;
        for (uint32_t y = y0; y < y1; ++y)
            for (uint32_t x = x0; x < x1; ++x)
            {
                const double red = At(x, y)[0];
                sum += red;
                squares += red * red;
            }
        const double count = double(x1 - x0) * double(y1 - y0);
        const double mean = sum / count;
        return {mean, std::sqrt(std::max(0.0, squares / count - mean * mean))};
    }

    TemporaryDirectory directory;
    KestrunRun run;
    std::string grab;
};

TEST_P(PostRun, TheBackgroundStaysWhereNothingDrew)
{
    Run(Scene("<BackgroundColor=<X=0.0><Y=0.0><Z=0.25><W=1.0>>"),
        Geometry(Grey, {Facing(0.0f, 0.0f, 5.0f, 0.5f)}));
    for (const auto& [x, y] : {std::pair{0u, 0u}, {Width - 1, 0u}, {0u, Height - 1}, {Width - 1, Height - 1}})
        ExpectNear(At(x, y), {0, 0, 64}, 1, "corner");
    ExpectNear(At(Width / 2, Height / 2), {128, 128, 128}, 2, "the quad");
}

// Three grey quads side by side: before the fog starts, halfway into it and past its end.
TEST_P(PostRun, FogIsLinearInViewDepthBetweenItsNearAndFar)
{
    const std::string geometry = Geometry(Grey, {Facing(-0.6f, 0.0f, 4.0f, 0.2f * 4.0f / ZoomAcross),
                                                 Facing(0.0f, 0.0f, 10.0f, 0.2f * 10.0f / ZoomAcross),
                                                 Facing(0.6f, 0.0f, 30.0f, 0.2f * 30.0f / ZoomAcross)});
    const std::string background = "<BackgroundColor=<X=0.0><Y=0.0><Z=0.25><W=1.0>>";
    const std::string fogColour = "<FogColor=<X=0.0><Y=0.0><Z=1.0><W=1.0>>";
    Run(Scene(background + fogColour + "<FogNear=5.0><FogFar=15.0>"), geometry);
    ExpectNear(At(Column(-0.6f), Height / 2), {128, 128, 128}, 2, "z 4");
    ExpectNear(At(Column(0.0f), Height / 2), {64, 64, 191}, 10, "z 10");
    ExpectNear(At(Column(0.6f), Height / 2), {0, 0, 255}, 2, "z 30");
    ExpectNear(At(0, 0), {0, 0, 64}, 1, "the background takes no fog");

    Run(Scene(background + fogColour + "<FogNear=5.0><FogFar=0.0>"), geometry);
    for (float across : {-0.6f, 0.0f, 0.6f})
        ExpectNear(At(Column(across), Height / 2), {128, 128, 128}, 2,
                   "FogFar 0 at " + std::to_string(across));
}

// A white quad on black: its glow reaches past its edge only with Bloom asked for and not excluded.
TEST_P(PostRun, BloomGlowsPastABrightEdgeUnlessExcluded)
{
    const std::string geometry = Geometry(White, {Facing(0.0f, 0.0f, 5.0f, 0.5f)});
    const std::string bloom = "<PostProcess=<Bloom=<Strength=1.0><Threshold=0.5><Radius=24.0>>>";
    // The quad's right edge sits 0.5 x zoom / 5 of the half width right of the centre.
    const uint32_t edge = Column(0.5f * ZoomAcross / 5.0f);
    const auto glow = [&]
    {
        int least = 255;
        for (uint32_t x = edge + 10; x <= edge + 12; ++x)
            least = std::min(least, At(x, Height / 2)[0]);
        return least;
    };
    Run(Scene(Black), geometry);
    ASSERT_EQ(At(edge - 3, Height / 2)[0], 255) << "inside the quad";
    EXPECT_EQ(glow(), 0) << "without Bloom";

    Run(Scene(Black, bloom), geometry);
    EXPECT_GE(glow(), 16);
    EXPECT_EQ(At(0, 0)[0], 0) << "far from the quad";

    Run(Scene(Black, bloom), geometry, "<PostProcess=<Exclusion=<Bloom=True>>>");
    EXPECT_EQ(glow(), 0) << "excluded";
    Run(Scene(Black, bloom), geometry, "<PostProcess=<Exclusion=<Bloom=False>>>");
    EXPECT_GE(glow(), 16) << "a false exclusion excludes nothing";
}

// A grey floor one unit below the camera meets a grey wall at z 10: the crease darkens, the open
// wall above it does not.
TEST_P(PostRun, SSAODarkensWhereTheFloorMeetsTheWallAndLeavesOpenAreas)
{
    const std::string geometry = Geometry(
        Grey,
        {{{{-10.0f, -1.0f, 1.0f}, {-10.0f, -1.0f, 10.0f}, {10.0f, -1.0f, 10.0f}, {10.0f, -1.0f, 1.0f}}},
         {{{-10.0f, -1.0f, 10.0f}, {-10.0f, 5.0f, 10.0f}, {10.0f, 5.0f, 10.0f}, {10.0f, -1.0f, 10.0f}}}});
    const uint32_t crease = Row(-1.0f * ZoomDown / 10.0f);
    const uint32_t openWall = Row(0.5f);
    // The wall's strip just above the crease, the width of the screen's middle half.
    const auto creaseStrip = [&] { return RedSpread(Width / 4, Width * 3 / 4, crease - 8, crease).first; };
    Run(Scene(Black), geometry);
    const double plainCrease = creaseStrip();
    const Pixel plainWall = At(Width / 2, openWall);
    ExpectNear(plainWall, {128, 128, 128}, 2, "the wall");

    Run(Scene(Black, "<PostProcess=<SSAO=<Strength=1.0>>>"), geometry);
    EXPECT_LE(creaseStrip(), plainCrease - 10.0) << "the crease darkens";
    for (uint32_t x : {Width / 4, Width / 2, Width * 3 / 4})
        ExpectNear(At(x, openWall), plainWall, 3, "the open wall at " + std::to_string(x));
}

// A grey wall over the whole screen.
TEST_P(PostRun, NoiseGrainsAFlatAreaAndDoesNothingAtStrengthZero)
{
    const std::string geometry = Geometry(Grey, {Facing(0.0f, 0.0f, 10.0f, 8.0f)});
    Run(Scene(Black), geometry);
    const std::string plain = grab;

    Run(Scene(Black, "<PostProcess=<Noise=<Strength=0.5>>>"), geometry);
    const auto [mean, deviation] =
        RedSpread(Width / 2 - 32, Width / 2 + 32, Height / 2 - 32, Height / 2 + 32);
    EXPECT_GT(deviation, 2.0);
    EXPECT_NEAR(mean, 128.0, 8.0) << "the grain is centred on the colour";

    Run(Scene(Black, "<PostProcess=<Noise=<Strength=0.0>>>"), geometry);
    EXPECT_TRUE(grab == plain) << "strength 0 leaves the frame as it was";
}

INSTANTIATE_TEST_SUITE_P(Techniques, PostRun, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info)
                         { return info.param ? "Deferred" : "Forward"; });
} // namespace
