#include "script/nScriptObject.h"
#include "script/nScriptValue.h"

#include <gtest/gtest.h>

namespace
{
class CountedObject : public nScriptObject
{
public:
    explicit CountedObject(int& live) : nScriptObject(nullptr), m_live(live) { ++m_live; }
    ~CountedObject() override { --m_live; }

private:
    int& m_live;
};
} // namespace

TEST(ScriptValueTest, PlainSettersDeleteAnOwnedObjectFirst)
{
    int live = 0;
    nScriptValue value(new CountedObject(live), true);
    EXPECT_EQ(value.GetKind(), ScriptValueObject);
    EXPECT_EQ(live, 1);
    value.SetFloat(2.0f);
    EXPECT_EQ(live, 0);
    EXPECT_EQ(value.GetKind(), ScriptValuePlain);
    EXPECT_EQ(value.GetScriptObject(), nullptr);
    EXPECT_FALSE(value.OwnsObject());

    value.SetObject(new CountedObject(live), true);
    value.SetNative(24, &live);
    EXPECT_EQ(live, 0);
    EXPECT_EQ(value.GetKind(), ScriptValueNative);
    EXPECT_EQ(value.GetNativeType(), 24);
    EXPECT_EQ(value.GetNativeObject(), &live);

    {
        nScriptValue scoped(new CountedObject(live), true);
    }
    EXPECT_EQ(live, 0);
}

TEST(ScriptValueTest, BorrowedObjectSurvivesReset)
{
    int live = 0;
    CountedObject object(live);
    {
        nScriptValue value(&object, false);
        value.Reset();
        EXPECT_EQ(value.GetKind(), ScriptValueNone);
        EXPECT_EQ(value.GetScriptObject(), nullptr);
        value.SetObject(&object, false);
    }
    EXPECT_EQ(live, 1);
}

TEST(ScriptValueTest, ConstructorsGiveTheMatchingPlainTypes)
{
    int32_t number = 0;
    EXPECT_TRUE(nScriptValue(uint32_t{0xFFFFFFFFu}).GetValue().GetInt(number));
    EXPECT_EQ(number, -1);
    EXPECT_TRUE(nScriptValue(int32_t{-1}).GetValue().GetInt(number));
    EXPECT_EQ(number, -1);
    EXPECT_EQ(nScriptValue(true).GetValue().GetType(), TagTypeBool);
    EXPECT_EQ(nScriptValue(1.0f).GetValue().GetType(), TagTypeReal);
    EXPECT_EQ(nScriptValue("t").GetValue().GetType(), TagTypeString);
    EXPECT_EQ(nScriptValue().GetKind(), ScriptValueNone);
    EXPECT_EQ(nScriptValue().GetValue().GetType(), TagTypeNone);

    nVariant named("speed", 3.0f);
    nScriptValue copied(named);
    EXPECT_EQ(copied.GetKind(), ScriptValuePlain);
    EXPECT_STREQ(copied.GetValue().GetName().GetText(), "speed");
    nScriptValue set;
    set.SetVariant(named);
    float real = 0.0f;
    EXPECT_TRUE(set.GetValue().GetFloat(real));
    EXPECT_EQ(real, 3.0f);
    set.SetInt(uint32_t{7});
    EXPECT_TRUE(set.GetValue().GetInt(number));
    EXPECT_EQ(number, 7);
}
