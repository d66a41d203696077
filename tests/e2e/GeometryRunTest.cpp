#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// MinMax, which GeometryGetMinMax answers, comes from the core data's script library.
const std::string CoreData = KESTRUN_DATA_DIR "/core";

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
    directory.WriteFile("red.nml", "<NML=1.0>\n<Material=<Id=\"Red\">>\n");
    directory.WriteFile("blue.nml", "<NML=1.0>\n<Material=<Id=\"Blue\">>\n");
    return RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none", "-CC", CoreData});
}

TEST(GeometryRun, ScriptsBuildTemplatesAndIsosurfaces)
{
    const KestrunRun run =
        RunScene("class Blob {\n"
                 "  function OnSetup(item) {\n"
                 "    GeometryComputeIsoSurface(item, 1, [Vector(3, 0, 0)], [2.0]);\n"
                 "    print(\"iso built\");\n"
                 "    local box = GeometryGetMinMax(ObjectGetGeometry(ItemCastToObject(item)));\n"
                 "    local near = @(v, x, y, z) fabs(v.x - x) < 0.05 && fabs(v.y - y) < 0.05 &&\n"
                 "                               fabs(v.z - z) < 0.05;\n"
                 "    print(\"iso box \" + near(box.min, 2.859, -0.141, -0.141) + \" \" +\n"
                 "          near(box.max, 3.141, 0.141, 0.141));\n"
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
                             "[*] Incorrect binding argument count.", "[S] iso built", "[S] iso box true true"})
        EXPECT_TRUE(HasLine(run.output, line)) << line << "\n" << run.output;
}

// Two objects share q.geo, a unit quad from x 0 to 1 with one material, placed at x 0 and x 10.
TEST(GeometryRun, ATemplateTakesLoadedMaterials)
{
    const KestrunRun run = RunScene("class Blob {}\n"
                                    "class S {\n"
                                    "  function OnSetup(s) {\n"
                                    "    local t = GeometryTemplate();\n"
                                    "    t.pushMaterial(EngineLoadMaterial(g_engine, \"red.nml\"));\n"
                                    "    t.pushMaterial(EngineLoadMaterial(g_engine, \"blue.nml\"));\n"
                                    "    t.beginPolygon();\n"
                                    "    t.pushVertex(Vector(0, 0, 0)); t.pushVertex(Vector(1, 0, 0));\n"
                                    "    t.pushVertex(Vector(1, 1, 0)); t.pushVertex(Vector(0, 1, 0));\n"
                                    "    t.endPolygon(2);\n"
                                    "    local g = t.instantiate(g_engine, \"quad\");\n"
                                    "    local box = GeometryGetMinMax(g);\n"
                                    "    print(\"materials \" + GeometryGetMaterialCount(g) + \", box \" + box.min.x + \" \" +\n"
                                    "          box.min.y + \" \" + box.min.z + \" \" + box.max.x + \" \" + box.max.y + \" \" +\n"
                                    "          box.max.z);\n"
                                    "  }\n"
                                    "  function OnUpdate(s) { SceneEnd(s); }\n"
                                    "}\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const char* line : {"[S] materials 2, box 0 0 0 1 1 0",
                             "[*] Polygon 0 is referencing a material outside of the material table."})
        EXPECT_TRUE(HasLine(run.output, line)) << line << "\n" << run.output;
}

TEST(GeometryRun, ScriptsMergeTwoObjectsIntoANewOne)
{
    TemporaryDirectory directory;
    directory.WriteFile("q.geo",
                        "<NML=1.0>\n<Geometry=<Materials=<Material=<Diffuse=<X=1.0><Y=1.0><Z=1.0><W=1.0>>>>"
                        "<AVertex=<Count=4><Data=<V=<X=0.0><Y=0.0><Z=0.0>><V=<X=1.0><Y=0.0><Z=0.0>>"
                        "<V=<X=1.0><Y=1.0><Z=0.0>><V=<X=0.0><Y=1.0><Z=0.0>>>><APolygon=<Count=1>"
                        "<BindingCount=4><Data=<Polygon=<Count=4><Material=0><Index=0><Index=1><Index=2>"
                        "<Index=3>>>>>\n");
    auto object = [](const char* name, int uid, const char* x)
    {
        return std::string("<MObject=<MItem=<Id=\"") + name + "\"><UId=" + std::to_string(uid) +
               "><Active>><Object=<Item=<Position=<X=" + x + "><Y=0.0><Z=0.0>>><Geometry=\"q.geo\">>>";
    };
    directory.WriteFile("s.nms", "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">><Items=" +
                                     object("A", 1, "0.0") + object("B", 2, "10.0") + ">>");
    directory.WriteFile(
        "s.nut",
        "class S {\n"
        "  function OnSetup(s) {\n"
        "    local merged = SceneMergeItems(s, SceneFindItem(s, \"A\"), SceneFindItem(s, \"B\"));\n"
        "    local geometry = ObjectGetGeometry(ItemCastToObject(merged));\n"
        "    local box = GeometryGetMinMax(geometry);\n"
        "    print(ItemGetName(merged) + \" \" + ItemGetName(SceneFindItem(s, \"merged\")) + \" x \" +\n"
        "          box.min.x + \" to \" + box.max.x + \", slots \" + GeometryGetMaterialCount(geometry));\n"
        "    try { SceneMergeItems(s, LightGetItem(SceneAddLight(s, \"Lamp\")), merged); }\n"
        "    catch (error) { print(error); }\n"
        "  }\n"
        "  function OnUpdate(s) { SceneEnd(s); }\n"
        "}\n");
    const KestrunRun run =
        RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none", "-CC", CoreData});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const char* line : {"[S] merged merged x 0 to 11, slots 1", "[S] Only objects can be merged."})
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
