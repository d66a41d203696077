#include "core/io/nIOCFile.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "platform/nHostFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace
{

namespace fs = std::filesystem;

class FileSystemLog : public nLog
{
public:
    FileSystemLog() { nLogHolder::Set(this); }
    ~FileSystemLog() override { nLogHolder::Set(nullptr); }
    void Output(const char* line, uint8_t) override { text += line; }
    std::string text;
};

class FileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kestrun-fs-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string Dir(const std::string& name)
    {
        fs::create_directories(m_root / name);
        return (m_root / name).string();
    }
    void Put(const std::string& dir, const std::string& relative, const std::string& content)
    {
        fs::create_directories((fs::path(dir) / relative).parent_path());
        std::ofstream(fs::path(dir) / relative, std::ios::binary) << content;
    }
    static std::string ReadAll(nIOHandle* opened)
    {
        std::unique_ptr<nIOHandle> handle(opened);
        if (!handle)
            return "<none>";
        std::string text(static_cast<size_t>(handle->GetSize()), '\0');
        handle->Read(text.data(), text.size());
        return text;
    }
    nSharedPtr<nIOBase> Directory(const std::string& dir) { return nSharedPtr<nIOBase>(new nIOCFile(dir.c_str())); }

    fs::path m_root;
    FileSystemLog m_log;
    nIOSystem m_system;
};

TEST_F(FileSystemTest, MountingOneBackEndTwiceIsRefused)
{
    auto base = Directory(Dir("a"));
    ASSERT_TRUE(m_system.Mount(base.Get(), "@core/"));
    EXPECT_FALSE(m_system.Mount(base.Get(), "@other/"));
    EXPECT_FALSE(m_system.Mount(base.Get()));
    EXPECT_EQ(m_log.text, "[!] Filesystem is already mounted.\n[!] Filesystem is already mounted.\n");

    auto root = Directory(Dir("b"));
    ASSERT_TRUE(m_system.Mount(root.Get()));
    EXPECT_FALSE(m_system.Mount(root.Get(), "@b/"));
}

TEST_F(FileSystemTest, SecondMountUnderATakenPrefixFailsSilentlyAndTheFirstStays)
{
    auto first = Directory(Dir("first"));
    auto second = Directory(Dir("second"));
    Put(Dir("first"), "f.txt", "one");
    ASSERT_TRUE(m_system.Mount(first.Get(), "@core/"));
    m_log.text.clear();
    EXPECT_FALSE(m_system.Mount(second.Get(), "@core/"));
    EXPECT_EQ(m_log.text, "");
    EXPECT_EQ(m_system.FindMount("@core/"), first.Get());
    EXPECT_EQ(ReadAll(m_system.Open("@core/f.txt", IOModeRead)), "one");
}

TEST_F(FileSystemTest, APrefixAnswersAloneEvenWhenARootHoldsThePath)
{
    const std::string core = Dir("core");
    const std::string rootDir = Dir("root");
    Put(rootDir, "@core/only-in-root.txt", "root");
    Put(core, "x.txt", "core");
    auto coreBase = Directory(core);
    auto rootBase = Directory(rootDir);
    ASSERT_TRUE(m_system.Mount(rootBase.Get()));
    ASSERT_TRUE(m_system.Mount(coreBase.Get(), "@core/"));

    EXPECT_EQ(m_system.Open("@core/only-in-root.txt", IOModeRead), nullptr);
    EXPECT_FALSE(m_system.Exists("@core/only-in-root.txt"));
    EXPECT_EQ(ReadAll(m_system.Open("@core/x.txt", IOModeRead)), "core");
}

TEST_F(FileSystemTest, APrefixMatchesOnlyAsAWholePrefix)
{
    const std::string core = Dir("core");
    const std::string rootDir = Dir("root");
    Put(rootDir, "@co", "short");
    Put(rootDir, "@cor", "shorter");
    Put(core, "co", "wrong");
    auto coreBase = Directory(core);
    auto rootBase = Directory(rootDir);
    ASSERT_TRUE(m_system.Mount(rootBase.Get()));
    ASSERT_TRUE(m_system.Mount(coreBase.Get(), "@core/"));

    EXPECT_EQ(ReadAll(m_system.Open("@co", IOModeRead)), "short");
    EXPECT_EQ(ReadAll(m_system.Open("@cor", IOModeRead)), "shorter");
}

TEST_F(FileSystemTest, RootsAndOverlappingPrefixesShadowNewestFirst)
{
    const std::string r1 = Dir("r1");
    const std::string r2 = Dir("r2");
    Put(r1, "f.txt", "r1");
    Put(r2, "f.txt", "r2");
    Put(r1, "only1.txt", "1");
    auto first = Directory(r1);
    auto second = Directory(r2);
    ASSERT_TRUE(m_system.Mount(first.Get()));
    ASSERT_TRUE(m_system.Mount(second.Get()));
    EXPECT_EQ(ReadAll(m_system.Open("f.txt", IOModeRead)), "r2");
    EXPECT_EQ(ReadAll(m_system.Open("only1.txt", IOModeRead)), "1");

    // "@a/" mounted after "@a/b/" shadows it: "@a/b/x" goes to "@a/" as "b/x".
    const std::string deep = Dir("deep");
    const std::string shallow = Dir("shallow");
    Put(deep, "x", "deep");
    Put(shallow, "b/x", "shallow");
    auto deepBase = Directory(deep);
    auto shallowBase = Directory(shallow);
    ASSERT_TRUE(m_system.Mount(deepBase.Get(), "@a/b/"));
    ASSERT_TRUE(m_system.Mount(shallowBase.Get(), "@a/"));
    EXPECT_EQ(ReadAll(m_system.Open("@a/b/x", IOModeRead)), "shallow");
    m_system.Unmount(shallowBase.Get());
    EXPECT_EQ(ReadAll(m_system.Open("@a/b/x", IOModeRead)), "deep");
}

TEST_F(FileSystemTest, WindowsPathsFindFilesWhateverTheirCase)
{
    const std::string data = Dir("content");
    Put(data, "data/tex.tga", "pixels");
    Put(data, "Models/Sub/Mesh.nmg", "mesh");
    auto base = Directory(data);
    ASSERT_TRUE(m_system.Mount(base.Get(), "@core/"));

    EXPECT_EQ(ReadAll(m_system.Open("@core/Data\\Tex.TGA", IOModeRead)), "pixels");
    EXPECT_EQ(ReadAll(m_system.Open("@core/models\\SUB/mesh.NMG", IOModeRead)), "mesh");
    EXPECT_EQ(m_system.Open("@core/data/missing.tga", IOModeRead), nullptr);

    // Writing reuses existing directories and files instead of making twins that differ in case.
    std::unique_ptr<nIOHandle> written(m_system.Open("@core/DATA\\TEX.tga", IOModeWrite));
    ASSERT_NE(written, nullptr);
    EXPECT_TRUE(written->WriteText("new"));
    EXPECT_TRUE(written->Commit());
    std::unique_ptr<nIOHandle> created(m_system.Open("@core/Data\\New.bin", IOModeWrite));
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(created->Commit());
    EXPECT_EQ(ReadAll(m_system.Open("@core/data/tex.tga", IOModeRead)), "new");
    EXPECT_TRUE(fs::exists(fs::path(data) / "data" / "New.bin"));
    EXPECT_FALSE(fs::exists(fs::path(data) / "DATA"));

    nString native;
    m_system.GetNativePath(native, "@core/Data\\Tex.TGA");
    EXPECT_STREQ(native.GetText(), (data + "/data/tex.tga").c_str());
}

// The folder taken away under an open save makes the save fail; the line names the file as the
// caller gave it, not the mounted directory's host path. A system prefix ("@" in it) is dropped.
TEST_F(FileSystemTest, AFailedSaveNamesThePathAsGiven)
{
    const std::string data = Dir("content");
    Dir("content/out");
    auto base = Directory(data);
    ASSERT_TRUE(m_system.Mount(base.Get(), "view@cfile/"));
    std::unique_ptr<nIOHandle> handle(m_system.Open("view@cfile/out/save.nml", IOModeWrite));
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(handle->WriteText("text"));
    fs::remove_all(fs::path(data) / "out");
    EXPECT_FALSE(handle->Commit());
    EXPECT_EQ(m_log.text.rfind("[!] Failed to save 'out/save.nml': ", 0), 0u) << m_log.text;
}

TEST_F(FileSystemTest, DirectoriesDoNotOpenAsFiles)
{
    const std::string data = Dir("content");
    Dir("content/sub");
    auto base = Directory(data);
    ASSERT_TRUE(m_system.Mount(base.Get()));
    EXPECT_FALSE(m_system.Exists("sub"));
    EXPECT_EQ(m_system.GetFileSize("sub"), 0u);
}

TEST_F(FileSystemTest, SizesExistenceAndWholeFileTransfers)
{
    const std::string data = Dir("content");
    Put(data, "empty.txt", "");
    Put(data, "five.txt", "12345");
    auto base = Directory(data);
    ASSERT_TRUE(m_system.Mount(base.Get(), "@d/"));

    EXPECT_EQ(m_system.GetFileSize("@d/missing"), 0u);
    EXPECT_EQ(m_system.GetFileSize("@d/five.txt"), 5u);

    nAutoArray<uint8_t> block(MemCategoryFilesystem);
    EXPECT_TRUE(m_system.LoadFile("@d/empty.txt", block));
    EXPECT_EQ(block.GetCount(), 0u);

    EXPECT_FALSE(m_system.LoadFile("@d/missing", block));
    EXPECT_EQ(m_log.text, "[!] Failed to open '@d/missing'.\n");
    m_log.text.clear();
    EXPECT_FALSE(m_system.SaveFile("@nowhere/x", block));
    EXPECT_EQ(m_log.text, "[!] Failed to open '@nowhere/x'.\n");

    EXPECT_TRUE(m_system.CopyFile("@d/five.txt", "@d/copy.txt"));
    EXPECT_EQ(ReadAll(m_system.Open("@d/copy.txt", IOModeRead)), "12345");
    EXPECT_TRUE(m_system.MoveFile("@d/copy.txt", "@d/moved.txt"));
    EXPECT_FALSE(m_system.Exists("@d/copy.txt"));
    EXPECT_EQ(ReadAll(m_system.Open("@d/moved.txt", IOModeRead)), "12345");

    EXPECT_TRUE(m_system.Delete("@d/moved.txt"));
    EXPECT_FALSE(fs::exists(fs::path(data) / "moved.txt"));
    EXPECT_FALSE(m_system.Delete("@d/moved.txt"));
}

// Moving a file onto another name of itself copied it onto itself and then deleted it.
TEST_F(FileSystemTest, MovingAFileOntoItselfKeepsIt)
{
    const std::string data = Dir("content");
    Put(data, "keep.txt", "data");
    Dir("content/sub");
    auto base = Directory(data);
    ASSERT_TRUE(m_system.Mount(base.Get(), "@d/"));
    for (const char* alias : {"@d/keep.txt", "@d/KEEP.TXT", "@d/./keep.txt", "@d/sub/../keep.txt"})
    {
        EXPECT_TRUE(m_system.MoveFile("@d/keep.txt", alias)) << alias;
        EXPECT_EQ(ReadAll(m_system.Open("@d/keep.txt", IOModeRead)), "data") << alias;
    }
}

TEST_F(FileSystemTest, HandlesSeekTellAndSize)
{
    const std::string data = Dir("content");
    Put(data, "ten.bin", "0123456789");
    auto base = Directory(data);
    ASSERT_TRUE(m_system.Mount(base.Get()));
    std::unique_ptr<nIOHandle> handle(m_system.Open("ten.bin", IOModeRead));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->GetSize(), 10);
    EXPECT_EQ(handle->Seek(-3, IOSeekEnd), 0);
    EXPECT_EQ(handle->Tell(), 7);
    char bytes[8] = {};
    EXPECT_EQ(handle->Read(bytes, sizeof(bytes)), 3u);
    EXPECT_STREQ(bytes, "789");
    handle->Rewind();
    EXPECT_EQ(handle->Tell(), 0);
}

TEST_F(FileSystemTest, RelativePathsOfHostPaths)
{
    const std::string data = Dir("content");
    auto base = Directory(data);
    ASSERT_TRUE(m_system.Mount(base.Get()));

    nString relative;
    m_system.MakeRelativePath(relative, (data + "/models/a.nmg").c_str());
    EXPECT_STREQ(relative.GetText(), "models/a.nmg");

    std::string backslashed = data + "\\models\\\\a.nmg";
    m_system.MakeRelativePath(relative, backslashed.c_str());
    EXPECT_STREQ(relative.GetText(), "models/a.nmg");

    m_system.MakeRelativePath(relative, "C:\\Other\\\\b.nmg");
    EXPECT_STREQ(relative.GetText(), "c:/Other/b.nmg");

    // A sibling whose name merely begins with the root's is not inside it.
    const std::string sibling = data + "x/models/a.nmg";
    m_system.MakeRelativePath(relative, sibling.c_str());
    EXPECT_STREQ(relative.GetText(), sibling.c_str());
}

TEST_F(FileSystemTest, PathsNeverLeaveTheMountedDirectory)
{
    const std::string data = Dir("content");
    Put(m_root.string(), "secret.txt", "outside");
    Put(data, "models/a.txt", "inside");
    auto base = Directory(data);
    ASSERT_TRUE(m_system.Mount(base.Get(), "@data/"));

    EXPECT_EQ(ReadAll(m_system.Open("@data/models/../models/./a.txt", IOModeRead)), "inside");
    EXPECT_EQ(m_log.text, "");
    for (const char* path : {"@data/../secret.txt", "@data/models/../../secret.txt", "@data/..\\secret.txt"})
    {
        m_log.text.clear();
        EXPECT_EQ(ReadAll(m_system.Open(path, IOModeRead)), "<none>") << path;
        EXPECT_EQ(m_log.text, "[!] '" + std::string(path + 6) + "' leads out of the mounted directory '" + data +
                                  "'; refused.\n");
    }
    EXPECT_EQ(m_system.Open("@data/../new.txt", IOModeWrite), nullptr);
    EXPECT_FALSE(fs::exists(m_root / "new.txt"));
    EXPECT_FALSE(base->Delete("../secret.txt"));
    EXPECT_TRUE(fs::exists(m_root / "secret.txt"));
}

TEST_F(FileSystemTest, TheTableHoldsOneReferencePerMountUntilUnmounted)
{
    auto base = Directory(Dir("a"));
    auto other = Directory(Dir("b"));
    ASSERT_TRUE(m_system.Mount(base.Get(), "@a/"));
    ASSERT_TRUE(m_system.Mount(other.Get()));
    EXPECT_EQ(base->GetRefCount(), 2u);
    EXPECT_STREQ(m_system.FindPrefix(base.Get()), "@a/");
    EXPECT_EQ(m_system.FindPrefix(other.Get()), nullptr);

    EXPECT_TRUE(m_system.UnmountPrefix("@a/"));
    EXPECT_EQ(base->GetRefCount(), 1u);
    EXPECT_EQ(m_system.FindMount("@a/"), nullptr);
    m_system.UnmountAll();
    EXPECT_EQ(other->GetRefCount(), 1u);
    EXPECT_TRUE(m_system.Mount(base.Get(), "@a/"));
}

TEST_F(FileSystemTest, RenameRefusesAnExistingTarget)
{
    const std::string data = Dir("content");
    Put(data, "from.txt", "from");
    Put(data, "taken.txt", "taken");
    EXPECT_FALSE(HostRenameFile((data + "/from.txt").c_str(), (data + "/taken.txt").c_str()));
    std::ifstream taken(fs::path(data) / "taken.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(taken), {}), "taken");
    EXPECT_TRUE(HostRenameFile((data + "/from.txt").c_str(), (data + "/free.txt").c_str()));
    EXPECT_TRUE(fs::exists(fs::path(data) / "free.txt"));
}

}
