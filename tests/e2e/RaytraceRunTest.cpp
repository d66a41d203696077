#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <sched.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

using Pixel = std::array<uint8_t, 4>; // as the file stores it: B, G, R, A

const char* const EndScript = "class Director { function OnUpdate(scene) { SceneEnd(scene); } }\n";

// A square of half size 100 in the plane z = depth, seen from the front by a camera looking
// along +z, or from behind when flipped; x from xMin only when given.
std::string Square(float depth, const char* material, bool flipped = false, float xMin = -100.0f)
{
    const std::string z = std::to_string(depth);
    auto vertex = [&](float x, float y)
    { return "<V=<X=" + std::to_string(x) + "><Y=" + std::to_string(y) + "><Z=" + z + ">>"; };
    const std::string corners =
        flipped ? vertex(xMin, -100) + vertex(100, -100) + vertex(100, 100) + vertex(xMin, 100)
                : vertex(xMin, -100) + vertex(xMin, 100) + vertex(100, 100) + vertex(100, -100);
    return std::string("<NML=1.0>\n<Geometry=<Materials=<Material=") + material +
           ">><AVertex=<Count=4><Data=" + corners +
           ">><APolygon=<Count=1><BindingCount=4><Data=<Polygon=<Count=4><Material=0><Index=0><Index=1><"
           "Index=2>"
           "<Index=3>>>>>\n";
}

std::string Object(const char* name, int uid, const char* geometry)
{
    return std::string("<MObject=<MItem=<Id=\"") + name + "\"><UId=" + std::to_string(uid) +
           "><Active>><Object=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>><Geometry=\"" + geometry + "\">>>";
}

const std::string ParallelLight =
    "<MLight=<MItem=<Id=\"Sun\"><UId=9><Active>><Light=<Item=<Position=<X=0.0><Y=0.0>"
    "<Z=0.0>>><Type=\"Parallel\">>>";
const std::string ShadowLight =
    "<MLight=<MItem=<Id=\"Sun\"><UId=9><Active>><Light=<Item=<Position=<X=0.0><Y=0.0>"
    "<Z=0.0>>><Type=\"Parallel\"><Shadow=\"Map\">>>";
const char* const Diffuse = "<Diffuse=<X=0.5><Y=0.25><Z=0.75><W=1.0>>";
const char* const Self = "<Diffuse=<X=0.5><Y=0.25><Z=0.75><W=1.0>><Self=<X=1.0><Y=0.0><Z=0.0><W=1.0>>";

// A scene whose unit ends it in its first update; ambient light off, the background given.
std::string Scene(const std::string& items, const std::string& globals = "")
{
    return "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"end.nut\"><Class=\"Director\">>"
           "<Globals=<BackgroundColor=<X=0.5><Y=0.25><Z=1.0><W=0.0>><AmbientColor=<X=0.0><Y=0.0><Z=0.0><W=1."
           "0>>"
           "<AmbientIntensity=0.0>" +
           globals +
           "><Items=<MCamera=<MItem=<Id=\"Cam\"><UId=0><Active>><Camera=<Item=<Position=<X=0.0><Y=0.0><Z=-5."
           "0>>>>>" +
           items + "><CurrentCamera=\"Cam\">>\n";
}

const std::string Fog = "<FogNear=1.0><FogFar=2.0><FogColor=<X=0.0><Y=1.0><Z=0.0><W=1.0>>";

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

Pixel PixelOf(const std::vector<uint8_t>& file, uint32_t x, uint32_t y)
{
    const size_t at = 18 + (size_t(y) * 64 + x) * 4;
    return {file[at], file[at + 1], file[at + 2], file[at + 3]};
}

class RaytraceRun : public testing::Test
{
protected:
    void SetUp() override
    {
        directory.WriteFile("end.nut", EndScript);
        directory.WriteFile("wall.nmg", Square(10.0f, Diffuse));
        directory.WriteFile("self.nmg", Square(10.0f, Self));
        directory.WriteFile("occluder.nmg", Square(-10.0f, Diffuse, true, 0.0f));
    }

    // Runs the scene with "-R out" at 64 x 48 and answers the frame's bytes.
    std::vector<uint8_t> Run(const std::string& scene, const std::vector<std::string>& extra = {})
    {
        directory.WriteFile("scene.nms", scene);
        std::filesystem::remove_all(directory.Path() / "out");
        std::vector<std::string> arguments = {"scene.nms",
                                              "-r",
                                              "none",
                                              "-m",
                                              "none",
                                              "-R",
                                              "out",
                                              "-Rw",
                                              "64",
                                              "-Rh",
                                              "48",
                                              "-CC",
                                              KESTRUN_DATA_DIR "/core"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        run = RunKestrun(directory.Path(), arguments);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(directory.Path() / "out"))
            files.push_back(entry.path().filename());
        EXPECT_EQ(files, std::vector<std::filesystem::path>{"out_00000.tga"});
        return ReadBytes(directory.Path() / "out" / "out_00000.tga");
    }

    TemporaryDirectory directory;
    KestrunRun run;
};

TEST_F(RaytraceRun, FramesOfSimpleScenesAreWrittenAsThirtyTwoBitTGAFiles)
{
    struct Case
    {
        const char* name;
        std::string scene;
        Pixel expected;
    };
    const Case cases[] = {
        {"empty scene", Scene(""), {255, 63, 127, 0}},
        {"lit wall", Scene(Object("Wall", 1, "wall.nmg") + ParallelLight), {191, 63, 127, 255}},
        {"self-illuminated wall without lights", Scene(Object("Wall", 1, "self.nmg")), {0, 0, 255, 255}},
        {"wall in fog", Scene(Object("Wall", 1, "wall.nmg") + ParallelLight, Fog), {0, 255, 0, 255}},
        {"empty scene in fog", Scene("", Fog), {255, 63, 127, 0}},
    };
    for (const Case& c : cases)
    {
        const std::vector<uint8_t> file = Run(c.scene);
        ASSERT_EQ(file.size(), 12306u) << c.name;
        EXPECT_EQ(file[2], 2u) << c.name;
        EXPECT_EQ(file[16], 32u) << c.name;
        EXPECT_EQ(file[17], 0x28u) << c.name;
        for (uint32_t y = 0; y < 48; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                ASSERT_EQ(PixelOf(file, x, y), c.expected) << c.name << " at " << x << ", " << y;
        EXPECT_NE(run.output.find("[H] Raytracing frame 0 (64x48)...\n"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("Raytracing done. Took "), std::string::npos) << run.output;
    }
}

TEST_F(RaytraceRun, AShadowFrameIsTheSameOnOneProcessorOnAllAndOnEveryRun)
{
    const std::string scene =
        Scene(Object("Wall", 1, "wall.nmg") + Object("Occluder", 2, "occluder.nmg") + ShadowLight);
    const std::vector<uint8_t> first = Run(scene);
    ASSERT_EQ(first.size(), 12306u);
    for (uint32_t y : {0u, 24u, 47u})
    {
        EXPECT_EQ(PixelOf(first, 8, y), (Pixel{191, 63, 127, 255})) << y;
        EXPECT_EQ(PixelOf(first, 56, y), (Pixel{0, 0, 0, 255})) << y;
    }
    EXPECT_EQ(Run(scene), first);

    // The child inherits the affinity, and takes one worker per processor it may use.
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof(all), &all), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &all))
        {
            CPU_SET(cpu, &one);
            break;
        }
    ASSERT_EQ(sched_setaffinity(0, sizeof(one), &one), 0);
    const std::vector<uint8_t> single = Run(scene);
    sched_setaffinity(0, sizeof(all), &all);
    EXPECT_EQ(single, first);
}

TEST_F(RaytraceRun, TheOutputDirectoryIsMadeAtStartUpAndTheGridReachesTheFrame)
{
    directory.WriteFile("scene.nms", Scene(Object("Wall", 1, "wall.nmg") + ParallelLight));
    run = RunKestrun(directory.Path(), {"scene.nms", "-r", "none", "-m", "none", "-R", "frames/deep/out",
                                        "-Rw", "0", "-Rh", "8", "-Raa", "100"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::vector<uint8_t> file =
        ReadBytes(directory.Path() / "frames" / "deep" / "out" / "out_00000.tga");
    // A width of 0 means the display's, 1280 without a configuration.
    ASSERT_EQ(file.size(), 18u + 1280u * 8u * 4u) << run.output;
    EXPECT_NE(run.output.find("[*] Antialias grid 100 traced as 32.\n"), std::string::npos) << run.output;
}

// A directory that cannot be made is named, the run goes on without its frames and ends with 4,
// unless a stronger reason to fail (a script error: 3) ended it.
TEST_F(RaytraceRun, FramesThatCannotBeWrittenEndTheRunWithFour)
{
    directory.WriteFile("blocker", "a file where the directory would go");
    directory.WriteFile("error.nut", "class Director { function OnUpdate(scene) { null.Fail(); } }\n");
    struct Case
    {
        const char* script;
        int exitCode;
    };
    for (const Case& c : {Case{"end.nut", 4}, Case{"error.nut", 3}})
    {
        std::string scene = Scene("");
        scene.replace(scene.find("end.nut"), 7, c.script);
        directory.WriteFile("scene.nms", scene);
        run = RunKestrun(directory.Path(), {"scene.nms", "-r", "none", "-m", "none", "-R", "blocker/out",
                                            "-Rw", "8", "-Rh", "8", "-time_live", "5"});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.script << run.output;
        EXPECT_NE(run.output.find("[!] Cannot create the raytrace output directory 'blocker/out'.\n"),
                  std::string::npos)
            << run.output;
        EXPECT_NE(run.output.find("[!] Raytracing frame 0 failed.\n"), std::string::npos) << run.output;
    }
}

} // namespace
