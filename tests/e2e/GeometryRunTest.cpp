#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// A scene unit "S" and an object "Blob" without geometry whose unit is "Blob"; both classes come
// from s.nut.
const char* const SceneFile = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">>"
                              "<Items=<MObject=<MItem=<Id=\"Blob\"><UId=1><Active>"
                              "<ScriptUnit=<Script=\"s.nut\"><Class=\"Blob\">>>"
                              "<Object=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>>>>>";

KestrunRun RunScene(const std::string& script)
{
    TemporaryDirectory directory;
    directory.WriteFile("s.nms", SceneFile);
    directory.WriteFile("s.nut", script);
    return RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none"});
}

TEST(GeometryRun, ScriptsBuildTemplatesAndIsosurfaces)
{
    const KestrunRun run = RunScene("class Blob {\n"
                                    "  function OnSetup(item) {\n"
                                    "    GeometryComputeIsoSurface(item, 1, [Vector(3, 0, 0)], [2.0]);\n"
                                    "    print(\"iso built\");\n"
                                    "  }\n"
                                    "}\n"
                                    "class S {\n"
                                    "  function OnSetup(s) {\n"
                                    "    local t = GeometryTemplate();\n"
                                    "    t.beginPolygon();\n"
                                    "    t.pushVertex(Vector(0, 0, 0)); t.pushVertex(Vector(1, 0, 0));\n"
                                    "    t.pushVertex(Vector(1, 1, 0));\n"
                                    "    t.endPolygon(0);\n"
                                    "    local g = t.instantiate(g_engine, \"quad\");\n"
                                    "    print(typeof t + \" \" + typeof g + \" \" + ObjectIsValid(g));\n"
                                    "    GeometryTemplate().pushVertex(Vector(0, 0, 0));\n"
                                    "  }\n"
                                    "  function OnUpdate(s) { SceneEnd(s); }\n"
                                    "}\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const char* line : {"[S] GeometryTemplate CObject false",
                             "[!] Cannot instantiate a geometry with no material array.",
                             "[!] You must begin a polygon before pushing attributes.",
                             "[*] Incorrect binding argument count.", "[S] iso built"})
        EXPECT_TRUE(HasLine(run.output, line)) << line << "\n" << run.output;
}

TEST(GeometryRun, BadArgumentsStopTheScriptWithTheirError)
{
    struct Case
    {
        const char* call;
        const char* error;
    };
    const Case cases[] = {
        {"GeometryTemplate().pushVertex(UV(0, 0))", "Invalid instance type"},
        {"GeometryTemplate().instantiate(g_mixer, \"x\")", "Invalid type"},
        {"GeometryComputeIsoSurface(s, 1, [Vector()], [1.0])", "Expected 'Item' got 'Scene'"},
    };
    for (const Case& c : cases)
    {
        const KestrunRun run = RunScene(std::string("class Blob {}\nclass S {\n  function OnSetup(s) { ") + c.call +
                                        "; print(\"went on\"); }\n}\n");
        EXPECT_EQ(run.exitCode, 3) << c.call << "\n" << run.output;
        EXPECT_NE(run.output.find(c.error), std::string::npos) << c.call << "\n" << run.output;
        EXPECT_FALSE(HasLine(run.output, "[S] went on")) << c.call;
    }
}
} // namespace
