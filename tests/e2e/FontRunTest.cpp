#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// A scene whose script ends the run on its first frame.
void WriteScene(const TemporaryDirectory& directory)
{
    directory.WriteFile("s.nms", "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"end.nut\"><Class=\"End\">>>\n");
    directory.WriteFile("end.nut", "class End { function OnUpdate(scene) { SceneEnd(scene); } }\n");
}

// The checkout's core data (data/core) is the one fixture of the source tree these runs use.
TEST(FontRun, TheCoreDataFontsLoadWithoutAnError)
{
    TemporaryDirectory directory;
    WriteScene(directory);
    const KestrunRun run =
        RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none", "-CC", KESTRUN_DATA_DIR "/core"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Font '@core/default.ttf' loaded as 'default.ttf'.\n"), std::string::npos);
    EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;
}

TEST(FontRun, MissingFontsAreReportedAndTheRunGoesOn)
{
    TemporaryDirectory directory;
    WriteScene(directory);
    directory.WriteFile("empty/readme.txt", "");
    const KestrunRun run =
        RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none", "-CC", "empty"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const char* line :
         {"[!] Failed to open default system font.\n",
          "[!] Failed to load raster font description file '@core/fonts/profiler_base.nml'.\n",
          "[!] Failed to load raster font description file '@core/fonts/profiler_bold.nml'.\n"})
        EXPECT_NE(run.output.find(line), std::string::npos) << line;
    EXPECT_LT(run.output.find("[!] Failed to open default system font.\n"),
              run.output.find("[H] Loading scene 's.nms'.\n"));
}

} // namespace
