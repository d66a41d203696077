#include "core/nMetaTagValue.h"
#include "core/nVariant.h"

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

TEST(nMetaTagValue, AssignmentCopiesPlainValuesButNotBinary)
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
    EXPECT_EQ(target.GetType(), TagTypeNone);

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
