#include "viewer/QuenvarViewerDesktop.h"

#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace
{

// Parses "Kestrun" followed by the arguments; the argument texts must outlive the call.
bool Parse(QuenvarViewerBase& viewer, std::initializer_list<const char*> arguments)
{
    std::vector<char*> argv{const_cast<char*>("Kestrun")};
    for (const char* argument : arguments)
        argv.push_back(const_cast<char*>(argument));
    argv.push_back(nullptr);
    return viewer.ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
}

std::string Text(const nString& text)
{
    return text.GetText() ? text.GetText() : "";
}

const nVariant& DefineAt(const QuenvarViewerBase& viewer, uint32_t index)
{
    return *viewer.GetDefines().GetNodeAt(index)->value;
}

} // namespace

TEST(QuenvarViewerCommandLine, DesktopDefaultsBeforeAnyOption)
{
    CapturedLog log;
    QuenvarViewerDesktop viewer;
    ASSERT_TRUE(Parse(viewer, {"s.nms"}));
    EXPECT_EQ(Text(viewer.GetInputPath()), "s.nms");
    EXPECT_EQ(Text(viewer.GetRendererId()), "egl2");
    EXPECT_EQ(Text(viewer.GetMixerId()), "al");
    EXPECT_EQ(Text(viewer.GetDataSourcePath()), "./");
    EXPECT_EQ(viewer.GetDataSourceKind(), DataSourceHostDirectory);
    EXPECT_EQ(viewer.GetViewMode(), ViewModeScene);
    EXPECT_EQ(Text(viewer.GetMixerOutputFile()), "mix_out.pcm");
    EXPECT_EQ(viewer.GetDisplayWidth(), 1280);
    EXPECT_EQ(viewer.GetDisplayHeight(), 720);
    EXPECT_FALSE(viewer.IsFullScreen());
    EXPECT_EQ(viewer.GetRaytraceWidth(), -1);
    EXPECT_EQ(viewer.GetRaytraceHeight(), -1);
    EXPECT_EQ(viewer.GetRaytraceAntialiasGrid(), 4);
    EXPECT_EQ(viewer.GetTimeLive(), 0);
    EXPECT_TRUE(viewer.GetEngine().GetSetupOnLoad());
    EXPECT_TRUE(viewer.GetConfigurationPath().IsEmpty());
    EXPECT_EQ(log.text, "");
}

TEST(QuenvarViewerCommandLine, EveryOptionSetsItsField)
{
    CapturedLog log;
    QuenvarViewerDesktop viewer;
    ASSERT_TRUE(Parse(viewer, {"game.ngp",
                               "-P",
                               "-time_live",
                               "5",
                               "-ignore_bootstrap",
                               "-ignore_esc",
                               "-ignore_missing",
                               "-tool_mode",
                               "-fallback_disk_fs",
                               "-safe_mode",
                               "-enable_profiler",
                               "-C",
                               "my.cfg",
                               "-A",
                               "data.vxa",
                               "-r",
                               "none",
                               "-m",
                               "file",
                               "-S",
                               "first",
                               "-S",
                               "second",
                               "-CC",
                               "core",
                               "-MC",
                               "src",
                               "@mine/",
                               "-R",
                               "out",
                               "-Rw",
                               "320",
                               "-Rh",
                               "200",
                               "-Raa",
                               "2",
                               "-I",
                               "a.nut",
                               "-I",
                               "b.nut",
                               "-Ds",
                               "name",
                               "String Value",
                               "-Di",
                               "count",
                               "-7",
                               "-Df",
                               "scale",
                               "5.5",
                               "-Mf",
                               "out.pcm"}));
    EXPECT_EQ(log.text, "");
    EXPECT_EQ(Text(viewer.GetInputPath()), "game.ngp");
    EXPECT_EQ(viewer.GetViewMode(), ViewModeProject);
    EXPECT_EQ(viewer.GetTimeLive(), 5);
    EXPECT_TRUE(viewer.IsIgnoringBootstrap());
    EXPECT_TRUE(viewer.IsIgnoringEscape());
    EXPECT_TRUE(viewer.IsIgnoringMissingResources());
    EXPECT_TRUE(viewer.IsToolMode());
    EXPECT_TRUE(viewer.IsFallingBackToDisk());
    EXPECT_TRUE(viewer.IsSafeMode());
    EXPECT_TRUE(viewer.IsProfilerEnabled());
    EXPECT_EQ(Text(viewer.GetConfigurationPath()), "my.cfg");
    EXPECT_EQ(Text(viewer.GetDataSourcePath()), "data.vxa");
    EXPECT_EQ(viewer.GetDataSourceKind(), DataSourceArchive);
    EXPECT_EQ(Text(viewer.GetRendererId()), "none");
    EXPECT_EQ(Text(viewer.GetMixerId()), "file");
    ASSERT_EQ(viewer.GetSearchPaths().GetCount(), 2u);
    EXPECT_EQ(Text(viewer.GetSearchPaths().GetNodeAt(0)->value), "first");
    EXPECT_EQ(Text(viewer.GetSearchPaths().GetNodeAt(1)->value), "second");
    EXPECT_EQ(Text(viewer.GetRaytraceOutputDirectory()), "out");
    EXPECT_FALSE(viewer.GetEngine().GetSetupOnLoad());
    EXPECT_EQ(viewer.GetRaytraceWidth(), 320);
    EXPECT_EQ(viewer.GetRaytraceHeight(), 200);
    EXPECT_EQ(viewer.GetRaytraceAntialiasGrid(), 2);
    ASSERT_EQ(viewer.GetIncludes().GetCount(), 2u);
    EXPECT_EQ(Text(viewer.GetIncludes().GetNodeAt(0)->value), "a.nut");
    EXPECT_EQ(Text(viewer.GetIncludes().GetNodeAt(1)->value), "b.nut");
    EXPECT_EQ(Text(viewer.GetMixerOutputFile()), "out.pcm");

    ASSERT_EQ(viewer.GetDefines().GetCount(), 3u);
    nString text;
    EXPECT_EQ(Text(DefineAt(viewer, 0).GetName()), "name");
    ASSERT_TRUE(DefineAt(viewer, 0).GetString(text));
    EXPECT_EQ(Text(text), "String Value");
    int32_t integer = 0;
    EXPECT_EQ(Text(DefineAt(viewer, 1).GetName()), "count");
    EXPECT_EQ(DefineAt(viewer, 1).GetType(), TagTypeInteger);
    ASSERT_TRUE(DefineAt(viewer, 1).GetInt(integer));
    EXPECT_EQ(integer, -7);
    float real = 0.0f;
    EXPECT_EQ(Text(DefineAt(viewer, 2).GetName()), "scale");
    EXPECT_EQ(DefineAt(viewer, 2).GetType(), TagTypeReal);
    ASSERT_TRUE(DefineAt(viewer, 2).GetFloat(real));
    EXPECT_FLOAT_EQ(real, 5.5f);
}

TEST(QuenvarViewerCommandLine, LaterPathsAndIdsReplaceEarlierOnes)
{
    CapturedLog log;
    QuenvarViewerDesktop viewer;
    ASSERT_TRUE(Parse(viewer, {"s.nms", "-A",  "x",  "-f",  "y",  "-r",  "one", "-r",  "two", "-m",
                               "a",     "-m",  "b",  "-C",  "c1", "-C",  "c2",  "-R",  "r1",  "-R",
                               "r2",    "-Mf", "m1", "-Mf", "m2", "-Rw", "1",   "-Rw", "2"}));
    EXPECT_EQ(Text(viewer.GetDataSourcePath()), "y");
    EXPECT_EQ(viewer.GetDataSourceKind(), DataSourceArchive); // "-f" leaves the kind as it is
    EXPECT_EQ(Text(viewer.GetRendererId()), "two");
    EXPECT_EQ(Text(viewer.GetMixerId()), "b");
    EXPECT_EQ(Text(viewer.GetConfigurationPath()), "c2");
    EXPECT_EQ(Text(viewer.GetRaytraceOutputDirectory()), "r2");
    EXPECT_EQ(Text(viewer.GetMixerOutputFile()), "m2");
    EXPECT_EQ(viewer.GetRaytraceWidth(), 2);
}

TEST(QuenvarViewerCommandLine, OptionArgumentsAreTakenVerbatimEvenWhenTheyLookLikeOptions)
{
    CapturedLog log;
    QuenvarViewerDesktop viewer;
    ASSERT_TRUE(Parse(viewer, {"-P", "-C", "-P", "-Ds", "-x", "", "-f", ""}));
    EXPECT_EQ(Text(viewer.GetInputPath()), "-P");
    EXPECT_EQ(viewer.GetViewMode(), ViewModeScene);
    EXPECT_EQ(Text(viewer.GetConfigurationPath()), "-P");
    EXPECT_TRUE(viewer.GetDataSourcePath().IsEmpty());
    ASSERT_EQ(viewer.GetDefines().GetCount(), 1u);
    EXPECT_EQ(Text(DefineAt(viewer, 0).GetName()), "-x");
}

TEST(QuenvarViewerCommandLine, RefusalKeepsEarlierOptionsAndStopsAtTheFirstBadArgument)
{
    CapturedLog log;
    QuenvarViewerDesktop viewer;
    EXPECT_FALSE(Parse(viewer, {"s.nms", "-P", "-Ds", "a", "b", "-d", "5", "-r", "late"}));
    EXPECT_EQ(log.text, "[!] Unknown command line parameter '-d'\n");
    EXPECT_EQ(viewer.GetViewMode(), ViewModeProject);
    EXPECT_EQ(viewer.GetDefines().GetCount(), 1u);
    EXPECT_EQ(Text(viewer.GetRendererId()), "egl2");
}

TEST(QuenvarViewerCommandLine, OptionsMatchCaseAndWholeArgument)
{
    for (const char* argument : {"-p", "-Pr", "-Log_level", "-mf", "P", "-"})
    {
        CapturedLog log;
        QuenvarViewerDesktop viewer;
        EXPECT_FALSE(Parse(viewer, {"s.nms", argument})) << argument;
        EXPECT_EQ(log.text, std::string("[!] Unknown command line parameter '") + argument + "'\n");
    }
}

TEST(QuenvarViewerCommandLine, BaseViewerRefusesTheDesktopOption)
{
    CapturedLog log;
    struct BareViewer : QuenvarViewerBase
    {
        bool OpenRenderer() override { return true; }
        bool OpenMixer() override { return true; }
        bool ProcessMessages() override { return true; }
        bool CreateRenderer() override { return true; }
        bool CreateMixer() override { return true; }
    } viewer;
    EXPECT_FALSE(Parse(viewer, {"s.nms", "-Mf", "out.pcm"}));
    EXPECT_EQ(log.text, "[!] Unknown command line parameter '-Mf'\n");
}

TEST(QuenvarViewerCommandLine, MissingMixerOutputFileLogsOneLine)
{
    CapturedLog log;
    QuenvarViewerDesktop viewer;
    EXPECT_FALSE(Parse(viewer, {"s.nms", "-Mf"}));
    EXPECT_EQ(log.text, "[!] -Mf: Missing mixer output file.\n");
}

TEST(QuenvarViewerCommandLine, NumbersThatAreNotNumbersReadAsZero)
{
    CapturedLog log;
    QuenvarViewerDesktop viewer;
    ASSERT_TRUE(Parse(viewer, {"s.nms", "-time_live", "soon", "-Rw", "", "-Rh", "12px", "-Raa", "-", "-Di",
                               "i", "five", "-Df", "f", "x1.5"}));
    EXPECT_EQ(viewer.GetTimeLive(), 0);
    EXPECT_EQ(viewer.GetRaytraceWidth(), 0);
    EXPECT_EQ(viewer.GetRaytraceHeight(), 12);
    EXPECT_EQ(viewer.GetRaytraceAntialiasGrid(), 0);
    int32_t integer = -1;
    ASSERT_TRUE(DefineAt(viewer, 0).GetInt(integer));
    EXPECT_EQ(integer, 0);
    float real = -1.0f;
    ASSERT_TRUE(DefineAt(viewer, 1).GetFloat(real));
    EXPECT_EQ(real, 0.0f);
}

TEST(QuenvarViewerCommandLine, LogLevelOptionSetsTheMaskOfTheInstalledLog)
{
    struct Case
    {
        std::initializer_list<const char*> arguments;
        uint8_t mask;
    };
    const Case cases[] = {
        {{"s.nms", "-log_level", "!S*"}, 28},
        {{"s.nms", "-log_level", "a"}, 255},
        {{"s.nms", "-log_level", "a", "-log_level", "n"}, 0},
        {{"s.nms", "-log_level", "n", "-log_level", "sH"}, 3},
        {{"s.nms", "-log_level", ""}, 0},
    };
    for (const Case& testCase : cases)
    {
        CapturedLog log;
        QuenvarViewerDesktop viewer;
        ASSERT_TRUE(Parse(viewer, testCase.arguments));
        EXPECT_EQ(log.GetMask(), testCase.mask);
    }
}
