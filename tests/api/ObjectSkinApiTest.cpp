#include "ScriptApiFixture.h"

#include "core/base/nSharedPtr.h"
#include "engine/Quenvar.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"

#include <algorithm>
#include <string>

namespace
{
// Deleting an item unbinds it from the skins of its own scene only, so a bone bound to an item of
// another scene would keep pointing at it once that scene deletes it.
class ObjectSkinApi : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        geometry = new nGeometry(nullptr);
        geometry->AllocateSkin(2);
        skinned = scene->NewObject("Skinned", geometry.Get());
        neighbour = scene->NewCamera("Neighbour");
        foreign = other->NewCamera("Foreign");
        machine.SetSlot("object", nScriptValue(ObjectTypeObject, static_cast<nMItem*>(skinned)), nullptr);
        machine.SetSlot("neighbour", nScriptValue(ObjectTypeItem, static_cast<nMItem*>(neighbour)), nullptr);
        machine.SetSlot("foreign", nScriptValue(ObjectTypeItem, static_cast<nMItem*>(foreign)), nullptr);
    }

    void TearDown() override
    {
        scene->Release();
        other->Release();
        ScriptApiFixture::TearDown();
    }

    nScene* NewScene()
    {
        auto* created = new nScene(&engine, &machine);
        created->AddRef();
        return created;
    }

    bool Logged(const std::string& line) const
    {
        return std::find(log.lines.begin(), log.lines.end(), line + "\n") != log.lines.end();
    }

    Quenvar engine;
    nScene* scene = NewScene();
    nScene* other = NewScene();
    nSharedPtr<nGeometry> geometry;
    nMObject* skinned = nullptr;
    nMCamera* neighbour = nullptr;
    nMCamera* foreign = nullptr;
};

TEST_F(ObjectSkinApi, ABoneIsMovedOnlyByAnItemOfTheObjectsScene)
{
    EXPECT_EQ(Evaluate("ObjectSkinSetItem(object, 1, neighbour); ObjectSkinSetItem(object, 1, foreign);"
                       "print(ItemGetName(ObjectSkinGetItem(object, 1)))"),
              "Neighbour");
    EXPECT_TRUE(Logged("[!] Item 'Foreign' cannot move a bone of object 'Skinned' of another scene."));
    EXPECT_EQ(skinned->GetObject().GetBone(1), neighbour->GetItem());

    other->DeleteItem(foreign);
    other->FlushDeletionQueue();
    scene->DeleteItem(neighbour);
    scene->FlushDeletionQueue();
    EXPECT_EQ(Evaluate("print(ObjectIsValid(ObjectSkinGetItem(object, 1)))"), "false");
}
} // namespace
