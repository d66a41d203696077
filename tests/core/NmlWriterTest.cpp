#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTextWriter.h"

#include "NmlFileFixture.h"
#include "NmlLogCapture.h"
#include "support/CommaLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
std::string Write(const nMetaFile& file)
{
    nMetaTextWriter writer(file.GetBinaryEncoding());
    EXPECT_TRUE(writer.WriteDocument(file));
    return writer.GetText();
}

std::vector<uint8_t> Bytes(size_t count)
{
    std::vector<uint8_t> data(count);
    for (size_t i = 0; i < count; ++i)
        data[i] = static_cast<uint8_t>(i * 31 + 214); // hits every escaped yEnc value
    return data;
}

// Fills a document with every value kind, nested tags and Binary values that need escapes and
// line breaks.
void Populate(nMetaFile& file)
{
    nMetaTag* scene = file.AddRoot("Scene");
    scene->AddChildFloat("Real", -12.5f);
    scene->AddChildFloat("Tiny", 0.1f);
    scene->AddChildBool("On", true);
    scene->AddChildInt("Count", -2147483647 - 1);
    scene->AddChildString("Name", "a \\\"quoted\\\" <name>\nsecond line");
    nMetaTag* deep = scene->AddChild("Items")->AddChild("Item");
    deep->AddChild("Empty");
    std::vector<uint8_t> data = Bytes(300);
    deep->AddChildBinary("Data", data.data(), static_cast<uint32_t>(data.size()));
    deep->AddChildBinary("Small", data.data(), 2);
    file.AddRootInt("Version", 3);
}

bool SameTree(const nMetaTag* a, const nMetaTag* b)
{
    if (!(a->GetName() == b->GetName()) || a->GetType() != b->GetType() ||
        a->GetChildCount() != b->GetChildCount())
        return false;
    const nMetaTagValue& va = a->GetValue();
    const nMetaTagValue& vb = b->GetValue();
    if (a->GetType() == TagTypeBinary)
    {
        uint8_t *da = nullptr, *db = nullptr;
        uint32_t sa = 0, sb = 0;
        va.GetBinary(da, sa);
        vb.GetBinary(db, sb);
        bool same = sa == sb && std::memcmp(da, db, sa) == 0;
        delete[] da;
        delete[] db;
        if (!same)
            return false;
    }
    else if (a->GetType() == TagTypeString)
    {
        nString ta, tb;
        va.GetString(ta);
        vb.GetString(tb);
        if (!(ta == tb))
            return false;
    }
    else
    {
        float fa = 0, fb = 0;
        va.GetFloat(fa);
        vb.GetFloat(fb);
        if (fa != fb)
            return false;
    }
    nLinkedListIterator ia, ib;
    while (const nMetaTag* ca = a->GetNextChild(ia))
        if (!SameTree(ca, b->GetNextChild(ib)))
            return false;
    return true;
}

bool SameDocument(const nMetaFile& a, const nMetaFile& b)
{
    if (a.GetRoots().GetCount() != b.GetRoots().GetCount())
        return false;
    nLinkedListIterator ia, ib;
    while (const nMetaTag* ra = a.GetNextRoot(ia))
        if (!SameTree(ra, b.GetNextRoot(ib)))
            return false;
    return true;
}
} // namespace

TEST(NmlWriterTest, LayoutOfEveryKind)
{
    nMetaFile file;
    nMetaTag* a = file.AddRoot("A");
    a->AddChildFloat("R", 1.5f);
    a->AddChildBool("B", false);
    a->AddChildInt("I", -3);
    a->AddChild("P");
    a->AddChild("N")->AddChildString("S", "t");
    uint8_t bytes[3] = {0, 0, 0};
    a->AddChildBinary("Y", bytes, 3);
    a->AddChildBinary("E", bytes, 0);
    file.AddRoot("Last");
    EXPECT_EQ("<NML=1.0>\n"
              "<A=\n"
              "\t<R=1.500000>\n"
              "\t<B=False>\n"
              "\t<I=-3>\n"
              "\t<P>\n"
              "\t<N=\n"
              "\t\t<S=\"t\">\n"
              "\t>\n"
              "\t<Y==3:3@\n***>\n"
              "\t<E==0:0@\n>\n"
              ">\n"
              "<Last>\n",
              Write(file));

    file.SetBinaryEncoding(MetaBinaryEncodingUU);
    EXPECT_NE(std::string::npos, Write(file).find("\t<Y==6:3\n#    \n>\n\t<E==0:0\n>\n"));
}

TEST(NmlWriterTest, EmptyBinaryReadsBackAsBinary)
{
    for (uint32_t encoding : {MetaBinaryEncodingYEnc, MetaBinaryEncodingUU})
    {
        nMetaFile file;
        file.SetBinaryEncoding(encoding);
        const std::string text = "<NML=1.0>\n<E==0:0@\n>\n";
        ASSERT_TRUE(file.Parse(text.data(), text.size()));
        const std::string written = Write(file);
        nMetaFile back;
        ASSERT_TRUE(back.Parse(written.data(), written.size())) << written;
        const auto* tag = static_cast<const nMetaTag*>(back.GetRoots().GetHead());
        ASSERT_NE(nullptr, tag);
        EXPECT_EQ(TagTypeBinary, tag->GetType()) << written;
        EXPECT_EQ(0u, tag->GetValue().GetBinarySize());
    }
}

TEST(NmlWriterTest, ValueWinsOverChildren)
{
    nMetaFile file;
    nMetaTag* a = file.AddRoot("A");
    a->AddChildInt("B", 1);
    a->GetValue().SetInt(5);
    EXPECT_EQ("<NML=1.0>\n<A=5>\n", Write(file));
}

TEST(NmlWriterTest, WrittenTextReadsBackToTheSameTree)
{
    for (uint32_t encoding : {MetaBinaryEncodingYEnc, MetaBinaryEncodingUU})
    {
        nMetaFile original;
        original.SetBinaryEncoding(encoding);
        Populate(original);
        std::string text = Write(original);

        nMetaFile read;
        read.SetBinaryEncoding(encoding);
        ASSERT_TRUE(read.Parse(text.data(), text.size())) << text;
        EXPECT_TRUE(SameDocument(original, read)) << encoding;
        EXPECT_EQ(text, Write(read)) << encoding;
    }
}

TEST(NmlWriterTest, RealsAreRoundedToSixDecimals)
{
    nMetaFile file;
    file.AddRootFloat("R", 0.1234567f);
    file.AddRootFloat("Big", 123456.789f);
    file.AddRootFloat("Neg", -0.5f);
    std::string text = Write(file);
    EXPECT_EQ("<NML=1.0>\n<R=0.123457>\n<Big=123456.789062>\n<Neg=-0.500000>\n", text);
    nMetaFile read;
    ASSERT_TRUE(read.Parse(text.data(), text.size()));
    EXPECT_EQ(text, Write(read));
}

TEST(NmlWriterTest, NumbersIgnoreTheLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (!SelectCommaLocale(LC_NUMERIC))
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    nMetaFile file;
    file.AddRootFloat("R", 2.5f);
    std::string text = Write(file);
    nMetaFile read;
    bool parsed = read.Parse(text.data(), text.size());
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ("<NML=1.0>\n<R=2.500000>\n", text);
    ASSERT_TRUE(parsed);
    EXPECT_FLOAT_EQ(2.5f, read.GetFloat("R;", 0));
}

TEST(NmlWriterTest, NonFiniteRealsAreWrittenAsZero)
{
    NmlLogCapture log;
    nMetaFile file;
    file.AddRootFloat("N", std::nanf(""));
    EXPECT_EQ("<NML=1.0>\n<N=0.000000>\n", Write(file));
    EXPECT_EQ("[*] Tag 'N' holds a Real that is not a finite number; written as 0.\n", log.text);
}

TEST(NmlWriterTest, StringsThatWouldEndEarlyAreRefused)
{
    for (const char* text : {"say \"hi\"", "ends with \\"})
    {
        NmlLogCapture log;
        nMetaFile file;
        file.AddRootString("S", text);
        nMetaTextWriter writer(file.GetBinaryEncoding());
        EXPECT_FALSE(writer.WriteDocument(file)) << text;
        EXPECT_EQ(
            "[!] String of tag 'S' holds a double quote that would end it early; it cannot be written.\n",
            log.text);
    }
}

TEST(NmlWriterTest, UnknownBinaryEncodingWritesAPureTag)
{
    NmlLogCapture log;
    nMetaFile file;
    file.SetBinaryEncoding(7);
    uint8_t byte = 1;
    file.AddRootBinary("B", &byte, 1);
    EXPECT_EQ("<NML=1.0>\n<B>\n", Write(file));
    EXPECT_EQ("[!] Tag 'B' failed to allocate internal binary buffer.\n", log.text);
}

TEST(NmlWriterTest, SaveWritesThroughTheMountTable)
{
    NmlFileFixture files;
    nMetaFile file;
    Populate(file);
    ASSERT_TRUE(file.Save("saved.nml"));
    std::string text = files.Read("saved.nml");
    EXPECT_EQ(Write(file), text);

    nMetaFile read;
    ASSERT_TRUE(read.Load("saved.nml"));
    EXPECT_TRUE(SameDocument(file, read));
    ASSERT_TRUE(read.Save("again.nml"));
    EXPECT_EQ(text, files.Read("again.nml"));
}

TEST(NmlWriterTest, SaveFailures)
{
    NmlFileFixture files;
    NmlLogCapture log;
    nMetaFile file;
    file.AddRootInt("A", 1);
    EXPECT_FALSE(file.Save(nullptr));
    EXPECT_EQ("", log.text);

    EXPECT_FALSE(file.Save("no/such/dir/x.nml"));
    EXPECT_EQ("[!] Failed to open nml output 'no/such/dir/x.nml'.\n", log.text);

    // A document that cannot be written leaves an existing file alone.
    files.Write("keep.nml", "old");
    file.AddRootString("S", "bad \" quote");
    log.text.clear();
    EXPECT_FALSE(file.Save("keep.nml"));
    EXPECT_EQ("old", files.Read("keep.nml"));
}

// Every name the reader would cut short is refused; an empty name reads back and stays allowed.
TEST(NmlWriterTest, NamesThatWouldNotReadBackFailTheSave)
{
    NmlFileFixture files;
    for (const char* name : {"a b", "a\tb", "a\rb", "a\nb", "a/b", "a*b", "a+b", "a=b", "a;b", "a:b", "a,b",
                             "a<b", "a>b", "a(b", "a)b", "a\"b", "a-b", " a"})
    {
        nMetaFile file;
        file.AddRoot("Root")->AddChildInt(name, 1);
        NmlLogCapture log;
        EXPECT_FALSE(file.Save("out.nml")) << name;
        EXPECT_EQ(std::string("[!] Tag name '") + name +
                      "' holds a character that ends names in NML; the tag cannot be written.\n",
                  log.text);
        EXPECT_FALSE(files.Exists("out.nml")) << name;
    }
    nMetaFile file;
    file.AddRootInt("", 3);
    file.AddRootInt("a.b_c#1", 4);
    ASSERT_TRUE(file.Save("out.nml"));
    nMetaFile back;
    ASSERT_TRUE(back.Load("out.nml"));
    const auto* unnamed = static_cast<const nMetaTag*>(back.GetRoots().GetHead());
    int32_t value = 0;
    EXPECT_TRUE(unnamed->GetName().IsEmpty());
    EXPECT_TRUE(unnamed->GetValue().GetInt(value));
    EXPECT_EQ(3, value);
    EXPECT_EQ(4, back.GetInt("a.b_c#1;", 0));
}
