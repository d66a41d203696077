#include "ScriptApiFixture.h"

#include "engine/Quenvar.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "physics/nPhysicItem.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"

#include <string>

namespace
{
struct Case
{
    const char* script;
    const char* expected;
};

const char* const Triangle =
    "<NML=1.0>\n<Geometry=<AVertex=<Count=3><Data=<V=<X=0.0><Y=0.0><Z=0.0>>"
    "<V=<X=1.0><Y=0.0><Z=0.0>><V=<X=0.0><Y=1.0><Z=0.0>>>><APolygon=<Count=1><BindingCount=3>"
    "<Data=<Polygon=<Count=3><Material=0><Index=0><Index=1><Index=2>>>>>\n";

// Scene "S" with a physics world: camera "Cam" (UId 0), objects "A" (1, in group "G") and "B"
// (2), light "L" (3), a dynamic "Box" (4) with one box shape of mass 1, and instance "I" (5) of
// a template holding "X". Scene "Bare" has no world and one object "N". The script sees them
// as "s", "bare", "inst" (an Instance handle) and "g_engine".
class CObjectMethods : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        WriteScript("tri.ngm", Triangle);
        WriteScript("t.nms",
                    "<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"X\"><UId=0><Active>><Object=<Item>>>>>");
        scene = NewScene("S");
        ASSERT_TRUE(scene->CreatePhysicWorld());
        scene->SetCurrentCamera(scene->NewCamera("Cam")->GetItem());
        nMObject* a = scene->NewObject("A");
        scene->NewObject("B");
        scene->NewLight("L", LightTypePoint, 0.5f);
        nMObject* box = scene->NewObject("Box");
        nPhysicItem* body = box->GetPhysicItem();
        ASSERT_TRUE(body);
        body->SetMode(PhysicModeDynamic);
        nPhysicShape* shape = body->AddShape();
        shape->SetPrimitive(PhysicShapeBox, nVector(1, 1, 1));
        shape->mass = 1.0f;
        instance = scene->NewInstance("I", "@scripts/t.nms");
        scene->NewGroup("G")->AddItem(a, true);
        scene->Setup(false, 0);
        scene->SetName("S"); // the template's load named the scene after its file
        bare = NewScene("Bare");
        bare->NewObject("N");
        SetGlobals();
        log.lines.clear();
    }

    void TearDown() override
    {
        scene->Release();
        bare->Release();
        ScriptApiFixture::TearDown();
    }

    void Bind() override
    {
        ScriptApiFixture::Bind();
        SetGlobals();
    }

    nScene* NewScene(const char* name)
    {
        auto* created = new nScene(&engine, &machine);
        created->AddRef();
        created->SetName(name);
        return created;
    }

    void SetGlobals()
    {
        if (!scene)
            return;
        machine.SetSlot("s", nScriptValue(ObjectTypeScene, scene), nullptr);
        machine.SetSlot("bare", nScriptValue(ObjectTypeScene, bare), nullptr);
        machine.SetSlot("inst", nScriptValue(ObjectTypeInstance, static_cast<nMItem*>(instance)), nullptr);
        machine.SetSlot("g_engine", nScriptValue(ObjectTypeEngine, &engine), nullptr);
    }

    void ExpectCases(const Case* begin, const Case* end)
    {
        for (const Case* c = begin; c != end; ++c)
            EXPECT_EQ(Evaluate(c->script), c->expected) << c->script;
    }

    bool HasLogLine(const std::string& line) const
    {
        return std::find(log.lines.begin(), log.lines.end(), line + "\n") != log.lines.end();
    }

    Quenvar engine;
    nScene* scene = nullptr;
    nScene* bare = nullptr;
    nInstance* instance = nullptr;
};

TEST_F(CObjectMethods, IdentityNamesAndLookups)
{
    const Case cases[] = {
        {"local h = CObject(); print(h.isNull() + \" \" + h.isValid() + \" \" + h.type())", "true false 0"},
        {"print(s.isValid() + \" \" + s.type() + \" \" + s.name())", "true 9 S"},
        {"print(s.findItem(\"A\").name() + s.findItem(1).name() + s.findItem(\"L\").name())", "AAL"},
        {"print(s.findItem(\"L\").type() + \" \" + s.findItem(3).type())", "24 24"},
        {"local n = s.findItem(\"nobody\"); print(n.isNull() + \" \" + n.type() + \" \" + "
         "s.findItem(99).isNull())",
         "true 24 true"},
        {"local a = s.findItem(\"A\"); print(a._cmp(s.findItem(1)) + \" \" + a._cmp(s.findItem(2)) + \" \" + "
         "a._cmp(Vector()))",
         "true false false"},
        {"local b = s.findItem(\"B\"); b.setName(\"B2\"); print(s.findItem(\"B2\").name()); b.setName(\"B\")",
         "B2"},
        {"print(s.currentCamera().name() + \" \" + s.currentCamera().type())", "Cam 25"},
        {"s.setCurrentCamera(s.findItem(\"B\")); print(s.currentCamera().name()); "
         "s.setCurrentCamera(s.findItem(\"Cam\"))",
         "B"},
        {"print(s.findItem(\"A\").scene().name() + \" \" + s.findItem(\"A\").scene().type())", "S 9"},
        {"local g = s.findGroup(\"G\"); print(g.type() + \" \" + g.findItem(\"A\").name() + \" \" + "
         "g.findItem(1).name() + \" \" + g.findItem(\"B\").isNull() + \" \" + "
         "s.findGroup(\"none\").isNull())",
         "23 A A true true"},
        {"print(inst.findItem(\"X\").name() + \" \" + inst.findItem(\"A\").isNull())", "X true"},
        {"local u = s.ui(); print(u.isNull() + \" \" + u.type())", "false 12"},
        // The 2D layer runs command lists on its own manager.
        {"local u = s.ui(); local before = u.isCommandListDone(); "
         "print(before + \" \" + (u.setCommandList(\"globalfade 5,1;\") > 0) + \" \" + "
         "u.isCommandListDone())",
         "true true false"},
        {"print(typeof s.findItem(\"A\").matrix() + \" \" + typeof s.findItem(\"A\").worldPosition())",
         "Matrix4 Vector"},
    };
    ExpectCases(std::begin(cases), std::end(cases));
}

TEST_F(CObjectMethods, TransformsReadBackAndWorldPositionFollowsTheParent)
{
    const Case cases[] = {
        {"local a = s.findItem(\"A\"); a.setPosition(Vector(1, 2, 3)); a.setRotation(Vector(0.5, 0, 0.25)); "
         "print(V(a.position()) + V(a.rotation()))",
         "(1,2,3,1)(0.5,0,0.25,1)"},
        {"local a = s.findItem(\"A\"), b = s.findItem(\"B\"); a.setRotation(Vector()); "
         "a.setPosition(Vector(10, 0, 0)); "
         "b.setPosition(Vector(1, 2, 3)); b.setParent(a); print(V(b.worldPosition()))",
         "(11,2,3,1)"},
        // The matrix stands as the last update left it; worldPosition brings it up to date.
        {"local a = s.findItem(\"A\"); a.setPosition(Vector(5, 0, 0)); local m = a.matrix(); "
         "print(V(m.GetPosition()) + V(a.worldPosition()) + V(a.matrix().GetPosition()))",
         "(10,0,0,1)(5,0,0,1)(5,0,0,1)"},
        {"s.findItem(\"A\").setNoTarget(); print(\"ok\")", "ok"},
    };
    ExpectCases(std::begin(cases), std::end(cases));
}

TEST_F(CObjectMethods, ContentIsAddedLoadedAndRunsCommandLists)
{
    const Case cases[] = {
        {"local o = s.addObject(); print(o.name() + \" \" + o.type())", "New Object 26"},
        {"local g = g_engine.loadGeometry(\"@scripts/tri.ngm\", false); print(g.type() + \" \" + "
         "g.isValid()); "
         "print(s.addObject(\"N\", g).name())",
         "35 trueN"},
        {"print(g_engine.loadGeometry(\"@scripts/absent.ngm\").isNull())", "true"},
        {"local g = s.load(\"@scripts/t.nms\"); print(g.type() + \" \" + g.findItem(\"X\").name() + \" \" + "
         "s.findGroup(\"@scripts/t.nms\").findItem(\"X\").isValid())",
         "23 X true"},
        {"local a = s.findItem(\"A\"); print(a.setCommandList(\"toposition 1,0,0,5;\") + \" \" + "
         "a.isCommandListDone())",
         "2 false"},
    };
    ExpectCases(std::begin(cases), std::end(cases));
    nMObject* added = scene->FindObject("N");
    ASSERT_TRUE(added);
    EXPECT_STREQ(added->GetObject().GetGeometry()->GetNameText(), "@scripts/tri.ngm");

    // The list moves the item to (0, 0, 5) in one second.
    nMItem* a = scene->FindItem("A");
    a->nACEUnit::Update(0.5f);
    EXPECT_EQ(Evaluate("print(s.findItem(\"A\").isCommandListDone())"), "false");
    a->nACEUnit::Update(0.6f);
    EXPECT_EQ(Evaluate("print(s.findItem(\"A\").isCommandListDone())"), "true");

    // A file that does not load: the loader's line, and an empty group.
    EXPECT_EQ(Evaluate("local g = s.load(\"@scripts/absent.nms\", 0); print(g.type() + \" \" + g.isNull())"),
              "23 true");
    EXPECT_TRUE(HasLogLine("[!] Failed to open '@scripts/absent.nms'."))
        << ::testing::PrintToString(log.lines);
}

TEST_F(CObjectMethods, PhysicsOfItemsShapesAndTheScene)
{
    const Case cases[] = {
        {"local b = s.findItem(\"Box\"); print(b.physicsMode() + \" \" + typeof b.physicsMode() + \" \" + "
         "typeof b.physicsActive() + \" \" + b.collisionShapeCount())",
         "3 integer bool 1"},
        {"local b = s.findItem(\"Box\"); local c = b.collisionShape(0); print(c.type() + \" \" + c.mass()); "
         "c.setSphere(0.5); print(\" \" + c.mass() + \" \" + b.collisionShape(7).isNull() + \" \" + "
         "b.collisionShape(-1).isNull())",
         "38 1 1 true true"},
        {"local c = s.findItem(\"Box\").collisionShape(0); c.setStaticFriction(0.25); "
         "c.setDynamicFriction(0.75); "
         "c.setRestitution(0.125); c.setMass(2); print(c.staticFriction() + \" \" + c.dynamicFriction() + \" "
         "\" + "
         "c.restitution() + \" \" + c.mass()); c.setPosition(Vector(0, 1, 0)); print(\" \" + "
         "V(c.position()))",
         "0.25 0.75 0.125 2 (0,1,0,1)"},
        // Numbers a shape cannot take leave it as it was.
        {"local c = s.findItem(\"Box\").collisionShape(0); c.setMass(-1); c.setRestitution(0.0 / 0.0);"
         "c.setSphere(1.0 / 0.0); c.setBox(Vector(1, 0.0 / 0.0, 1)); print(c.mass() + \" \" + "
         "c.restitution())",
         "2 0.125"},
        {"local b = s.findItem(\"Box\"); b.setLinearVelocity(Vector(0, 0, 5)); print(V(b.linearVelocity()))",
         "(0,0,5,1)"},
        {"local b = s.findItem(\"Box\"); b.setCollisionMask(6); b.setSelfMask(2); print(b.collisionMask() + "
         "\" \" + b.selfMask())",
         "6 2"},
        {"print(fabs(s.physicsFrequency() - 60) < 0.0001)", "true"},
        {"s.setPhysicsFrequency(30); print(fabs(s.physicsFrequency() - 30) < 0.0001)", "true"},
        // Without a physics component or a world: neutral answers, setters that do nothing.
        {"local n = bare.findItem(\"N\"); n.setPhysicsMode(3); n.setLinearVelocity(Vector(1, 1, 1)); "
         "n.applyForce(Vector(1, 0, 0), Vector()); n.setPhysicsActive(true); bare.setPhysicsFrequency(10); "
         "print(n.physicsMode() + \" \" + n.physicsActive() + \" \" + n.collisionShapeCount() + \" \" + "
         "n.collisionShape(0).isNull() + \" \" + n.addCollisionShape().isNull() + \" \" + n.collisionMask() "
         "+ \" \" "
         "+ V(n.linearVelocity()) + V(n.angularVelocity()) + \" \" + bare.physicsFrequency())",
         "0 false 0 true true 0 (0,0,0,1)(0,0,0,1) 0"},
    };
    ExpectCases(std::begin(cases), std::end(cases));
    EXPECT_EQ(Evaluate("s.setPhysicsFrequency(0); s.setPhysicsFrequency(1.0 / 0.0);"
                       "print(fabs(s.physicsFrequency() - 30) < 0.0001)"),
              "true");
    EXPECT_TRUE(
        HasLogLine("[*] setPhysicsFrequency: the value 0 is refused; it must be a finite number above 0."))
        << ::testing::PrintToString(log.lines);
    EXPECT_TRUE(
        HasLogLine("[*] setPhysicsFrequency: the value inf is refused; it must be a finite number above 0."))
        << ::testing::PrintToString(log.lines);
}

TEST_F(CObjectMethods, HandlesOnDeletedItemsAndShapesAreRefused)
{
    ASSERT_TRUE(Run("gone <- s.findItem(\"B\"); shape <- s.findItem(\"Box\").collisionShape(0); "
                    "added <- s.findItem(\"Box\").addCollisionShape();"));
    scene->DeleteItem(scene->FindItem("B"));
    scene->DeleteItem(scene->FindItem("Box"));
    scene->FlushDeletionQueue();
    // Caught, so the machine keeps its globals from one call to the next.
    EXPECT_EQ(
        Evaluate(
            "print(gone.type()); foreach (call in [@() gone.worldPosition(), @() shape.mass(), "
            "@() added.setBox(Vector(1, 1, 1))]) try { call(); } catch (error) { print(\" \" + error); }"),
        "1 Item is null Object is null Object is null");
}

TEST_F(CObjectMethods, WrongHandlesAndArgumentsRaiseTheirErrors)
{
    const Case cases[] = {
        {"CObject.isNull.call(Vector())", "error: Invalid instance type"},
        {"CObject.instance().isNull()", "error: Internal failure"},
        {"CObject().name()", "error: Object is null"},
        {"CObject().position()", "error: Object is null"},
        {"s.findItem(\"nobody\").worldPosition()", "error: Item is null"},
        {"g_engine.name()", "error: Object has no name"},
        {"s.setName(\"x\")", "error: Cannot set object name"},
        {"s.position()", "error: Object has no position"},
        {"s.rotation()", "error: Object has no rotation"},
        {"s.addObject(\"x\", g_engine.loadGeometry(\"@scripts/tri.ngm\"), 1)", "error: Too many parameters"},
        {"s.addObject(5)", "error: Expected string as object name"},
        {"s.addObject(\"x\", CObject())", "error: C Object is null"},
        {"s.addObject(\"x\", s)", "error: Expected 'Geometry' got 'Scene'"},
        {"s.addObject(\"x\", Vector())", "error: Invalid instance type"},
        {"s.findItem(\"A\").setParent(s)", "error: Object is not an item"},
        {"s.findItem(\"A\").setParent(Vector())", "error: Object is not an item"},
        {"s.findItem(\"A\").setParent(s.findItem(\"nobody\"))", "error: Item is null"},
        {"s.setCurrentCamera(g_engine)", "error: Object is not an item"},
        {"s.findItem(1.5)", "error: parameter 1 has an invalid type 'float' ; expected: 'integer|string'"},
        {"g_engine.load(\"t.nms\")", "error: Object cannot be loaded"},
        {"s.findItem(\"A\").findGroup(\"g\")", "error: Object does not contain groups"},
        {"s.findItem(\"A\").findItem(\"x\")", "error: Object does not contain items"},
        {"s.setCommandList(\"x\")", "error: Object cannot execute command lists"},
        {"s.isCommandListDone()", "error: Object cannot execute command lists"},
        {"s.physicsMode()", "error: Object is not an item"},
        {"s.findItem(\"A\").mass()", "error: Invalid type"},
        {"s.findItem(\"A\").physicsFrequency()", "error: Invalid type"},
        {"s.findItem(\"A\").loadGeometry(\"x\")", "error: Invalid type"},
        {"s.findItem(\"A\").setPosition(UV(0, 0))", "error: Invalid instance type"},
        {"s.findItem(\"Box\").applyImpulse(Vector(), Matrix4())", "error: Invalid instance type"},
        {"s.findItem(\"A\").currentCamera()", "error: Invalid type"},
    };
    ExpectCases(std::begin(cases), std::end(cases));
}

TEST_F(CObjectMethods, CamerasOfAnotherSceneAreRefusedWithALine)
{
    EXPECT_EQ(Evaluate("s.setCurrentCamera(bare.findItem(\"N\")); print(s.currentCamera().name())"), "Cam")
        << ::testing::PrintToString(log.lines);
    EXPECT_TRUE(HasLogLine("[!] Item 'N' is not in scene 'S': it cannot be its current camera."));
}
} // namespace
