#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMObject.h"
#include "engine/scene/SceneFileFixture.h"
#include "engine/scene/nGroup.h"

#include <gtest/gtest.h>

namespace
{
constexpr const char* Units =
    "class Mover {\n"
    "  speed = 0;\n"
    "  function OnSetup(...) { print(\"OnSetup \" + speed); }\n"
    "  function OnUpdate(...) { print(\"OnUpdate\"); }\n"
    "}\n"
    "class Director {\n"
    "  title = \"\";\n"
    "  function OnSetup(...) { print(\"scene OnSetup \" + title); }\n"
    "  function OnUpdate(...) { print(\"scene OnUpdate\"); }\n"
    "}\n";

std::string ItemUnit(const char* className, const char* name, const char* value)
{
    return std::string("<ScriptUnit=<Script=\"@scripts/items.nut\"><Class=\"") + className +
           "\"><ParmList=<Parm=<Id=\"" + name + "\"><Value=" + value + ">>>>";
}

std::string Managed(const char* kind, const char* part, const char* name, int uid, const std::string& extra = "")
{
    return std::string("<") + kind + "=<MItem=<Id=\"" + name + "\"><UId=" + std::to_string(uid) + "><Active>" +
           extra + "><" + part + "=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>>>";
}

const std::string TenFrameScene =
    "<NML=1.0>\n<Scene=" + ItemUnit("Director", "title", "\"main\"") + "<Items=" +
    Managed("MCamera", "Camera", "Cam1", 0) + Managed("MCamera", "Camera", "Cam2", 1) +
    Managed("MLight", "Light", "Sun", 2) + Managed("MLight", "Light", "Lamp", 3) +
    Managed("MObject", "Object", "Box", 4, ItemUnit("Mover", "speed", "3")) +
    Managed("MObject", "Object", "Ball", 5, ItemUnit("Mover", "speed", "7")) + Managed("MObject", "Object", "Floor", 6) +
    "<Trigger=<MItem=<Id=\"Zone\"><UId=7><Active>><Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>>" +
    "><Links=<Link=<Item=5><Link=4>>><Groups=<Group=<Id=\"Props\"><Item=4><Item=5>>><CurrentCamera=\"Cam2\">>\n";
} // namespace

using SceneFrame = SceneFileFixture;

TEST_F(SceneFrame, LoadsSetsUpAndRunsTenFrames)
{
    WriteScript(Units);
    WriteFile("s.nms", TenFrameScene);
    engine.SetFixedDeltaFrame(1.0f / 60.0f);
    ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0)) << log;
    scene->SetGlobal();
    scene->Setup();
    scene->Reset();
    for (int frame = 0; frame < 10; ++frame)
        RunFrame();

    EXPECT_EQ(CountLines("[H] Loading scene '@scripts/s.nms'."), 1u) << log;
    EXPECT_EQ(CountLines("[H] Setup scene '@scripts/s.nms'."), 1u);
    EXPECT_EQ(CountLines("[H] Reset scene '@scripts/s.nms'."), 1u);
    EXPECT_EQ(CountLines("[S] scene OnSetup main"), 1u);
    EXPECT_EQ(CountLines("[S] OnSetup 3"), 1u);
    EXPECT_EQ(CountLines("[S] OnSetup 7"), 1u);
    EXPECT_EQ(CountLines("[S] OnUpdate"), 20u);
    EXPECT_EQ(CountLines("[S] scene OnUpdate"), 10u);
    EXPECT_EQ(log.find("[!]"), std::string::npos) << log;

    EXPECT_EQ(scene->GetCameras().GetCount(), 2u);
    EXPECT_EQ(scene->GetLights().GetCount(), 2u);
    EXPECT_EQ(scene->GetObjects().GetCount(), 3u);
    EXPECT_EQ(scene->GetTriggers().GetCount(), 1u);
    nMItem* ball = scene->FindItem("Ball");
    nMItem* box = scene->FindItem("Box");
    ASSERT_TRUE(ball && box);
    EXPECT_EQ(ball->GetItem()->GetParent(), box->GetItem());
    nGroup* group = scene->FindGroup("Props");
    ASSERT_TRUE(group);
    EXPECT_EQ(group->GetItems().GetCount(), 2u);
    EXPECT_EQ(scene->GetCurrentCamera(), scene->FindItem("Cam2")->GetItem());
    EXPECT_EQ(renderer.GetViewItem(), scene->GetCurrentCamera());
    EXPECT_EQ(renderer.GetEnvironment(), scene);
}
