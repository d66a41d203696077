#include "e2e/KestrunProcess.h"

#include "core/base/nSharedPtr.h"
#include "core/io/nArchive.h"
#include "core/io/nIOCFile.h"
#include "platform/nPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{

// The inputs these runs name do not exist: a run that got past its command line ends with its
// failure.
constexpr int CommandLineAccepted = 2;
constexpr int CommandLineRefused = 1;

using Files = std::vector<std::pair<std::string, std::string>>;

// Writes an archive holding the entries into the directory.
void WriteArchive(const TemporaryDirectory& directory, const std::string& name, const Files& entries)
{
    directory.WriteFile(name, "");
    nIOSystem& files = nPlatform::Get().GetIOSystem();
    const nSharedPtr<nIOCFile> root(new nIOCFile(nString(directory.Path().c_str())));
    ASSERT_TRUE(files.Mount(root.Get(), "test@writer/"));
    nArchive archive;
    EXPECT_TRUE(archive.Create(("test@writer/" + name).c_str()));
    for (const auto& [name, content] : entries)
        EXPECT_TRUE(archive.AddEntry(nString(name.c_str()), content.data(),
                                     static_cast<uint32_t>(content.size()), 6));
    EXPECT_TRUE(archive.Close());
    files.Unmount(root.Get());
}

struct StartupCase
{
    const char* description;
    Files files;
    Files archiveEntries; // "native/000.vxa" when not empty
    std::vector<std::string> arguments;
    int exitCode;
    const char* mentioned;    // a text the output holds; null: none
    const char* notMentioned; // a text the output lacks; null: none
};

const char* const ProjectBootstrap = "<NML=1.0>\n<ViewMode=\"Project\">\n<Input=\"x.ngp\">\n";
const char* const BrokenConfiguration = "<NML=1.0>\n<Width=";
const std::vector<std::string> SceneRun = {"s.nms", "-r", "none", "-m", "none"};

std::vector<std::string> SceneRunWith(std::vector<std::string> options)
{
    options.insert(options.begin(), SceneRun.begin(), SceneRun.end());
    return options;
}

} // namespace

TEST(StartupFiles, BootstrapAndConfigurationFilesAreFoundWhereTheUserPutThem)
{
    const StartupCase cases[] = {
        {"bootstrap file of the working directory",
         {{"bootstrap.txt", ProjectBootstrap}},
         {},
         {},
         CommandLineAccepted,
         nullptr,
         "Usage:"},
        {"bootstrap archive",
         {},
         {{"bootstrap.txt", ProjectBootstrap}},
         {},
         CommandLineAccepted,
         nullptr,
         "Usage:"},
        {"bootstrap archive without a bootstrap file",
         {},
         {{"other.txt", ProjectBootstrap}},
         {},
         CommandLineRefused,
         "Usage: Kestrun",
         nullptr},
        {"missing configuration",
         {},
         {},
         SceneRunWith({"-C", "missing.cfg"}),
         CommandLineAccepted,
         nullptr,
         "missing.cfg"},
        {"configuration of the working directory",
         {{"bad.cfg", BrokenConfiguration}},
         {},
         SceneRunWith({"-C", "bad.cfg"}),
         CommandLineAccepted,
         "In file 'bad.cfg'",
         nullptr},
        {"configuration through a mounted directory",
         {{"sub/bad.cfg", BrokenConfiguration}},
         {},
         SceneRunWith({"-MC", "sub", "mnt/", "-C", "mnt/bad.cfg"}),
         CommandLineAccepted,
         "'mnt/bad.cfg'",
         nullptr},
        {"a sound configuration",
         {{"good.cfg", "<NML=1.0>\n<Fullscreen=False><Width=640><Height=480>"}},
         {},
         SceneRunWith({"-C", "good.cfg"}),
         CommandLineAccepted,
         nullptr,
         "good.cfg"},
        {"a configured aspect ratio reaches the renderer",
         {{"wide.cfg", "<NML=1.0>\n<AspectRatio=1.25>"},
          {"s.nms", "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">>>\n"},
          {"s.nut",
           "class S { function OnSetup(s) { print(\"ratio \" + RendererGetGlobalAspectRatio(g_render));"
           " SceneEnd(s); } }\n"}},
         {},
         SceneRunWith({"-C", "wide.cfg"}),
         0,
         "[S] ratio 1.25\n",
         nullptr},
        {"an aspect ratio that is no size is refused",
         {{"flat.cfg", "<NML=1.0>\n<AspectRatio=0.0>"},
          {"s.nms", "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">>>\n"},
          {"s.nut", "class S { function OnSetup(s) { SceneEnd(s); } }\n"}},
         {},
         SceneRunWith({"-C", "flat.cfg"}),
         0,
         "[*] AspectRatio 0.000 is not a size, 1 is kept.\n",
         nullptr},
    };
    for (const StartupCase& testCase : cases)
    {
        SCOPED_TRACE(testCase.description);
        TemporaryDirectory directory;
        for (const auto& [name, content] : testCase.files)
            directory.WriteFile(name, content);
        if (!testCase.archiveEntries.empty())
            WriteArchive(directory, "native/000.vxa", testCase.archiveEntries);

        const KestrunRun run = RunKestrun(directory.Path(), testCase.arguments);
        EXPECT_EQ(run.exitCode, testCase.exitCode) << run.output;
        if (testCase.mentioned)
        {
            EXPECT_NE(run.output.find(testCase.mentioned), std::string::npos) << run.output;
        }
        if (testCase.notMentioned)
        {
            EXPECT_EQ(run.output.find(testCase.notMentioned), std::string::npos) << run.output;
        }
    }
}

TEST(StartupFiles, AnArchiveNamedWithoutMountPrefixIsTheDataSource)
{
    TemporaryDirectory directory;
    WriteArchive(directory, "data.vxa",
                 {{"game.ngp", "<NML=1.0>\n<Environment=<ScriptUnit=<Script=\"main.nut\"><Class=\"Main\">>>"},
                  {"main.nut", "class Main { function OnSetup(p) { print(\"packed\"); ProjectEnd(p); } }"}});
    const KestrunRun run =
        RunKestrun(directory.Path(), {"game.ngp", "-P", "-A", "data.vxa", "-r", "none", "-m", "none"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("[S] packed\n"), std::string::npos) << run.output;
}

TEST(StartupFiles, AnArchiveThatCannotBeOpenedIsNamed)
{
    TemporaryDirectory directory;
    directory.WriteFile("broken.vxa", "not an archive");
    for (const char* archive : {"missing.vxa", "broken.vxa"})
    {
        SCOPED_TRACE(archive);
        const KestrunRun run =
            RunKestrun(directory.Path(), {"game.ngp", "-P", "-A", archive, "-r", "none", "-m", "none"});
        EXPECT_EQ(run.exitCode, 2) << run.output;
        EXPECT_NE(run.output.find(std::string("[!] Could not open the archive '") + archive + "'.\n"),
                  std::string::npos)
            << run.output;
    }
}
