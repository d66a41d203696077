#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

std::string Triangle(const std::string& extra)
{
    return "<NML=1.0>\n<Geometry=<AVertex=<Count=3><Data=<V=<X=0.0><Y=0.0><Z=0.0>><V=<X=1.0><Y=0.0><Z=0.0>>"
           "<V=<X=0.0><Y=1.0><Z=0.0>>>><APolygon=<Count=1><BindingCount=3><Data=<Polygon=<Count=3><Material="
           "0>"
           "<Index=0><Index=1><Index=2>>>><Materials=<Material=<Glossiness=0.5>>>" +
           extra + ">\n";
}

std::string Managed(const char* kind, const char* part, const char* name, int uid, const std::string& managed,
                    const std::string& content)
{
    return std::string("<") + kind + "=<MItem=<Id=\"" + name + "\"><UId=" + std::to_string(uid) +
           "><Active>" + managed + "><" + part + "=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>" + content + ">>";
}

std::string SceneText(int poolSize)
{
    return "<NML=1.0>\n<Scene=<Items=" +
           Managed("MObject", "Object", "Rock", 0, "<Static>", "<Geometry=\"near.nml\">") +
           Managed("MEmitter", "Emitter", "Smoke", 1, "",
                   "<BirthRate=50.0><PoolSize=" + std::to_string(poolSize) +
                       "><ParticleModel=\"smoke.npm\">") +
           Managed("MTerrain", "Terrain", "Ground", 2,
                   "<PhysicItem=<Mode=\"Static\"><Shapes=<PhysicShape=<Type=\"Heightmap\">>>>",
                   "<Heightmap=<Width=64><Height=64><Data=\"h.raw\"><Resolution=1.0>>") +
           "<MObject=<MItem=<Id=\"Box\"><UId=3><Active><ScriptUnit=<Script=\"box.nut\"><Class=\"Faller\">>"
           "<PhysicItem=<Mode=\"Dynamic\"><Shapes=<PhysicShape=<Type=\"Box\">>>>>"
           "<Object=<Item=<Position=<X=0.0><Y=10.0><Z=0.0>>>>>>>\n";
}

const char* const FallerUnit = "class Faller {\n"
                               "  hit = false;\n"
                               "  function OnCollision(item, other) {\n"
                               "    if (hit) return;\n"
                               "    hit = true;\n"
                               "    print(\"hit\");\n"
                               "    SceneEnd(g_scene);\n"
                               "  }\n"
                               "}\n";

// 64 x 64 little-endian floats of 2.0.
std::string FlatHeights()
{
    std::string bytes;
    const float value = 2.0f;
    char word[4];
    std::memcpy(word, &value, 4);
    for (int point = 0; point < 64 * 64; ++point)
        bytes.append(word, 4);
    return bytes;
}

size_t CountLines(const std::string& text, const std::string& line)
{
    size_t count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        count += (at == 0 || text[at - 1] == '\n') ? 1 : 0;
    return count;
}

// A static object with a level-of-detail proxy, an emitter with a particle model file, a terrain
// with a static heightfield, and a falling box whose unit ends the scene at its first collision.
class SceneContentRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        directory.WriteFile("s.nms", SceneText(200));
        directory.WriteFile("near.nml", Triangle("<LodProxy=\"far.nml\"><LodDistance=10.0>"));
        directory.WriteFile("far.nml", Triangle(""));
        directory.WriteFile("smoke.npm", "<NML=1.0>\n<ParticleModel=<TTL=2.0><Damping=0.5>"
                                         "<Gravity=<X=0.0><Y=-1.0><Z=0.0>>>\n");
        directory.WriteFile("box.nut", FallerUnit);
        directory.WriteFile("h.raw", FlatHeights());
    }

    KestrunRun Run(std::vector<std::string> extra = {"-time_live", "10"})
    {
        std::vector<std::string> arguments = {"s.nms", "-r", "none", "-m", "none", "-CC", KESTRUN_DATA_DIR "/core"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunKestrun(directory.Path(), arguments);
    }

    TemporaryDirectory directory;
};

TEST_F(SceneContentRun, TheBoxFallsOntoTheTerrainsHeightfieldAndEndsTheScene)
{
    const KestrunRun run = Run();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(CountLines(run.output, "[S] hit\n"), 1u) << run.output;
    EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;
}

TEST_F(SceneContentRun, AMissingHeightFileIsAMissingResource)
{
    std::filesystem::remove(directory.Path() / "h.raw");
    const KestrunRun stopped = Run();
    EXPECT_EQ(stopped.exitCode, 3) << stopped.output;
    EXPECT_EQ(CountLines(stopped.output, "[!] Exiting due to missing resources.\n"), 1u) << stopped.output;

    // Ignored, the run goes on; the terrain is left without heights (none are allocated for a
    // file that does not fit its grid), so nothing catches the box.
    const KestrunRun ignored = Run({"-ignore_missing", "-time_live", "3"});
    EXPECT_EQ(ignored.exitCode, 0) << ignored.output;
    EXPECT_EQ(CountLines(ignored.output, "[*] Corrupt heightmap data in h.raw, incorrect data size.\n"), 1u)
        << ignored.output;
    EXPECT_EQ(CountLines(ignored.output, "[S] hit\n"), 0u) << ignored.output;
}

TEST_F(SceneContentRun, ABadParticleModelOrPoolIsReportedAndTheSceneRuns)
{
    directory.WriteFile("smoke.npm", "<NML=1.0>\n<Foo=<TTL=1.0>>\n");
    const KestrunRun model = Run();
    EXPECT_EQ(model.exitCode, 0) << model.output;
    EXPECT_EQ(
        CountLines(model.output, "[!] Could not parse particle model. Root tag id is incorrect (Foo).\n"), 1u)
        << model.output;

    directory.WriteFile("smoke.npm", "<NML=1.0>\n<ParticleModel=<TTL=1.0>>\n");
    directory.WriteFile("s.nms", SceneText(-1));
    const KestrunRun pool = Run();
    EXPECT_EQ(pool.exitCode, 0) << pool.output;
    EXPECT_EQ(CountLines(pool.output, "[!] Failed to allocate emitter particle pool (size -1).\n"), 1u)
        << pool.output;
    EXPECT_EQ(CountLines(pool.output, "[S] hit\n"), 1u) << pool.output;
}

} // namespace
