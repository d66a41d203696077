#include "core/base/nMemory.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"

#include "NmlLogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace
{
// Roots A (children B, with child C, and V holding 7) and a second root named A.
class MetaTagTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        nMetaTag* a = file.AddRoot("A");
        nMetaTag* b = a->AddChild("B");
        b->AddChildInt("C", 3);
        a->AddChildInt("V", 7);
        file.AddRootInt("A", 9);
    }

    nMetaTag* Find(const char* path, bool verbose = false)
    {
        return MetaFindTagInList(&file.GetRoots(), path, verbose);
    }

    std::string NameAt(const char* path)
    {
        nMetaTag* tag = Find(path);
        return tag ? std::string(tag->GetName().GetText()) : "(none)";
    }

    nMetaFile file;
};
} // namespace

TEST_F(MetaTagTest, PathsSkipColonsAndStopAtSemicolon)
{
    const std::pair<const char*, const char*> cases[] = {
        {"A:B", "B"},    {"A:B;", "B"},   {":A:B;", "B"}, {"A::B;", "B"},     {"A;B", "A"},
        {"A:B:C;", "C"}, {";", "(none)"}, {"", "(none)"}, {"A:X;", "(none)"}, {"A:", "(none)"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(expected, NameAt(path)) << path;
    EXPECT_EQ(nullptr, Find(nullptr));
}

TEST_F(MetaTagTest, SameNamedRootsResolveToTheFirst)
{
    nMetaTag* tag = Find("A;");
    ASSERT_NE(nullptr, tag);
    EXPECT_EQ(TagTypeNone, tag->GetType());
}

TEST_F(MetaTagTest, PathThroughValueTagFindsNothing)
{
    NmlLogCapture log;
    EXPECT_EQ(nullptr, Find("A:V:X;", true));
    EXPECT_NE(std::string::npos, log.text.find("[*] 'A:V:X;' is deeper than lowest tree node.\n"));
}

TEST_F(MetaTagTest, VerboseLookupMessages)
{
    NmlLogCapture log;
    Find("A:B", true);
    EXPECT_EQ("[*] incomplete path 'A:B' (missing ';').\n", log.text);

    log.text.clear();
    Find("A:Q;", true);
    EXPECT_EQ("[*] LListID failed to find 'Q'.\n!! Error 'Q' in 'A:Q;' not found.\n", log.text);

    log.text.clear();
    Find("A:", true);
    EXPECT_EQ(0u, log.text.find("[!] unexpected end of path'A:'.\n"));

    log.text.clear();
    Find("A:Q;", false);
    EXPECT_EQ("", log.text);
}

TEST_F(MetaTagTest, TypedGettersDoNotConvert)
{
    nMetaFile values;
    values.AddRootInt("I", 4);
    values.AddRootFloat("R", 1.0f);
    values.AddRootBool("B", true);
    values.AddRootString("S", "text");
    values.AddRootString("E", "");

    EXPECT_FLOAT_EQ(2.0f, values.GetFloat("I;", 2.0f));
    EXPECT_FLOAT_EQ(1.0f, values.GetFloat("R;", 2.0f));
    EXPECT_EQ(-1, values.GetInt("R;", -1));
    EXPECT_EQ(4, values.GetInt("I;", -1));
    EXPECT_TRUE(values.GetBool("B;", false));
    EXPECT_FALSE(values.GetBool("I;", false));
    EXPECT_STREQ("text", values.GetString("S;", "d").GetText());
    EXPECT_STREQ("d", values.GetString("I;", "d").GetText());
    EXPECT_TRUE(values.GetString("E;", "d").IsEmpty());
    EXPECT_STREQ("d", values.GetString("Missing;", "d").GetText());
    EXPECT_EQ(nullptr, values.GetTypedTag("I;", TagTypeReal));
    EXPECT_NE(nullptr, values.GetTypedTag("I;", TagTypeInteger));
}

TEST_F(MetaTagTest, ValueTagRefusesChildren)
{
    NmlLogCapture log;
    nMetaTag text("T", "value");
    EXPECT_EQ(nullptr, text.AddChildInt("X", 1));
    EXPECT_EQ("[!] Cannot add child to tag 'T' as it is neither a pure tag or a node.\n", log.text);
    EXPECT_EQ(0u, text.GetChildCount());
    EXPECT_EQ(TagTypeString, text.GetType());
    EXPECT_EQ(nullptr, text.AddChildTag(nullptr));
}

TEST_F(MetaTagTest, CloneCopiesTreeAndBinaryData)
{
    nMetaTag source("S");
    uint8_t bytes[3] = {1, 2, 3};
    source.AddChildBinary("Data", bytes, 3);
    source.AddChild("Node")->AddChildString("Leaf", "x");

    std::unique_ptr<nMetaTag> shallow(source.Clone(false));
    EXPECT_EQ(0u, shallow->GetChildCount());
    EXPECT_STREQ("S", shallow->GetName().GetText());

    std::unique_ptr<nMetaTag> deep(source.Clone(true));
    ASSERT_EQ(2u, deep->GetChildCount());
    const nMetaTagValue& data = deep->GetTag("Data;")->GetValue();
    ASSERT_EQ(TagTypeBinary, data.GetType());
    ASSERT_EQ(3u, data.GetBinarySize());
    EXPECT_EQ(0, std::memcmp(bytes, data.GetBinaryData(), 3));
    EXPECT_NE(source.GetTag("Data;")->GetValue().GetBinaryData(), data.GetBinaryData());
    nString leaf;
    EXPECT_TRUE(deep->GetTag("Node:Leaf;")->GetValue().GetString(leaf));
    EXPECT_STREQ("x", leaf.GetText());

    std::unique_ptr<nMetaFile> copy(file.Clone());
    EXPECT_EQ(2u, copy->GetRoots().GetCount());
    EXPECT_NE(nullptr, MetaFindTagInList(&copy->GetRoots(), "A:B:C;", false));
}

TEST_F(MetaTagTest, RemovingChildren)
{
    nMetaTag parent("P");
    parent.AddChildInt("X", 1);
    parent.AddChildInt("Y", 2);
    parent.AddChildInt("X", 3);
    EXPECT_EQ(2u, parent.RemoveChildren("X"));
    EXPECT_EQ(1u, parent.GetChildCount());

    nMetaTag stranger("Z");
    EXPECT_FALSE(parent.RemoveChild(&stranger, true));
    nMetaTag* y = parent.GetTag("Y;");
    EXPECT_TRUE(parent.RemoveChild(y, false));
    delete y;

    parent.AddChild("A");
    parent.AddChild("B");
    EXPECT_EQ(2u, parent.RemoveChildren());
    EXPECT_EQ(0u, parent.GetChildCount());
}

TEST_F(MetaTagTest, IterationSurvivesRemovingTheCurrentChild)
{
    nMetaTag parent("P");
    for (int i = 0; i < 4; ++i)
        parent.AddChildInt("N", i);
    nLinkedListIterator iterator;
    int seen = 0;
    while (nMetaTag* child = parent.GetNextChild(iterator))
    {
        ++seen;
        parent.RemoveChild(child, true);
    }
    EXPECT_EQ(4, seen);
    EXPECT_EQ(0u, parent.GetChildCount());
}

TEST_F(MetaTagTest, FindParentSearchesTheSubtree)
{
    nMetaTag* a = Find("A;");
    nMetaTag* b = Find("A:B;");
    nMetaTag* c = Find("A:B:C;");
    EXPECT_EQ(b, c->FindParent(a));
    EXPECT_EQ(a, b->FindParent(a));
    EXPECT_EQ(nullptr, a->FindParent(b));
}

TEST_F(MetaTagTest, TagsAreCountedInTheMetatagCategory)
{
    uint64_t before = MemGetCounters(MemCategoryMetatag).liveCount;
    {
        nMetaTag root("R");
        nMetaTag* child = root.AddChild("C");
        ASSERT_NE(nullptr, child);
        child->AddChildInt("I", 1);
        EXPECT_EQ(before + 2, MemGetCounters(MemCategoryMetatag).liveCount);
    }
    EXPECT_EQ(before, MemGetCounters(MemCategoryMetatag).liveCount);
}

// A reader's tags and tags made by hand are kept apart in memory; one tree may hold both, and
// each is freed and counted as it was made.
TEST_F(MetaTagTest, ReadTagsAndTagsMadeByHandMixInOneTreeAndAreAllFreed)
{
    const uint64_t before = MemGetCounters(MemCategoryMetatag).liveCount;
    {
        const char text[] = "<NML=1.0>\n<Read=<Inner=2><Other=\"x\">>\n";
        nMetaFile read;
        ASSERT_TRUE(read.Parse(text, sizeof text - 1));
        nMetaTag* readRoot = read.GetTypedTag("Read", TagTypeNone);
        ASSERT_NE(nullptr, readRoot);
        nMetaTag* inner = readRoot->GetTag("Inner");
        ASSERT_TRUE(readRoot->RemoveChild(inner, false));
        nMetaTag byHand("ByHand");
        byHand.AddChildTag(inner);
        readRoot->AddChildInt("Made", 5);
        std::unique_ptr<nMetaTag> copy(readRoot->Clone(true));
        ASSERT_NE(nullptr, copy);
        EXPECT_EQ(before + 7, MemGetCounters(MemCategoryMetatag).liveCount);
    }
    EXPECT_EQ(before, MemGetCounters(MemCategoryMetatag).liveCount);
}

TEST_F(MetaTagTest, RootsAreUnlinkedNotDeleted)
{
    nMetaTag* second = static_cast<nMetaTag*>(file.GetRoots().GetTail());
    EXPECT_TRUE(file.RemoveRoot(second));
    EXPECT_FALSE(file.RemoveRoot(second));
    EXPECT_EQ(1u, file.GetRoots().GetCount());
    delete second;

    file.Clear();
    EXPECT_EQ(0u, file.GetRoots().GetCount());
}

TEST_F(MetaTagTest, TagCannotBeLinkedBelowItself)
{
    NmlLogCapture log;
    std::unique_ptr<nMetaTag> top(new nMetaTag("Top"));
    nMetaTag* middle = top->AddChild("Middle");
    nMetaTag* bottom = middle->AddChild("Bottom");
    EXPECT_EQ(nullptr, bottom->AddChildTag(top.get()));
    EXPECT_EQ(nullptr, top->AddChildTag(top.get()));
    EXPECT_EQ("[!] Cannot add tag 'Top' below itself.\n[!] Cannot add tag 'Top' below itself.\n", log.text);
    EXPECT_EQ(0u, bottom->GetChildCount());
}
