#include "core/io/nArchive.h"
#include "core/io/nIOArchive.h"
#include "core/io/nIOCFile.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "platform/nPlatform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace
{

namespace fs = std::filesystem;

class ArchiveLog : public nLog
{
public:
    ArchiveLog() { nLogHolder::Set(this); }
    ~ArchiveLog() override { nLogHolder::Set(nullptr); }
    void Output(const char* line, uint8_t) override { text += line; }
    bool HasError() const { return text.find("[!] ") != std::string::npos; }
    std::string text;
};

std::string U32(uint32_t value)
{
    return std::string{static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                       static_cast<char>(value >> 24)};
}

std::string RawEntry(const std::string& name, const std::string& data)
{
    return U32(static_cast<uint32_t>(name.size())) + name + std::string(1, '\0') + U32(static_cast<uint32_t>(data.size())) + data;
}

std::string Compressible(size_t size)
{
    std::string text;
    for (size_t i = 0; text.size() < size; ++i)
        text += "line " + std::to_string(i % 97) + " of the archive test\n";
    text.resize(size);
    return text;
}

// Archives live in a temporary directory mounted in the platform's mount table under "arc@/".
class ArchiveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kestrun-arc-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_base = new nIOCFile(pattern.c_str());
        ASSERT_TRUE(nPlatform::Get().GetIOSystem().Mount(m_base.Get(), "arc@/"));
    }
    void TearDown() override
    {
        nPlatform::Get().GetIOSystem().Unmount(m_base.Get());
        fs::remove_all(m_dir);
    }

    std::string ReadHost(const std::string& name)
    {
        std::ifstream in(m_dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteHost(const std::string& name, const std::string& bytes)
    {
        std::ofstream(m_dir / name, std::ios::binary) << bytes;
    }
    static std::string Load(nArchive& archive, const char* name)
    {
        const nArchiveEntry* entry = archive.FindEntry(name);
        if (!entry)
            return "<none>";
        std::string data(entry->len, '\0');
        return archive.LoadEntry(name, data.data(), static_cast<uint32_t>(data.size())) ? data : "<failed>";
    }

    fs::path m_dir;
    nSharedPtr<nIOBase> m_base;
    ArchiveLog m_log;
};

TEST_F(ArchiveTest, ARawEntryIsWrittenAsExactlyTheseBytes)
{
    nArchive archive;
    ASSERT_TRUE(archive.Create("arc@/t.vxa"));
    ASSERT_TRUE(archive.AddEntry("hello", "12345", 5, -1));
    ASSERT_TRUE(archive.Close());

    const std::string expected = "DRAN" + U32(0) + U32(0) + RawEntry("hello", "12345") + U32(0xFFFFFFFFu);
    EXPECT_EQ(ReadHost("t.vxa"), expected);
    EXPECT_EQ(m_log.text, "Archive complete, closing.\n");

    ASSERT_TRUE(archive.Open("arc@/t.vxa"));
    EXPECT_TRUE(archive.IsCurrentForm());
    const nArchiveEntry* entry = archive.FindEntry("hello");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->offset, 26u);
    EXPECT_EQ(Load(archive, "hello"), "12345");
}

TEST_F(ArchiveTest, ZlibEntriesRoundTripThroughTheMountTable)
{
    const std::string big = Compressible(200000);
    {
        nArchive archive;
        ASSERT_TRUE(archive.Create("arc@/z.vxa"));
        ASSERT_TRUE(archive.AddEntry("text/big.txt", big.data(), static_cast<uint32_t>(big.size()), 9));
        ASSERT_TRUE(archive.AddEntry("fast.bin", big.data(), 1000, 0));
        ASSERT_TRUE(archive.AddEntry("raw.bin", "abc", 3, -1));
    }

    nSharedPtr<nIOArchive> mounted(new nIOArchive("arc@/z.vxa"));
    ASSERT_TRUE(mounted->IsOpen());
    const nArchiveEntry* entry = mounted->GetArchive().FindEntry("text/big.txt");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->method, ArchiveMethodZlib);
    EXPECT_LT(entry->clen, entry->len / 10);

    nIOSystem& system = nPlatform::Get().GetIOSystem();
    ASSERT_TRUE(system.Mount(mounted.Get(), "zip@/"));
    nAutoArray<uint8_t> block(MemCategoryFilesystem);
    ASSERT_TRUE(system.LoadFile("zip@/text/big.txt", block));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.GetData()), block.GetCount()), big);
    ASSERT_TRUE(system.LoadFile("zip@/fast.bin", block));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.GetData()), block.GetCount()), big.substr(0, 1000));
    ASSERT_TRUE(system.LoadFile("zip@/raw.bin", block));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.GetData()), block.GetCount()), "abc");

    EXPECT_EQ(system.Open("zip@/text/BIG.txt", IOModeRead), nullptr);
    EXPECT_EQ(system.Open("zip@/raw.bin", IOModeWrite), nullptr);
    EXPECT_FALSE(system.Delete("zip@/raw.bin"));
    system.Unmount(mounted.Get());
    EXPECT_FALSE(m_log.HasError()) << m_log.text;
}

TEST_F(ArchiveTest, ArchiveHandlesSeekWithinTheEntry)
{
    const std::string data = "0123456789abcdefghij";
    {
        nArchive archive;
        ASSERT_TRUE(archive.Create("arc@/s.vxa"));
        ASSERT_TRUE(archive.AddEntry("e", data.data(), static_cast<uint32_t>(data.size()), 6));
    }
    nSharedPtr<nIOArchive> mounted(new nIOArchive("arc@/s.vxa"));
    std::unique_ptr<nIOHandle> handle(mounted->Open("e", IOModeRead));
    ASSERT_NE(handle, nullptr);

    struct Case { int64_t offset; int origin; int64_t expected; };
    const Case cases[] = {
        {0, IOSeekEnd, 20}, {10, IOSeekEnd, 10}, {30, IOSeekEnd, 0}, {-5, IOSeekEnd, 20},
        {5, IOSeekSet, 5},  {-1, IOSeekSet, 0},  {25, IOSeekSet, 20}, {3, IOSeekSet, 3},
        {4, IOSeekCurrent, 7}, {-10, IOSeekCurrent, 0}, {0, 7, 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(handle->Seek(c.offset, c.origin), c.expected) << c.offset << " from " << c.origin;
        EXPECT_EQ(handle->Tell(), c.expected);
    }
    handle->Seek(15, IOSeekSet);
    char buffer[16] = {};
    EXPECT_EQ(handle->Read(buffer, sizeof(buffer)), 5u);
    EXPECT_STREQ(buffer, "fghij");
    EXPECT_EQ(handle->Read(buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(handle->GetSize(), 20);
}

TEST_F(ArchiveTest, ArchiveHandleSeeksByExtremeOffsetsStayInsideTheEntry)
{
    {
        nArchive archive;
        ASSERT_TRUE(archive.Create("arc@/x.vxa"));
        ASSERT_TRUE(archive.AddEntry("e", "0123456789", 10, -1));
    }
    nSharedPtr<nIOArchive> mounted(new nIOArchive("arc@/x.vxa"));
    std::unique_ptr<nIOHandle> handle(mounted->Open("e", IOModeRead));
    ASSERT_NE(handle, nullptr);

    // Position plus offset once overflowed 64 bits and wrapped to the wrong end of the entry.
    struct Case { int64_t offset; int origin; int64_t expected; };
    const Case cases[] = {
        {4, IOSeekSet, 4},         {INT64_MAX, IOSeekCurrent, 10}, {INT64_MIN, IOSeekCurrent, 0},
        {INT64_MIN, IOSeekEnd, 10}, {INT64_MAX, IOSeekEnd, 0},       {INT64_MAX, IOSeekSet, 10},
        {INT64_MIN, IOSeekSet, 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(handle->Seek(c.offset, c.origin), c.expected) << c.offset << " from " << c.origin;
        EXPECT_EQ(handle->Tell(), c.expected);
    }
}

TEST_F(ArchiveTest, DamagedCompressedBytesFailTheLoad)
{
    const std::string big = Compressible(50000);
    {
        nArchive archive;
        ASSERT_TRUE(archive.Create("arc@/d.vxa"));
        ASSERT_TRUE(archive.AddEntry("big", big.data(), static_cast<uint32_t>(big.size()), 6));
    }
    std::string bytes = ReadHost("d.vxa");
    // Damage the middle of the stream, past the zlib header at offset 12 + 4 + 3 + 1 + 4 + 4.
    for (size_t i = 100; i < 140; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    WriteHost("d.vxa", bytes);

    nArchive archive;
    ASSERT_TRUE(archive.Open("arc@/d.vxa"));
    m_log.text.clear();
    EXPECT_EQ(Load(archive, "big"), "<failed>");
    EXPECT_TRUE(m_log.HasError());

    nSharedPtr<nIOArchive> mounted(new nIOArchive("arc@/d.vxa"));
    EXPECT_EQ(mounted->Open("big", IOModeRead), nullptr);
}

TEST_F(ArchiveTest, SizesAndOffsetsBeyondTheFileAreRefused)
{
    struct Case { const char* what; std::string bytes; uint32_t entries; };
    const std::string good = RawEntry("a", "xyz");
    const Case cases[] = {
        {"raw data past the end", "DRAN" + U32(0) + U32(0) + good + U32(4) + "name" + std::string(1, '\0') + U32(1000) + "abc", 1},
        {"zlib data past the end", "DRAN" + U32(0) + U32(0) + good + U32(1) + "z" + std::string(1, '\1') + U32(10) + U32(5000) + "ab", 1},
        {"absurd decoded size", "DRAN" + U32(0) + U32(0) + good + U32(1) + "z" + std::string(1, '\1') + U32(0xFFFFFFF0u) + U32(2) + "ab", 1},
        {"cut inside a name", "DRAN" + U32(0) + U32(0) + good + U32(20) + "short", 1},
        {"alignment beyond the file", "DRAN" + U32(0x40000000u) + U32(0), 0},
    };
    for (const Case& c : cases)
    {
        WriteHost("bad.vxa", c.bytes);
        m_log.text.clear();
        nArchive archive;
        EXPECT_TRUE(archive.Open("arc@/bad.vxa") || c.entries == 0) << c.what;
        EXPECT_EQ(archive.GetEntries().GetCount(), c.entries) << c.what;
        EXPECT_TRUE(m_log.HasError()) << c.what;
        if (c.entries == 1)
        {
            EXPECT_EQ(Load(archive, "a"), "xyz") << c.what;
        }
    }
}

TEST_F(ArchiveTest, OlderFormAndAlignedFieldsAreRead)
{
    WriteHost("c.vxa", "CRAN" + RawEntry("first", "12") + RawEntry("second", "345") + U32(0xFFFFFFFFu));
    nArchive older;
    ASSERT_TRUE(older.Open("arc@/c.vxa"));
    EXPECT_FALSE(older.IsCurrentForm());
    ASSERT_NE(older.FindEntry("first"), nullptr);
    EXPECT_EQ(older.FindEntry("first")->offset, 4u + 4u + 5u + 1u + 4u);
    EXPECT_EQ(Load(older, "second"), "345");

    // Alignment 8: E at 8, then each field at the next multiple of 8, gaps zero-filled.
    const std::string pad3(3, '\0');
    const std::string pad4(4, '\0');
    const std::string pad7(7, '\0');
    const std::string aligned = "DRAN" + U32(8) + U32(0) + pad4 + U32(5) + pad4 + "hello" + pad3 + std::string(1, '\0') + pad7 +
                                U32(5) + pad4 + "12345" + pad3 + U32(0xFFFFFFFFu);
    WriteHost("a.vxa", aligned);
    nArchive archive;
    ASSERT_TRUE(archive.Open("arc@/a.vxa"));
    EXPECT_EQ(archive.GetAlignment(), 8u);
    ASSERT_NE(archive.FindEntry("hello"), nullptr);
    EXPECT_EQ(archive.FindEntry("hello")->offset, 48u);
    EXPECT_EQ(Load(archive, "hello"), "12345");
}

TEST_F(ArchiveTest, AnArchiveCreatedAfterReadingAnAlignedOneHasNoAlignmentOrPadding)
{
    // A and E of the archive read before once shaped the new file; a damaged E of 2^30 asked
    // Close for a gigabyte of padding.
    for (const uint32_t endPadding : {16u, 0x40000000u})
    {
        WriteHost("p.vxa", "DRAN" + U32(8) + U32(endPadding) + U32(0xFFFFFFFFu));
        nArchive archive;
        ASSERT_TRUE(archive.Open("arc@/p.vxa"));
        EXPECT_EQ(archive.GetAlignment(), 8u);
        EXPECT_EQ(archive.GetEndPadding(), endPadding);

        ASSERT_TRUE(archive.Create("arc@/n.vxa"));
        ASSERT_TRUE(archive.AddEntry("hello", "12345", 5, -1));
        ASSERT_TRUE(archive.Close());
        EXPECT_EQ(ReadHost("n.vxa"), "DRAN" + U32(0) + U32(0) + RawEntry("hello", "12345") + U32(0xFFFFFFFFu));
    }
}

TEST_F(ArchiveTest, WriterRefusals)
{
    nArchive archive;
    EXPECT_FALSE(archive.AddEntry("early", "x", 1, -1));
    EXPECT_EQ(m_log.text, "[!] Cannot write 'early' (r/w mode error).\n");

    ASSERT_TRUE(archive.Create("arc@/w.vxa"));
    m_log.text.clear();
    EXPECT_FALSE(archive.AddEntry("empty", "", 0, -1));
    EXPECT_EQ(m_log.text, "[!] Cannot write 'empty' (r/w mode error).\n");
    ASSERT_TRUE(archive.AddEntry("twice", "x", 1, -1));
    m_log.text.clear();
    EXPECT_FALSE(archive.AddEntry("twice", "y", 1, -1));
    EXPECT_EQ(m_log.text, "[!] An entry with alias 'twice' already exists.\n");
    EXPECT_FALSE(archive.AddEntry(std::string(512, 'n').c_str(), "y", 1, -1));
    m_log.text.clear();
    EXPECT_FALSE(archive.LoadEntry("twice", nullptr, 0));
    EXPECT_EQ(m_log.text, "[!] Cannot load 'twice' (r/w mode error).\n");
    ASSERT_TRUE(archive.Close());

    ASSERT_TRUE(archive.Open("arc@/w.vxa"));
    EXPECT_EQ(archive.GetEntries().GetCount(), 1u);
    m_log.text.clear();
    EXPECT_FALSE(archive.LoadEntry("missing", nullptr, 0));
    EXPECT_EQ(m_log.text, "[!] Could not find 'missing'.\n");

    WriteHost("j.vxa", "JUNKJUNK");
    m_log.text.clear();
    EXPECT_FALSE(archive.Open("arc@/j.vxa"));
    EXPECT_EQ(m_log.text, "[!] Invalid archive type 'arc@/j.vxa'.\n");
    m_log.text.clear();
    EXPECT_FALSE(archive.Open(nullptr));
    EXPECT_EQ(m_log.text, "[!] No archive to open.\n");
    m_log.text.clear();
    nSharedPtr<nIOArchive> missing(new nIOArchive("arc@/none.vxa"));
    EXPECT_FALSE(missing->IsOpen());
    EXPECT_EQ(m_log.text, "[!] Failed to open archive 'arc@/none.vxa'.\n");
}

TEST_F(ArchiveTest, AnIndexDescribesTheEntries)
{
    const std::string big = Compressible(5000);
    {
        nArchive archive;
        ASSERT_TRUE(archive.Create("arc@/i.vxa"));
        ASSERT_TRUE(archive.AddEntry("raw", "raw data", 8, -1));
        ASSERT_TRUE(archive.AddEntry("zip", big.data(), static_cast<uint32_t>(big.size()), 6));
        ASSERT_TRUE(archive.SaveIndex("arc@/i.idx"));
    }
    nArchive archive;
    ASSERT_TRUE(archive.Open("arc@/i.vxa", "arc@/i.idx"));
    EXPECT_EQ(archive.GetEntries().GetCount(), 2u);
    EXPECT_EQ(Load(archive, "raw"), "raw data");
    EXPECT_EQ(Load(archive, "zip"), big);
    EXPECT_NE(m_log.text.find("[|] Done, found 2 entries.\n"), std::string::npos);

    WriteHost("bad.idx", "<NML=1.0>\n<Index=\n"
                         "<Entry=<ID=\"ok\"><CompLen=0><Len=8><Offset=24><Method=\"Raw\">>\n"
                         "<Entry=<ID=\"far\"><CompLen=0><Len=8><Offset=100000><Method=\"Raw\">>\n"
                         "<Entry=<ID=\"odd\"><CompLen=0><Len=8><Offset=20><Method=\"Lzma\">>\n"
                         "<Entry=<ID=\"half\"><Len=8>>\n"
                         "<Other>\n"
                         ">\n");
    m_log.text.clear();
    ASSERT_TRUE(archive.Open("arc@/i.vxa", "arc@/bad.idx"));
    EXPECT_EQ(archive.GetEntries().GetCount(), 1u) << m_log.text;
    EXPECT_EQ(Load(archive, "ok"), "raw data");
    EXPECT_NE(m_log.text.find("[!] Incomplete index entry.\n"), std::string::npos);
    EXPECT_NE(m_log.text.find("[*] Unexpected tag <Other> in <Index>.\n"), std::string::npos);
    EXPECT_NE(m_log.text.find("'far'"), std::string::npos);
    EXPECT_NE(m_log.text.find("'Lzma'"), std::string::npos);
}

}
