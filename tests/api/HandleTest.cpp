#include "ScriptApiFixture.h"

#include "core/base/nSharedObject.h"

#include <algorithm>
#include "core/math/nMatrix4.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"
#include "script/nScriptValue.h"

namespace
{
class HandleTest : public ScriptApiFixture
{
protected:
    void TearDown() override
    {
        SetObjectTypeLifetime(ObjectTypeTexture, {});
        SetObjectTypeLifetime(ObjectTypeScene, {});
        ScriptApiFixture::TearDown();
    }

    // Sets the root-table slot to a new handle on the object.
    void SetHandle(const char* name, void* object, int32_t type)
    {
        machine.SetSlot(name, nScriptValue(type, object), nullptr);
    }
};

struct SharedThing : nSharedObject
{
};

int destroyedScenes = 0;

TEST_F(HandleTest, HandlesOnSharedObjectsHoldOneReferenceEach)
{
    nObjectTypeLifetime lifetime;
    lifetime.addReference = [](void* object) { static_cast<nSharedObject*>(object)->AddRef(); };
    lifetime.releaseReference = [](void* object) { static_cast<nSharedObject*>(object)->Release(); };
    SetObjectTypeLifetime(ObjectTypeTexture, lifetime);
    SharedThing* texture = new SharedThing;
    texture->AddRef();
    SetHandle("a", texture, ObjectTypeTexture);
    SetHandle("b", texture, ObjectTypeTexture);
    EXPECT_EQ(texture->GetRefCount(), 3u);
    Run("a = null; b = null;");
    EXPECT_EQ(texture->GetRefCount(), 1u);
    texture->Release();
}

TEST_F(HandleTest, InvalidatedHandlesAreDeadAndRefusedAsItems)
{
    int item = 0;
    SetHandle("a", &item, ObjectTypeItem);
    SetHandle("b", &item, ObjectTypeItem);
    SetHandle("c", &item, ObjectTypeItem);
    EXPECT_EQ(machine.InvalidateNativeObject(&item), 3u);
    Run("print(ObjectIsValid(a) + \",\" + ItemIsValid(b)); ObjectIsSame(a, c);");
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] false,false\n"});
    EXPECT_EQ(Evaluate("ObjectIsValid(1)"), "error: parameter 1 has an invalid type 'integer' ; expected: 'instance'");
}

TEST_F(HandleTest, GetCObjectChecksTheTypeBeforeTheObject)
{
    int item = 0;
    HSQUIRRELVM vm = machine.GetHandle();
    void* object = nullptr;
    PushCObject(vm, &item, ObjectTypeItem);
    EXPECT_TRUE(GetCObject(vm, -1, object, ObjectTypeItem));
    EXPECT_EQ(object, &item);
    EXPECT_TRUE(GetCObject(vm, -1, object, 0));
    machine.InvalidateNativeObject(&item);
    EXPECT_FALSE(GetCObject(vm, -1, object, ObjectTypeItem));
    sq_getlasterror(vm);
    const SQChar* text = "";
    sq_getstring(vm, -1, &text);
    EXPECT_STREQ(text, "Expected 'Item' got 'Deleted native'");
    sq_pop(vm, 2);
    sq_pushinteger(vm, 3);
    EXPECT_FALSE(GetCObject(vm, -1, object, 0));
    sq_pop(vm, 1);
}

TEST_F(HandleTest, OwnedObjectsAreDestroyedAfterTheCallThatReleasedThem)
{
    nObjectTypeLifetime lifetime;
    lifetime.destroy = [](void*) { ++destroyedScenes; };
    SetObjectTypeLifetime(ObjectTypeScene, lifetime);
    destroyedScenes = 0;
    int scene = 0, item = 0;
    PushCObject(machine.GetHandle(), &scene, ObjectTypeScene, true);
    PushCObject(machine.GetHandle(), &item, ObjectTypeItem, true);
    sq_pop(machine.GetHandle(), 2);
    EXPECT_EQ(destroyedScenes, 0);
    Run("collectgarbage();");
    EXPECT_EQ(destroyedScenes, 1);
    const std::string lifetimeLine = "[!] Type Item lifetime should not be managed by the VM.\n";
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), lifetimeLine), log.lines.end());
}

TEST_F(HandleTest, DescriptionsNameEveryCodeAndOnlyThose)
{
    EXPECT_STREQ(GetObjectTypeDescription(1), "Deleted native");
    EXPECT_STREQ(GetObjectTypeDescription(47), "Animation Source");
    EXPECT_TRUE(log.lines.empty());
    EXPECT_STREQ(GetObjectTypeDescription(48), "Unknown");
    EXPECT_STREQ(GetObjectTypeDescription(-1), "Unknown");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"[!] No matching description string for type 48.\n",
                                                   "[!] No matching description string for type -1.\n"}));
}
// An item native of mask ".xx": the item handle, then a Matrix4.
SQInteger MoveItem(HSQUIRRELVM vm)
{
    int* item = GetObjectArg<int>(vm, -2, ObjectTypeItem);
    nMatrix4 matrix;
    if (!item || !GetMatrix4Arg(vm, -1, matrix))
        return SQ_ERROR;
    *item = static_cast<int>(matrix.m[3]);
    return 0;
}

TEST_F(HandleTest, NativeArgumentChecksRaiseOneErrorEachAndChangeNothing)
{
    struct Case
    {
        const char* script;
        const char* expected;
    };
    const Case cases[] = {
        {"MoveItem(item, Matrix4(Vector(), Vector(), Vector(), Vector(5,0,0)))", "5"},
        {"MoveItem(scene, Matrix4())", "error: Expected 'Item' got 'Scene'"},
        {"MoveItem(NullItem, Matrix4())", "error: CObject is null"},
        {"MoveItem(item, Matrix3())", "error: Invalid instance type"},
        {"MoveItem(Vector(), Matrix4())", "error: invalid type tag"},
        {"MoveItem(item)", "error: wrong number of parameters"},
    };
    int item = 1, scene = 0;
    for (const Case& c : cases)
    {
        item = 1;
        Reopen();
        RegisterNative(machine.GetHandle(), MoveItem, "MoveItem", ".xx");
        RegisterNullHandleConstant(machine.GetHandle(), "NullItem", ObjectTypeItem);
        SetHandle("item", &item, ObjectTypeItem);
        SetHandle("scene", &scene, ObjectTypeScene);
        Run(std::string(c.script) + "; print(\"done\");");
        const std::string result = listener.runtimeErrors.empty() ? std::to_string(item) : "error: " + listener.runtimeErrors.front();
        EXPECT_EQ(result, c.expected) << c.script;
    }
}
} // namespace
