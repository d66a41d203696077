#include "ScriptApiFixture.h"

#include "engine/Quenvar.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "support/RecordingRenderer.h"

#include <fstream>
#include <string>

namespace
{
struct EvaluationCase
{
    const char* script;
    const char* expected;
};

// A renderer whose batches are four vertices, so that a small geometry counts as large.
class SmallBatchRenderer : public RecordingRenderer
{
public:
    using RecordingRenderer::RecordingRenderer;
    uint32_t GetMaxBatchVertexCount() const override { return 4; }
};

// The whole API over an engine whose renderer batches four vertices, a scene with an object "obj"
// (without geometry) and a light "lamp", the materials "stone" and "wood", and a Material handle on
// nothing, "noMaterial".
class GeometryApiTest : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        scene = new nScene(&engine, &machine);
        scene->AddRef();
        object = scene->NewObject("obj");
        light = scene->NewLight("lamp", 0, 1.0f);
        stone->name = "Stone";
        wood->name = "Wood";
        SetGlobals();
    }
    void TearDown() override
    {
        scene->Release();
        ScriptApiFixture::TearDown();
        engine.SetRenderer(nullptr);
    }
    void SetGlobals()
    {
        std::ifstream library(KESTRUN_DATA_DIR "/core/scriptlib/nad.nut");
        ASSERT_TRUE(
            Run(std::string(std::istreambuf_iterator<char>(library), std::istreambuf_iterator<char>()),
                "nad.nut"));
        machine.SetSlot("g_engine", nScriptValue(ObjectTypeEngine, &engine), nullptr);
        machine.SetSlot("g_scene", nScriptValue(ObjectTypeScene, scene), nullptr);
        machine.SetSlot("obj", nScriptValue(ObjectTypeItem, static_cast<nMItem*>(object)), nullptr);
        machine.SetSlot("lamp", nScriptValue(ObjectTypeItem, static_cast<nMItem*>(light)), nullptr);
        machine.SetSlot("stone", nScriptValue(ObjectTypeMaterial, stone.Get()), nullptr);
        machine.SetSlot("wood", nScriptValue(ObjectTypeMaterial, wood.Get()), nullptr);
        machine.SetSlot("noMaterial", nScriptValue(ObjectTypeMaterial, nullptr), nullptr);
    }
    // A case that raised an error stopped the machine: the next one gets a new machine.
    std::string EvaluateWithGlobals(const std::string& text)
    {
        if (machine.GetState() != ScriptVMRunning)
        {
            Reopen();
            SetGlobals();
        }
        return Evaluate(text);
    }
    std::string LogText() const
    {
        std::string text;
        for (const std::string& line : log.lines)
            text += line;
        return text;
    }
    nGeometry* ObjectGeometry() { return object->GetObject().GetGeometry(); }

    Quenvar engine;
    SmallBatchRenderer renderer{&engine};
    nScene* scene = nullptr;
    nMObject* object = nullptr;
    nMItem* light = nullptr;
    nSharedPtr<nMaterial> stone = new nMaterial(&engine);
    nSharedPtr<nMaterial> wood = new nMaterial(&engine);
};

// Two triangles of the unit quad; the first names material 2 of two.
const char* const QuadTemplate = "local t = GeometryTemplate();\n"
                                 "t.pushMaterial(stone); t.pushMaterial(wood);\n"
                                 "t.beginPolygon();\n"
                                 "t.pushVertex(Vector(0, 0, 0)); t.pushVertex(Vector(1, 0, 0)); "
                                 "t.pushVertex(Vector(1, 1, 0));\n"
                                 "t.endPolygon(2);\n"
                                 "t.beginPolygon();\n"
                                 "t.pushVertex(Vector(0, 0, 0)); t.pushVertex(Vector(1, 1, 0)); "
                                 "t.pushVertex(Vector(0, 1, 0));\n"
                                 "t.endPolygon(1);\n"
                                 "local g = t.instantiate(g_engine, \"quad\");\n";
} // namespace

TEST_F(GeometryApiTest, ATemplateBuildsAGeometryThatTheNativesRead)
{
    EXPECT_EQ(EvaluateWithGlobals(std::string(QuadTemplate) +
                                  "local b = GeometryGetMinMax(g);\n"
                                  "print(GeometryGetMaterialCount(g) + \" \" + V(b.min) + V(b.max) + \" \" + "
                                  "GeometryGetName(g) + \" \" + typeof t + \" \" + ObjectIsValid(g));"),
              "2 (0,0,0,1)(1,1,0,1) quad GeometryTemplate true");
    EXPECT_NE(LogText().find("[*] Polygon 0 is referencing a material outside of the material table.\n"),
              std::string::npos);
    const EvaluationCase cases[] = {
        {"local list = GeometryGetMaterialList(g); print(list.len() + \" \" + ObjectIsSame(list[1], wood));",
         "2 true"},
        {"print(ObjectIsSame(GeometryGetMaterial(g, \"Wood\"), wood) + \" \" + "
         "ObjectIsValid(GeometryGetMaterial(g, \"Glass\")));",
         "true false"},
        {"print(ObjectIsSame(GeometryGetMaterialFromIndex(g, 7), stone) + \" \" + "
         "ObjectIsSame(GeometryGetMaterialFromIndex(g, -1), stone) + \" \" + "
         "ObjectIsSame(GeometryGetMaterialFromIndex(g, 1), wood));",
         "true true true"},
        {"GeometrySetHidden(g, true); GeometrySetup(g); GeometryOptimize(g); print(GeometryIsValid(g));",
         "true"},
    };
    for (const EvaluationCase& c : cases)
        EXPECT_EQ(EvaluateWithGlobals(std::string(QuadTemplate) + c.script), c.expected) << c.script;
}

TEST_F(GeometryApiTest, AFailedInstantiateAnswersAGeometryHandleOnNothing)
{
    EXPECT_EQ(
        EvaluateWithGlobals("local t = GeometryTemplate(); t.beginPolygon(); t.pushVertex(Vector(0, 0, 0));"
                            "t.endPolygon(); local g = t.instantiate(g_engine, \"x\");"
                            "print(typeof g + \" \" + ObjectIsValid(g) + \" \" + GeometryIsValid(g));"),
        "CObject false false");
    EXPECT_NE(LogText().find("[!] Cannot instantiate a geometry with no material array.\n"),
              std::string::npos);
    EXPECT_EQ(EvaluateWithGlobals(
                  "local t = GeometryTemplate(); t.pushVertex(Vector(0, 0, 0)); t.pushUV(4, UV(0, 0));"
                  "t.beginPolygon(); t.pushUV(4, UV(0, 0)); t.endPolygon(); t.endPolygon();"
                  "t.pushMaterial(stone); print(ObjectIsValid(t.instantiate(g_engine, \"x\")))"),
              "false");
    for (const char* line :
         {"[!] You must begin a polygon before pushing attributes.\n", "[!] UV set 4 is out of range.\n",
          "[!] You must begin a polygon before ending it.\n",
          "[!] Cannot instantiate a geometry whose first polygon has no vertex.\n"})
        EXPECT_NE(LogText().find(line), std::string::npos) << line << LogText();
}

TEST_F(GeometryApiTest, ArgumentsThatAreMissingOrOfTheWrongKindFailTheCall)
{
    const EvaluationCase cases[] = {
        {"GeometryTemplate().pushVertex(UV(0, 0))", "error: Invalid instance type"},
        {"GeometryTemplate().pushColor(UV(0, 0))", "error: Invalid instance type"},
        {"local t = GeometryTemplate(); t.beginPolygon(); t.pushUV(0, Vector())",
         "error: Invalid instance type"},
        {"GeometryTemplate().pushUV(0)", "error: Invalid instance type"},
        {"GeometryTemplate().pushVertex()", "error: wrong number of parameters"},
        {"GeometryTemplate().instantiate(g_engine)", "error: wrong number of parameters"},
        {"GeometryTemplate().pushMaterial(Vector())", "error: Internal failure"},
        {"GeometryTemplate().pushMaterial(g_engine)", "error: Invalid type"},
        {"GeometryTemplate().pushMaterial(noMaterial)", "error: Object is null"},
        {"GeometryTemplate().instantiate(stone, \"x\")", "error: Invalid type"},
        {"GeometryTemplate.beginPolygon.call(Vector())", "error: Invalid instance type"},
        {"GeometryTemplate.instance().beginPolygon()", "error: Internal failure"},
        {"GeometryGetName(stone)", "error: Expected 'Geometry' got 'Material'"},
        {"GeometryGetName(GeometryTemplate().instantiate(g_engine, \"x\"))", "error: CObject is null"},
        {"GeometryComputeIsoSurface(g_scene, 1, [], [])", "error: Expected 'Item' got 'Scene'"},
        {"GeometryComputeIsoSurface(obj, 1, [UV(0, 0)], [1.0])", "error: Invalid instance type"},
        {"GeometryComputeIsoSurface(obj, 1, [Vector()], [\"big\"])", "error: A radius is not a number"},
    };
    for (const EvaluationCase& c : cases)
        EXPECT_EQ(EvaluateWithGlobals(c.script), c.expected) << c.script;
    EXPECT_FALSE(ObjectGeometry());
}

TEST_F(GeometryApiTest, ArgumentsLeftOutReadAsZero)
{
    // Threshold 0: the two corners 0.005 apart stay apart; material index 0.
    EXPECT_EQ(EvaluateWithGlobals(
                  "local t = GeometryTemplate(); t.setVertexMergeThreshold(); t.pushMaterial(stone);"
                  "t.beginPolygon(); t.pushVertex(Vector(0, 0, 0)); t.pushVertex(Vector(0.005, 0, 0));"
                  "t.pushVertex(Vector(0, 0, 0)); t.endPolygon();"
                  "local g = t.instantiate(g_engine, \"x\"); print(GeometryGetMaterialCount(g));"),
              "1");
    EXPECT_EQ(LogText().find("referencing"), std::string::npos);
    EXPECT_EQ(EvaluateWithGlobals("GeometryTemplate().constructor(); print(\"again\")"), "again");
}

TEST_F(GeometryApiTest, HandlesHoldTheirGeometriesAndMaterials)
{
    const uint32_t before = wood->GetRefCount();
    EXPECT_EQ(EvaluateWithGlobals(std::string(QuadTemplate) +
                                  "kept <- GeometryGetMaterialFromIndex(g, 1); print(1)"),
              "1");
    EXPECT_EQ(wood->GetRefCount(), before + 1); // the template and the geometry let go with their handles
    Reopen();                                   // and so do the globals
    EXPECT_EQ(wood->GetRefCount(), 1u);
}

TEST_F(GeometryApiTest, SetupAndOptimizeGoThroughTheEnginesRenderer)
{
    engine.SetRenderer(&renderer);
    nSharedPtr<nRenderGeometry> data = new nRenderGeometry(&renderer);
    renderer.nextGeometryData = data.Get();
    // 16 polygons are not above 4 batches of 4, 17 are.
    for (const auto& [count, split] : std::vector<std::pair<int, bool>>{{16, false}, {17, true}})
    {
        const std::string script =
            "local t = GeometryTemplate(); t.pushMaterial(stone);"
            "for (local i = 0; i < " +
            std::to_string(count) +
            "; ++i) {"
            "  t.beginPolygon(); t.pushVertex(Vector(i, 0, 0)); t.pushVertex(Vector(i, 1, 0));"
            "  t.pushVertex(Vector(i, 1, 1)); t.endPolygon(); }"
            "built <- t.instantiate(g_engine, \"strip\"); GeometrySetup(built);"
            "GeometryOptimize(built); print(GeometryGetMaterialCount(built));";
        const size_t first = renderer.setUpGeometries.size(); // the leaves of a split follow it
        EXPECT_EQ(EvaluateWithGlobals(script), "1");
        ASSERT_GT(renderer.setUpGeometries.size(), first);
        nGeometry* built = renderer.setUpGeometries[first];
        EXPECT_EQ(built->octree != nullptr, split) << count;
        if (!split) // a split keeps its leaves' render data instead
        {
            EXPECT_EQ(built->renderData.Get(), data.Get());
        }
    }
}

TEST_F(GeometryApiTest, IsosurfaceOfBallsBecomesTheObjectsGeometry)
{
    engine.SetRenderer(&renderer);
    // At level 0.99 the surface of a ball lies at 0.0707 of its radius.
    EXPECT_EQ(
        EvaluateWithGlobals("GeometryComputeIsoSurface(obj, 1, [Vector(3, 0, 0)], [2]); print(\"built\")"),
        "built");
    nGeometry* geometry = ObjectGeometry();
    ASSERT_TRUE(geometry);
    EXPECT_GT(geometry->polygons.GetCount(), 0u);
    ASSERT_EQ(geometry->materials.GetCount(), 1u);
    EXPECT_TRUE(geometry->GetMaterial(0)->renderFlags & MaterialSmoothing);
    EXPECT_EQ(geometry->engine, &engine);
    EXPECT_EQ(renderer.CountCalls("SetupGeometry"), 1u);
    EXPECT_NE(LogText().find("[*] Incorrect binding argument count.\n"), std::string::npos);
    for (int axis = 0; axis < 3; ++axis)
    {
        const float centre[3] = {3.0f, 0.0f, 0.0f};
        EXPECT_NEAR((&geometry->box.min.x)[axis], centre[axis] - 0.141f, 0.05f) << axis;
        EXPECT_NEAR((&geometry->box.max.x)[axis], centre[axis] + 0.141f, 0.05f) << axis;
    }

    // Nothing changes for a light, a count below 1, or arrays shorter than the count.
    const uint32_t polygons = geometry->polygons.GetCount();
    log.lines.clear();
    for (const char* script : {"GeometryComputeIsoSurface(lamp, 1, [Vector()], [1.0]); print(1)",
                               "GeometryComputeIsoSurface(obj, 0, [Vector()], [1.0]); print(1)",
                               "GeometryComputeIsoSurface(obj, 2, [Vector(), Vector()], [1.0]); print(1)"})
        EXPECT_EQ(EvaluateWithGlobals(script), "1") << script;
    EXPECT_EQ(geometry->polygons.GetCount(), polygons);
    EXPECT_EQ(renderer.CountCalls("SetupGeometry"), 1u);
    EXPECT_NE(LogText().find("[!] Cannot compute an isosurface of 2 balls from 2 positions and 1 radii.\n"),
              std::string::npos)
        << LogText();

    // Balls that give no surface leave an empty geometry with its material.
    EXPECT_EQ(EvaluateWithGlobals("GeometryComputeIsoSurface(obj, 1, [Vector()], [-1.0]); print(1)"), "1");
    EXPECT_EQ(ObjectGeometry(), geometry);
    EXPECT_EQ(geometry->polygons.GetCount(), 0u);
    EXPECT_EQ(geometry->materials.GetCount(), 1u);
}
