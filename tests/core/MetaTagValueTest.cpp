#include "core/nml/nMetaTagValue.h"
#include "core/nml/nVariant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

TEST(nMetaTagValue, GettersConvertBetweenNumberKindsOnly)
{
    nMetaTagValue value;
    float real = 0.0f;
    int32_t integer = 0;
    bool boolean = false;
    nString text;
    EXPECT_EQ(value.GetType(), TagTypeNone);
    EXPECT_FALSE(value.GetFloat(real));
    EXPECT_FALSE(value.GetInt(integer));
    EXPECT_FALSE(value.GetBool(boolean));

    value.SetFloat(-2.75f);
    ASSERT_TRUE(value.GetInt(integer));
    EXPECT_EQ(integer, -2); // truncated toward zero
    ASSERT_TRUE(value.GetBool(boolean));
    EXPECT_TRUE(boolean);
    EXPECT_FALSE(value.GetString(text));

    value.SetBool(true);
    ASSERT_TRUE(value.GetFloat(real));
    EXPECT_EQ(real, 1.0f);
    ASSERT_TRUE(value.GetInt(integer));
    EXPECT_EQ(integer, 1);

    value.SetInt(0);
    ASSERT_TRUE(value.GetBool(boolean));
    EXPECT_FALSE(boolean);

    value.SetString("text");
    EXPECT_EQ(value.GetType(), TagTypeString);
    boolean = true;
    EXPECT_FALSE(value.GetBool(boolean));
    EXPECT_TRUE(boolean); // untouched
    EXPECT_FALSE(value.GetFloat(real));
    ASSERT_TRUE(value.GetString(text));
    EXPECT_STREQ(text.GetText(), "text");
}

TEST(nMetaTagValue, RealsOutsideTheIntegerRangeConvertWithoutOverflow)
{
    nMetaTagValue value;
    int32_t integer = 0;
    bool boolean = false;
    value.SetFloat(1e20f);
    ASSERT_TRUE(value.GetInt(integer));
    EXPECT_EQ(integer, std::numeric_limits<int32_t>::max());
    value.SetFloat(-1e20f);
    ASSERT_TRUE(value.GetInt(integer));
    EXPECT_EQ(integer, std::numeric_limits<int32_t>::min());
    value.SetFloat(std::nanf(""));
    ASSERT_TRUE(value.GetInt(integer));
    EXPECT_EQ(integer, 0);
    ASSERT_TRUE(value.GetBool(boolean));
    EXPECT_TRUE(boolean); // a NaN is true
}

TEST(nMetaTagValue, BinaryIsCopiedInAndOutAndFreedBySetters)
{
    const char data[] = {1, 2, 3, 0, 5};
    nMetaTagValue value;
    value.SetBinary(data, sizeof(data));
    EXPECT_EQ(value.GetType(), TagTypeBinary);
    uint8_t* copy = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(value.GetBinary(copy, size));
    ASSERT_EQ(size, sizeof(data));
    EXPECT_EQ(std::memcmp(copy, data, size), 0);
    delete[] copy;

    value.SetInt(4); // frees the Binary data (the sanitizer build catches a leak)
    EXPECT_FALSE(value.GetBinary(copy, size));

    value.SetBinary(nullptr, 0);
    EXPECT_EQ(value.GetType(), TagTypeBinary);
    ASSERT_TRUE(value.GetBinary(copy, size));
    EXPECT_EQ(size, 0u);
    delete[] copy;
}

TEST(nMetaTagValue, AssignmentCopiesEveryKindBinaryIncluded)
{
    nMetaTagValue source;
    source.SetString("copied");
    nMetaTagValue target;
    target.SetInt(3);
    target = source;
    source.SetString("changed");
    nString text;
    ASSERT_TRUE(target.GetString(text));
    EXPECT_STREQ(text.GetText(), "copied");

    const char byte = 7;
    source.SetBinary(&byte, 1);
    target = source;
    source.SetInt(1);
    ASSERT_EQ(target.GetType(), TagTypeBinary);
    ASSERT_EQ(target.GetBinarySize(), 1u);
    EXPECT_EQ(target.GetBinaryData()[0], 7);

    source.SetFloat(0.5f);
    nMetaTagValue constructed(source);
    float real = 0.0f;
    ASSERT_TRUE(constructed.GetFloat(real));
    EXPECT_EQ(real, 0.5f);
}

TEST(nVariant, ConstructorsSetTheNameAndTheValue)
{
    nVariant integer("i", 5);
    nVariant real("r", 5.5f);
    nVariant text("s", "String Value");
    EXPECT_STREQ(integer.GetName().GetText(), "i");
    EXPECT_EQ(integer.GetType(), TagTypeInteger);
    EXPECT_STREQ(real.GetName().GetText(), "r");
    EXPECT_EQ(real.GetType(), TagTypeReal);
    EXPECT_STREQ(text.GetName().GetText(), "s");
    nString value;
    ASSERT_TRUE(text.GetString(value));
    EXPECT_STREQ(value.GetText(), "String Value");
}

namespace
{
nMetaTagValue Real(float value)
{
    nMetaTagValue result;
    result.SetFloat(value);
    return result;
}

nMetaTagValue Integer(int32_t value)
{
    nMetaTagValue result;
    result.SetInt(value);
    return result;
}

nMetaTagValue Boolean(bool value)
{
    nMetaTagValue result;
    result.SetBool(value);
    return result;
}

nMetaTagValue Text(const char* value)
{
    nMetaTagValue result;
    result.SetString(value);
    return result;
}

nMetaTagValue Binary(const char* bytes)
{
    nMetaTagValue result;
    result.SetBinary(bytes, static_cast<uint32_t>(std::strlen(bytes)));
    return result;
}
} // namespace

TEST(nMetaTagValue, BinaryBytesAreReadableWithoutACopy)
{
    nMetaTagValue binary = Binary("xyz");
    ASSERT_EQ(3u, binary.GetBinarySize());
    EXPECT_EQ(0, std::memcmp("xyz", binary.GetBinaryData(), 3));
    EXPECT_EQ(nullptr, Text("a").GetBinaryData());
    EXPECT_EQ(0u, Text("a").GetBinarySize());
}

TEST(nMetaTagValue, Equality)
{
    struct Case
    {
        nMetaTagValue left;
        nMetaTagValue right;
        bool equal;
    };
    const Case cases[] = {
        {Real(1.5f), Real(1.5f), true},
        {Real(1.5f), Real(2.5f), false},
        {Boolean(true), Boolean(true), true},
        {Integer(3), Integer(3), true},
        {Text("a"), Text("a"), true},
        {Text("a"), Text("b"), false},
        {Text(""), Text(nullptr), true},
        {Integer(3), Real(3.9f), true},  // the Real truncated
        {Real(3.9f), Integer(3), false}, // the Integer converted
        {Real(3.0f), Integer(3), true},
        {Boolean(true), Integer(1), false},
        {Text("1"), Integer(1), false},
        {nMetaTagValue(), nMetaTagValue(), false},
        {Binary("a"), Binary("a"), false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.equal, c.left == c.right) << &c - cases;
        EXPECT_EQ(!c.equal, c.left != c.right) << &c - cases;
    }
}

TEST(nMetaTagValue, LessThan)
{
    EXPECT_TRUE(Real(1.0f) < Real(2.0f));
    EXPECT_FALSE(Real(2.0f) < Real(1.0f));
    EXPECT_TRUE(Boolean(false) < Boolean(true));
    EXPECT_FALSE(Boolean(true) < Boolean(true));
    EXPECT_TRUE(Integer(-1) < Integer(0));
    EXPECT_TRUE(Integer(2) < Real(3.5f));
    EXPECT_FALSE(Integer(3) < Real(3.5f));
    EXPECT_FALSE(Real(1.0f) < Integer(5));
    EXPECT_FALSE(Text("a") < Text("b"));
}

TEST(nVariant, DefaultIsEmptyAndCopiesKeepTheName)
{
    nVariant empty;
    EXPECT_EQ(TagTypeNone, empty.GetType());
    EXPECT_TRUE(empty.GetName().IsEmpty());

    nVariant define("Level", 3);
    nVariant copy = define;
    EXPECT_STREQ("Level", copy.GetName().GetText());
    int32_t value = 0;
    EXPECT_TRUE(copy.GetInt(value));
    EXPECT_EQ(3, value);
}
