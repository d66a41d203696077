#include "viewer/ViewerWorkingDirectory.h"

namespace
{

struct BootstrapKeys
{
    const char* description;
    const char* tags; // after the NML header
    nViewMode viewMode;
    const char* inputPath;
    bool ignoreEscape;
    bool ignoreMissing;
};

const BootstrapKeys keyCases[] = {
    {"a project", "<ViewMode=\"Project\"><Input=\"x.ngp\">", ViewModeProject, "x.ngp", false, false},
    {"no keys", "", ViewModeScene, "scene.nms", false, false},
    {"ViewScene overrides the mode", "<ViewMode=\"Project\"><ViewScene>", ViewModeScene, "scene.nms", false,
     false},
    {"ViewScene counts whatever it holds", "<ViewMode=\"Project\"><ViewScene=False>", ViewModeScene,
     "scene.nms", false, false},
    {"the mode matches exactly", "<ViewMode=\"scene\">", ViewModeProject, "scene.nms", false, false},
    {"flags", "<IgnoreEsc=True><IgnoreMissingResource=True>", ViewModeScene, "scene.nms", true, true},
    {"keys of another kind keep their defaults",
     "<ViewMode=1><Input=2><IgnoreEsc=1><IgnoreMissingResource=\"True\">", ViewModeScene, "scene.nms", false,
     false},
};

void ExpectKeys(const QuenvarViewerBase& viewer, const BootstrapKeys& expected)
{
    EXPECT_EQ(viewer.GetViewMode(), expected.viewMode);
    EXPECT_EQ(Text(viewer.GetInputPath()), expected.inputPath);
    EXPECT_EQ(viewer.IsIgnoringEscape(), expected.ignoreEscape);
    EXPECT_EQ(viewer.IsIgnoringMissingResources(), expected.ignoreMissing);
}

std::string Bootstrap(const char* tags)
{
    return std::string("<NML=1.0>\n") + tags;
}

} // namespace

using QuenvarViewerBootstrap = ViewerWorkingDirectory;

TEST_F(QuenvarViewerBootstrap, BootstrapFileOfTheWorkingDirectoryGivesAHostDirectorySource)
{
    for (const BootstrapKeys& testCase : keyCases)
    {
        SCOPED_TRACE(testCase.description);
        Write("bootstrap.txt", Bootstrap(testCase.tags));
        QuenvarViewerDesktop& viewer = NewViewer();
        ASSERT_TRUE(Parse(viewer, {}));
        EXPECT_EQ(m_log.text, "");
        EXPECT_EQ(viewer.GetDataSourceKind(), DataSourceHostDirectory);
        EXPECT_EQ(Text(viewer.GetDataSourcePath()), "./");
        ExpectKeys(viewer, testCase);
        EXPECT_EQ(nPlatform::Get().GetIOSystem().FindMount("@core/"), nullptr);
    }
}

TEST_F(QuenvarViewerBootstrap, ArchiveBootstrapServesWhenTheWorkingDirectoryHasNone)
{
    for (const BootstrapKeys& testCase : keyCases)
    {
        SCOPED_TRACE(testCase.description);
        WriteArchive("native/000.vxa", {{"bootstrap.txt", Bootstrap(testCase.tags)}, {"data.txt", "data"}});
        QuenvarViewerDesktop& viewer = NewViewer();
        ASSERT_TRUE(Parse(viewer, {}));
        EXPECT_EQ(m_log.text, "");
        EXPECT_EQ(viewer.GetDataSourceKind(), DataSourceArchive);
        EXPECT_EQ(Text(viewer.GetDataSourcePath()), "view@cfile/native/000.vxa");
        ExpectKeys(viewer, testCase);
        EXPECT_EQ(ReadVirtual("@core/data.txt"), "data"); // the archive stays mounted for the run
    }
}

TEST_F(QuenvarViewerBootstrap, BootstrapFileOfTheWorkingDirectoryComesBeforeTheArchive)
{
    Write("bootstrap.txt", Bootstrap("<Input=\"host.nms\">"));
    WriteArchive("native/000.vxa", {{"bootstrap.txt", Bootstrap("<Input=\"archive.nms\">")}});
    QuenvarViewerDesktop& viewer = NewViewer();
    ASSERT_TRUE(Parse(viewer, {}));
    EXPECT_EQ(Text(viewer.GetInputPath()), "host.nms");
    EXPECT_EQ(viewer.GetDataSourceKind(), DataSourceHostDirectory);
    EXPECT_EQ(nPlatform::Get().GetIOSystem().FindMount("@core/"), nullptr);
}

TEST_F(QuenvarViewerBootstrap, WithoutAReadableBootstrapTheUsageTextIsWritten)
{
    struct Case
    {
        const char* description;
        const char* bootstrapText; // null: no file
        const char* archiveEntry;  // null: no archive
        const char* archiveBytes;  // a file in place of the archive; null: none
        bool logsErrors;
    };
    const Case cases[] = {
        {"nothing to read", nullptr, nullptr, nullptr, false},
        {"an archive without a bootstrap file", nullptr, "other.txt", nullptr, true},
        {"a bootstrap file that is no NML", "not nml", nullptr, nullptr, true},
        {"a file that is no archive", nullptr, nullptr, "not an archive", true},
    };
    for (const Case& testCase : cases)
    {
        SCOPED_TRACE(testCase.description);
        std::filesystem::remove_all(m_directory / "native");
        std::filesystem::remove(m_directory / "bootstrap.txt");
        if (testCase.bootstrapText)
            Write("bootstrap.txt", testCase.bootstrapText);
        if (testCase.archiveEntry)
            WriteArchive("native/000.vxa", {{testCase.archiveEntry, Bootstrap("")}});
        if (testCase.archiveBytes)
            Write("native/000.vxa", testCase.archiveBytes);

        QuenvarViewerDesktop& viewer = NewViewer();
        EXPECT_FALSE(Parse(viewer, {}));
        const size_t usage = m_log.text.find("Usage: Kestrun input(.nms|.ngp) <-P> <-f|-A> <-S>\n");
        ASSERT_NE(usage, std::string::npos) << m_log.text;
        EXPECT_EQ(m_log.text.find("[!] ") != std::string::npos, testCase.logsErrors) << m_log.text;
        EXPECT_EQ(m_log.text.find("[!] ", usage), std::string::npos) << m_log.text;
        EXPECT_EQ(nPlatform::Get().GetIOSystem().FindMount("@core/"), nullptr);
        EXPECT_EQ(Text(viewer.GetDataSourcePath()), "./");
    }
}
