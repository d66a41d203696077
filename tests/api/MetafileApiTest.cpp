#include "ScriptApiFixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace
{
class MetafileApiTest : public ScriptApiFixture
{
protected:
    bool Logged(const std::string& text) const
    {
        return std::find(log.lines.begin(), log.lines.end(), text) != log.lines.end();
    }

    std::string ReadFile(const std::string& name) const
    {
        std::ifstream stream(directory + "/" + name, std::ios::binary);
        std::ostringstream text;
        text << stream.rdbuf();
        return text.str();
    }
};
} // namespace

TEST_F(MetafileApiTest, ScriptValuesBecomeTagValuesAndBack)
{
    EXPECT_EQ(Evaluate("local mf = MetafileNew();\n"
                       "local root = MetafileAddRoot(mf, \"Cfg\");\n"
                       "foreach (value in [2.5, true, 7, \"text\", null]) {\n"
                       "  local tag = MetatagAddChildWithValue(root, \"V\", value);\n"
                       "  print(MetatagGetType(tag) + \":\" + MetatagGetValue(tag) + \" \");\n"
                       "}\n"
                       "local tag = MetatagAddChild(root, \"S\");\n"
                       "MetatagSetValue(tag, 3); MetatagSetValue(tag, [1]);\n"
                       "print(MetatagGetValue(tag) + \" \" + MetatagGetName(tag) + \" \");\n"
                       "print(MetatagGetChildren(root).len() + \" \" + MetafileGetRoots(mf).len());"),
              "1:2.5 2:true 3:7 4:text 0:-1 3 S 6 1");
    EXPECT_TRUE(Logged("[!] Cannot get value from tag 'V'. Unsupported type.\n"));
    EXPECT_TRUE(Logged("[!] Cannot convert input Squirrel type to metatag value.\n"));
    EXPECT_TRUE(Logged("[*] Incorrect binding argument count.\n"));
}

TEST_F(MetafileApiTest, RefusedTagsComeBackAsNullHandlesAndAddNothing)
{
    EXPECT_EQ(Evaluate("local mf = MetafileNew();\n"
                       "print(ObjectIsValid(MetafileAddRootWithValue(mf, \"T\", {})) + \" \");\n"
                       "local n = MetafileAddRootWithValue(mf, \"N\", 2);\n"
                       "print(ObjectIsValid(MetatagAddChild(n, \"C\")) + \" \");\n"
                       "print(ObjectIsValid(MetatagAddChildWithValue(n, \"C\", 1)) + \" \");\n"
                       "print(MetafileGetRoots(mf).len() + \" \" + MetatagGetChildren(n).len() + \" \");\n"
                       "print(ObjectIsValid(MetafileGetTypedTag(mf, \"N\", TagType_Real)) + \" \" +\n"
                       "      ObjectIsValid(MetafileGetTypedTag(mf, \"N\", TagType_Integer)) + \" \" +\n"
                       "      ObjectIsValid(MetafileGetTag(mf, \"N:Nope\")));"),
              "false false false 1 0 false true false");
    EXPECT_TRUE(Logged("[!] Cannot add child to tag 'N' as it is neither a pure tag or a node.\n"));
    // A value would hide the children from the saved file.
    EXPECT_EQ(Evaluate("local root = MetafileAddRoot(MetafileNew(), \"P\");\n"
                       "MetatagAddChildWithValue(root, \"C\", 7);\n"
                       "MetatagSetValue(root, 5);\n"
                       "print(MetatagGetType(root) + \" \" + MetatagGetChildren(root).len());"),
              "0 1");
    EXPECT_TRUE(Logged("[!] Tag 'P' has children and takes no value.\n"));
    EXPECT_EQ(Evaluate("MetatagGetName(MetafileGetTag(MetafileNew(), \"A\"));"), "error: CObject is null");
    EXPECT_EQ(Evaluate("MetatagGetName(MetafileNew());"), "error: Expected 'Metatag' got 'Metafile'");
}

TEST_F(MetafileApiTest, ASavedDocumentLoadsBackWithItsPathsAndTypes)
{
    EXPECT_EQ(Evaluate("local mf = MetafileNew();\n"
                       "local root = MetafileAddRoot(mf, \"Cfg\");\n"
                       "local deep = MetatagAddChild(MetatagAddChild(root, \"A\"), \"B\");\n"
                       "MetatagAddChildWithValue(deep, \"C\", \"x\");\n"
                       "MetatagAddChildWithValue(root, \"Speed\", 3.5);\n"
                       "print(MetafileSave(mf, \"@scripts/m.nml\") + \" \");\n"
                       "local back = MetafileNew();\n"
                       "print(MetafileLoad(back, \"@scripts/m.nml\") + \" \");\n"
                       "print(MetatagGetValue(MetafileGetTag(back, \"Cfg:A:B:C\")) + \" \");\n"
                       "print(MetatagGetValue(MetatagGetTypedTag(MetafileGetTag(back, \"Cfg\"), \"A:B:C\", "
                       "TagType_String)));"),
              "true true x x");
    EXPECT_EQ(ReadFile("m.nml"),
              "<NML=1.0>\n<Cfg=\n\t<A=\n\t\t<B=\n\t\t\t<C=\"x\">\n\t\t>\n\t>\n\t<Speed=3.500000>\n>\n");
}

// Owned documents die at the end of the host call that dropped their last handle.
TEST_F(MetafileApiTest, TagHandlesDieWithTheirDocument)
{
    EXPECT_EQ(Evaluate("local mf = MetafileNew();\n"
                       "Kept <- MetafileAddRoot(mf, \"Kept\");\n"
                       "Child <- MetatagAddChild(Kept, \"Child\");\n"
                       "MetafileDelete(mf); mf = null;\n"
                       "print(MetatagGetName(Child));"),
              "Child");
    EXPECT_EQ(Evaluate("print(ObjectIsValid(Kept) + \" \" + ObjectIsValid(Child));"), "false false");
    EXPECT_EQ(Evaluate("MetatagGetName(Child);"), "error: Expected 'Metatag' got 'Deleted native'");
}

// A load replaces the tags, so their handles die; a file that is not there changes nothing.
TEST_F(MetafileApiTest, ReloadingADocumentKillsTheHandlesOnItsOldTags)
{
    WriteScript("other.nml", "<NML=1.0>\n<Other=1>\n");
    EXPECT_EQ(
        Evaluate("Doc <- MetafileNew();\n"
                 "Old <- MetafileAddRoot(Doc, \"Old\");\n"
                 "print(MetafileLoad(Doc, \"@scripts/none.nml\") + \" \" + ObjectIsValid(Old) + \" \");\n"
                 "print(MetafileLoad(Doc, \"@scripts/other.nml\") + \" \" + ObjectIsValid(Old) + \" \");\n"
                 "print(MetatagGetValue(MetafileGetRoots(Doc)[0]));"),
        "false true true false 1");
}

// NML readers take 256 levels of tags: a deeper document is not written, and freeing or reloading
// one that a script nested far deeper than the call stack would take does not recurse (a reload
// frees the tags as the document's destroy does; it takes 100000 levels to exhaust the stack).
TEST_F(MetafileApiTest, DocumentsNestedBeyondTheReadersAreFreedButNotSaved)
{
    WriteScript("flat.nml", "<NML=1.0>\n<Flat=1>\n");
    EXPECT_EQ(Evaluate("function Chain(levels) {\n"
                       "  local mf = MetafileNew(); local tag = MetafileAddRoot(mf, \"L\");\n"
                       "  for (local i = 1; i < levels; ++i) tag = MetatagAddChild(tag, \"L\");\n"
                       "  return mf;\n"
                       "}\n"
                       "local back = MetafileNew();\n"
                       "print(MetafileSave(Chain(256), \"@scripts/256.nml\") + \" \" +\n"
                       "      MetafileLoad(back, \"@scripts/256.nml\") + \" \");\n"
                       "print(MetafileSave(Chain(257), \"@scripts/257.nml\") + \" \");\n"
                       "print(MetafileLoad(Chain(100000), \"@scripts/flat.nml\"));"),
              "true true false true");
    EXPECT_TRUE(Logged("[!] Cannot save '@scripts/257.nml': its tags nest deeper than 256 levels.\n"));
}
