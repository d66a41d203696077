#include "viewer/ViewerWorkingDirectory.h"

using QuenvarViewerConfiguration = ViewerWorkingDirectory;

namespace
{

struct WindowSettings
{
    bool fullScreen;
    int32_t width;
    int32_t height;
    float aspectRatio;
};

constexpr WindowSettings desktopDefaults{false, 1280, 720, 1.0f};

void ExpectWindow(const QuenvarViewerBase& viewer, const WindowSettings& expected)
{
    EXPECT_EQ(viewer.IsFullScreen(), expected.fullScreen);
    EXPECT_EQ(viewer.GetDisplayWidth(), expected.width);
    EXPECT_EQ(viewer.GetDisplayHeight(), expected.height);
    EXPECT_FLOAT_EQ(viewer.GetAspectRatio(), expected.aspectRatio);
}

} // namespace

TEST_F(QuenvarViewerConfiguration, WindowKeysAreUsedOnlyWithTheirOwnKindOfValue)
{
    struct Case
    {
        const char* description;
        const char* tags;
        WindowSettings expected;
    };
    const Case cases[] = {
        {"every key", "<Fullscreen=True><Width=1024><Height=768><AspectRatio=1.6>", {true, 1024, 768, 1.6f}},
        {"every key of another kind", "<Fullscreen=1><Width=1024.0><Height=\"768\"><AspectRatio=2>",
         desktopDefaults},
        {"some keys", "<Height=600><Technique=\"Deferred\">", {false, 1280, 600, 1.0f}},
        {"keys below the top level", "<Window=<Width=640>>", desktopDefaults},
    };
    for (const Case& testCase : cases)
    {
        SCOPED_TRACE(testCase.description);
        Write("engine.cfg", std::string("<NML=1.0>\n") + testCase.tags);
        QuenvarViewerDesktop& viewer = NewViewer();
        ASSERT_TRUE(Parse(viewer, {"s.nms", "-C", "engine.cfg"}));
        viewer.MountConfiguration(nString(""));
        EXPECT_TRUE(viewer.LoadConfiguration());
        EXPECT_EQ(m_log.text, "");
        ExpectWindow(viewer, testCase.expected);
        EXPECT_EQ(Text(viewer.GetConfiguration().GetFileName()), "view@cfile/engine.cfg");
    }
}

TEST_F(QuenvarViewerConfiguration, WithoutAPathTheProgramDirectoryHoldsTheConfiguration)
{
    const std::string configuration = "<NML=1.0>\n<Width=640>";
    Write("program/native/engine.cfg", configuration);
    Write("native/engine.cfg", "<NML=1.0>\n<Width=320>");
    const std::string programDirectory = (m_directory / "program").string() + "/";
    struct Case
    {
        const char* description;
        std::string programDirectory;
        int32_t width;
    };
    const Case cases[] = {
        {"the program's directory", programDirectory, 640},
        {"no directory stands for the working directory", "", 320},
    };
    for (const Case& testCase : cases)
    {
        SCOPED_TRACE(testCase.description);
        QuenvarViewerDesktop& viewer = NewViewer();
        ASSERT_TRUE(Parse(viewer, {"s.nms"}));
        viewer.MountConfiguration(nString(testCase.programDirectory.c_str()));
        EXPECT_EQ(Text(viewer.GetConfigurationPath()), "@config/native/engine.cfg");
        EXPECT_TRUE(viewer.LoadConfiguration());
        EXPECT_EQ(viewer.GetDisplayWidth(), testCase.width);
        EXPECT_EQ(m_log.text, "");
    }
}

TEST_F(QuenvarViewerConfiguration, UnreadableConfigurationKeepsTheDefaults)
{
    Write("broken.cfg", "<NML=1.0>\n<Width=640><Height=");
    std::filesystem::create_directories(m_directory / "folder.cfg");
    struct Case
    {
        const char* description;
        std::initializer_list<const char*> arguments;
        bool logsError;
    };
    const Case cases[] = {
        {"a missing file", {"s.nms", "-C", "missing.cfg"}, false},
        {"a missing default file", {"s.nms"}, false},
        {"a directory", {"s.nms", "-C", "folder.cfg"}, false},
        {"a file that is no NML", {"s.nms", "-C", "broken.cfg"}, true},
    };
    for (const Case& testCase : cases)
    {
        SCOPED_TRACE(testCase.description);
        QuenvarViewerDesktop& viewer = NewViewer();
        ASSERT_TRUE(Parse(viewer, testCase.arguments));
        viewer.MountConfiguration(nString(m_directory.c_str()));
        EXPECT_FALSE(viewer.LoadConfiguration());
        ExpectWindow(viewer, desktopDefaults);
        EXPECT_EQ(m_log.text.find("[!] ") != std::string::npos, testCase.logsError) << m_log.text;
    }
}

TEST_F(QuenvarViewerConfiguration, MountOptionsMountHostDirectoriesAtOnce)
{
    Write("core/file.txt", "core");
    Write("mine/sub/file.txt", "mine");
    struct Case
    {
        const char* description;
        std::initializer_list<const char*> arguments;
        const char* path;
        const char* content;
        const char* log;
    };
    const Case cases[] = {
        {"core", {"s.nms", "-CC", "core"}, "@core/file.txt", "core", ""},
        {"a named mount", {"s.nms", "-MC", "mine", "mnt/"}, "mnt/sub/file.txt", "mine", ""},
        {"paths in the style of Windows", {"s.nms", "-MC", "mine", "@m/"}, "@m/SUB\\File.txt", "mine", ""},
        {"an unnamed mount is a root", {"s.nms", "-MC", "mine", ""}, "sub/file.txt", "mine", ""},
        {"a taken name keeps the first directory",
         {"s.nms", "-CC", "core", "-CC", "mine"},
         "@core/file.txt",
         "core",
         "[!] Failed to mount 'mine' as '@core/'.\n"},
    };
    for (const Case& testCase : cases)
    {
        SCOPED_TRACE(testCase.description);
        QuenvarViewerDesktop& viewer = NewViewer();
        EXPECT_TRUE(Parse(viewer, testCase.arguments));
        EXPECT_EQ(ReadVirtual(testCase.path), testCase.content);
        EXPECT_EQ(m_log.text, testCase.log);
    }
}
