#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

// Every native that deletes, unloads, resets, sets up, loads into, runs or ends a scene, group,
// instance or item, called from every kind of event the engine sends while it walks something:
// each run ends by itself, under the sanitizers, with exit code 0. What each call then does is
// checked elsewhere; here only that nothing the engine walks is freed under it, and that every
// frame ends.
//
// The project shows scene "a.nms" and the 2D scene "m.nms" (unit "M") as layers; the group
// "g.nms" of two overlapping falling boxes X and Y (unit "I") inside a trigger Z (unit "T") is
// loaded into it. Frame 2 deactivates X and resets the group (OnActivate, OnReset through a group
// walk), frame 3 activates X again and deletes Y (OnDelete at the next flush), frame 5 ends.

namespace
{

struct SweepNative
{
    const char* name;
    const char* call; // may use Scn(), Inst(), Item() and Grp(), each null once gone
};

const SweepNative Natives[] = {
    {"SceneDeleteItem", "if (Item()) SceneDeleteItem(Scn(), Item());"},
    {"SceneDeleteContent", "if (Scn()) SceneDeleteContent(Scn());"},
    {"SceneFlushDeletionQueue", "if (Scn()) SceneFlushDeletionQueue(Scn());"},
    {"SceneDeleteGroup", "if (Grp()) SceneDeleteGroup(Scn(), Grp());"},
    {"SceneReset", "if (Scn()) SceneReset(Scn());"},
    {"SceneSetup", "if (Scn()) SceneSetup(Scn());"},
    {"SceneFromFile", "if (Scn()) SceneFromFile(Scn(), \"p.nms\");"},
    {"SceneFromFileStoreGroup", "if (Scn()) SceneFromFileStoreGroup(Scn(), \"p.nms\", 0xFFFFFFFF);"},
    {"SceneUpdate", "if (Scn()) SceneUpdate(Scn());"},
    {"SceneRender", "if (Scn()) SceneRender(Scn(), 0);"},
    {"SceneEnd", "if (Scn()) SceneEnd(Scn());"},
    {"ProjectUnloadScene", "if (Inst()) ProjectUnloadScene(g_project, Inst());"},
    {"ItemActivate", "if (Item()) ItemActivate(Item(), false);"},
    {"GroupReset", "if (Grp()) GroupReset(Grp());"},
    {"GroupActivate", "if (Grp()) GroupActivate(Grp(), false);"},
    {"ProjectUnloadScene of the 2D scene", "if (Inst2D()) ProjectUnloadScene(g_project, Inst2D());"},
    {"UIRender", "if (Inst2D()) UIRender(ProjectSceneGetInstance(Inst2D()));"},
    {"a dropped script-made scene", "local x = ProjectNewScene(g_project); SceneFromFile(x, \"p.nms\"); "
                                    "SceneSetup(x); SceneUpdate(x); x = null;"},
};

// The events, by where their handler sits.
enum SweepEvent
{
    ItemUpdate,
    ItemRenderDone,
    ItemActivated,
    ItemResetByGroupWalk,
    ItemDeleted,
    TriggerEntered,
    Collided,
    SceneUpdated,
    SceneRenderUI,
    ProjectUpdated,
    ProjectRenderScene,
    Scene2DUpdated,
    EventCount,
};

const char* const EventNames[EventCount] = {
    "item OnUpdate",    "item OnRenderDone",   "item OnActivate",       "item OnReset in GroupReset",
    "item OnDelete",    "trigger OnItemEnter", "item OnCollision",      "scene OnUpdate",
    "scene OnRenderUI", "project OnUpdate",    "project OnRenderScene", "2D scene OnUpdate",
};

const char* const Helpers =
    "function Inst() { local i = ProjectFindScene(g_project, \"a.nms\"); return ObjectIsValid(i) ? i : null; "
    "}\n"
    "function Scn() { local i = Inst(); return i ? ProjectSceneGetInstance(i) : null; }\n"
    "function Item() { local s = Scn(); if (!s) return null; local x = SceneFindItem(s, \"X\");\n"
    "  return ObjectIsValid(x) ? x : null; }\n"
    "function Inst2D() { local i = ProjectFindScene(g_project, \"m.nms\"); return ObjectIsValid(i) ? i : "
    "null; }\n"
    "function Grp() { local s = Scn(); if (!s || !ObjectIsValid(::G)) return null; return ::G; }\n";

KestrunFiles SweepFiles(const SweepNative& native, SweepEvent event)
{
    auto at = [&](SweepEvent place) { return place == event ? std::string(native.call) : std::string(); };
    // X and Y stand inside the trigger Z, so it sees them enter.
    const std::string detected = "<Active><TriggerDetected><ScriptUnit=<Script=\"i.nut\"><Class=\"I\">>"
                                 "<PhysicItem=<Mode=\"Dynamic\"><Shapes=<PhysicShape=<Type=\"Box\">>>>>";
    const std::string objects =
        "<MObject=<MItem=<Id=\"X\"><UId=0>" + detected + "<Object=<Item>>>" +
        "<MObject=<MItem=<Id=\"Y\"><UId=1>" + detected + "<Object=<Item>>>" +
        "<Trigger=<MItem=<Id=\"Z\"><UId=2><Active><ScriptUnit=<Script=\"i.nut\"><Class=\"T\">>><Item>>";
    return {
        {"game.ngp",
         "<NML=1.0>\n<Environment=<Name=\"Sweep\"><ScriptUnit=<Script=\"main.nut\"><Class=\"Main\">>>"},
        {"m.nms", "<NML=1.0>\n<Scene2d=<ScriptUnit=<Script=\"m.nut\"><Class=\"M\">>>"},
        {"m.nut", "class M { function OnUpdate(ui, dt) { " + at(Scene2DUpdated) + " } }\n"},
        {"a.nms", "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"a.nut\"><Class=\"A\">><Items>>"},
        {"g.nms", "<NML=1.0>\n<Scene=<Items=" + objects + ">>\n"},
        {"p.nms", "<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"P\"><UId=0><Active>><Object=<Item>>>>>\n"},
        {"i.nut", "class I {\n  function OnUpdate(i) { " + at(ItemUpdate) +
                      " }\n  function OnRenderDone(i) { " + at(ItemRenderDone) +
                      " }\n  function OnActivate(i, a) { " + at(ItemActivated) +
                      " }\n  function OnReset(i) { if (::Frames == 2) { " + at(ItemResetByGroupWalk) +
                      " } }\n  function OnDelete(i) { " + at(ItemDeleted) +
                      " }\n  function OnCollision(i, o) { " + at(Collided) +
                      " }\n}\n"
                      "class T { function OnItemEnter(t, i) { " +
                      at(TriggerEntered) + " } }\n"},
        {"a.nut", "class A {\n  function OnUpdate(s) { " + at(SceneUpdated) +
                      " }\n  function OnRenderUI(s) { " + at(SceneRenderUI) + " }\n}\n"},
        {"main.nut",
         std::string(Helpers) +
             "::G <- null; ::Frames <- 0;\n"
             "class Main {\n"
             "  function OnSetup(p) { local a = ProjectInstantiateScene(p, \"a.nms\"); ProjectAddLayer(p, a, "
             "1.0);\n"
             "    ProjectAddLayer(p, ProjectInstantiateScene(p, \"m.nms\"), 2.0);\n"
             "    ::G = SceneFromFileStoreGroup(Scn(), \"g.nms\", 0xFFFFFFFF); GroupSetupScript(::G); "
             "GroupSetup(::G); }\n"
             "  function OnUpdate(p) { ::Frames++;\n"
             "    if (::Frames == 2) { if (Item()) ItemActivate(Item(), false); if (Grp()) "
             "GroupReset(Grp()); }\n"
             "    if (::Frames == 3 && Scn()) { if (Item()) ItemActivate(Item(), true);\n"
             "      local y = SceneFindItem(Scn(), \"Y\"); if (ObjectIsValid(y)) SceneDeleteItem(Scn(), y); "
             "}\n"
             "    if (::Frames >= 2 && ::Frames <= 4) { " +
             at(ProjectUpdated) +
             " }\n"
             "    if (::Frames == 5) { print(\"end\"); ProjectEnd(p); } }\n"
             "  function OnRenderScene(p, s, l) { " +
             at(ProjectRenderScene) + " }\n}\n"},
    };
}

class WalkSweep : public ::testing::TestWithParam<std::tuple<size_t, int>>
{
};

TEST_P(WalkSweep, EndsByItselfWithoutASanitizerReport)
{
    const SweepNative& native = Natives[std::get<0>(GetParam())];
    const auto event = static_cast<SweepEvent>(std::get<1>(GetParam()));
    SCOPED_TRACE(std::string(native.name) + " from " + EventNames[event]);
    const KestrunRun run = RunKestrunWithFiles(
        SweepFiles(native, event),
        {"game.ngp", "-P", "-r", "none", "-m", "none", "-CC", KESTRUN_DATA_DIR "/core"}, 60.0);
    // A handler that calls the native which sends that same event again (OnActivate activating its
    // item, OnReset resetting its group or scene) recurses without end: the machine stops that
    // script, and the run ends with the script-error code.
    const bool recursed = CountOccurrences(run.output, "[!] Script runtime error: stack overflow\n") == 1;
    EXPECT_EQ(run.exitCode, recursed ? 3 : 0) << run.output.substr(0, 6000);
    EXPECT_EQ(CountOccurrences(run.output, "Done.\n"), 1u) << run.output.substr(0, 6000);
    if (!recursed)
        EXPECT_EQ(run.output.find("[!] Script"), std::string::npos) << run.output.substr(0, 6000);
}

INSTANTIATE_TEST_SUITE_P(NativeFromEvent, WalkSweep,
                         ::testing::Combine(::testing::Range<size_t>(0, std::size(Natives)),
                                            ::testing::Range<int>(0, EventCount)));

} // namespace
