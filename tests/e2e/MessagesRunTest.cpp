#include "e2e/KestrunProcess.h"

#include "core/io/nArchive.h"
#include "core/io/nIOCFile.h"
#include "core/io/nIOSystem.h"
#include "platform/nPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// What the log tells a game maker when something goes wrong: the real reason, once, with the
// file named as the game maker gave it.
namespace
{

const std::string CoreData = KESTRUN_DATA_DIR "/core";

std::vector<std::string> ErrorLines(const std::string& output)
{
    std::vector<std::string> lines;
    for (size_t at = output.find("[!] "); at != std::string::npos; at = output.find("[!] ", at + 1))
        lines.push_back(output.substr(at, output.find('\n', at) - at));
    return lines;
}

// A run that hangs fails its test instead of the suite.
KestrunRun RunKestrunIn(const TemporaryDirectory& directory, const std::vector<std::string>& arguments)
{
    KestrunProcess process(directory.Path(), arguments);
    return process.WaitAtMost(60.0);
}

} // namespace

TEST(MessagesRun, AFileThatDoesNotParseIsReportedOnceWithItsReasonNotAsMissing)
{
    struct Case
    {
        const char* scene;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"A\">>>\n",
         {"[!] In file 's.nms': Mangled definition, metatag 'Items'.", "[!] Could not parse file 's.nms'."}},
        {"<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"A\"><UId=5 >>>>>\n",
         {"[!] In file 's.nms': Unexpected trailing expression following value, metatag 'UId'.",
          "[!] Could not parse file 's.nms'."}},
    };
    for (const Case& bad : cases)
    {
        SCOPED_TRACE(bad.scene);
        TemporaryDirectory directory;
        directory.WriteFile("s.nms", bad.scene);
        const KestrunRun run =
            RunKestrunIn(directory, {"s.nms", "-r", "none", "-m", "none", "-CC", CoreData});
        EXPECT_EQ(run.exitCode, 2) << run.output;
        EXPECT_EQ(ErrorLines(run.output), bad.errors) << run.output;
    }
}

TEST(MessagesRun, AFrameThatCannotBeWrittenIsNamedAsTheCommandLineGaveIt)
{
    TemporaryDirectory directory;
    directory.WriteFile("s.nms", "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"Main\">><Items>>");
    directory.WriteFile("s.nut", "class Main { function OnUpdate(s) { SceneEnd(s); } }\n");
    std::filesystem::create_directories(directory.Path() / "rt" / "out_00000.tga");
    const KestrunRun run = RunKestrunIn(directory, {"s.nms", "-r", "none", "-m", "none", "-CC", CoreData,
                                                    "-R", "rt", "-Rw", "8", "-Rh", "8", "-time_live", "0"});
    EXPECT_TRUE(HasLine(run.output, "[!] Cannot write to 'rt/out_00000.tga'.")) << run.output;
}

// A damaged entry of the data archive is reported once however often it is asked for.
TEST(MessagesRun, ADamagedArchiveEntryIsReportedOnce)
{
    TemporaryDirectory directory;
    directory.WriteFile("data.vxa", "");
    {
        nIOSystem& files = nPlatform::Get().GetIOSystem();
        const nSharedPtr<nIOCFile> root(new nIOCFile(nString(directory.Path().c_str())));
        ASSERT_TRUE(files.Mount(root.Get(), "test@writer/"));
        nArchive archive;
        ASSERT_TRUE(archive.Create("test@writer/data.vxa"));
        const std::string scene = "<NML=1.0>\n<Scene=<Items>>\n" + std::string(400, ' ');
        ASSERT_TRUE(archive.AddEntry(nString("s.nms"), scene.data(), uint32_t(scene.size()), 6));
        ASSERT_TRUE(archive.Close());
        files.Unmount(root.Get());
    }
    std::string bytes;
    {
        std::ifstream in(directory.Path() / "data.vxa", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const size_t stream = bytes.find("\x78\x9c");
    ASSERT_NE(stream, std::string::npos);
    for (size_t at = stream + 2; at < stream + 8 && at < bytes.size(); ++at)
        bytes[at] = char(~bytes[at]);
    std::ofstream(directory.Path() / "data.vxa", std::ios::binary) << bytes;

    const KestrunRun run = RunKestrun(
        directory.Path(), {"s.nms", "-A", "data.vxa", "-r", "none", "-m", "none", "-CC", CoreData});
    EXPECT_EQ(CountOccurrences(run.output, "Failed to decompress"), 1u) << run.output;
}

TEST(MessagesRun, HeadingsCarryTheirPrefixAndPassTheHeadingFilter)
{
    TemporaryDirectory directory;
    directory.WriteFile("s.nms", "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"Main\">><Items>>");
    directory.WriteFile("s.nut", "class Main { function OnSetup(s) {\n"
                                 "    ShellExecute(\"true\", \"\");\n"
                                 "    DeviceAny();\n"
                                 "    local v = Matrix3().AsEuler();\n"
                                 "    print(v.x + \" \" + v.y + \" \" + v.z);\n"
                                 "    SceneEnd(s);\n"
                                 "} }\n");
    const KestrunRun run = RunKestrun(
        directory.Path(), {"s.nms", "-r", "none", "-m", "none", "-CC", CoreData, "-log_level", "HS"});
    EXPECT_TRUE(HasLine(run.output, "[H] Execute command 'true'")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "[H] Starting input device enumeration.")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "[S] 0 0 0")) << run.output;
}
