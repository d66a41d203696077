#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMObject.h"
#include "engine/LoadRecorder.h"
#include "engine/resources/nResourceCache.h"
#include "engine/scene/SceneFileFixture.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"
#include "physics/nPhysicWorld.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace
{
std::string Object(const char* name, int uid)
{
    return std::string("<MObject=<MItem=<Id=\"") + name + "\"><UId=" + std::to_string(uid) +
           "><Active>><Object=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>>>";
}

std::string Light(const char* name, int uid)
{
    return std::string("<MLight=<MItem=<Id=\"") + name + "\"><UId=" + std::to_string(uid) + "><Active>><Light=<Item>>>";
}

std::string SceneText(const std::string& body)
{
    return "<NML=1.0>\n<Scene=" + body + ">\n";
}

using SceneFile = SceneFileFixture;
} // namespace

TEST_F(SceneFile, FileUidsAreShiftedByTheNextUidAndKeepTheirLinks)
{
    WriteFile("a.nms", SceneText("<Items=" + Object("A", 3) + Object("B", 7) + "><Links=<Link=<Item=7><Link=3>>>"));
    scene->SetNextUid(100);
    ASSERT_TRUE(scene->LoadFromFile("@scripts/a.nms", nullptr, ImportFlagAll, 0));
    nMItem* a = scene->FindItem("A");
    nMItem* b = scene->FindItem("B");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->GetUid(), 103);
    EXPECT_EQ(b->GetUid(), 107);
    // The "Default" camera takes the counter's next value.
    EXPECT_EQ(scene->FindCamera("Default")->GetUid(), 108);
    EXPECT_EQ(scene->GetNextUid(), 109u);
    EXPECT_EQ(b->GetItem()->GetParent(), a->GetItem());

    ASSERT_TRUE(scene->LoadFromFile("@scripts/a.nms", nullptr, ImportFlagAll, 0));
    EXPECT_EQ(scene->GetAllItems().GetLast()->GetUid(), 116);
}

TEST_F(SceneFile, LargeUidsKeepTheirLinksAndDuplicatesKeepTheirCreationUid)
{
    WriteFile("b.nms", SceneText("<Items=" + Object("A", 1000000) + Object("B", 5) + Object("C", 5) +
                                 "><Links=<Link=<Item=5><Link=1000000>><Link=<Item=-4><Link=5>>>"));
    ASSERT_TRUE(scene->LoadFromFile("@scripts/b.nms", nullptr, ImportFlagAll, 0));
    nMItem* a = scene->FindItem("A");
    nMItem* b = scene->FindItem("B");
    nMItem* c = scene->FindItem("C");
    EXPECT_EQ(a->GetUid(), 1000000);
    EXPECT_EQ(b->GetUid(), 5);
    EXPECT_EQ(c->GetUid(), 1000001);
    EXPECT_EQ(b->GetItem()->GetParent(), a->GetItem());
    EXPECT_NE(log.find("[*] Corrupt item 'C' source UID (5/1000001) while loading scene '@scripts/b.nms'."),
              std::string::npos);
}

TEST_F(SceneFile, FlagsSelectKindsAndTheDefaultCameraTakesTheViewMatrix)
{
    WriteFile("c.nms", SceneText("<Items=" + Object("A", 0) + Light("L", 1) +
                                 "<MCamera=<MItem=<Id=\"Cam\"><UId=2><Active>><Camera=<Item>>>>"));
    ASSERT_TRUE(scene->LoadFromFile("@scripts/c.nms", nullptr, ImportFlagObject | ImportFlagLight, 0));
    EXPECT_EQ(scene->GetObjects().GetCount(), 1u);
    EXPECT_EQ(scene->GetLights().GetCount(), 1u);
    ASSERT_EQ(scene->GetCameras().GetCount(), 1u);
    EXPECT_EQ(scene->GetCameras().GetHead()->value->GetName(), "Default");

    scene->DeleteContent(false);
    WriteFile("d.nms", SceneText("<ViewMatrix=<R0=<X=1.0><Y=0.0><Z=0.0><W=0.0>><R1=<X=0.0><Y=1.0><Z=0.0><W=0.0>>"
                                 "<R2=<X=0.0><Y=0.0><Z=1.0><W=0.0>><R3=<X=4.0><Y=5.0><Z=6.0><W=1.0>>>"));
    ASSERT_TRUE(scene->LoadFromFile("@scripts/d.nms", nullptr, ImportFlagAll, 0));
    ASSERT_TRUE(scene->GetCurrentCamera());
    EXPECT_FLOAT_EQ(scene->GetCurrentCamera()->GetWorldMatrix().GetTranslation().y, 5.0f);
}

TEST_F(SceneFile, MissingRootFailsAndReadWriteIsStable)
{
    WriteFile("none.nms", "<NML=1.0>\n<Other>\n");
    EXPECT_FALSE(scene->LoadFromFile("@scripts/none.nms", nullptr, ImportFlagAll, 0));
    EXPECT_NE(log.find("[!] No <Scene> tag in '@scripts/none.nms'."), std::string::npos);

    ASSERT_TRUE(scene->CreatePhysicWorld());
    WriteFile("e.nms", SceneText("<Items=" + Object("A", 0) + Object("B", 1) +
                                 "><Links=<Link=<Item=1><Link=0>>><Groups=<Group=<Id=\"G\"><Item=0>>>"
                                 "<Globals=<FogFar=10.0>><Physics=<Frequency=60.0>>"));
    ASSERT_TRUE(scene->LoadFromFile("@scripts/e.nms", nullptr, ImportFlagAll, 0));
    EXPECT_FLOAT_EQ(scene->GetPhysicWorld()->GetFixedTimeStep(), 1.0f / 60.0f);
    nMetaFile first;
    ASSERT_TRUE(scene->Serialize(first, nullptr, ImportFlagAll));
    EXPECT_FLOAT_EQ(first.GetFloat("Scene:Physics:Frequency", 0.0f), 60.0f);
    ASSERT_TRUE(first.Save("@scripts/first.nms"));

    scene->DeleteContent(false);
    ASSERT_TRUE(scene->LoadFromFile("@scripts/first.nms", nullptr, ImportFlagAll, 0));
    nMetaFile second;
    ASSERT_TRUE(scene->Serialize(second, nullptr, ImportFlagAll));
    ASSERT_TRUE(second.Save("@scripts/second.nms"));
    std::ifstream a(directory + "/first.nms"), b(directory + "/second.nms");
    const std::string textA((std::istreambuf_iterator<char>(a)), {}), textB((std::istreambuf_iterator<char>(b)), {});
    EXPECT_EQ(textA, textB);
    EXPECT_NE(textA.find("Link"), std::string::npos);

    nMetaFile filtered;
    nMetaTag* root = scene->Serialize(filtered, scene->FindGroup("G"), ImportFlagAll);
    ASSERT_TRUE(root);
    for (const char* absent : {"Groups", "Globals", "Physics", "CurrentCamera", "ScriptedObject"})
        EXPECT_FALSE(root->GetTag(absent)) << absent;
    EXPECT_EQ(root->GetTag("Items")->GetChildCount(), 1u);
}

TEST_F(SceneFile, ProgressNamesEachItemThenTheGlobals)
{
    WriteFile("p.nms", SceneText("<Items=" + Object("A", 0) +
                                 "<MObject=<MItem=<UId=1><Active>><Object=<Item>>>" + Object("B", 2) + ">"));
    LoadRecorder recorder(engine);
    ASSERT_TRUE(scene->LoadFromFile("@scripts/p.nms", nullptr, ImportFlagAll, 0));
    std::vector<std::string> progress;
    for (const std::string& event : recorder.events)
        if (event.rfind("progress ", 0) == 0)
            progress.push_back(event);
    EXPECT_EQ(progress, (std::vector<std::string>{"progress Loading item 'A'...", "progress Loading items...",
                                                  "progress Loading item 'B'...",
                                                  "progress Parsing scene globals..."}));
    EXPECT_EQ(recorder.fractions, (std::vector<float>{0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f}));
}

TEST_F(SceneFile, InstancesTakeTheTemplatesScriptsButNotItsSettingsGlobalsOrTools)
{
    WriteScript("class Greeter {\n  function OnSetup(owner) { print(\"greeter\"); }\n}\n");
    WriteFile("t.nms", SceneText("<ScriptedObject=<ScriptUnit=<Script=\"@scripts/items.nut\"><Class=\"Greeter\">>>"
                                 "<Globals=<BackgroundColor=<X=1.0><Y=0.0><Z=0.0>>><Items=" +
                                 Object("Box", 0) +
                                 "<MObject=<MItem=<Id=\"Tool\"><UId=1><Active><Helper>><Object=<Item>>>"
                                 "<MCamera=<MItem=<Id=\"TCam\"><UId=2><Active>><Camera=<Item>>>>"
                                 "<CurrentCamera=\"TCam\">"));
    nMCamera* main = scene->NewCamera("Main");
    scene->SetCurrentCamera(main->GetItem());
    engine.SetMode(2);
    nInstance* instance = scene->NewInstance("inst", "@scripts/t.nms");
    scene->Setup();

    ASSERT_TRUE(instance->GetGroup()) << log;
    EXPECT_EQ(instance->GetScriptUnits().GetCount(), 1u);
    EXPECT_TRUE(scene->GetScriptUnits().IsEmpty());
    EXPECT_EQ(CountLines("[S] greeter"), 1u) << log;
    EXPECT_TRUE(scene->FindItem("inst/Box"));
    EXPECT_TRUE(scene->FindItem("inst/TCam"));
    EXPECT_EQ(instance->GetGroup()->FindItem("Tool"), nullptr);
    EXPECT_EQ(scene->GetCurrentCamera(), main->GetItem());
    EXPECT_FLOAT_EQ(scene->GetBackgroundColor().r, 0.0f);
}

TEST_F(SceneFile, PreloadingFillsTheCacheWithTheObjectsGeometriesOnly)
{
    WriteFile("tri.ngm", "<NML=1.0>\n<Geometry=<AVertex=<Count=3><Data=<V=<X=0.0><Y=0.0><Z=0.0>>"
                         "<V=<X=1.0><Y=0.0><Z=0.0>><V=<X=0.0><Y=1.0><Z=0.0>>>><APolygon=<Count=1><BindingCount=3>"
                         "<Data=<Polygon=<Count=3><Material=0><Index=0><Index=1><Index=2>>>>>\n");
    WriteFile("pre.nms", SceneText("<Items=<MObject=<MItem=<Id=\"A\"><UId=0>><Object=<Geometry=\"@scripts/tri.ngm\">"
                                   "<Item>>><MObject=<MItem=<Id=\"B\"><UId=1>><Object=<Geometry=3><Item>>>" +
                                   Light("L", 2) + ">"));
    EXPECT_TRUE(scene->PreloadResources("@scripts/pre.nms"));
    EXPECT_EQ(CountLines("[H] Preloading scene '@scripts/pre.nms' resources."), 1u);
    EXPECT_EQ(engine.GetResourceCache()->GetGeometryList(false).GetCount(), 1u);
    EXPECT_TRUE(scene->GetAllItems().IsEmpty());
    EXPECT_FALSE(scene->PreloadResources("@scripts/absent.nms"));
}

TEST_F(SceneFile, ResavingKeepsTheNamesOfResourcesThatDidNotLoad)
{
    WriteFile("lost.nms", SceneText("<Items=<MObject=<MItem=<Id=\"A\"><UId=0>><Object=<Item>"
                                    "<Geometry=\"@scripts/gone.ngm\"><Occluder=\"@scripts/gone-low.ngm\">>>"
                                    "<MLight=<MItem=<Id=\"L\"><UId=1>><Light=<Item><ProjectionMap=\"@scripts/gone.tga\">>>>"));
    ASSERT_TRUE(scene->LoadFromFile("@scripts/lost.nms", nullptr, ImportFlagAll, 0));
    nMetaFile saved;
    ASSERT_TRUE(scene->Serialize(saved, nullptr, ImportFlagAll));
    ASSERT_TRUE(saved.Save("@scripts/saved.nms"));
    std::ifstream in(directory + "/saved.nms");
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    for (const char* reference : {"<Geometry=\"@scripts/gone.ngm\">", "<Occluder=\"@scripts/gone-low.ngm\">",
                                  "<ProjectionMap=\"@scripts/gone.tga\">"})
        EXPECT_NE(text.find(reference), std::string::npos) << reference << "\n" << text;
}
