#include "script/SquirrelObject.h"

#include <gtest/gtest.h>

#include <string>

class SquirrelObjectTest : public ::testing::Test
{
protected:
    void SetUp() override { vm = sq_open(1024); }
    void TearDown() override { sq_close(vm); }

    // Runs the text and holds what it returns.
    SquirrelObject Evaluate(const std::string& text)
    {
        SquirrelObject result(vm);
        const SQInteger top = sq_gettop(vm);
        const std::string source = "return " + text + ";";
        if (SQ_SUCCEEDED(
                sq_compilebuffer(vm, source.c_str(), static_cast<SQInteger>(source.size()), "test", SQTrue)))
        {
            sq_pushroottable(vm);
            if (SQ_SUCCEEDED(sq_call(vm, 1, SQTrue, SQTrue)))
                result.AttachToStackObject(-1);
        }
        sq_settop(vm, top);
        return result;
    }

    HSQUIRRELVM vm = nullptr;
};

TEST_F(SquirrelObjectTest, MissingKeysReadAsDefaultsAndLeaveTheStackAlone)
{
    SquirrelObject table = Evaluate("{ count = 4, ratio = 0.5, name = \"crate\", on = true }");
    sq_pushinteger(vm, 99);
    const SQInteger top = sq_gettop(vm);

    EXPECT_EQ(table.GetInt("missing"), 0);
    EXPECT_EQ(table.GetFloat("missing"), 0.0f);
    EXPECT_EQ(table.GetString("missing").GetText(), nullptr);
    EXPECT_FALSE(table.GetBool("missing"));
    EXPECT_TRUE(table.GetValue("missing").IsNull());
    EXPECT_FALSE(table.Exists("missing"));
    EXPECT_EQ(table.GetInt(static_cast<const SQChar*>(nullptr)), 0);
    EXPECT_EQ(sq_gettop(vm), top);

    EXPECT_EQ(table.GetInt("count"), 4);
    EXPECT_EQ(table.GetFloat("ratio"), 0.5f);
    EXPECT_STREQ(table.GetString("name").GetText(), "crate");
    EXPECT_TRUE(table.GetBool("on"));
    EXPECT_TRUE(table.Exists("count"));
    EXPECT_EQ(table.Len(), 4);
    EXPECT_EQ(sq_gettop(vm), top);
}

TEST_F(SquirrelObjectTest, ReadsGoThroughDelegatesAndWritesDoNot)
{
    SquirrelObject table = Evaluate("{}");
    SquirrelObject parent = Evaluate("{ inherited = 7 }");
    ASSERT_TRUE(table.SetDelegate(parent));
    EXPECT_EQ(table.GetInt("inherited"), 7);
    EXPECT_TRUE(table.SetValue("own", SQInteger{1}));
    EXPECT_FALSE(parent.Exists("own"));
    EXPECT_EQ(table.GetDelegate().GetInt("inherited"), 7);
    EXPECT_FALSE(table.SetDelegate(Evaluate("[1]")));
    EXPECT_TRUE(table.SetDelegate(SquirrelObject(vm)));
    EXPECT_EQ(table.GetInt("inherited"), 0);
    EXPECT_FALSE(Evaluate("[1]").SetDelegate(parent));
}

TEST_F(SquirrelObjectTest, ArrayAppendChangesOnlyArrays)
{
    SquirrelObject table = Evaluate("{ a = 1 }");
    SquirrelObject array = Evaluate("[]");
    SquirrelObject value(vm);
    value = SQInteger{5};
    const SQInteger top = sq_gettop(vm);
    EXPECT_FALSE(table.ArrayAppend(value));
    EXPECT_EQ(table.Len(), 1);
    EXPECT_TRUE(array.ArrayAppend(value));
    EXPECT_EQ(array.Len(), 1);
    EXPECT_EQ(array.GetInt(0), 5);
    EXPECT_EQ(sq_gettop(vm), top);
}

TEST_F(SquirrelObjectTest, AssignmentKeepsReferenceCountsRight)
{
    SquirrelObject table = Evaluate("{}");
    HSQOBJECT handle = table.GetObjectHandle();
    EXPECT_EQ(sq_getrefcount(vm, &handle), 1u);
    SquirrelObject& alias = table;
    table = alias;
    EXPECT_EQ(sq_getrefcount(vm, &handle), 1u);
    {
        SquirrelObject copy(table);
        SquirrelObject assigned(vm);
        assigned = table;
        EXPECT_EQ(sq_getrefcount(vm, &handle), 3u);
    }
    EXPECT_EQ(sq_getrefcount(vm, &handle), 1u);
    SquirrelObject other = Evaluate("[]");
    other = table;
    EXPECT_EQ(sq_getrefcount(vm, &handle), 2u);
    other = SQInteger{3};
    EXPECT_EQ(sq_getrefcount(vm, &handle), 1u);
    EXPECT_TRUE(other.IsNumeric());
    EXPECT_EQ(other.ToInteger(), 3);
}

TEST_F(SquirrelObjectTest, WritesCoverEveryKeyAndValueKind)
{
    SquirrelObject table = Evaluate("{}");
    SquirrelObject array = Evaluate("[0, 0, 0, 0, 0]");
    SquirrelObject key = Evaluate("\"byObject\"");
    SquirrelObject nested = Evaluate("[1, 2]");
    EXPECT_TRUE(table.SetValue("int", SQInteger{1}));
    EXPECT_TRUE(table.SetValue("float", 2.5f));
    EXPECT_TRUE(table.SetValue("bool", true));
    EXPECT_TRUE(table.SetValue("text", "words"));
    EXPECT_TRUE(table.SetValue("object", nested));
    EXPECT_TRUE(table.SetValue(key, nested));
    EXPECT_EQ(table.GetInt("int"), 1);
    EXPECT_EQ(table.GetFloat("float"), 2.5f);
    EXPECT_TRUE(table.GetBool("bool"));
    EXPECT_STREQ(table.GetString("text").GetText(), "words");
    EXPECT_EQ(table.GetValue("object").Len(), 2);
    EXPECT_EQ(table.GetValue("byObject").Len(), 2);

    EXPECT_TRUE(array.SetValue(0, SQInteger{3}));
    EXPECT_TRUE(array.SetValue(1, 0.5f));
    EXPECT_TRUE(array.SetValue(2, "s"));
    EXPECT_TRUE(array.SetValue(3, false));
    EXPECT_TRUE(array.SetValue(4, nested));
    EXPECT_FALSE(array.SetValue(5, SQInteger{1})) << "arrays do not grow by writes";
    EXPECT_EQ(array.GetInt(0), 3);
    EXPECT_STREQ(array.GetString(2).GetText(), "s");
    EXPECT_EQ(array.Len(), 5);
    EXPECT_EQ(sq_gettop(vm), 0);
}

TEST_F(SquirrelObjectTest, InstancesCarryUserPointersAndClassesAttributes)
{
    SquirrelObject unitClass = Evaluate("class </ tag = \"cls\" /> { </ kind = \"unit\" /> speed = 1; }");
    sq_pushobject(vm, unitClass.GetObjectHandle());
    int tag = 0;
    sq_settypetag(vm, -1, &tag);
    sq_createinstance(vm, -1);
    SquirrelObject instance(vm);
    instance.AttachToStackObject(-1);
    sq_pop(vm, 2);

    int data = 0;
    EXPECT_TRUE(instance.SetUserPointer(&data));
    EXPECT_EQ(instance.GetUserPointer(&tag), &data);
    int otherTag = 0;
    EXPECT_EQ(instance.GetUserPointer(&otherTag), nullptr);
    EXPECT_FALSE(unitClass.SetUserPointer(&data));
    EXPECT_STREQ(unitClass.GetAttributes().GetString("tag").GetText(), "cls");
    EXPECT_STREQ(unitClass.GetAttributes("speed").GetString("kind").GetText(), "unit");
    EXPECT_TRUE(instance.GetAttributes().IsNull());
    EXPECT_EQ(sq_gettop(vm), 0);
}

TEST_F(SquirrelObjectTest, IterationAndConversions)
{
    SquirrelObject array = Evaluate("[10, 20]");
    ASSERT_TRUE(array.BeginIterate());
    SQInteger sum = 0;
    while (SQ_SUCCEEDED(sq_next(vm, -2)))
    {
        SQInteger value = 0;
        sq_getinteger(vm, -1, &value);
        sum += value;
        sq_pop(vm, 2);
    }
    array.EndIterate();
    EXPECT_EQ(sum, 30);
    EXPECT_EQ(sq_gettop(vm), 0);
    EXPECT_FALSE(Evaluate("3").BeginIterate());

    EXPECT_STREQ(Evaluate("\"t\"").ToString(), "t");
    EXPECT_EQ(Evaluate("2.75").ToInteger(), 2);
    EXPECT_EQ(Evaluate("2").ToFloat(), 2.0f);
    EXPECT_FALSE(Evaluate("null").ToBool());
    EXPECT_TRUE(Evaluate("3").IsNumeric());
    EXPECT_FALSE(Evaluate("\"3\"").IsNumeric());
    EXPECT_EQ(Evaluate("\"four\"").Len(), 4);
    EXPECT_EQ(Evaluate("3").Len(), 0);
    EXPECT_EQ(array.ToStringObject().GetType(), OT_STRING);
    EXPECT_TRUE(Evaluate("3").ToStringObject().IsNull());
    SquirrelObject empty;
    EXPECT_TRUE(empty.IsNull());
    EXPECT_EQ(empty.GetInt("x"), 0);
    EXPECT_FALSE(empty.AttachToStackObject(1));
}
