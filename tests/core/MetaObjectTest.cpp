#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaObject.h"
#include "core/nml/nMetaTag.h"

#include "NmlFileFixture.h"
#include "NmlLogCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
class Counter : public nMetaObject
{
public:
    bool ParseTag(nMetaFile&, nMetaTag& tag) override
    {
        if (!(tag.GetName() == "Counter"))
            return false;
        nMetaTag* value = tag.GetTypedTag("Value;", TagTypeInteger);
        int32_t read = 0;
        if (!value || !value->GetValue().GetInt(read))
            return false;
        count = read;
        return true;
    }

    nMetaTag* SerializeTag(nMetaFile&) override
    {
        if (refuseToSerialize)
            return nullptr;
        auto* tag = new nMetaTag("Counter");
        tag->AddChildInt("Value", count);
        return tag;
    }

    int32_t count = 0;
    bool refuseToSerialize = false;
};
} // namespace

TEST(MetaObjectTest, SaveAndLoad)
{
    NmlFileFixture files;
    Counter saved;
    saved.count = 42;
    ASSERT_TRUE(saved.Save("counter.nml"));
    EXPECT_EQ("<NML=1.0>\n<Counter=\n\t<Value=42>\n>\n", files.Read("counter.nml"));

    Counter loaded;
    ASSERT_TRUE(loaded.Load("counter.nml"));
    EXPECT_EQ(42, loaded.count);
}

TEST(MetaObjectTest, OnlyTheFirstRootIsParsed)
{
    NmlFileFixture files;
    files.Write("two.nml", "<NML=1.0>\n<Counter=<Value=1>>\n<Other=<Value=2>>\n");
    Counter counter;
    ASSERT_TRUE(counter.Load("two.nml"));
    EXPECT_EQ(1, counter.count);
}

TEST(MetaObjectTest, FailedSerializeWritesNoFile)
{
    NmlFileFixture files;
    Counter counter;
    counter.refuseToSerialize = true;
    EXPECT_FALSE(counter.Save("none.nml"));
    EXPECT_FALSE(files.Exists("none.nml"));
}

TEST(MetaObjectTest, MissingFileLeavesTheObjectAlone)
{
    NmlFileFixture files;
    NmlLogCapture log;
    Counter counter;
    counter.count = 5;
    EXPECT_FALSE(counter.Load("missing.nml"));
    EXPECT_EQ(5, counter.count);
    EXPECT_NE(std::string::npos, log.text.find("[!] Could not access file 'missing.nml'.\n"));
}

TEST(MetaObjectTest, DocumentWithoutRoots)
{
    NmlLogCapture log;
    nMetaFile file;
    file.SetFileName("empty.nml");
    Counter counter;
    EXPECT_FALSE(counter.Parse(file));
    EXPECT_EQ("[!] No root tag in 'empty.nml'.\n", log.text);

    EXPECT_TRUE(counter.Serialize(file));
    EXPECT_EQ(1u, file.GetRoots().GetCount());
}
