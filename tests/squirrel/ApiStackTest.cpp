#include "SquirrelFixture.h"

#include <cstring>

using ApiStackTest = SquirrelFixture;

TEST_F(ApiStackTest, PushGetAndIndexing) {
    sq_pushinteger(v, 7);
    sq_pushfloat(v, 2.5f);
    sq_pushstring(v, "abcdef", 3);
    sq_pushbool(v, SQTrue);
    sq_pushnull(v);
    int marker;
    sq_pushuserpointer(v, &marker);
    EXPECT_EQ(sq_gettop(v), 6);
    SQInteger i = 0;
    SQFloat f = 0;
    const SQChar* s = nullptr;
    SQInteger len = 0;
    SQBool b = SQFalse;
    SQUserPointer p = nullptr;
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, 1, &i)));
    EXPECT_EQ(i, 7);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getfloat(v, -5, &f)));
    EXPECT_FLOAT_EQ(f, 2.5f);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getstringandsize(v, 3, &s, &len)));
    EXPECT_STREQ(s, "abc");
    EXPECT_EQ(len, 3);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getbool(v, 4, &b)));
    EXPECT_EQ(b, SQTrue);
    EXPECT_EQ(sq_gettype(v, 5), OT_NULL);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getuserpointer(v, -1, &p)));
    EXPECT_EQ(p, &marker);
    EXPECT_TRUE(SQ_FAILED(sq_getstring(v, 1, &s)));
    EXPECT_TRUE(SQ_FAILED(sq_getbool(v, 1, &b)));
    EXPECT_EQ(sq_gettop(v), 6);
}

TEST_F(ApiStackTest, TopPopRemoveAndSettop) {
    for (SQInteger n = 1; n <= 5; ++n) sq_pushinteger(v, n);
    sq_remove(v, 2);
    sq_remove(v, -1);
    SQInteger i;
    EXPECT_EQ(sq_gettop(v), 3);
    sq_getinteger(v, 2, &i);
    EXPECT_EQ(i, 3);
    sq_push(v, 1);
    sq_getinteger(v, -1, &i);
    EXPECT_EQ(i, 1);
    sq_poptop(v);
    sq_pop(v, 2);
    EXPECT_EQ(sq_gettop(v), 1);
    sq_settop(v, 4);
    EXPECT_EQ(sq_gettype(v, 4), OT_NULL);
    sq_settop(v, 0);
    EXPECT_EQ(sq_gettop(v), 0);
    // Indexes outside the stack read null instead of memory around it; extra pops are ignored.
    EXPECT_EQ(sq_gettype(v, 50), OT_NULL);
    EXPECT_EQ(sq_gettype(v, -50), OT_NULL);
    sq_pop(v, 3);
    sq_remove(v, -1);
    EXPECT_EQ(sq_gettop(v), 0);
}

TEST_F(ApiStackTest, CompareFollowsTheDocumentedOrder) {
    sq_pushinteger(v, 1);  // obj2
    sq_pushinteger(v, 5);  // obj1
    EXPECT_GT(sq_cmp(v), 0);
    sq_pop(v, 2);
    sq_pushstring(v, "b", -1);
    sq_pushstring(v, "a", -1);
    EXPECT_LT(sq_cmp(v), 0);
    EXPECT_EQ(sq_gettop(v), 2);
}

TEST_F(ApiStackTest, TableSlotsGetSetDeleteAndIterate) {
    sq_newtable(v);
    const char* keys[] = {"one", "two", "three"};
    for (int n = 0; n < 3; ++n) {
        sq_pushstring(v, keys[n], -1);
        sq_pushinteger(v, n + 1);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    }
    EXPECT_EQ(sq_gettop(v), 1);
    EXPECT_EQ(sq_getsize(v, 1), 3);

    sq_pushstring(v, "two", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, 1)));
    SQInteger i;
    sq_getinteger(v, -1, &i);
    EXPECT_EQ(i, 2);
    sq_pop(v, 1);

    sq_pushstring(v, "missing", -1);
    EXPECT_TRUE(SQ_FAILED(sq_get(v, 1)));
    EXPECT_EQ(sq_gettop(v), 1);
    sq_pushstring(v, "missing", -1);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_set(v, 1)));
    EXPECT_EQ(sq_gettop(v), 1);

    sq_pushstring(v, "one", -1);
    sq_pushinteger(v, 10);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_set(v, 1)));
    sq_pushstring(v, "three", -1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_deleteslot(v, 1, SQTrue)));
    sq_getinteger(v, -1, &i);
    EXPECT_EQ(i, 3);
    sq_pop(v, 1);
    sq_pushstring(v, "three", -1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_deleteslot(v, 1, SQTrue)));  // already gone: nothing happens
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 1);

    std::string order;
    SQInteger sum = 0;
    sq_pushnull(v);
    while (SQ_SUCCEEDED(sq_next(v, 1))) {
        const SQChar* k;
        sq_getstring(v, -2, &k);
        sq_getinteger(v, -1, &i);
        order += k;
        order += ",";
        sum += i;
        sq_pop(v, 2);
    }
    sq_pop(v, 1);
    EXPECT_EQ(order, "one,two,");
    EXPECT_EQ(sum, 12);
    EXPECT_EQ(sq_gettop(v), 1);

    sq_pushstring(v, "two", -1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_rawdeleteslot(v, 1, SQFalse)));
    sq_pushstring(v, "two", -1);
    EXPECT_TRUE(SQ_FAILED(sq_rawget(v, 1)));
    sq_pushstring(v, "raw", -1);
    sq_pushinteger(v, 5);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_rawset(v, 1)));
    EXPECT_EQ(sq_getsize(v, 1), 2);
    EXPECT_EQ(sq_gettop(v), 1);
}

TEST_F(ApiStackTest, ArrayOperations) {
    sq_newarray(v, 0);
    for (SQInteger n = 0; n < 4; ++n) {
        sq_pushinteger(v, n * 10);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayappend(v, -2)));
    }
    EXPECT_EQ(sq_getsize(v, -1), 4);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_arraypop(v, -1, SQTrue)));
    SQInteger i;
    sq_getinteger(v, -1, &i);
    EXPECT_EQ(i, 30);
    sq_pop(v, 1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_arrayresize(v, -1, 6)));
    EXPECT_EQ(sq_getsize(v, -1), 6);
    sq_pushinteger(v, 5);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 1);
    sq_pushinteger(v, 9);
    EXPECT_TRUE(SQ_FAILED(sq_get(v, -2)));
    EXPECT_TRUE(SQ_FAILED(sq_arrayresize(v, -1, -1)));
    EXPECT_EQ(sq_gettop(v), 1);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_arrayappend(v, -1)));
}

TEST_F(ApiStackTest, ConversionsAndTypeNames) {
    ASSERT_TRUE(Run("class T { function _tostring() { return \"custom\"; } function _typeof() { return \"tee\"; } }"
                    "::inst <- T();"));
    sq_pushroottable(v);
    sq_pushstring(v, "inst", -1);
    sq_get(v, -2);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_tostring(v, -1)));
    const SQChar* s;
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "custom");
    sq_pop(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_typeof(v, -1)));
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "tee");
    sq_pop(v, 1);
    EXPECT_EQ(sq_gettype(v, -1), OT_INSTANCE);
    sq_pushfloat(v, 3.0f);
    sq_tostring(v, -1);
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "3");
    SQBool b;
    sq_pushinteger(v, 0);
    sq_tobool(v, -1, &b);
    EXPECT_EQ(b, SQFalse);
    sq_pushstring(v, "", 0);
    sq_tobool(v, -1, &b);
    EXPECT_EQ(b, SQTrue);
}

namespace {

SQInteger ReturnsNothing(HSQUIRRELVM) { return 0; }

// Each call, with the values its operands need pushed first, and the net change of the stack
// height that results. Fixed slots: 1 table, 2 array, 3 class, 4 instance, 5 closure, 6 string.
struct StackCase {
    const char* name;
    SQInteger delta;
    void (*run)(HSQUIRRELVM v);
};

const StackCase kStackCases[] = {
    {"sq_pushroottable", 1, [](HSQUIRRELVM v) { sq_pushroottable(v); }},
    {"sq_pushregistrytable", 1, [](HSQUIRRELVM v) { sq_pushregistrytable(v); }},
    {"sq_pushconsttable", 1, [](HSQUIRRELVM v) { sq_pushconsttable(v); }},
    {"sq_newtable", 1, [](HSQUIRRELVM v) { sq_newtable(v); }},
    {"sq_newarray", 1, [](HSQUIRRELVM v) { sq_newarray(v, 3); }},
    {"sq_newuserdata", 1, [](HSQUIRRELVM v) { sq_newuserdata(v, 8); }},
    {"sq_newclosure", 1, [](HSQUIRRELVM v) { sq_pushinteger(v, 1); sq_newclosure(v, ReturnsNothing, 1); }},
    {"sq_newclass", 1, [](HSQUIRRELVM v) { sq_push(v, 3); sq_newclass(v, SQTrue); }},
    {"sq_createinstance", 1, [](HSQUIRRELVM v) { sq_createinstance(v, 3); }},
    {"sq_getclass", 1, [](HSQUIRRELVM v) { sq_getclass(v, 4); }},
    {"sq_getbase", 1, [](HSQUIRRELVM v) { sq_getbase(v, 3); }},
    {"sq_newslot", 0, [](HSQUIRRELVM v) { sq_pushstring(v, "k", -1); sq_pushinteger(v, 1); sq_newslot(v, 1, SQFalse); }},
    {"sq_set", 0, [](HSQUIRRELVM v) { sq_pushstring(v, "a", -1); sq_pushinteger(v, 2); sq_set(v, 1); }},
    {"sq_rawset", 0, [](HSQUIRRELVM v) { sq_pushstring(v, "r", -1); sq_pushinteger(v, 2); sq_rawset(v, 1); }},
    {"sq_get", 1, [](HSQUIRRELVM v) { sq_pushstring(v, "a", -1); sq_get(v, 1); }},
    {"sq_rawget", 1, [](HSQUIRRELVM v) { sq_pushstring(v, "a", -1); sq_rawget(v, 1); }},
    {"sq_deleteslot", 1, [](HSQUIRRELVM v) { sq_pushstring(v, "a", -1); sq_deleteslot(v, 1, SQTrue); }},
    {"sq_rawdeleteslot", 0, [](HSQUIRRELVM v) { sq_pushstring(v, "a", -1); sq_rawdeleteslot(v, 1, SQFalse); }},
    {"sq_arrayappend", 0, [](HSQUIRRELVM v) { sq_pushinteger(v, 5); sq_arrayappend(v, 2); }},
    {"sq_arraypop", 1, [](HSQUIRRELVM v) { sq_arraypop(v, 2, SQTrue); }},
    {"sq_arrayresize", 0, [](HSQUIRRELVM v) { sq_arrayresize(v, 2, 10); }},
    {"sq_clone", 1, [](HSQUIRRELVM v) { sq_clone(v, 1); }},
    {"sq_setdelegate", 0, [](HSQUIRRELVM v) { sq_newtable(v); sq_setdelegate(v, 1); }},
    {"sq_getdelegate", 1, [](HSQUIRRELVM v) { sq_getdelegate(v, 1); }},
    {"sq_setattributes", 1, [](HSQUIRRELVM v) { sq_pushnull(v); sq_newtable(v); sq_setattributes(v, 3); }},
    {"sq_getattributes", 1, [](HSQUIRRELVM v) { sq_pushnull(v); sq_getattributes(v, 3); }},
    {"sq_bindenv", 1, [](HSQUIRRELVM v) { sq_push(v, 1); sq_bindenv(v, 5); }},
    {"sq_tostring", 1, [](HSQUIRRELVM v) { sq_tostring(v, 2); }},
    {"sq_typeof", 1, [](HSQUIRRELVM v) { sq_typeof(v, 4); }},
    {"sq_weakref", 1, [](HSQUIRRELVM v) { sq_weakref(v, 1); }},
    {"sq_getlasterror", 1, [](HSQUIRRELVM v) { sq_getlasterror(v); }},
    {"sq_call", 1, [](HSQUIRRELVM v) { sq_push(v, 5); sq_pushroottable(v); sq_call(v, 1, SQTrue, SQFalse); sq_remove(v, -2); }},
    {"sq_call without result", 1, [](HSQUIRRELVM v) { sq_push(v, 5); sq_pushroottable(v); sq_call(v, 1, SQFalse, SQFalse); }},
    {"sq_compilebuffer", 1, [](HSQUIRRELVM v) { sq_compilebuffer(v, "return 1", 8, "c", SQFalse); }},
    {"sq_next", 3, [](HSQUIRRELVM v) { sq_pushnull(v); sq_next(v, 2); }},
    {"sq_seterrorhandler", 0, [](HSQUIRRELVM v) { sq_push(v, 5); sq_seterrorhandler(v); }},
    {"sq_pushobject", 1, [](HSQUIRRELVM v) { HSQOBJECT o; sq_getstackobj(v, 6, &o); sq_pushobject(v, o); }},
};

}  // namespace

TEST_F(ApiStackTest, EveryCallLeavesTheDocumentedNumberOfValues) {
    ASSERT_TRUE(Run("::TestClass <- class { field = 1; function method() { return 1; } };"
                    "::testFunction <- function() { return 5; };"));
    for (const StackCase& c : kStackCases) {
        sq_settop(v, 0);
        sq_newtable(v);
        sq_pushstring(v, "a", -1);
        sq_pushinteger(v, 1);
        sq_newslot(v, 1, SQFalse);
        sq_newarray(v, 2);
        sq_pushroottable(v);
        sq_pushstring(v, "TestClass", -1);
        sq_get(v, -2);
        sq_remove(v, -2);
        sq_createinstance(v, 3);
        sq_pushroottable(v);
        sq_pushstring(v, "testFunction", -1);
        sq_get(v, -2);
        sq_remove(v, -2);
        sq_pushstring(v, "text", -1);
        ASSERT_EQ(sq_gettop(v), 6);
        c.run(v);
        EXPECT_EQ(sq_gettop(v), 6 + c.delta) << c.name;
    }
}
