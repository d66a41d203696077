#include "e2e/KestrunProcess.h"
#include "e2e_frame/FrameGrab.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
constexpr uint32_t Width = FrameGrab::Width;
constexpr uint32_t Height = FrameGrab::Height;
const std::string CoreData = FrameGrab::CoreData;
const char* const GrabScript = FrameGrab::Script;

// A 2 x 2 square in the plane z = 5, facing the camera at the origin, or turned away from it; its
// u runs from 0 to 1 across x.
std::string Quad(const std::string& material, bool turnedAway = false)
{
    auto vertex = [](int x, int y)
    { return "<V=<X=" + std::to_string(x) + "><Y=" + std::to_string(y) + "><Z=5.0>>"; };
    auto uv = [](int u, int v) { return "<Value=<U=" + std::to_string(u) + "><V=" + std::to_string(v) + ">>"; };
    const std::string corners = turnedAway ? vertex(-1, -1) + vertex(1, -1) + vertex(1, 1) + vertex(-1, 1)
                                           : vertex(-1, -1) + vertex(-1, 1) + vertex(1, 1) + vertex(1, -1);
    const std::string uvs = turnedAway ? uv(0, 0) + uv(1, 0) + uv(1, 1) + uv(0, 1)
                                       : uv(0, 0) + uv(0, 1) + uv(1, 1) + uv(1, 0);
    return "<NML=1.0>\n<Geometry=<Materials=<Material=" + material + ">><AVertex=<Count=4><Data=" + corners +
           ">><APolygon=<Count=1><BindingCount=4><Data=<Polygon=<Count=4><Material=0><Index=0><Index=1>"
           "<Index=2><Index=3>>>><AUV=<Data=" +
           uvs + ">>>\n";
}

const std::string GreyMaterial = "<Diffuse=<X=0.5><Y=0.5><Z=0.5><W=1.0>><RenderMask=<DoubleSided>>";
const std::string TexturedMaterial = "<Diffuse=<X=1.0><Y=1.0><Z=1.0><W=1.0>><RenderMask=<DoubleSided>>"
                                     "<TextureStage=<Index=0><Channel=\"Diffuse\"><Texture=\"halves.tga\"><Active>>";

const std::string QuadObject = "<MObject=<MItem=<Id=\"Quad\"><UId=1><Active>><Object=<Item=<Position=<X=0.0>"
                               "<Y=0.0><Z=0.0>>><Geometry=\"quad.nmg\">>>";
const std::string PointLight =
    "<MLight=<MItem=<Id=\"Lamp\"><UId=2><Active>><Light=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>>>";

std::string Scene(const std::string& items, const std::string& background = "<X=0.0><Y=0.0><Z=0.0><W=1.0>")
{
    return "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">>"
           "<Globals=<BackgroundColor=" +
           background +
           "><AmbientColor=<X=1.0><Y=1.0><Z=1.0><W=1.0>><AmbientIntensity=0.2>>"
           "<Items=<MCamera=<MItem=<Id=\"Cam\"><UId=0><Active>><Camera=<Item=<Position=<X=0.0><Y=0.0>"
           "<Z=0.0>>>>>" +
           items + "><CurrentCamera=\"Cam\">>\n";
}

// 16 x 2 texels: the left half (100, 0, 0), the right half (0, 100, 0); an uncompressed 32-bit TGA.
std::string HalvesTexture()
{
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = 16;
    file[14] = 2;
    file[16] = 32;
    file[17] = 0x28;
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 16; ++x)
            file += x < 8 ? std::string("\x00\x00\x64\xFF", 4) : std::string("\x00\x64\x00\xFF", 4); // B, G, R, A
    return file;
}

using FrameGrab::ExpectNear;
using FrameGrab::Pixel;

// Each scene runs under both techniques, named by the parameter as engine.cfg gives "Technique".
class FrameRun : public testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display";
        directory.WriteFile("s.nut", GrabScript);
        directory.WriteFile("engine.cfg", std::string("<NML=1.0>\n<Width=320><Height=240><Technique=\"") +
                                              GetParam() + "\">\n");
        directory.WriteFile("halves.tga", HalvesTexture());
    }

    // Runs the scene to its third frame and reads the grab.
    void Run(const std::string& scene, const std::string& quad = Quad(GreyMaterial))
    {
        directory.WriteFile("s.nms", scene);
        directory.WriteFile("quad.nmg", quad);
        FrameGrab::RunAndGrab(directory.Path(), run, grab);
    }

    // (0, 0) is the top left pixel.
    Pixel At(uint32_t x, uint32_t y) const { return FrameGrab::PixelAt(grab, x, y); }

    // The columns of the centre row that show something other than the corner's colour.
    std::pair<uint32_t, uint32_t> QuadColumns() const
    {
        const Pixel background = At(0, 0);
        uint32_t first = Width;
        uint32_t last = 0;
        for (uint32_t x = 0; x < Width; ++x)
            if (At(x, Height / 2) != background)
            {
                first = std::min(first, x);
                last = x;
            }
        return {first, last};
    }

    TemporaryDirectory directory;
    KestrunRun run;
    std::string grab;
};

TEST_P(FrameRun, ALitQuadShowsDiffuseAndAmbientAndTheCornersStayBlack)
{
    Run(Scene(QuadObject + PointLight));
    EXPECT_NE(run.output.find("GPU-based (egl2) on adapter "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("[H] Setup terrain cache: 32 pages (3244800 bytes).\n"), std::string::npos)
        << run.output;
    ExpectNear(At(Width / 2, Height / 2), {153, 153, 153}, 4, "centre");
    for (const auto& [x, y] : {std::pair{0u, 0u}, {Width - 1, 0u}, {0u, Height - 1}, {Width - 1, Height - 1}})
        ExpectNear(At(x, y), {0, 0, 0}, 0, "corner");
}

// Range attenuates linearly: the quad's centre 1 from a light of range 3 gets 2/3 of it, 5 from a
// light of range 20 3/4. The first light's reach lies ahead of the camera, the second's around it,
// as does the reach of a spot light just behind the camera, which lights the centre fully.
TEST_P(FrameRun, ALightsReachLightsTheSameAheadOfAndAroundTheCamera)
{
    auto lamp = [](const char* z, const char* range)
    {
        return std::string("<MLight=<MItem=<Id=\"Lamp\"><UId=2><Active>><Light=<Item=<Position=<X=0.0><Y=0.0><Z=") +
               z + ">>><Range=" + range + ">>>";
    };
    Run(Scene(QuadObject + lamp("4.0", "3.0")));
    ExpectNear(At(Width / 2, Height / 2), {111, 111, 111}, 4, "range 3");
    Run(Scene(QuadObject + lamp("0.0", "20.0")));
    ExpectNear(At(Width / 2, Height / 2), {121, 121, 121}, 4, "range 20");
    Run(Scene(QuadObject + "<MLight=<MItem=<Id=\"Lamp\"><UId=2><Active>><Light=<Item=<Position=<X=0.0><Y=0.0>"
                           "<Z=-1.0>>><Type=\"Spot\"><ConeAngle=0.6><EdgeAngle=0.1><VolumeRange=30.0>>>"));
    ExpectNear(At(Width / 2, Height / 2), {153, 153, 153}, 4, "spot");
}

TEST_P(FrameRun, AQuadTurnedAwayFromTheLightShowsOnlyTheAmbientPart)
{
    Run(Scene(QuadObject + PointLight), Quad(GreyMaterial, true));
    ExpectNear(At(Width / 2, Height / 2), {26, 26, 26}, 4, "centre");
}

// Without "DoubleSided" only the side that faces the camera is drawn.
TEST_P(FrameRun, ASingleSidedQuadShowsOnlyTheSideFacingTheCamera)
{
    const std::string singleSided = "<Diffuse=<X=0.5><Y=0.5><Z=0.5><W=1.0>>";
    Run(Scene(QuadObject + PointLight), Quad(singleSided));
    ExpectNear(At(Width / 2, Height / 2), {153, 153, 153}, 4, "facing");
    Run(Scene(QuadObject + PointLight), Quad(singleSided, true));
    ExpectNear(At(Width / 2, Height / 2), {0, 0, 0}, 0, "turned away");
}

TEST_P(FrameRun, ATexturedQuadShowsEachHalfOfItsTexture)
{
    Run(Scene(QuadObject + PointLight), Quad(TexturedMaterial));
    const auto [first, last] = QuadColumns();
    ASSERT_LT(first, last);
    const double span = double(last + 1 - first);
    const uint32_t left = first + uint32_t(span * 0.25);
    const uint32_t right = first + uint32_t(span * 0.75);
    ExpectNear(At(left, Height / 2), {120, 0, 0}, 5, "quad x -0.5");
    ExpectNear(At(right, Height / 2), {0, 120, 0}, 5, "quad x 0.5");
}

TEST_P(FrameRun, TheBackgroundStaysWhereNothingIsDrawn)
{
    Run(Scene(QuadObject + PointLight, "<X=0.0><Y=0.0><Z=0.25><W=1.0>"));
    ExpectNear(At(0, 0), {0, 0, 64}, 1, "corner");
    ExpectNear(At(Width / 2, Height / 2), {153, 153, 153}, 4, "centre");
}

// Every vertex hangs on the one bone, whose item stands 1.5 to the right.
TEST_P(FrameRun, ASkinnedQuadFollowsItsBone)
{
    Run(Scene(QuadObject + PointLight));
    const auto [plainFirst, plainLast] = QuadColumns();
    ASSERT_LT(plainFirst, plainLast);
    const double unit = double(plainLast + 1 - plainFirst) / 2.0; // pixels per scene unit at z 5

    std::string skinned = Quad(GreyMaterial);
    skinned.insert(skinned.rfind(">"), "<Skin=<Bones=<Id=\"b0\">><Weights=<W=\"0,0,0,0:255,0,0,0\">"
                                       "<W=\"0,0,0,0:255,0,0,0\"><W=\"0,0,0,0:255,0,0,0\"><W=\"0,0,0,0:255,0,0,0\">>>");
    const std::string bone = "<MCamera=<MItem=<Id=\"Bone\"><UId=3><Active>><Camera=<Item=<Position=<X=1.5><Y=0.0>"
                             "<Z=0.0>>>>>";
    std::string scene = Scene(QuadObject + PointLight + bone);
    scene.insert(scene.rfind(">"), "<Skins=<Skin=<UId=1><Bone=<Index=0><UId=3>>>>");
    Run(scene, skinned);
    const auto [first, last] = QuadColumns();
    EXPECT_NEAR(double(first), double(plainFirst) + 1.5 * unit, 2.0) << run.output;
    EXPECT_NEAR(double(last), std::min(double(Width - 1), double(plainLast) + 1.5 * unit), 2.0);
    ExpectNear(At(Width / 2 - uint32_t(unit), Height / 2), {0, 0, 0}, 0, "where the quad stood");
}

// A flat terrain one unit below the camera, reaching from it to 64 units ahead.
TEST_P(FrameRun, AFlatTerrainBelowTheCameraFillsTheLowerHalf)
{
    directory.WriteFile("flat.raw", std::string(64 * 64 * 4, '\0'));
    const std::string terrain = "<MTerrain=<MItem=<Id=\"Ground\"><UId=4><Active>><Terrain=<Item=<Position=<X=0.0>"
                                "<Y=-1.0><Z=32.0>>><Material=<Diffuse=<X=0.5><Y=0.5><Z=0.5><W=1.0>>>"
                                "<Heightmap=<Width=64><Height=64><Data=\"flat.raw\"><Resolution=1.0>>>>";
    Run(Scene(terrain + PointLight, "<X=0.0><Y=0.0><Z=0.25><W=1.0>"));
    for (uint32_t x : {10u, Width / 2, Width - 10})
    {
        ExpectNear(At(x, Height / 4), {0, 0, 64}, 1, "above the horizon");
        const Pixel ground = At(x, Height - 10);
        EXPECT_GT(ground[0], 0) << "below the horizon at " << x << ": (" << ground[0] << ", " << ground[1] << ", "
                                << ground[2] << ")";
        EXPECT_EQ(ground[0], ground[1]) << x;
    }
}

// Particles that stay where they are born, five units ahead: white quads (the model's default
// colour, opacity and size) over the blue background.
TEST_P(FrameRun, AnEmittersParticlesAreDrawnFacingTheCamera)
{
    directory.WriteFile("white.npm", "<NML=1.0>\n<ParticleModel=<TTL=10.0><Material=<RenderMask=<DoubleSided>>>>\n");
    const std::string emitter =
        "<MEmitter=<MItem=<Id=\"Sparks\"><UId=3><Active>><Emitter=<Item=<Position=<X=0.0><Y=0.0><Z=5.0>>>"
        "<SpeedMin=0.0><SpeedMax=0.0><BirthRate=1000.0><PoolSize=64><ParticleModel=\"white.npm\">>>";
    Run(Scene(emitter, "<X=0.0><Y=0.0><Z=0.25><W=1.0>"));
    ExpectNear(At(Width / 2, Height / 2), {255, 255, 255}, 4, "centre");
    ExpectNear(At(2, 2), {0, 0, 64}, 2, "corner");
}

// One particle drawn with birth scales of a half: half the width of a whole one, and half its
// opacity over the blue background.
TEST_P(FrameRun, AParticlesBirthScalesAreAppliedOnce)
{
    directory.WriteFile(
        "white.npm",
        "<NML=1.0>\n<ParticleModel=<TTL=10.0><Material=<BlendOp=\"Alpha\"><RenderMask=<DoubleSided>>>>\n");
    const std::string emitter =
        "<MEmitter=<MItem=<Id=\"Sparks\"><UId=3><Active>><Emitter=<Item=<Position=<X=0.0><Y=0.0><Z=5.0>>>"
        "<SpeedMin=0.0><SpeedMax=0.0><BirthRate=1000.0><PoolSize=1><ParticleModel=\"white.npm\">>>";
    const std::string background = "<X=0.0><Y=0.0><Z=0.25><W=1.0>";
    Run(Scene(emitter, background));
    const auto whole = QuadColumns();
    ExpectNear(At(Width / 2, Height / 2), {255, 255, 255}, 4, "whole");

    std::string script = GrabScript;
    script.insert(script.find("class S {") + 9,
                  "\n  function OnSetup(s) {\n"
                  "    local e = ItemCastToEmitter(SceneFindItem(s, \"Sparks\"));\n"
                  "    EmitterSetBirthSizeScale(e, 0.5);\n"
                  "    EmitterSetBirthOpacityScale(e, 0.5);\n"
                  "  }");
    directory.WriteFile("s.nut", script);
    Run(Scene(emitter, background));
    const auto half = QuadColumns();
    EXPECT_NEAR(double(half.second - half.first + 1), (whole.second - whole.first + 1) / 2.0, 2.0);
    ExpectNear(At(Width / 2, Height / 2), {128, 128, 160}, 4, "half");
}

TEST_P(FrameRun, BadContentEndsTheRunCleanly)
{
    directory.WriteFile("halves.tga", "not a picture");
    directory.WriteFile("s.nms", Scene(QuadObject + PointLight));
    directory.WriteFile("quad.nmg", Quad(TexturedMaterial));
    run = RunKestrun(directory.Path(), {"s.nms", "-r", "egl2", "-m", "none", "-CC", CoreData, "-C", "engine.cfg"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(std::filesystem::exists(directory.Path() / "grab.tga")) << run.output;

    // The core data without the shader dictionary: no program is built, nothing is drawn.
    TemporaryDirectory core;
    std::filesystem::copy(CoreData, core.Path(), std::filesystem::copy_options::recursive);
    std::filesystem::remove(core.Path() / "shaders" / "egl2" / "dict.txt");
    std::filesystem::remove(directory.Path() / "grab.tga");
    directory.WriteFile("quad.nmg", Quad(GreyMaterial));
    run = RunKestrun(directory.Path(),
                     {"s.nms", "-r", "egl2", "-m", "none", "-CC", core.Path().string(), "-C", "engine.cfg"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(std::filesystem::exists(directory.Path() / "grab.tga")) << run.output;
    EXPECT_NE(run.output.find("[!] Shader dictionnaty missing.\n"), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(Techniques, FrameRun, testing::Values("Forward", "Deferred"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });
} // namespace
