#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const char* const Triangle =
    "<NML=1.0>\n<Geometry=<AVertex=<Count=3><Data=<V=<X=0.0><Y=0.0><Z=0.0>>"
    "<V=<X=1.0><Y=0.0><Z=0.0>><V=<X=0.0><Y=1.0><Z=0.0>>>><APolygon=<Count=1><BindingCount=3>"
    "<Data=<Polygon=<Count=3><Material=0><Index=0><Index=1><Index=2>>>>>\n";

std::string Object(const char* name, int uid, const char* geometry)
{
    return std::string("<MObject=<MItem=<Id=\"") + name + "\"><UId=" + std::to_string(uid) +
           "><Active>><Object=<Item=<Position=<X=1.0><Y=2.0><Z=3.0>>><Geometry=\"" + geometry + "\">>>";
}

// Camera "Cam" (0), objects "A" (1) and "B" (2) sharing "box.geo" at (1, 2, 3), "C" (3) with
// "tri.geo", light "L" (4); the scene unit "S" of s.nut.
const std::string FullScene =
    "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">><Items="
    "<MCamera=<MItem=<Id=\"Cam\"><UId=0><Active>><Camera=<Item>>>" +
    Object("A", 1, "box.geo") + Object("B", 2, "box.geo") + Object("C", 3, "tri.geo") +
    "<MLight=<MItem=<Id=\"L\"><UId=4><Active>><Light=<Item>>>><CurrentCamera=\"Cam\">>\n";
const char* const EmptyScene = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">><Items>>\n";

// A scene unit whose OnSetup runs the body; the run ends after its first frame.
std::string SceneUnit(const std::string& setup)
{
    return "class S {\n  function OnSetup(s) {\n" + setup +
           "\n  }\n  function OnUpdate(s) { SceneEnd(s); }\n}\n";
}

KestrunRun RunScene(const std::string& scene, const std::string& script)
{
    TemporaryDirectory directory;
    directory.WriteFile("s.nms", scene);
    directory.WriteFile("s.nut", script);
    directory.WriteFile("box.geo", Triangle);
    directory.WriteFile("tri.geo", Triangle);
    return RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none"});
}

// The lines of the output from the first that equals "from".
std::vector<std::string> LinesFrom(const std::string& output, const std::string& from)
{
    std::vector<std::string> lines;
    size_t start = 0;
    bool found = false;
    for (size_t end = output.find('\n'); end != std::string::npos;
         start = end + 1, end = output.find('\n', start))
    {
        const std::string line = output.substr(start, end - start);
        found = found || line == from;
        if (found)
            lines.push_back(line);
    }
    return lines;
}

size_t CountLines(const std::string& output, const std::string& line)
{
    size_t count = 0;
    for (size_t at = output.find(line + "\n"); at != std::string::npos; at = output.find(line + "\n", at + 1))
        count += at == 0 || output[at - 1] == '\n';
    return count;
}

const char* const Reports = "ScenePrintItemList(s);\nSceneAudit(s);";

TEST(SceneReportRun, ScriptsFindItemsAndPrintTheListAndTheAudit)
{
    const KestrunRun run =
        RunScene(FullScene, SceneUnit("s.findItem(\"C\").setParent(s.findItem(\"A\"));\n"
                                      "foreach (v in [s.name(), s.findItem(\"A\").name(), "
                                      "s.findItem(1).name(), s.currentCamera().name(), "
                                      "s.findItem(\"nobody\").isNull(), CObject().isNull(), "
                                      "CObject().type(), s.findItem(\"L\").type()]) print(v);\n" +
                                      std::string(Reports)));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::vector<std::string> printed = LinesFrom(run.output, "[S] s.nms");
    const std::vector<std::string> expected = {"[S] s.nms",
                                               "[S] A",
                                               "[S] A",
                                               "[S] Cam",
                                               "[S] true",
                                               "[S] true",
                                               "[S] 0",
                                               "[S] 24",
                                               "[|] Dumping scene content",
                                               "[|] ",
                                               "[|] Camera list follows (1 entries) :",
                                               "[|]   - Cam",
                                               "[|] ",
                                               "[|] Object list follows (3 entries) :",
                                               "[|]   - A",
                                               "[|]   - B",
                                               "[|]   - C",
                                               "[|] ",
                                               "[|] Light list follows (1 entries) :",
                                               "[|]   - L",
                                               "[|] ",
                                               "[|] Group list follows (0 entries) :",
                                               "[|] ",
                                               "[|] -------------------",
                                               "[|] ",
                                               "[|] Global item list follows (5 entries) :",
                                               "[|]   - Cam",
                                               "[|]   - A",
                                               "[|]   - B",
                                               "[|]   - C (Linked to 'A'), (Active: yes, Invisible: no)",
                                               "[|]   - L",
                                               "[|] ",
                                               "",
                                               "Running scene audit:",
                                               "--------------------",
                                               "",
                                               "(1/2) Geometry usage:",
                                               "",
                                               "'box.geo' used by 2 object(s).",
                                               " - Object 'A'",
                                               " - Object 'B'",
                                               "'tri.geo' used by 1 object(s).",
                                               " - Object 'C'",
                                               "",
                                               "(2/2) Check for duplicate geometries:",
                                               "",
                                               "[*]  - Object 'A' and 'B' might be duplicates.",
                                               "[*]  - Object 'B' and 'A' might be duplicates.",
                                               "",
                                               "Audit complete.",
                                               ""};
    ASSERT_GE(printed.size(), expected.size()) << run.output;
    EXPECT_EQ(std::vector<std::string>(printed.begin(), printed.begin() + expected.size()), expected)
        << run.output;
}

TEST(SceneReportRun, MovedObjectsAreListedButNotSuspected)
{
    const KestrunRun run = RunScene(
        FullScene, SceneUnit("s.findItem(\"B\").setPosition(Vector(4, 2, 3));\n" + std::string(Reports)));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("might be duplicates"), std::string::npos) << run.output;
    EXPECT_EQ(CountLines(run.output, "'box.geo' used by 2 object(s)."), 1u) << run.output;
    EXPECT_EQ(CountLines(run.output, " - Object 'B'"), 1u) << run.output;
}

// The reader gives a scene without a current camera its "Default" one.
TEST(SceneReportRun, SceneFileWithoutItemsListsItsDefaultCamera)
{
    const KestrunRun run = RunScene(EmptyScene, SceneUnit(Reports));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* line : {"[|] Camera list follows (1 entries) :", "[|] Object list follows (0 entries) :",
                             "[|] Light list follows (0 entries) :", "[|] Group list follows (0 entries) :",
                             "[|] Global item list follows (1 entries) :", "Audit complete."})
        EXPECT_EQ(CountLines(run.output, line), 1u) << line << "\n" << run.output;
    EXPECT_EQ(CountLines(run.output, "[|]   - Default"), 2u) << run.output; // a camera, and an item
    EXPECT_EQ(run.output.find("used by"), std::string::npos) << run.output;
}

TEST(SceneReportRun, BadCallsStopTheRunWithTheirError)
{
    struct Case
    {
        const char* call;
        const char* error;
    };
    const Case cases[] = {
        {"g_engine.name()", "Object has no name"},
        {"s.addObject(\"x\", CObject())", "C Object is null"},
        {"s.findItem(1.5)", "parameter 1 has an invalid type 'float'"},
    };
    for (const Case& c : cases)
    {
        const KestrunRun run = RunScene(FullScene, SceneUnit(std::string(c.call) + ";\nprint(\"went on\");"));
        EXPECT_EQ(run.exitCode, 3) << c.call << "\n" << run.output;
        EXPECT_NE(run.output.find(std::string("[!] Script runtime error: ") + c.error), std::string::npos)
            << c.call << "\n"
            << run.output;
        EXPECT_EQ(CountLines(run.output, "[S] went on"), 0u) << c.call;
    }
}
} // namespace
