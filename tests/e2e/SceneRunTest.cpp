#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

const char* const Units = "class Mover {\n"
                          "  speed = 0;\n"
                          "  function OnSetup(item) { print(\"OnSetup \" + speed); }\n"
                          "  function OnUpdate(item) { print(\"OnUpdate \" + speed); }\n"
                          "}\n"
                          "class Director {\n"
                          "  title = \"\";\n"
                          "  frames = 0;\n"
                          "  function OnSetup(scene) { print(\"scene OnSetup \" + title); }\n"
                          "  function OnUpdate(scene) {\n"
                          "    frames++;\n"
                          "    print(\"scene OnUpdate \" + frames);\n"
                          "    if (frames == 10) SceneEnd(scene);\n"
                          "  }\n"
                          "}\n";

std::string Unit(const char* className, const char* name, const char* value)
{
    return std::string("<ScriptUnit=<Script=\"items.nut\"><Class=\"") + className +
           "\"><ParmList=<Parm=<Id=\"" + name + "\"><Value=" + value + ">>>>";
}

// Objects name no geometry: a missing one would end the run as a missing resource.
std::string Managed(const char* kind, const char* part, const char* name, int uid,
                    const std::string& extra = "")
{
    return std::string("<") + kind + "=<MItem=<Id=\"" + name + "\"><UId=" + std::to_string(uid) +
           "><Active>" + extra + "><" + part + "=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>>>";
}

// Two cameras, two lights, three objects (two scripted, one linked to the other), a trigger, a
// group and a scene unit, each unit with a parameter.
const std::string TenFrameScene =
    "<NML=1.0>\n<Scene=" + Unit("Director", "title", "\"main\"") +
    "<Items=" + Managed("MCamera", "Camera", "Cam1", 0) + Managed("MCamera", "Camera", "Cam2", 1) +
    Managed("MLight", "Light", "Sun", 2) + Managed("MLight", "Light", "Lamp", 3) +
    Managed("MObject", "Object", "Box", 4, Unit("Mover", "speed", "3")) +
    Managed("MObject", "Object", "Ball", 5, Unit("Mover", "speed", "7")) +
    Managed("MObject", "Object", "Floor", 6) +
    "<Trigger=<MItem=<Id=\"Zone\"><UId=7><Active>><Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>>" +
    "><Links=<Link=<Item=5><Link=4>>><Groups=<Group=<Id=\"Props\"><Item=4><Item=5>>><CurrentCamera=\"Cam2\">>"
    "\n";

size_t CountLines(const std::string& text, const std::string& line)
{
    size_t count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        count += (at == 0 || text[at - 1] == '\n') ? 1 : 0;
    return count;
}

TEST(SceneRun, AFullSceneRunsTenFramesUntilItsScriptEndsIt)
{
    TemporaryDirectory directory;
    directory.WriteFile("s.nms", TenFrameScene);
    directory.WriteFile("items.nut", Units);
    const KestrunRun run =
        RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none", "-CC", KESTRUN_DATA_DIR "/core"});
    const std::string& out = run.output;
    EXPECT_EQ(run.exitCode, 0) << out;
    for (const char* line :
         {"[H] Opening data source from 's.nms' (Scene).\n", "[H] Loading scene 's.nms'.\n",
          "[H] Setup scene 's.nms'.\n", "[H] Reset scene 's.nms'.\n", "[S] scene OnSetup main\n",
          "[S] OnSetup 3\n", "[S] OnSetup 7\n", "[S] scene OnUpdate 10\n", "Done.\n"})
        EXPECT_EQ(CountLines(out, line), 1u) << line << out;
    EXPECT_EQ(CountLines(out, "[S] scene OnUpdate "), 10u) << out;
    EXPECT_EQ(CountLines(out, "[S] OnUpdate 3\n"), 10u) << out;
    EXPECT_EQ(CountLines(out, "[S] OnUpdate 7\n"), 10u) << out;
    EXPECT_EQ(out.find("[!]"), std::string::npos) << out;
    EXPECT_LT(out.find("[H] Reset scene 's.nms'.\n"), out.find("[S] scene OnUpdate 1\n"));
}

} // namespace
