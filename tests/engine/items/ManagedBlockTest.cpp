#include "animation/nMotion.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/BlockFixture.h"
#include "engine/items/SceneFixture.h"
#include "engine/items/StubPhysics.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMEmitter.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nMTerrain.h"
#include "engine/items/nTrigger.h"
#include "script/units/nScriptUnit.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
using ManagedBlock = SceneFixture;

std::unique_ptr<nMetaTag> Serialize(nMItem& item, nMetaFile& file)
{
    return std::unique_ptr<nMetaTag>(item.SerializeTag(file));
}
} // namespace

TEST_F(ManagedBlock, ManagedStateReadsBack)
{
    nMObject* written = scene->NewObject("Crate");
    written->SetFlag(MItemFlagGhost | MItemFlagStatic, true);
    written->SetHelper(true);
    written->SetPriority(3.0f);
    written->SetLogicRate(30.0f);
    written->GetItem()->SetPosition(nVector(0, 4, 0));
    written->RecordLocation();
    nScriptUnit* unit = written->CreateScriptUnit();
    unit->SetScript("@scripts/crate.nut");
    unit->SetClassName("Crate");
    nMetaFile file;
    std::unique_ptr<nMetaTag> tag = Serialize(*written, file);
    EXPECT_EQ(ChildNames(*tag), (std::vector<std::string>{"MItem", "Object"}));
    EXPECT_EQ(ChildNames(*tag->GetTag("MItem")),
              (std::vector<std::string>{"Id", "UId", "Active", "Helper", "Ghost", "Static", "InitialMatrix",
                                        "Priority", "ScriptLogicFq", "MotionPlayer", "ScriptedObject",
                                        "ScriptUnit"}));

    nMObject* read = scene->NewObject("Other");
    ASSERT_TRUE(read->ParseTag(file, *tag));
    EXPECT_EQ(read->GetName(), "Crate");
    EXPECT_EQ(read->GetUid(), written->GetUid());
    EXPECT_TRUE(read->GetEnabledField());
    EXPECT_TRUE(read->IsHelper());
    EXPECT_EQ(read->GetFlags(), static_cast<uint32_t>(MItemFlagGhost | MItemFlagStatic));
    EXPECT_TRUE(read->HasRecordedLocation());
    EXPECT_FLOAT_EQ(read->GetRecordedLocation().m[7], 4.0f);
    EXPECT_FLOAT_EQ(read->GetPriority(), 3.0f);
    EXPECT_FLOAT_EQ(read->GetLogicRate(), 30.0f);
    ASSERT_EQ(read->GetScriptUnits().GetCount(), 1u);
    EXPECT_EQ(read->GetScriptUnits().GetHead()->value->GetClassName(), "Crate");
}

TEST_F(ManagedBlock, MissingUidRefusesTheManagedPart)
{
    nMetaFile file;
    nMCamera* camera = scene->NewCamera("Cam");
    ASSERT_TRUE(camera->ParseTag(file, *ParseBlock(file, "<MCamera=<MItem=<Id=\"A\"><Active>><Camera=<ZFar=10.0>>>")));
    EXPECT_NE(log.find("[!] Managed item 'A' Uid is invalid.\n"), std::string::npos);
    EXPECT_EQ(camera->GetUid(), -1);
    EXPECT_FLOAT_EQ(camera->GetCamera().GetZFar(), 10.0f);
    nMItem& item = *camera;
    EXPECT_FALSE(item.ParseManagedTag(file, *ParseBlock(file, "<MItem=<Id=\"A\">>")));
}

TEST_F(ManagedBlock, HelperAndToolSpecificMakeAHelper)
{
    nMetaFile file;
    nMObject* object = scene->NewObject("Box");
    for (const char* text : {"<MItem=<UId=1><Helper>>", "<MItem=<UId=1><ToolSpecific>>"})
    {
        object->SetHelper(false);
        ASSERT_TRUE(object->ParseManagedTag(file, *ParseBlock(file, text)));
        EXPECT_TRUE(object->IsHelper()) << text;
    }
    ASSERT_TRUE(object->ParseManagedTag(file, *ParseBlock(file, "<MItem=<UId=1>>")));
    EXPECT_FALSE(object->IsHelper());
    EXPECT_FALSE(object->GetEnabledField());
}

TEST_F(ManagedBlock, ScriptUnitTagServesOnlyWithoutScriptedObject)
{
    nMetaFile file;
    nMObject* object = scene->NewObject("Box");
    ASSERT_TRUE(object->ParseManagedTag(
        file, *ParseBlock(file, "<MItem=<UId=0><ScriptUnit=<Class=\"Lone\">><ScriptedObject=<ScriptUnit=<Class=\"Kept\">>>>")));
    ASSERT_EQ(object->GetScriptUnits().GetCount(), 1u);
    EXPECT_EQ(object->GetScriptUnits().GetHead()->value->GetClassName(), "Kept");
    ASSERT_TRUE(object->ParseManagedTag(file, *ParseBlock(file, "<MItem=<UId=0><ScriptUnit=<Class=\"Lone\">>>")));
    ASSERT_EQ(object->GetScriptUnits().GetCount(), 1u);
    EXPECT_EQ(object->GetScriptUnits().GetHead()->value->GetClassName(), "Lone");
}

TEST_F(ManagedBlock, OlderPhysicTagsSetTheMode)
{
    scene->SetPhysicWorld(new StubPhysicWorld());
    nMetaFile file;
    nMObject* rigid = scene->NewObject("Rigid");
    ASSERT_TRUE(rigid->ParseManagedTag(file, *ParseBlock(file, "<MItem=<UId=0><TauItem=<Body=<Mode=\"Rigid\">>>>")));
    EXPECT_EQ(rigid->GetPhysicItem()->GetMode(), PhysicModeDynamic);

    nMObject* shaped = scene->NewObject("Shaped");
    ASSERT_TRUE(shaped->ParseManagedTag(
        file, *ParseBlock(file, "<MItem=<UId=1><GColItem=<Shapes=<Shape=>><SelfMask=4><Mask=6>>>")));
    EXPECT_EQ(shaped->GetPhysicItem()->GetMode(), PhysicModeStatic);
    EXPECT_EQ(shaped->GetPhysicItem()->GetSelfMask(), 4);
    EXPECT_EQ(shaped->GetPhysicItem()->GetMask(), 6);
    EXPECT_EQ(shaped->GetPhysicItem()->GetShapes().GetCount(), 1u);

    nMObject* plain = scene->NewObject("Plain");
    ASSERT_TRUE(plain->ParseManagedTag(file, *ParseBlock(file, "<MItem=<UId=2><TauItem=<Mode=\"Soft\">>>")));
    EXPECT_EQ(plain->GetPhysicItem()->GetMode(), PhysicModeNone);
}

TEST_F(ManagedBlock, TauItemShapesJoinTheShapeListUnlessTheItemIsRigid)
{
    scene->SetPhysicWorld(new StubPhysicWorld());
    nMetaFile file;
    const std::string tauShapes = "<Shapes=<PhysicShape=<Type=\"Sphere\">><PhysicShape=<Type=\"Box\">>>";
    nMObject* joined = scene->NewObject("Joined");
    const std::string joinedBlock = "<MItem=<UId=0><TauItem=" + tauShapes +
                                    "><GColItem=<Shapes=<PhysicShape=<Type=\"Capsule\">>>>>";
    for (int read = 0; read < 2; ++read) // a second read gives the same shapes, not twice as many
        ASSERT_TRUE(joined->ParseManagedTag(file, *ParseBlock(file, joinedBlock)));
    nPhysicItem* physic = joined->GetPhysicItem();
    ASSERT_EQ(physic->GetShapes().GetCount(), 3u);
    EXPECT_EQ(physic->GetShapes().GetHead()->value->kind, PhysicShapeCapsule);
    EXPECT_EQ(physic->GetShapes().GetTail()->value->kind, PhysicShapeBox);
    EXPECT_TRUE(physic->GetPendingShapes().IsEmpty());
    EXPECT_EQ(physic->GetMode(), PhysicModeStatic);

    nMObject* rigid = scene->NewObject("Rigid");
    ASSERT_TRUE(rigid->ParseManagedTag(
        file, *ParseBlock(file, "<MItem=<UId=1><TauItem=<Mode=\"Rigid\">" + tauShapes + ">>")));
    EXPECT_EQ(rigid->GetPhysicItem()->GetMode(), PhysicModeDynamic);
    EXPECT_TRUE(rigid->GetPhysicItem()->GetShapes().IsEmpty());
    EXPECT_EQ(rigid->GetPhysicItem()->GetPendingShapes().GetCount(), 2u);

    // Without a rigid body or collision shapes the older blocks change nothing.
    nMObject* plain = scene->NewObject("Plain");
    ASSERT_TRUE(plain->ParseManagedTag(file, *ParseBlock(file, "<MItem=<UId=2><TauItem=" + tauShapes + ">>")));
    EXPECT_TRUE(plain->GetPhysicItem()->GetShapes().IsEmpty());
    EXPECT_EQ(plain->GetPhysicItem()->GetMode(), PhysicModeNone);
}

TEST_F(ManagedBlock, EnvelopesReadBackTheirParts)
{
    scene->SetPhysicWorld(new StubPhysicWorld());
    nMetaFile file;
    nMLight* light = scene->NewLight("Lamp", LightTypeSpot, 0.5f);
    light->GetLight().SetRange(5.0f);
    std::unique_ptr<nMetaTag> lightTag = Serialize(*light, file);
    nMLight* lightCopy = scene->NewLight("Copy", LightTypePoint, 0.5f);
    ASSERT_TRUE(lightCopy->ParseTag(file, *lightTag));
    EXPECT_EQ(lightCopy->GetLight().GetType(), LightTypeSpot);
    EXPECT_FLOAT_EQ(lightCopy->GetLight().GetRange(), 5.0f);

    nMConstraint* joint = scene->NewConstraint("Joint");
    joint->GetPhysicConstraint()->SetType(PhysicConstraintHinge);
    std::unique_ptr<nMetaTag> jointTag = Serialize(*joint, file);
    EXPECT_EQ(ChildNames(*jointTag), (std::vector<std::string>{"MItem", "Constraint"}));
    nMConstraint* jointCopy = scene->NewConstraint("Copy");
    ASSERT_TRUE(jointCopy->ParseTag(file, *jointTag));
    EXPECT_EQ(jointCopy->GetPhysicConstraint()->GetType(), PhysicConstraintHinge);

    EXPECT_FALSE(jointCopy->ParseTag(file, *lightTag));
    EXPECT_NE(log.find("[!] Could not parse managed constraint. Root tag id is incorrect (MLight).\n"),
              std::string::npos);
    ASSERT_TRUE(jointCopy->ParseTag(file, *ParseBlock(file, "<MConstraint=<Spring=1>>")));
    EXPECT_NE(log.find("[*] Unknown tag 'Spring' in <MConstraint>.\n"), std::string::npos);
}

TEST_F(ManagedBlock, EveryReaderSurvivesTheCorpus)
{
    scene->SetPhysicWorld(new StubPhysicWorld());
    std::vector<nMItem*> items = {
        scene->NewCamera("C"),  scene->NewObject("O"),     scene->NewLight("L", LightTypePoint, 0.5f),
        scene->NewTrigger("T"), scene->NewConstraint("K"), scene->NewEmitter("E"),
        scene->NewTerrain("G")};
    for (const char* block :
         {"MCamera", "MObject", "MLight", "Trigger", "MConstraint", "MItem", "MEmitter", "MTerrain"})
        for (auto& document : CorpusBlocks(block))
        {
            nLinkedListIterator iterator;
            while (nMetaTag* root = document->GetNextRoot(iterator))
                for (nMItem* item : items)
                {
                    item->ParseTag(*document, *root);
                    item->ParseManagedTag(*document, *root);
                    Serialize(*item, *document);
                }
        }
}

TEST_F(ManagedBlock, MotionsTravelWithTheItem)
{
    nMObject* written = scene->NewObject("Door");
    auto* motion = new nMotion("open");
    motion->SetLoopMode(CurveRepeat);
    motion->AddChannel(2);
    ASSERT_TRUE(written->AddMotion(motion));
    nMetaFile file;
    std::unique_ptr<nMetaTag> tag = Serialize(*written, file);
    nMObject* read = scene->NewObject("Other");
    ASSERT_TRUE(read->ParseTag(file, *tag));
    ASSERT_EQ(read->GetMotionList().GetCount(), 1u);
    nMotion* back = read->GetMotion("open");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetLoopMode(), static_cast<uint32_t>(CurveRepeat));
    EXPECT_EQ(back->GetChannels().GetCount(), 1u);
}
