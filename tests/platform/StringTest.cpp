#include "core/base/nAutoArray.h"
#include "core/base/nList.h"
#include "platform/nstring/nString.h"
#include "support/CommaLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> Pieces(const nList<nString>& list)
{
    std::vector<std::string> pieces;
    for (auto* node = list.GetHead(); node; node = node->next)
        pieces.push_back(node->value.GetText() ? node->value.GetText() : "");
    return pieces;
}

std::string Text(const nString& s)
{
    return s.GetText() ? s.GetText() : "";
}
} // namespace

TEST(StringTest, EmptyFormsCompareEqual)
{
    nString never;
    nString assignedEmpty;
    assignedEmpty = "";
    EXPECT_NE(assignedEmpty.GetText(), nullptr);
    EXPECT_TRUE(never.IsEmpty());
    EXPECT_TRUE(assignedEmpty.IsEmpty());
    EXPECT_TRUE(never == assignedEmpty);
    EXPECT_TRUE(never.Equals(assignedEmpty));
    EXPECT_TRUE(never == static_cast<const char*>(nullptr));
    EXPECT_TRUE(assignedEmpty == "");
    EXPECT_FALSE(never == nString("a"));
    EXPECT_EQ(nString::Compare(never, nString()), 0);
    EXPECT_EQ(nString::Compare(never, nString("a")), 1);
}

TEST(StringTest, AssignmentAndRanges)
{
    nString s("hello");
    s = s.GetText(); // own text: nothing happens
    EXPECT_EQ(Text(s), "hello");
    s = s;
    EXPECT_EQ(Text(s), "hello");
    s.Set(s.GetText() + 1, s.GetText() + 4); // a range inside its own text
    EXPECT_EQ(Text(s), "ell");
    EXPECT_EQ(s.GetLength(), 3u);
    s.Set(s.GetText() + 2, s.GetText() + 1);
    EXPECT_EQ(s.GetText(), nullptr);
    s.Set("abc", nullptr);
    EXPECT_EQ(Text(s), "abc");
    s = static_cast<const char*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringTest, HashIsCachedAndResetByChanges)
{
    EXPECT_EQ(nString::HashText(nullptr), 1u);
    EXPECT_EQ(nString::HashText(""), 1u);
    EXPECT_EQ(nString::HashText("ab"), (97u * 37u + 98u) | 1u);
    // Bytes count as signed values.
    EXPECT_EQ(nString::HashText("\xff"), 0xFFFFFFFFu);

    nString s("a.b");
    uint32_t before = s.GetHash();
    s.Replace(".", "_");
    EXPECT_NE(s.GetHash(), before);
    EXPECT_EQ(s.GetHash(), nString::HashText("a_b"));
    s = "dir\\File.txt";
    s.NormalizePath();
    EXPECT_EQ(s.GetHash(), nString::HashText("dir/File.txt"));
    s.ToBaseName();
    EXPECT_EQ(s.GetHash(), nString::HashText("File"));
    EXPECT_TRUE(s == nString("File"));
}

TEST(StringTest, EqualityAndCompare)
{
    nString a("abc");
    EXPECT_TRUE(a == nString("abc"));
    EXPECT_TRUE(a != nString("abd"));
    EXPECT_TRUE(a.EqualsText("abc", nString::HashText("abc")));
    EXPECT_TRUE(a.EqualsText("abc", 0));
    EXPECT_FALSE(a.EqualsText("abc", 12345)); // a wrong hash decides without comparing bytes
    EXPECT_EQ(nString::Compare(nString("abc"), nString("abd")), 1);
    EXPECT_EQ(nString::Compare(nString("abd"), nString("abc")), -1);
    EXPECT_EQ(nString::Compare(nString("ab"), nString("abc")), 1);
    EXPECT_EQ(nString::Compare(nString("abc"), nString("abc")), 0);
    EXPECT_EQ(nString::Compare(nString("\xe9"), nString("a")), 1); // signed bytes
}

TEST(StringTest, Search)
{
    nString s("hello world");
    EXPECT_TRUE(s.Contains("o w"));
    EXPECT_FALSE(s.Contains("xyz"));
    EXPECT_FALSE(nString().Contains("a"));
    EXPECT_TRUE(s.StartsWith("hell"));
    EXPECT_TRUE(nString("he").StartsWith("hello")); // either may be the prefix
    EXPECT_FALSE(s.StartsWith("help"));
    EXPECT_FALSE(nString().StartsWith(""));
    EXPECT_EQ(s.FindChar('o'), 4);
    EXPECT_EQ(s.FindChar('o', 5), 7);
    EXPECT_EQ(s.FindChar('o', 11), -1);
    EXPECT_EQ(s.FindChar('h', -5), 0);
    EXPECT_TRUE(nString("c:/x").HasDrive());
    EXPECT_FALSE(nString("c:").HasDrive());
}

TEST(StringTest, SubstringsClampTheirBounds)
{
    nString s("abcdef");
    struct Case
    {
        nString result;
        const char* expected;
    } cases[] = {
        {s.Slice(1, 3), "bc"},
        {s.Slice(-5, 2), "ab"},
        {s.Slice(4, 100), "ef"},
        {s.Slice(-10, -2), ""},
        {s.Slice(5, 2), ""},
        {s.Left(2), "ab"},
        {s.Left(-1), "abcdef"},
        {s.Left(6), "abcdef"},
        {s.SubstringFrom(4), "ef"},
        {s.SubstringFrom(-1), "abcdef"},
        {s.SubstringFrom(6), "abcdef"},
        {s.Mid(2, 2), "cd"},
        {s.Mid(-3, 2), "ab"},
        {s.Mid(4, 10), "ef"},
        {s.Mid(10, 1), ""},
        {s.Mid(2, -1), "cdef"},
        {nString().Slice(-1, 3), ""},
        {nString().Mid(-1, 3), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(c.result), c.expected);
}

TEST(StringTest, CaseAndDisplayNames)
{
    EXPECT_EQ(Text(nString("AbC-\xc3\x89").ToLower()), "abc-\xc3\x89");
    EXPECT_EQ(Text(nString("AbC-z").ToUpper()), "ABC-Z");
    EXPECT_EQ(Text(nString("hello_world").ToDisplayName(false)), "Hello World");
    EXPECT_EQ(Text(nString("hello world").ToDisplayName(false)), "Hello_world");
    EXPECT_EQ(Text(nString("hello world").ToDisplayName(true)), "Hello World");
    EXPECT_EQ(Text(nString("a,b,,c").RemoveChar(',')), "abc");
}

TEST(StringTest, Concatenation)
{
    nString s;
    s += "ab";
    s += nString();
    s += static_cast<const char*>(nullptr);
    s += -42;
    EXPECT_EQ(Text(s), "ab-42");
    EXPECT_EQ(Text(s + "!"), "ab-42!");
    EXPECT_EQ(Text(nString("x") + nString("y")), "xy");
    EXPECT_EQ(s.GetLength(), 5u);
}

TEST(StringTest, FormatCutsAtItsCapacity)
{
    EXPECT_EQ(Text(nString::Format("%d-%s-%.2f", 7, "x", 0.5)), "7-x-0.50");
    std::string longText(5000, 'q');
    nString cut = nString::Format("%s", longText.c_str());
    EXPECT_EQ(cut.GetLength(), 4095u);
    EXPECT_EQ(Text(cut), longText.substr(0, 4095));
}

TEST(StringTest, ReplaceFirstAndList)
{
    nString s("a-b-c");
    EXPECT_TRUE(s.ReplaceFirst("-", "+="));
    EXPECT_EQ(Text(s), "a+=b-c");
    EXPECT_FALSE(s.ReplaceFirst("x", "y"));
    EXPECT_FALSE(nString().ReplaceFirst("a", "b"));

    nString t("one two three");
    const char* patterns[] = {"one", "o", "three", nullptr};
    const char* replacements[] = {"1", "0", "", nullptr};
    EXPECT_TRUE(t.ReplaceList(patterns, replacements));
    EXPECT_EQ(Text(t), "1 tw0 "); // earlier patterns win, each match skips its length

    nString u("aaa");
    EXPECT_TRUE(u.Replace("", "x")); // an empty pattern never matches
    EXPECT_EQ(Text(u), "aaa");
    EXPECT_TRUE(u.Replace("a", "bb"));
    EXPECT_EQ(Text(u), "bbbbbb");
}

TEST(StringTest, Split)
{
    struct Case
    {
        const char* text;
        const char* separator;
        std::vector<std::string> pieces;
    } cases[] = {
        {",a,,b,", ",", {"", "a", "", "b"}},
        {"a", ",", {"a"}},
        {"a::b::", "::", {"a", "b"}},
        {"::", "::", {""}},
        {"a,b", "", {"a,b"}},
    };
    for (const Case& c : cases)
    {
        nList<nString> list;
        EXPECT_EQ(nString(c.text).Split(c.separator, list), c.pieces.size()) << c.text;
        EXPECT_EQ(Pieces(list), c.pieces) << c.text;
    }

    nList<nString> list;
    list.PushBack(nString("before"));
    EXPECT_EQ(nString("x,y").Split(",", list), 3u); // counts what the list held before
    EXPECT_EQ(nString().Split(",", list), 0u);
    EXPECT_EQ(nString("").Split(",", list), 3u);
}

TEST(StringTest, NormalizePath)
{
    struct Case
    {
        const char* path;
        const char* expected;
    } cases[] = {
        {"C:\\Data\\\\Sub Dir\\File.TXT", "c:/Data/Sub Dir/File.TXT"},
        {"@$core/x.nut", "@_core/x.nut"},
        {"file:/C:/a", "file:/C:/a"},
        {"dir/a:b", "dir/a_b"},
        {"a*b?c", "a_b_c"},
        {"caf\xc3\xa9/x", "caf\xc3\xa9/x"},
        {"ab\xc3", "ab\xc3"}, // a sequence cut short by the end stays within the text
    };
    for (const Case& c : cases)
    {
        nString s(c.path);
        EXPECT_TRUE(s.NormalizePath());
        EXPECT_EQ(Text(s), c.expected) << c.path;
        EXPECT_EQ(s.GetLength(), std::string(c.expected).size());
    }
    nString none;
    EXPECT_FALSE(none.NormalizePath());
}

TEST(StringTest, PathParts)
{
    nString p("dir/sub\\name.tar.gz");
    EXPECT_EQ(Text(p.GetPath()), "dir/sub\\");
    EXPECT_EQ(Text(p.GetFileName()), "name.tar.gz");
    EXPECT_EQ(Text(p.GetBaseName()), "name.tar");
    EXPECT_EQ(Text(p.GetWithoutExtension()), "dir/sub\\name.tar");
    EXPECT_EQ(Text(p.WithExtension(".zip")), "dir/sub\\name.tar.zip");
    EXPECT_EQ(Text(p.GetExtension()), "gz");
    EXPECT_EQ(Text(nString("c:file").GetPath()), "c:");
    EXPECT_EQ(Text(nString("file").GetPath()), "");
    EXPECT_EQ(Text(nString("a.b/file").GetWithoutExtension()), "a.b/file");
    EXPECT_EQ(Text(nString("a.b/file").GetExtension()), "b/file");
    EXPECT_EQ(Text(nString("noext").GetExtension()), "");

    nString r("a/b/c.txt");
    EXPECT_EQ(r.RemoveDirectory(), 5u);
    EXPECT_EQ(Text(r), "c.txt");

    char raw[] = "x/y/z.png";
    PathToBaseName(raw);
    EXPECT_STREQ(raw, "z");
    PathStripFilename(nullptr);
    EXPECT_EQ(Text(GetFileExtension(nullptr)), "");
}

TEST(StringTest, Utf8AndUtf16)
{
    EXPECT_EQ(Utf8SequenceLength("a"), 1);
    EXPECT_EQ(Utf8SequenceLength("\xc3\xa9"), 2);
    EXPECT_EQ(Utf8SequenceLength("\xe2\x82\xac"), 3);
    EXPECT_EQ(Utf8SequenceLength("\xf0\x9f\x98\x80"), 4);
    uint32_t code = 0;
    EXPECT_EQ(Utf8DecodeChar("\xe2\x82\xac", &code), 3);
    EXPECT_EQ(code, 0x20ACu);
    EXPECT_EQ(Utf8DecodeChar("\xe2\x82", &code), 2); // stops at the terminator

    nAutoArray<uint16_t> units = nString("a\xc3\xa9").ToUTF16();
    ASSERT_EQ(units.GetCount(), 3u);
    EXPECT_EQ(*units.At(0), 0x61);
    EXPECT_EQ(*units.At(1), 0xE9);
    EXPECT_EQ(*units.At(2), 0);
    EXPECT_EQ(units.GetSize(), 6u);
    EXPECT_EQ(nString().ToUTF16().GetCount(), 0u);
}

TEST(StringTest, StringToIntAndHex)
{
    EXPECT_EQ(StringToInt("-12ab"), -12);
    EXPECT_EQ(StringToInt("+5"), 0);
    EXPECT_EQ(StringToInt(""), 0);
    EXPECT_EQ(StringToInt(nullptr), 0);
    EXPECT_EQ(StringToInt("2147483647"), 2147483647);
    EXPECT_EQ(StringToHex("0x1F"), 31u);
    EXPECT_EQ(StringToHex("ff"), 255u);
    EXPECT_EQ(StringToHex("0x12345678"), 0x123456u);
    EXPECT_EQ(StringToHex("123456789"), 0x12345678u);
    EXPECT_EQ(StringToHex("1g"), 0x10u); // a non-digit adds 0 but still shifts
    EXPECT_EQ(StringToHex("#hFF"), 0xFFu);
}

TEST(StringTest, StringToFloat)
{
    struct Case
    {
        const char* text;
        bool comma;
        float expected;
    } cases[] = {
        {"1e5", false, 100000.0f},  {"1e-2", false, 0.01f},
        {"2e+3", false, 2000.0f},   {"3,5", false, 3.0f},
        {"3,5", true, 3.5f},        {"-2.25", false, -2.25f},
        {"-", false, 0.0f},         {"", false, 0.0f},
        {"12abc", false, 12.0f},    {"1.5e", false, 1.5f},
        {"1.5e-", false, 1.5f},     {"0e99", false, 0.0f},
        {"-1.5e2", false, -150.0f}, {"0.000000000000000000000000000000000000000001", false, 0.0f},
        {"1e-50", false, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(static_cast<float>(StringToFloat(c.text, nullptr, c.comma)), c.expected) << c.text;
    EXPECT_EQ(StringToFloat(nullptr), 0.0);
    const char* text = "12.5xyz";
    EXPECT_FLOAT_EQ(static_cast<float>(StringToFloat(text, text + 2)), 12.0f);
    EXPECT_TRUE(std::isinf(StringToFloat("1e50")));

    const char* abc = "abc";
    EXPECT_EQ(StringFindChar(abc, 'c'), abc + 2);
    EXPECT_EQ(StringFindChar(abc, 'z'), abc + 3);
    EXPECT_EQ(StringFindChar(abc, 'c', abc + 1), abc + 1);
}


TEST(StringTest, NumbersIgnoreTheProcessLocale)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    if (!SelectCommaLocale(LC_ALL))
        GTEST_SKIP() << "no locale with a decimal comma available";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(Text(nString::Format("%.1f", 2.5)), "2.5");
    EXPECT_FLOAT_EQ(static_cast<float>(StringToFloat("2.5")), 2.5f);
    std::setlocale(LC_ALL, saved.c_str());
}
