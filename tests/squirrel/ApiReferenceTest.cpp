#include "SquirrelFixture.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> releases;

SQInteger RecordRelease(SQUserPointer p, SQInteger size) {
    releases.push_back(std::string(static_cast<const char*>(p)) + ":" + std::to_string(size));
    return 1;
}

SQInteger ReleaseLabel(SQUserPointer p, SQInteger) {
    releases.push_back(static_cast<const char*>(p));
    return 1;
}

const char kFirst[] = "first";
const char kSecond[] = "second";
int kBaseTag;
int kOtherTag;

}  // namespace

class ApiReferenceTest : public SquirrelFixture {
protected:
    void SetUp() override {
        SquirrelFixture::SetUp();
        releases.clear();
    }
    // Pushes a new instance of a fresh class whose user pointer is `label`.
    void PushTrackedInstance(const char* label) {
        sq_newclass(v, SQFalse);
        sq_createinstance(v, -1);
        sq_remove(v, -2);
        sq_setinstanceup(v, -1, (SQUserPointer)label);
        sq_setreleasehook(v, -1, ReleaseLabel);
    }
};

TEST_F(ApiReferenceTest, ReleaseHookRunsOnceWhenTheLastReferenceGoes) {
    PushTrackedInstance(kFirst);
    HSQOBJECT handle;
    sq_getstackobj(v, -1, &handle);
    sq_addref(v, &handle);
    sq_addref(v, &handle);
    EXPECT_EQ(sq_getrefcount(v, &handle), 3u);
    sq_pop(v, 1);
    EXPECT_TRUE(releases.empty());
    EXPECT_FALSE(sq_release(v, &handle));
    EXPECT_TRUE(releases.empty());
    EXPECT_TRUE(sq_release(v, &handle));
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0], "first");
}

TEST_F(ApiReferenceTest, ReleaseHookRunsForScriptHeldInstances) {
    PushTrackedInstance(kFirst);
    sq_pushroottable(v);
    sq_pushstring(v, "held", -1);
    sq_push(v, -3);
    sq_newslot(v, -3, SQFalse);
    sq_settop(v, 0);
    EXPECT_TRUE(releases.empty());
    ASSERT_TRUE(Run("local copy = held; held = null;"));
    ASSERT_EQ(releases.size(), 1u);
}

TEST_F(ApiReferenceTest, SqCloseRunsPendingHooksOnceEvenInCycles) {
    PushTrackedInstance(kFirst);
    HSQOBJECT held;
    sq_getstackobj(v, -1, &held);
    sq_addref(v, &held);
    sq_pop(v, 1);
    ASSERT_TRUE(Run("class Node { other = null; }"));
    PushTrackedInstance(kSecond);
    sq_pushroottable(v);
    sq_pushstring(v, "cyclic", -1);
    sq_push(v, -3);
    sq_newslot(v, -3, SQFalse);
    sq_settop(v, 0);
    ASSERT_TRUE(Run("local t = { inst = cyclic }; t.self <- t; cyclic = null;"));
    EXPECT_TRUE(releases.empty());
    sq_close(v);
    v = nullptr;
    ASSERT_EQ(releases.size(), 2u);
    EXPECT_NE(std::find(releases.begin(), releases.end(), "first"), releases.end());
    EXPECT_NE(std::find(releases.begin(), releases.end(), "second"), releases.end());
}

TEST_F(ApiReferenceTest, UserDataBlockAndHook) {
    char* block = static_cast<char*>(sq_newuserdata(v, 8));
    strcpy(block, "ud");
    sq_setreleasehook(v, -1, RecordRelease);
    EXPECT_EQ(sq_getreleasehook(v, -1), RecordRelease);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_settypetag(v, -1, &kBaseTag)));
    SQUserPointer p, tag;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getuserdata(v, -1, &p, &tag)));
    EXPECT_EQ(p, block);
    EXPECT_EQ(tag, &kBaseTag);
    EXPECT_EQ(sq_getsize(v, -1), 8);
    sq_pop(v, 1);
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0], "ud:8");
}

TEST_F(ApiReferenceTest, InstanceUserPointerChecksTypeTagsThroughBases) {
    sq_newclass(v, SQFalse);
    sq_settypetag(v, -1, &kBaseTag);
    sq_newclass(v, SQTrue);  // derived, base popped
    EXPECT_EQ(sq_gettop(v), 1);
    SQUserPointer tag = &kOtherTag;
    sq_gettypetag(v, -1, &tag);
    EXPECT_EQ(tag, nullptr);
    sq_createinstance(v, -1);
    sq_setinstanceup(v, -1, (SQUserPointer)kFirst);
    SQUserPointer p = nullptr;
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &p, &kBaseTag)));
    EXPECT_EQ(p, kFirst);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &p, nullptr)));
    EXPECT_TRUE(SQ_FAILED(sq_getinstanceup(v, -1, &p, &kOtherTag)));
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_getinstanceup(v, -1, &p, nullptr)));
    EXPECT_EQ(sq_gettop(v), 3);
}

TEST_F(ApiReferenceTest, ClassMembersAttributesAndInstanceOf) {
    sq_newclass(v, SQFalse);
    sq_pushstring(v, "field", -1);
    sq_pushinteger(v, 5);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    sq_pushstring(v, "field", -1);
    sq_newtable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setattributes(v, -3)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);  // previous attributes
    sq_pop(v, 1);
    sq_pushstring(v, "field", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getattributes(v, -2)));
    EXPECT_EQ(sq_gettype(v, -1), OT_TABLE);
    sq_pop(v, 1);
    sq_pushnull(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getattributes(v, -2)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 1);

    sq_createinstance(v, -1);
    sq_pushstring(v, "field", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    SQInteger value;
    sq_getinteger(v, -1, &value);
    EXPECT_EQ(value, 5);
    sq_pop(v, 1);
    sq_getclass(v, -1);
    sq_push(v, -2);
    sq_push(v, -2);
    EXPECT_TRUE(sq_instanceof(v));
    sq_pop(v, 4);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getbase(v, -1)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 1);
    sq_pushstring(v, "late", -1);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_newslot(v, -3, SQFalse)));  // class already instantiated
    EXPECT_EQ(sq_gettop(v), 1);
}

TEST_F(ApiReferenceTest, DelegatesCloneAndWeakReferences) {
    sq_newtable(v);
    sq_newtable(v);
    sq_pushstring(v, "shared", -1);
    sq_pushinteger(v, 9);
    sq_newslot(v, -3, SQFalse);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setdelegate(v, -2)));
    EXPECT_EQ(sq_gettop(v), 1);
    sq_pushstring(v, "shared", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    sq_pop(v, 1);
    sq_pushstring(v, "shared", -1);
    EXPECT_TRUE(SQ_FAILED(sq_rawget(v, -2)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_clone(v, -1)));
    sq_getdelegate(v, -1);
    EXPECT_EQ(sq_gettype(v, -1), OT_TABLE);
    sq_pop(v, 2);

    sq_weakref(v, -1);
    EXPECT_EQ(sq_gettype(v, -1), OT_WEAKREF);
    sq_remove(v, -2);  // drops the table; only the weak reference is left
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getweakrefval(v, -1)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
}

TEST_F(ApiReferenceTest, ObjectHandlesAndConversions) {
    HSQOBJECT o;
    sq_resetobject(&o);
    EXPECT_EQ(o._type, OT_NULL);
    sq_pushstring(v, "text", -1);
    sq_getstackobj(v, -1, &o);
    EXPECT_STREQ(sq_objtostring(&o), "text");
    sq_pushfloat(v, 2.75f);
    sq_getstackobj(v, -1, &o);
    EXPECT_EQ(sq_objtointeger(&o), 2);
    EXPECT_FLOAT_EQ(sq_objtofloat(&o), 2.75f);
    EXPECT_EQ(sq_objtobool(&o), SQTrue);
    sq_pushinteger(v, 0);
    sq_getstackobj(v, -1, &o);
    EXPECT_EQ(sq_objtobool(&o), SQFalse);
    EXPECT_EQ(sq_objtostring(&o), nullptr);
}

TEST_F(ApiReferenceTest, RegistryRootAndConstTables) {
    sq_pushregistrytable(v);
    sq_pushstring(v, "key", -1);
    sq_pushinteger(v, 1);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    sq_newtable(v);
    sq_pushstring(v, "print", -1);
    sq_pushroottable(v);
    sq_pushstring(v, "print", -1);
    sq_get(v, -2);
    sq_remove(v, -2);
    sq_newslot(v, -3, SQFalse);
    sq_setroottable(v);
    EXPECT_EQ(sq_gettop(v), 0);
    ASSERT_TRUE(Run("print(\"new root\"); try { array(1); } catch (e) { print(\" \" + e); }"));
    EXPECT_EQ(printed, "new root the index 'array' does not exist");
    sq_pushconsttable(v);
    sq_pushstring(v, "LIMIT", -1);
    sq_pushinteger(v, 64);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    printed.clear();
    ASSERT_TRUE(Run("print(LIMIT * 2);"));
    EXPECT_EQ(printed, "128");
}

TEST_F(ApiReferenceTest, ForeignPointerAndPrintFunction) {
    int marker;
    sq_setforeignptr(v, &marker);
    EXPECT_EQ(sq_getforeignptr(v), &marker);
    EXPECT_NE(sq_getprintfunc(v), nullptr);
    EXPECT_EQ(sq_collectgarbage(v), 0);
    ASSERT_TRUE(Run("print(_version_.slice(0, 12) + \" \" + _intsize_ + _floatsize_ + _charsize_);"));
    EXPECT_EQ(printed, "Squirrel 3.0 441");
}

TEST_F(ApiReferenceTest, UserDataDelegateProvidesMethodsAndMetamethods) {
    ASSERT_TRUE(Run("::udDelegate <- { function describe() { return \"ud method\"; }"
                    " function _get(k) { return \"got \" + k; } function _tostring() { return \"ud text\"; } };"));
    sq_pushroottable(v);
    sq_pushstring(v, "ud", -1);
    sq_newuserdata(v, 4);
    sq_pushstring(v, "udDelegate", -1);
    sq_get(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setdelegate(v, -2)));
    sq_newslot(v, 1, SQFalse);
    sq_settop(v, 0);
    ASSERT_TRUE(Run("print(ud.describe() + \", \" + ud.anything + \", \" + ud + \", \" + typeof ud);"));
    EXPECT_EQ(printed, "ud method, got anything, ud text, userdata");
}

TEST_F(ApiReferenceTest, ClassUserDataSizeGivesEachInstanceABlock) {
    sq_newclass(v, SQFalse);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setclassudsize(v, -1, 16)));
    sq_setreleasehook(v, -1, RecordRelease);
    sq_createinstance(v, -1);
    SQUserPointer p = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &p, nullptr)));
    ASSERT_NE(p, nullptr);
    strcpy(static_cast<char*>(p), "block");
    EXPECT_EQ(sq_getsize(v, -1), 16);
    sq_pop(v, 1);
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0], "block:16");
    EXPECT_TRUE(SQ_FAILED(sq_setclassudsize(v, -1, 8)));  // already instantiated
}

TEST_F(ApiReferenceTest, SqCloseWithSuspendedGeneratorsAndThreads) {
    PushTrackedInstance(kFirst);
    sq_pushroottable(v);
    sq_pushstring(v, "tracked", -1);
    sq_push(v, -3);
    sq_newslot(v, -3, SQFalse);
    sq_settop(v, 0);
    ASSERT_TRUE(Run("function gen() { local keep = ::tracked; local peek = @() keep; yield peek; yield 2; }"
                    "::g <- gen(); ::peek <- resume ::g;"
                    "::t <- newthread(function() { local mine = ::tracked; ::fromThread <- @() mine; suspend(1); });"
                    "::t.call(); ::tracked = null;"));
    EXPECT_TRUE(releases.empty());
    sq_close(v);
    v = nullptr;
    ASSERT_EQ(releases.size(), 1u);
}
