#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTextReader.h"

#include "NmlFileFixture.h"
#include "NmlLogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

namespace
{
bool Parse(nMetaFile& file, const std::string& text)
{
    return file.Parse(text.data(), text.size());
}

const nMetaTag* Tag(const nMetaFile& file, const char* path)
{
    return MetaFindTagInList(&file.GetRoots(), path, false);
}

std::string StringAt(const nMetaFile& file, const char* path)
{
    const nMetaTag* tag = Tag(file, path);
    nString text;
    if (!tag || !tag->GetValue().GetString(text))
        return "(no string)";
    return text.GetText() ? text.GetText() : "";
}

// The first log line a parse of the text writes, the file being named "f.nml".
std::string FirstError(const std::string& text)
{
    NmlLogCapture log;
    nMetaFile file;
    file.SetFileName("f.nml");
    EXPECT_FALSE(Parse(file, text)) << text;
    return log.text.substr(0, log.text.find('\n') + 1);
}
} // namespace

TEST(NmlReaderTest, ReadsEveryValueKind)
{
    nMetaFile file;
    ASSERT_TRUE(Parse(file, "<NML=1.0>\n<R=1.5>\n<B=True><F = False >\n<I=-7>\n<S=\"two\nlines\">"
                            "<P><Q=><N=\n\t<C=1>\n>\n<=2>"));
    float real = 0;
    EXPECT_TRUE(Tag(file, "R;")->GetValue().GetFloat(real));
    EXPECT_FLOAT_EQ(1.5f, real);
    EXPECT_EQ(TagTypeReal, Tag(file, "R;")->GetType());
    EXPECT_TRUE(Tag(file, "B;")->GetBool());
    EXPECT_EQ(TagTypeBool, Tag(file, "F;")->GetType());
    EXPECT_FALSE(Tag(file, "F;")->GetBool());
    EXPECT_EQ(-7, file.GetInt("I;", 0));
    EXPECT_EQ("two\nlines", StringAt(file, "S;"));
    EXPECT_EQ(TagTypeNone, Tag(file, "P;")->GetType());
    EXPECT_EQ(TagTypeNone, Tag(file, "Q;")->GetType());
    EXPECT_EQ(1, file.GetInt("N:C;", 0));
    ASSERT_EQ(9u, file.GetRoots().GetCount());
    const auto* unnamed = static_cast<const nMetaTag*>(file.GetRoots().GetTail());
    EXPECT_TRUE(unnamed->GetName().IsEmpty());
    int32_t integer = 0;
    EXPECT_TRUE(unnamed->GetValue().GetInt(integer));
    EXPECT_EQ(2, integer);
}

TEST(NmlReaderTest, NumberTokens)
{
    struct Case
    {
        const char* token;
        nMetaTagType type;
        float value;
    };
    const Case cases[] = {
        {"1f", TagTypeReal, 1.0f},
        {"-.5", TagTypeReal, -0.5f},
        {"-", TagTypeInteger, 0},
        {"1e3", TagTypeInteger, 1},
        {"5abc", TagTypeInteger, 5},
        {"0x10", TagTypeInteger, 0},
        {"3.25", TagTypeReal, 3.25f},
        {"-12", TagTypeInteger, -12},
        {"2147483647", TagTypeInteger, 2147483647.0f},
    };
    for (const Case& c : cases)
    {
        nMetaFile file;
        ASSERT_TRUE(Parse(file, std::string("<NML=1.0><A=") + c.token + ">")) << c.token;
        const nMetaTag* tag = Tag(file, "A;");
        EXPECT_EQ(c.type, tag->GetType()) << c.token;
        float value = 0;
        tag->GetValue().GetFloat(value);
        EXPECT_FLOAT_EQ(c.value, value) << c.token;
    }
}

TEST(NmlReaderTest, StringsKeepTheirBytes)
{
    nMetaFile file;
    ASSERT_TRUE(Parse(file, "<NML=1.0><A=\"a\\\"b\"><B=\"x\\ny\"  ><E=\"\">"));
    EXPECT_EQ("a\\\"b", StringAt(file, "A;"));
    EXPECT_EQ("x\\ny", StringAt(file, "B;"));
    EXPECT_EQ("", StringAt(file, "E;"));
}

// A raw NUL byte ends a String value, in quoted text and in #append alike, so that what every
// consumer reads is all the value holds; a Binary value keeps every byte.
TEST(NmlReaderTest, AStringEndsAtItsFirstNulByte)
{
    constexpr char raw[] = "<NML=1.0><A=\"\0a\"><B=\"a\0b\"><C=#append(\"x\0y\", <B>, \"z\")>";
    const std::string text(raw, sizeof(raw) - 1);
    nMetaFile file;
    ASSERT_TRUE(Parse(file, text));
    for (const auto& [path, expected] :
         {std::pair<const char*, const char*>{"A;", ""}, {"B;", "a"}, {"C;", "xaz"}})
    {
        SCOPED_TRACE(path);
        nString value;
        ASSERT_TRUE(Tag(file, path)->GetValue().GetString(value));
        EXPECT_EQ(value.GetLength(), std::strlen(expected));
        EXPECT_EQ(StringAt(file, path), expected);
    }
}

// A tag holding children and a value would lose its children when written back.
TEST(NmlReaderTest, ValueAfterChildrenIsRefused)
{
    const char* const texts[] = {
        "<NML=1.0>\n<A=<B>1>\n",
        "<NML=1.0>\n<A=<B><C=2>\"text\">\n",
        "<NML=1.0>\n<A=<B>True>\n",
        "<NML=1.0>\n<A=<B>==1:1@\n+>\n",
        "<NML=1.0>\n<S=\"s\"><A=<B> #append(\"x\", <S>)>\n",
    };
    for (const char* text : texts)
        EXPECT_EQ("[!] In file 'f.nml': Value following child tags, metatag 'A'.\n", FirstError(text))
            << text;

    NmlFileFixture files;
    files.Write("inc.nml", "<NML=1.0>\n<X=1>\n");
    files.Write("empty.nml", "<NML=1.0>\n");
    files.Write("main.nml", "<NML=1.0>\n<A=#include(\"inc.nml\") 5>\n");
    files.Write("fine.nml", "<NML=1.0>\n<A=#include(\"empty.nml\") 5>\n");
    NmlLogCapture log;
    nMetaFile file;
    EXPECT_FALSE(file.Load("main.nml"));
    EXPECT_EQ(0u, log.text.find("[!] In file 'main.nml': Value following child tags, metatag 'A'.\n"));
    ASSERT_TRUE(file.Load("fine.nml"));
    EXPECT_EQ(5, file.GetInt("A;", 0));
}

TEST(NmlReaderTest, HeaderAndCommentsOnly)
{
    NmlLogCapture log;
    nMetaFile file;
    file.AddRoot("Old");
    EXPECT_TRUE(Parse(file, "  // lead\n<NML=1.0>\n/* block\n */ // tail"));
    EXPECT_EQ(0u, file.GetRoots().GetCount());
    EXPECT_EQ("", log.text);
}

TEST(NmlReaderTest, HeaderChecks)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "[!] Invalid metafile.\n"},
        {"  text", "[!] Invalid metafile.\n"},
        {"<XML=1.0>", "[!] Unknown metafile variant.\n"},
        {"<NML=2>", "[*] Newer version NML header found (2>1).\n"},
        {"<NML=1.5>", "[*] Newer version NML header found (1.500>1).\n"},
        {"<NML=\"1\">", "[*] Unknown NML header version identification method.\n"},
        {"<NML=1>", ""},
        {"<NML=1.0>", ""},
    };
    for (const auto& [text, expected] : cases)
    {
        NmlLogCapture log;
        nMetaFile file;
        Parse(file, text);
        EXPECT_EQ(expected, log.text) << text;
    }
}

TEST(NmlReaderTest, ErrorLinesNameFileTagAndFault)
{
    const std::pair<const char*, const char*> cases[] = {
        {"<A=5 >", "Unexpected trailing expression following value, metatag 'A'.\n"},
        {"<A=1e+3>", "Unexpected trailing expression following value, metatag 'A'.\n"},
        {"<A=Truex>", "Unexpected trailing expression following value, metatag 'A'.\n"},
        {"<A:B=1>", "Unexpected trailing expression after metatag 'A' name declaration.\n"},
        {"<A=\"abc>", "Mangled string declaration, metatag 'A'.\n"},
        {"<A=\"abc\"  ", "Unexpected EOF after string declaration, metatag 'A'.\n"},
        {"<A=\"abc\" x>", "Unexpected trailing expression following string object, metatag 'A'.\n"},
        {"<A=#define>", "Unknown preprocessor directive, metatag 'A'.\n"},
        {"<A=?>", "Unexpected '?' in assignation, metatag 'A'.\n"},
        {"<A=", "Mangled definition, metatag 'A'.\n"},
        {"<A", "Mangled definition, metatag 'A'.\n"},
        {"<A=<B=1> ", "Mangled definition, metatag 'A'.\n"},
        {"<A==x>", "Expected encoded size in binary tag 'A' declaration.\n"},
        {"<A==3x>", "Expected size delimiter in binary tag 'A' declaration.\n"},
        {"<A==3:x>", "Expected binary size in binary tag 'A' declaration.\n"},
        {"<A==3:3@\r\nabc>", "Expected EOL following binary size in binary tag 'A' declaration.\n"},
        {"<A==10:3@\nabc>", "Expected closing tag in tag 'A'.\n"},
        {"<A==3:3@\nabcd>", "Expected closing tag in tag 'A'.\n"},
        {"<A==3:4000000000@\nabc>",
         "Binary size exceeds its encoded length in binary tag 'A' declaration.\n"},
        {"<A==99999999999999999999:1@\nabc>", "Expected closing tag in tag 'A'.\n"},
        {"<A=#append(\"a\" )>", "Unexpected character in preprocessor directive, metatag 'A'.\n"},
        {"<A=#append()>", "Unexpected character in preprocessor directive, metatag 'A'.\n"},
        {"<A=#append \"a\">", "Mangled preprocessor directive, metatag 'A'.\n"},
        {"<A=#append(<B)>", "Mangled tag declaration in preprocessor directive, metatag 'A'.\n"},
        {"<A=#append(\"a)>", "Mangled shortcut declaration, metatag 'A'.\n"},
        {"<A=#append(\"a\") x>", "Unexpected trailing expression following string object, metatag 'A'.\n"},
        {"<A=#append(<Missing>)>", "Preprocessor argument tag 'Missing' not found, metatag 'A'.\n"},
    };
    for (const auto& [body, message] : cases)
        EXPECT_EQ(std::string("[!] In file 'f.nml': ") + message,
                  FirstError(std::string("<NML=1.0>\n") + body))
            << body;
}

TEST(NmlReaderTest, AppendOnlyTakesStrings)
{
    EXPECT_EQ("[!] In file 'f.nml': Preprocessor directive #append only support string, metatag 'N'.\n",
              FirstError("<NML=1.0><N=5><A=#append(<N>)>"));
}

TEST(NmlReaderTest, IncludeDirectiveErrors)
{
    EXPECT_EQ("[!] Unexpected character in #include directive.\n", FirstError("<NML=1.0><A=#include()>"));
    EXPECT_EQ("[!] Mangled #include directive in file 'f.nml'.\n", FirstError("<NML=1.0><A=#include \"x\">"));
    EXPECT_EQ("[!] Mangled #include directive in file 'f.nml'.\n", FirstError("<NML=1.0><A=#include(\"x\""));
}

TEST(NmlReaderTest, AppendJoinsTextsAndEarlierTags)
{
    nMetaFile file;
    ASSERT_TRUE(Parse(file, "<NML=1.0>\n<A=\"x\">\n<B=<C=\"y\">>\n"
                            "<D=#append(<A>, \"-\" ,<B:C;>)>\n"
                            "<E=#append(<A>\"z\")>\n"
                            "<F=#append( \"a\",\"b\") >\n"
                            "<G=<H=\"q\"><I=#append(<G:H>)>>"));
    EXPECT_EQ("x-y", StringAt(file, "D;"));
    EXPECT_EQ("xz", StringAt(file, "E;"));
    EXPECT_EQ("ab", StringAt(file, "F;"));
    EXPECT_EQ("q", StringAt(file, "G:I;"));
}

TEST(NmlReaderTest, BinaryInBothEncodings)
{
    nMetaFile file;
    // "abc" is yEnc "\x8b\x8c\x8d"; in uu-style the group a b c is "86)C".
    ASSERT_TRUE(Parse(file, "<NML=1.0><Y==3:3@\n\x8b\x8c\x8d><U==6:3\n#86)C\n><Z==6:5\n#86)C\n>"));
    uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(Tag(file, "Y;")->GetValue().GetBinary(data, size));
    EXPECT_EQ(3u, size);
    EXPECT_EQ(0, std::memcmp(data, "abc", 3));
    delete[] data;
    ASSERT_TRUE(Tag(file, "U;")->GetValue().GetBinary(data, size));
    EXPECT_EQ(3u, size);
    EXPECT_EQ(0, std::memcmp(data, "abc", 3));
    delete[] data;
    // A block shorter than its size leaves zeros.
    ASSERT_TRUE(Tag(file, "Z;")->GetValue().GetBinary(data, size));
    ASSERT_EQ(5u, size);
    EXPECT_EQ(0, std::memcmp(data, "abc\0\0", 5));
    delete[] data;
}

TEST(NmlReaderTest, FailedRootLeavesEarlierRoots)
{
    NmlLogCapture log;
    nMetaFile file;
    EXPECT_FALSE(Parse(file, "<NML=1.0><A=1><B=2><C=?>"));
    EXPECT_EQ(2u, file.GetRoots().GetCount());
}

TEST(NmlReaderTest, DeepNestingIsRefused)
{
    std::string text = "<NML=1.0>";
    for (int i = 0; i < 100000; ++i)
        text += "<a=";
    NmlLogCapture log;
    nMetaFile file;
    EXPECT_FALSE(Parse(file, text));
    EXPECT_EQ(0u, log.text.find("[!] In file '': Tags nest too deeply, metatag 'a'.\n"));
}

TEST(NmlReaderTest, ParseTagNeedsATag)
{
    NmlLogCapture log;
    nMetaFile file;
    file.SetFileName("x.nml");
    nMetaTextReader reader(file);
    const char text[] = "<A=1> rest";
    const char* next = nullptr;
    EXPECT_FALSE(reader.ParseTag(nullptr, text, text + 5, next));
    EXPECT_EQ("[!] No tag to parse in file 'x.nml'.\n", log.text);

    nMetaTag tag;
    ASSERT_TRUE(reader.ParseTag(&tag, text, text + sizeof(text) - 1, next));
    EXPECT_EQ(text + 5, next);
    EXPECT_STREQ("A", tag.GetName().GetText());
}

TEST(NmlReaderTest, LoadReportsTheFileItCouldNotParse)
{
    NmlFileFixture files;
    files.Write("f.nml", "<NML=1.0>\n<A=5 >");
    NmlLogCapture log;
    nMetaFile file;
    EXPECT_FALSE(file.Load("f.nml"));
    EXPECT_EQ("[!] In file 'f.nml': Unexpected trailing expression following value, metatag 'A'.\n"
              "[!] Could not parse file 'f.nml'.\n",
              log.text);
}

TEST(NmlReaderTest, ANestedFailureIsReportedOnceWithItsReasonAndFile)
{
    NmlFileFixture files;
    files.Write("f.nml", "<NML=1.0>\n<P=<B=5 >>");
    NmlLogCapture log;
    nMetaFile file;
    EXPECT_FALSE(file.Load("f.nml"));
    EXPECT_EQ("[!] In file 'f.nml': Unexpected trailing expression following value, metatag 'B'.\n"
              "[!] Could not parse file 'f.nml'.\n",
              log.text);
}

TEST(NmlReaderTest, LoadAndOpen)
{
    NmlFileFixture files;
    files.Write("ok.nml", "<NML=1.0>\n<A=1>\n");
    nMetaFile file;
    ASSERT_TRUE(file.Load("ok.nml"));
    EXPECT_STREQ("ok.nml", file.GetFileName().GetText());
    EXPECT_EQ(1, file.GetInt("A;", 0));

    NmlLogCapture log;
    EXPECT_FALSE(file.Load(nullptr));
    EXPECT_EQ("[!] No filename specified.\n", log.text);

    log.text.clear();
    EXPECT_EQ(nullptr, nMetaFile::Open("missing.nml"));
    EXPECT_EQ("[!] Failed to open 'missing.nml'.\n[!] Could not access file 'missing.nml'.\n", log.text);

    std::unique_ptr<nMetaFile> opened(nMetaFile::Open("ok.nml"));
    ASSERT_NE(nullptr, opened);
    EXPECT_EQ(MetaBinaryEncodingYEnc, opened->GetBinaryEncoding());
}

TEST(NmlReaderTest, IncludePullsRootsInAsChildren)
{
    NmlFileFixture files;
    files.Write("inc.nml", "<NML=1.0>\n<X=1>\n<Y=2>\n");
    files.Write("main.nml", "<NML=1.0>\n<Root=#include(\"missing.nml\", \"inc.nml\")\n<After=3>>\n");
    NmlLogCapture log;
    nMetaFile file;
    ASSERT_TRUE(file.Load("main.nml"));
    const nMetaTag* root = Tag(file, "Root;");
    ASSERT_EQ(3u, root->GetChildCount());
    EXPECT_EQ(2, file.GetInt("Root:Y;", 0));
    EXPECT_EQ(3, file.GetInt("Root:After;", 0));
    EXPECT_EQ("", log.text); // only the last name is read
}

TEST(NmlReaderTest, MissingIncludeIsLoggedAndSkipped)
{
    NmlFileFixture files;
    files.Write("main.nml", "<NML=1.0>\n<Root=#include(\"missing.nml\")>\n");
    NmlLogCapture log;
    nMetaFile file;
    ASSERT_TRUE(file.Load("main.nml"));
    EXPECT_EQ(0u, Tag(file, "Root;")->GetChildCount());
    EXPECT_NE(std::string::npos,
              log.text.find("[!] Failed to include external NML file 'missing.nml' from file 'main.nml'.\n"));
}

TEST(NmlReaderTest, IncludeCyclesAreRefused)
{
    NmlFileFixture files;
    files.Write("self.nml", "<NML=1.0>\n<S=#include(\"self.nml\")>\n");
    files.Write("a.nml", "<NML=1.0>\n<A=#include(\"b.nml\")>\n");
    files.Write("b.nml", "<NML=1.0>\n<B=#include(\"a.nml\")>\n");
    NmlLogCapture log;
    nMetaFile self;
    EXPECT_TRUE(self.Load("self.nml"));
    EXPECT_EQ("[!] Failed to include external NML file 'self.nml' from file 'self.nml': it is already being "
              "read.\n",
              log.text);

    log.text.clear();
    nMetaFile a;
    EXPECT_TRUE(a.Load("a.nml"));
    EXPECT_NE(nullptr, Tag(a, "A:B;"));
    EXPECT_EQ(
        "[!] Failed to include external NML file 'a.nml' from file 'b.nml': it is already being read.\n",
        log.text);
}

TEST(NmlReaderTest, IncludeNestingIsBounded)
{
    NmlFileFixture files;
    // A chain of distinct names, so only the depth limit can stop it.
    for (int i = 0; i < 40; ++i)
        files.Write("d" + std::to_string(i) + ".nml", "<NML=1.0>\n<L" + std::to_string(i) + "=#include(\"d" +
                                                          std::to_string(i + 1) + ".nml\")>\n");
    NmlLogCapture log;
    nMetaFile file;
    EXPECT_TRUE(file.Load("d0.nml"));
    EXPECT_NE(std::string::npos, log.text.find("includes nest deeper than 16.\n"));
    EXPECT_EQ(std::string::npos, log.text.find("d30.nml"));
}

TEST(NmlReaderTest, IncludeCyclesThroughAliasesAreRefused)
{
    NmlFileFixture files;
    files.Write("self.nml", "<NML=1.0>\n<S=#include(\"./SELF.nml\")>\n");
    files.Write("a.nml", "<NML=1.0>\n<A=#include(\"B.NML\")>\n");
    files.Write("b.nml", "<NML=1.0>\n<B=#include(\"sub/../a.nml\")>\n");
    std::filesystem::create_directory(files.directory + "/sub");
    NmlLogCapture log;
    nMetaFile self;
    EXPECT_TRUE(self.Load("self.nml"));
    EXPECT_EQ("[!] Failed to include external NML file './SELF.nml' from file 'self.nml': it is already "
              "being read.\n",
              log.text);

    log.text.clear();
    nMetaFile a;
    EXPECT_TRUE(a.Load("a.nml"));
    EXPECT_NE(nullptr, Tag(a, "A:B;"));
    EXPECT_EQ("[!] Failed to include external NML file 'sub/../a.nml' from file 'B.NML': it is already "
              "being read.\n",
              log.text);
}

namespace
{
uint64_t CountTags(const nLinkedListId& list)
{
    uint64_t count = 0;
    for (const nLinkedListEntry* entry = list.GetHead(); entry; entry = entry->GetNext())
        count += 1 + CountTags(static_cast<const nMetaTag*>(entry)->GetChildren());
    return count;
}
} // namespace

// Small files that include each other many times expand geometrically; one load stops including
// once its included files hold too many tags, and says so once.
TEST(NmlReaderTest, IncludesOfOneLoadAreBudgeted)
{
    NmlFileFixture files;
    std::string many = "<NML=1.0>\n";
    for (int i = 0; i < 2000; ++i)
        many += "<>";
    std::string middle = "<NML=1.0>\n<M=";
    std::string top = "<NML=1.0>\n<R=";
    for (int i = 0; i < 30; ++i)
    {
        middle += "#include(\"many.nml\")";
        top += "#include(\"middle.nml\")";
    }
    files.Write("many.nml", many);
    files.Write("middle.nml", middle + ">\n");
    files.Write("top.nml", top + ">\n");
    NmlLogCapture log;
    nMetaFile file;
    ASSERT_TRUE(file.Load("top.nml"));
    const uint64_t tags = CountTags(file.GetRoots());
    EXPECT_GT(tags, nMetaTextReader::MaxIncludedTags);
    EXPECT_LT(tags, nMetaTextReader::MaxIncludedTags + 4000);
    const std::string line =
        "[!] Failed to include external NML file 'many.nml' from file 'middle.nml': the files "
        "included by this load exceed 64 MiB or 1048576 tags; further includes are "
        "skipped.\n";
    EXPECT_EQ(line, log.text);

    // The budget belongs to one load: the next starts afresh.
    log.text.clear();
    files.Write("small.nml", "<NML=1.0>\n<S=#include(\"many.nml\")>\n");
    nMetaFile small;
    ASSERT_TRUE(small.Load("small.nml"));
    EXPECT_EQ(2001u, CountTags(small.GetRoots()));
    EXPECT_EQ("", log.text);
}

TEST(NmlReaderTest, IntegersOutside32BitsSaturate)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"4294967306", 2147483647},
        {"-2147483649", -2147483647 - 1},
        {"99999999999999999999999", 2147483647},
    };
    for (const auto& [token, expected] : cases)
    {
        NmlLogCapture log;
        nMetaFile file;
        ASSERT_TRUE(Parse(file, std::string("<NML=1.0><A=") + token + ">")) << token;
        EXPECT_EQ(expected, file.GetInt("A;", 0)) << token;
        EXPECT_EQ(std::string("[*] Integer '") + token + "' is out of range, read as " + std::to_string(expected) +
                      ".\n",
                  log.text);
    }
    NmlLogCapture log;
    nMetaFile file;
    ASSERT_TRUE(Parse(file, "<NML=1.0><A=-2147483648><B=2147483647>"));
    EXPECT_EQ(-2147483647 - 1, file.GetInt("A;", 0));
    EXPECT_EQ(2147483647, file.GetInt("B;", 0));
    EXPECT_EQ("", log.text);
}

// Each line doubles the string before it: 39 lines would ask for terabytes.
TEST(NmlReaderTest, AppendIsBudgetedLikeIncludes)
{
    NmlFileFixture files;
    std::string text = "<NML=1.0>\n<S0=\"" + std::string(64, 'x') + "\">\n";
    for (int i = 1; i <= 39; ++i)
        text += "<S" + std::to_string(i) + "=#append(<S" + std::to_string(i - 1) + ">,<S" + std::to_string(i - 1) +
                ">)>\n";
    files.Write("double.nml", text);
    NmlLogCapture log;
    nMetaFile file;
    EXPECT_FALSE(file.Load("double.nml"));
    EXPECT_EQ("[!] In file 'double.nml': #append makes more text than the 64 MiB one load may hold, metatag "
              "'S20'.\n"
              "[!] Could not parse file 'double.nml'.\n",
              log.text);
}

TEST(NmlReaderTest, ErrorLinesNameTheFileWithoutItsMountPrefix)
{
    NmlFileFixture files;
    nIOCFile* host = new nIOCFile(nString(files.directory.c_str()));
    ASSERT_TRUE(nPlatform::Get().GetIOSystem().Mount(host, "view@cfile/"));
    files.Write("bootstrap.txt", "<NML=1.0>\n<A=5 >");
    NmlLogCapture log;
    nMetaFile file;
    EXPECT_FALSE(file.Load("view@cfile/bootstrap.txt"));
    EXPECT_EQ("[!] In file 'bootstrap.txt': Unexpected trailing expression following value, metatag 'A'.\n"
              "[!] Could not parse file 'bootstrap.txt'.\n",
              log.text);
    EXPECT_STREQ("view@cfile/bootstrap.txt", file.GetFileName().GetText());
    nPlatform::Get().GetIOSystem().Unmount(host);
}
