#include "ScriptApiFixture.h"

#include "animation/nAnimationSource.h"
#include "animation/nAnimationSourceList.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nVector.h"
#include "engine/Quenvar.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"

#include <string>

namespace
{
std::string Managed(const char* block, const char* part, const char* name, int uid,
                    const std::string& extra = "")
{
    return std::string("<") + block + "=<MItem=<Id=\"" + name + "\"><UId=" + std::to_string(uid) +
           "><Active>" + extra + "><" + part + "=<Item>>>";
}

const std::string Walk =
    "<MotionPlayer=<Motions=<Motion=<Id=\"walk\"><Channel=<Id=\"PositionX\"><Curve=<Knot="
    "<Count=2><Knot=\"0:0\"><Knot=\"2:4\">>>>>>>";

// Two walkers in a group (one with a script unit), three lights, a camera and an instance of a
// template that holds one object.
const std::string SceneText =
    "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"@scripts/units.nut\"><Class=\"Director\">><Items=" +
    Managed("MObject", "Object", "Walker", 0,
            Walk + "<ScriptUnit=<Script=\"@scripts/units.nut\"><Class=\"Mover\">>") +
    Managed("MObject", "Object", "Runner", 1, Walk) + Managed("MLight", "Light", "L1", 2) +
    Managed("MLight", "Light", "L2", 3) + Managed("MLight", "Light", "L3", 4) +
    Managed("MCamera", "Camera", "Cam", 5) +
    "<Instance=<MItem=<Id=\"Inst\"><UId=6><Active>><Item><Template=\"@scripts/t.nms\">>"
    "><Groups=<Group=<Id=\"Runners\"><Item=0><Item=1>>>>\n";

class EngineNativesTest : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        WriteScript(
            "units.nut",
            "class Mover {\n  speed = 3;\n"
            "  function OnUpdate(item) { if (\"WalkerUpdate\" in getroottable()) ::WalkerUpdate(item); }\n"
            "}\nclass Director { }\n");
        WriteScript("t.nms",
                    "<NML=1.0>\n<Scene=<Items=" + Managed("MObject", "Object", "Inside", 0) + ">>\n");
        WriteScript("s.nms", SceneText);
        ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0));
        scene->SetGlobal();
        scene->Setup();
        scene->Reset();
        other->SetName("other");
        stranger = other->NewObject("Stranger");
        machine.SetSlot("g_other", nScriptValue(ObjectTypeScene, other.Get()), nullptr);
        Run("W <- SceneFindItem(g_scene, \"Walker\"); R <- SceneFindItem(g_scene, \"Runner\");\n"
            "Cam <- SceneFindItem(g_scene, \"Cam\"); Inst <- SceneFindItem(g_scene, \"Inst\");\n"
            "Stranger <- SceneFindItem(g_other, \"Stranger\");\n"
            "Runners <- SceneFindGroup(g_scene, \"Runners\");\n"
            "function Try(f) { try { f(); } catch (error) { print(error); } }\n",
            "globals.nut");
    }

    // The handle record of a root slot the script set.
    const nCObject* Handle(const char* name)
    {
        HSQUIRRELVM vm = machine.GetHandle();
        sq_pushroottable(vm);
        sq_pushstring(vm, name, -1);
        SQUserPointer record = nullptr;
        if (SQ_SUCCEEDED(sq_rawget(vm, -2)))
        {
            sq_getinstanceup(vm, -1, &record, nCObject::GetClassTag(), SQFalse);
            sq_pop(vm, 1);
        }
        sq_pop(vm, 1);
        return static_cast<const nCObject*>(record);
    }

    bool Logged(const std::string& text) const
    {
        for (const std::string& line : log.lines)
            if (line == text)
                return true;
        return false;
    }

    nMItem* Find(const char* name) { return scene->FindItem(name); }

    Quenvar engine;
    nSharedPtr<nScene> scene{new nScene(&engine, &machine)};
    nSharedPtr<nScene> other{new nScene(&engine, &machine)};
    nMObject* stranger = nullptr;
};
} // namespace

TEST_F(EngineNativesTest, MotionsPlayOnTheirOwnItemAndSourceListsAreOwnedHandles)
{
    EXPECT_EQ(Evaluate("local walk = ItemGetMotion(W, \"WALK\");\n"
                       "ItemSetMotion(W, 3, walk, 0, 1, 0.5, 2);\n"
                       "print(ItemIsMotionPlaying(W) + \" \" + ItemMotionSlotGetTime(W, 7) + \" \" +\n"
                       "      ItemMotionSlotGetClockScale(W, 0) + \";\");\n"
                       "print(ObjectIsValid(ItemGetMotionFromIndex(W, 0)) + \" \" +\n"
                       "      ObjectIsValid(ItemGetMotionFromIndex(W, 1)) + \" \" +\n"
                       "      ObjectIsValid(ItemGetMotionFromIndex(W, -1)) + \";\");\n"
                       "ItemSetMotion(R, 0, walk, 0, 1, 0, 1);\n"
                       "print(ItemIsMotionPlaying(R) + \";\");\n"
                       "Sources <- GroupSetMotion(Runners, \"walk\", 0);\n"
                       "AnimationSourceSetWeight(Sources, -1, 0);\n"
                       "print(AnimationSourceGetClock(Sources));"),
              "true 0.5 2;true false false;false;0");
    EXPECT_TRUE(Logged("[!] Motion 'walk' does not belong to item 'Runner': it is not played.\n"));
    const nCObject* sources = Handle("Sources");
    ASSERT_NE(sources, nullptr);
    EXPECT_EQ(sources->GetType(), ObjectTypeAnimationSource);
    EXPECT_TRUE(sources->IsOwned());
    const auto* list = static_cast<const nAnimationSourceList*>(sources->GetObject());
    ASSERT_EQ(list->GetCount(), 2u);
    for (const auto* node = list->GetHead(); node; node = node->next)
        EXPECT_EQ(node->value->GetWeight(), 0.0f);
}

TEST_F(EngineNativesTest, CamerasCullAndKeepTheirDepthOfFieldInTheirRegistry)
{
    EXPECT_EQ(Evaluate("local camera = ItemCastToCamera(Cam);\n"
                       "print(CameraCullObject(camera, ItemCastToObject(W)) + \" \");\n"
                       "local at = CameraCullPosition(camera, ItemGetWorldPosition(Cam));\n"
                       "print((at == VisibilityOutside || at == VisibilityClipped) + \" \");\n"
                       "CameraSetFStop(camera, 2.5);\n"
                       "print(ItemRegistryGetKey(Cam, \"PostProcess:Dof:FStop\"));"),
              "0 true 2.5");
    nMItem* camera = Find("Cam");
    EXPECT_EQ(camera->GetItem()->GetRegistry().GetFloat("PostProcess:Dof:FStop", 0.0f), 2.5f);
}

// Each setter's value read back through its getter; a row's script sets and then prints.
TEST_F(EngineNativesTest, SettersAreReadBackByTheirGetters)
{
    const std::pair<const char*, const char*> rows[] = {
        {"ItemSetPosition(R, Vector(7, 8, 9)); ItemSetMatrix(W, ItemGetMatrix(R)); "
         "print(V(ItemGetPosition(W)))",
         "(7,8,9,1)"},
        {"ItemSetRotation(W, Vector(0, 1.5, 0)); print(V(ItemGetRotation(W)))", "(0,1.5,0,1)"},
        {"ItemSetRotationOrder(W, RotationOrderXYZ); print(ItemGetRotationOrder(W))", "5"},
        {"ItemSetScale(W, Vector(2, 3, 4)); print(V(ItemGetScale(W)))", "(2,3,4,1)"},
        {"ItemSetPivot(W, Vector(1, 0, -1)); print(V(ItemGetPivot(W)))", "(1,0,-1,1)"},
        {"ItemSetTarget(W, Vector(0, 0, 5)); print(ItemHasTarget(W) + \" \" + V(ItemGetTarget(W)))",
         "true (0,0,5,1)"},
        {"ItemSetNoTarget(W); print(ItemHasTarget(W))", "false"},
        {"local L = ItemCastToLight(SceneFindItem(g_scene, \"L1\"));"
         "LightSetType(L, LightTypeSpot); LightSetDiffuseColor(L, Vector(0.5, 0.25, 1));"
         "LightSetSpecularColor(L, Vector(1, 0, 0.5)); LightSetDiffuseIntensity(L, 2);"
         "LightSetSpecularIntensity(L, 0.5); LightSetConeAngle(L, 0.75); LightSetEdgeAngle(L, 0.25);"
         "LightSetRange(L, 12); LightSetVolumeRange(L, 40);"
         "print(LightGetType(L) + V(LightGetDiffuseColor(L)) + V(LightGetSpecularColor(L)) + \" \" +"
         "      LightGetDiffuseIntensity(L) + \" \" + LightGetSpecularIntensity(L) + \" \" +"
         "      LightGetConeAngle(L) + \" \" + LightGetEdgeAngle(L) + \" \" + LightGetRange(L) + \" \" +"
         "      LightGetVolumeRange(L))",
         "3(0.5,0.25,1,1)(1,0,0.5,1) 2 0.5 0.75 0.25 12 40"},
        {"local C = ItemCastToCamera(Cam); CameraSetFov(C, 1.25); CameraSetAspectRatio(C, 1.5);"
         "print(format(\"%.4f \", CameraGetFov(C)) + CameraGetAspectRatio(C))",
         "1.2500 1.5"},
        // A point ahead of the camera goes to the screen and back at its own depth; the screen's centre
        // lies on the view axis; a point behind the camera has no place on the screen.
        {"local C = ItemCastToCamera(Cam); local on = CameraWorldToScreen(C, Vector(1, -2, 10));"
         "local back = CameraScreenToWorldPlane(C, on.x, on.y, 10);"
         "print(format(\"%.3f %.3f %.3f \", back.x, back.y, back.z) + V(CameraScreenToWorld(C, 0.5, 0.5)) +"
         "      V(CameraWorldToScreen(C, Vector(1, -2, -10))))",
         "1.000 -2.000 10.000 (0,0,1,1)(0,0,0,1)"},
    };
    for (const auto& [script, expected] : rows)
        EXPECT_EQ(Evaluate(script), expected) << script;
}

TEST_F(EngineNativesTest, DeletionsWaitForTheFlushAndGoThroughTheItemsOwnScene)
{
    EXPECT_EQ(Evaluate("SceneDeleteAllLights(g_scene); print(\"queued\");"), "queued");
    EXPECT_EQ(scene->GetLights().GetCount(), 3u);
    for (const auto* node = scene->GetLights().GetHead(); node; node = node->next)
        EXPECT_TRUE(scene->IsDeletionQueued(node->value));
    scene->FlushDeletionQueue();
    EXPECT_EQ(scene->GetLights().GetCount(), 0u);

    for (const char* native :
         {"SceneDeleteItem(g_scene, Stranger)", "SceneDeleteObject(g_scene, ItemCastToObject(Stranger))"})
    {
        SCOPED_TRACE(native);
        log.lines.clear();
        EXPECT_EQ(Evaluate(std::string(native) + "; print(\"asked\");"), "asked");
        EXPECT_TRUE(Logged("[*] Deleting item 'Stranger' (uid=0) using the wrong owner scene '" +
                           std::string(scene->GetName().GetText()) +
                           "' (current owner is scene 'other').\n"));
        EXPECT_TRUE(other->IsDeletionQueued(stranger));
        EXPECT_FALSE(scene->IsDeletionQueued(stranger));
    }
    other->FlushDeletionQueue();
    EXPECT_EQ(Evaluate("print(ObjectIsValid(Stranger));"), "false");
}

TEST_F(EngineNativesTest, FindNativesSearchAnInstancesGroup)
{
    EXPECT_EQ(Evaluate("local child = SceneFindItemChild(Inst, W, \"x\");\n"
                       "print(ObjectIsValid(child) + \" \" + (child != null) + \" \");\n"
                       "print(ItemGetName(SceneFindItem(Inst, \"Inside\")) + \" \");\n"
                       "print(InstanceGetItemList(ItemCastToInstance(Inst)).len() + \" \");\n"
                       "print(ObjectIsValid(ItemDerivedCastToItem(ItemCastToInstance(Inst))) + \" \");\n"
                       "print(ObjectIsValid(ItemDerivedCastToItem(g_scene)) + \" \");\n"
                       "Try(@() SceneFindItemChild(g_scene, NullItem, \"x\"));"),
              "false true Inside 1 true false CObject is null");
}

// Bad input gives an error or a line, and the item stays as it was.
TEST_F(EngineNativesTest, BadValuesIndicesAndHandlesChangeNothing)
{
    EXPECT_EQ(Evaluate("ItemSetPosition(W, Vector(1, 2, 3));\n"
                       "Try(@() ItemSetPosition(W, UV(0, 0)));\n"
                       "ItemSetPosition(W, Vector(sqrt(-1), 0, 0));\n"
                       "ItemSetScale(W, Vector(1, 1.0 / 0.0, 1));\n"
                       "print(\" \" + V(ItemGetPosition(W)) + V(ItemGetScale(W)));\n"
                       "ItemSetPosition(R, Vector(3e38, -3e38, 3e38));\n"
                       "print(\" \" + (ItemGetWorldPosition(R).x > 1e38));\n"
                       "ItemSetRotationOrder(R, 99); ItemGetMatrix(R);\n"
                       "print(\" \" + (ItemGetScriptInstanceFromIndex(W, 1) == null) +\n"
                       "      (ItemGetScriptInstanceFromIndex(W, -1) == null) +\n"
                       "      ItemGetScriptInstanceFromIndex(W, 0).speed);\n"
                       "ObjectSkinSetItem(ItemCastToObject(W), 5, NullItem);\n"
                       "print(\" \" + ObjectSkinGetItemCount(ItemCastToObject(W)) +\n"
                       "      ObjectIsValid(ObjectSkinGetItem(ItemCastToObject(W), 0)));"),
              "Invalid instance type (1,2,3,1)(1,1,1,1) true truetrue3 0false");
    EXPECT_TRUE(Logged("[!] Item 'Walker': a position that is not finite is refused.\n"));
    EXPECT_TRUE(Logged("[!] Item 'Walker': a scale that is not finite is refused.\n"));

    // Another scene's items can be neither a group's root nor the current camera.
    EXPECT_EQ(Evaluate("GroupSetRootItem(Runners, Stranger);\n"
                       "SceneSetCurrentCamera(g_scene, ItemCastToCamera(Cam));\n"
                       "SceneSetCurrentCamera(g_other, ItemCastToCamera(Cam));\n"
                       "print(ObjectIsValid(GroupGetRootItem(Runners)) + \" \" +\n"
                       "      ItemGetName(CameraGetItem(SceneGetCurrentCamera(g_scene))) + \" \" +\n"
                       "      ObjectIsValid(SceneGetCurrentCamera(g_other)));"),
              "false Cam false");
    EXPECT_TRUE(Logged("[!] Item 'Stranger' cannot be the root of group 'Runners': they belong to different "
                       "scenes.\n"));

    // A root that goes leaves its group without a root; a motion handle dies with its item.
    EXPECT_EQ(Evaluate("GroupSetRootItem(Runners, Cam);\n"
                       "Walk <- ItemGetMotion(W, \"walk\");\n"
                       "SceneDeleteItem(g_scene, Cam); SceneDeleteItem(g_scene, W);\n"
                       "SceneFlushDeletionQueue(g_scene);\n"
                       "print(ObjectIsValid(GroupGetRootItem(Runners)) + \" \");\n"
                       "Try(@() ItemSetMotion(R, 0, Walk, 0, 1, 0, 1));"),
              "false Expected 'Motion' got 'Deleted native'");
}

TEST_F(EngineNativesTest, AGeometryHandleKeepsItsGeometry)
{
    auto* geometry = new nGeometry(&engine);
    nMObject* runner = static_cast<nMObject*>(Find("Runner"));
    runner->GetObject().SetGeometry(geometry);
    EXPECT_EQ(Evaluate("Shape <- ObjectGetGeometry(ItemCastToObject(R)); print(ObjectIsValid(Shape));"),
              "true");
    runner->GetObject().SetGeometry(nullptr);
    EXPECT_EQ(geometry->GetRefCount(), 1u);
    EXPECT_EQ(Evaluate("ObjectSetGeometry(ItemCastToObject(R), Shape); Shape = null; print(\"set\");"),
              "set");
    EXPECT_EQ(runner->GetObject().GetGeometry(), geometry);
    EXPECT_EQ(geometry->GetRefCount(), 1u);
}

// An item's event that frees items would free them under the scene's walk: the flush waits.
TEST_F(EngineNativesTest, ItemEventsCannotFreeItemsUnderTheScenesWalk)
{
    EXPECT_EQ(Evaluate("function WalkerUpdate(item) {\n"
                       "    SceneDeleteItem(g_scene, R);\n"
                       "    SceneFlushDeletionQueue(g_scene);\n"
                       "    SceneUpdate(g_scene);\n"
                       "    SceneDeleteContent(g_scene);\n"
                       "}\n"
                       "print(\"hooked\");"),
              "hooked");
    scene->Update();
    for (const char* native : {"SceneFlushDeletionQueue", "SceneUpdate", "SceneDeleteContent"})
        EXPECT_TRUE(Logged(std::string("[!] ") + native +
                           "() cannot run while the scene sends events to its items.\n"))
            << native;
    EXPECT_NE(Find("Runner"), nullptr);
    EXPECT_TRUE(scene->IsDeletionQueued(Find("Runner")));
    EXPECT_EQ(Evaluate("getroottable().rawdelete(\"WalkerUpdate\"); print(ObjectIsValid(R));"), "true");
    scene->Update();
    EXPECT_EQ(Evaluate("print(ObjectIsValid(R));"), "false");
}
