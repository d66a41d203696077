#include "NmlFileFixture.h"
#include "NmlLogCapture.h"

#include "core/io/nArchive.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nRegistry.h"
#include "core/picture/nPicture.h"
#include "core/picture/nPictureIOJpeglibCodec.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

const std::string Previous = "the previous file";

nIOSystem& System()
{
    return nPlatform::Get().GetIOSystem();
}

// Each save writes well over 1 KB to "target".
struct SaveKind
{
    const char* name;
    std::function<bool()> save;
};

std::vector<SaveKind> SaveKinds()
{
    const std::string text(4000, 'x');
    return {
        {"nml", [text] {
             nMetaFile file;
             file.AddRootString("Text", text.c_str());
             return file.Save("target");
         }},
        {"registry", [text] {
             nRegistry registry;
             nMetaTagValue value;
             value.SetString(text.c_str());
             registry.SetKey("Display:Text", &value);
             return registry.Save("target");
         }},
        {"archive", [text] {
             nArchive archive;
             return archive.Create("target") &&
                    archive.AddEntry("entry", text.data(), static_cast<uint32_t>(text.size()), -1) &&
                    archive.Close();
         }},
        {"tga", [] {
             nPicture picture(40, 40, PixelFormatBGRA8);
             picture.Fill(0.5f, 0.5f, 0.5f, 1.0f);
             return nPicture::SaveTGA(picture, "target");
         }},
        {"jpeg", [] {
             nPicture noise(64, 64, PixelFormatRGB24);
             std::mt19937 random(3);
             for (size_t i = 0; i < noise.GetByteSize(); ++i)
                 noise.GetPixels()[i] = uint8_t(random());
             std::unique_ptr<nIOHandle> handle(System().Open("target", IOModeWrite));
             nPictureIOJpeglibCodec codec;
             return handle && codec.Save(handle.get(), noise) && handle->Commit();
         }},
        {"file", [text] {
             nAutoArray<uint8_t> block(MemCategoryFilesystem);
             block.Resize(static_cast<uint32_t>(text.size()));
             return System().SaveFile("target", block);
         }},
    };
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::vector<std::string> FilesIn(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    return names;
}

// Runs the save in a child process limited to 1 KB files (as "ulimit -f 1" would), with the
// size-limit signal ignored so that the write itself reports the failure. The child's exit
// status: 0 when the save failed with exactly one "[!]" line.
int SaveUnderSizeLimit(const SaveKind& kind)
{
    const pid_t child = fork();
    if (child == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        NmlLogCapture log;
        const bool saved = kind.save();
        _exit(!saved && CountOf(log.text, "[!]") == 1 ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

} // namespace

TEST(SafeSave, AFailedWriteFailsEverySaveAndKeepsThePreviousFile)
{
    for (const SaveKind& kind : SaveKinds())
    {
        SCOPED_TRACE(kind.name);
        NmlFileFixture files;
        files.Write("target", Previous);
        EXPECT_EQ(SaveUnderSizeLimit(kind), 0);
        EXPECT_EQ(files.Read("target"), Previous);
        EXPECT_EQ(FilesIn(files.directory), std::vector<std::string>{"target"});
    }
}

TEST(SafeSave, EverySaveReplacesTheFileAndKeepsItsPermissions)
{
    for (const SaveKind& kind : SaveKinds())
    {
        SCOPED_TRACE(kind.name);
        NmlFileFixture files;
        files.Write("target", Previous);
        fs::permissions(files.directory + "/target", fs::perms(0640));
        NmlLogCapture log;
        EXPECT_TRUE(kind.save());
        EXPECT_EQ(CountOf(log.text, "[!]"), 0u) << log.text;
        EXPECT_GT(files.Read("target").size(), 1024u);
        EXPECT_EQ(fs::status(files.directory + "/target").permissions(), fs::perms(0640));
        EXPECT_EQ(FilesIn(files.directory), std::vector<std::string>{"target"});
    }
}

TEST(SafeSave, AWriteHandleClosedWithoutCommitChangesNothing)
{
    NmlFileFixture files;
    files.Write("target", Previous);
    {
        std::unique_ptr<nIOHandle> handle(System().Open("target", IOModeWrite));
        ASSERT_NE(handle, nullptr);
        EXPECT_TRUE(handle->WriteText("half a save"));
    }
    EXPECT_EQ(files.Read("target"), Previous);
    std::unique_ptr<nIOHandle> created(System().Open("new", IOModeWrite));
    ASSERT_NE(created, nullptr);
    created->Close();
    EXPECT_FALSE(created->Commit());
    EXPECT_EQ(FilesIn(files.directory), std::vector<std::string>{"target"});
}

TEST(SafeSave, SavingOverALinkReplacesTheFileItNames)
{
    NmlFileFixture files;
    files.Write("real", Previous);
    fs::create_symlink(files.directory + "/real", files.directory + "/target");
    nMetaFile file;
    file.AddRootInt("Value", 7);
    ASSERT_TRUE(file.Save("target"));
    EXPECT_TRUE(fs::is_symlink(files.directory + "/target"));
    EXPECT_EQ(files.Read("real"), "<NML=1.0>\n<Value=7>\n");
}

TEST(SafeSave, OnlyTheWriteModeTruncatesAndUnknownModesAreRefused)
{
    NmlFileFixture files;
    files.Write("target", Previous);
    for (int mode : {0, 3, 4, -1})
        EXPECT_EQ(System().Open("target", mode), nullptr) << mode;
    std::unique_ptr<nIOHandle> read(System().Open("target", IOModeRead));
    EXPECT_NE(read, nullptr);
    read.reset();
    EXPECT_EQ(files.Read("target"), Previous);
}
