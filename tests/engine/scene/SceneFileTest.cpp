#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMObject.h"
#include "engine/scene/SceneFileFixture.h"
#include "engine/scene/nGroup.h"
#include "physics/nPhysicWorld.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

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
    EXPECT_EQ(scene->GetAllItems().GetTail()->value->GetUid(), 116);
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
