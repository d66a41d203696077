#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace
{

using Files = std::vector<std::pair<std::string, std::string>>;

const char* const GameProject =
    "<NML=1.0>\n<Environment=<Name=\"Demo\"><ScriptUnit=<Script=\"main.nut\"><Class=\"Main\">>>";
const std::vector<std::string> ProjectRun = {"game.ngp", "-P", "-r", "none", "-m", "none"};
const char* const SceneFile = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">><Items>>";
const char* const SceneScript =
    "class S { n = 0; function OnUpdate(s) { n++; print(\"frame \" + n); if (n == 3) SceneEnd(s); } }";
// The scene's globals name a texture that is not there.
const char* const MissingTextureScene =
    "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">><Items>"
    "<Globals=<Irradiance=\"missing.tga\">>>";
const char* const MissingGeometryScene =
    "<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"Crate\"><UId=0><Active>><Object=<Item><Geometry=\"crate.nml\">>>>>";
const char* const EndlessSceneScript =
    "class S { n = 0; function OnUpdate(s) { n++; print(\"frame \" + n); } }";

// A project script: OnSetup and OnUpdate bodies; OnUpdate counts its calls in "frames".
std::string MainScript(const std::string& setup, const std::string& update)
{
    return "class Main\n{\n    frames = 0;\n    function OnSetup(p) { " + setup +
           " }\n    function OnUpdate(p) { frames++; print(\"frame \" + frames); " + update + " }\n}\n";
}

std::vector<std::string> With(std::vector<std::string> arguments, const std::vector<std::string>& more)
{
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Every run has the core data, whose default font start-up loads.
KestrunRun RunIn(const Files& files, std::vector<std::string> arguments)
{
    TemporaryDirectory directory;
    for (const auto& [name, content] : files)
        directory.WriteFile(name, content);
    arguments.insert(arguments.end(), {"-CC", KESTRUN_DATA_DIR "/core"});
    return RunKestrun(directory.Path(), arguments);
}

struct RunCase
{
    const char* description;
    Files files;
    std::vector<std::string> arguments;
    int exitCode;
    std::vector<std::string> mentioned;
    std::vector<std::string> notMentioned;
};

const RunCase RunCases[] = {
    {"a scene ended by its script",
     {{"s.nms", SceneFile}, {"s.nut", SceneScript}},
     {"s.nms", "-r", "none", "-m", "none"},
     0,
     {"[H] Opening data source from 's.nms' (Scene).\n", "[S] frame 1\n", "[S] frame 2\n", "[S] frame 3\n",
      "Freeing 1 resource cache(s)...\n", "Done.\n"},
     {"[S] frame 4\n", "[!]"}},
    {"the profiler runs without its fonts",
     {{"s.nms", SceneFile}, {"s.nut", SceneScript}},
     {"s.nms", "-r", "none", "-m", "none", "-enable_profiler"},
     0,
     {"[S] frame 3\n", "Done.\n"},
     {"[S] frame 4\n", "[!]"}},
    {"an endless scene ends at its run-time limit",
     {{"s.nms", SceneFile}, {"s.nut", EndlessSceneScript}},
     {"s.nms", "-r", "none", "-m", "none", "-time_live", "1"},
     0,
     {"[S] frame 1\n", "Done.\n"},
     {"[!]"}},
    {"a scene script error ends the run with code 3",
     {{"s.nms", SceneFile}, {"s.nut", "class S { function OnUpdate(s) { throw \"boom\"; } }"}},
     {"s.nms", "-r", "none", "-m", "none"},
     3,
     {"[!] Script runtime error: boom\n", "Done.\n"},
     {}},
    {"a missing resource ends the run after its first frame with code 3",
     {{"s.nms", MissingTextureScene}, {"s.nut", EndlessSceneScript}},
     {"s.nms", "-r", "none", "-m", "none"},
     3,
     {"[S] frame 1\n", "[!] Exiting due to missing resources.\n", "Done.\n"},
     {"[S] frame 2\n"}},
    {"missing resources can be ignored",
     {{"s.nms", MissingTextureScene}, {"s.nut", EndlessSceneScript}},
     {"s.nms", "-r", "none", "-m", "none", "-ignore_missing", "-time_live", "1"},
     0,
     {"[S] frame 2\n", "Done.\n"},
     {"[!]"}},
    {"an object naming a missing geometry ends the run with code 3",
     {{"s.nms", MissingGeometryScene}},
     {"s.nms", "-r", "none", "-m", "none"},
     3,
     {"[!] Failed to open 'crate.nml'.\n", "[!] Exiting due to missing resources.\n", "Done.\n"},
     {}},
    {"a missing geometry can be ignored",
     {{"s.nms", MissingGeometryScene}},
     {"s.nms", "-r", "none", "-m", "none", "-ignore_missing", "-time_live", "1"},
     0,
     {"[!] Failed to open 'crate.nml'.\n", "Done.\n"},
     {"Exiting due to missing resources"}},
    {"a project ended by its script",
     {{"game.ngp", GameProject},
      {"main.nut", MainScript("print(\"setup \" + g_context_project);", "if (frames == 2) ProjectEnd(p);")}},
     ProjectRun,
     0,
     {"[H] Opening data source from 'game.ngp' (Project).\n", "Parsing NML environment...\n",
      "[S] setup true\n", "[S] frame 1\n", "[S] frame 2\n", "Freeing 1 resource cache(s)...\n", "Done.\n"},
     {"[S] frame 3\n", "[!]"}},
    {"a scene the script made and let go leaves g_scene null",
     {{"game.ngp", GameProject},
      {"main.nut",
       MainScript("local s = ProjectNewScene(p); s = null;",
                  "print(\"g_scene \" + (g_scene == null ? \"null\" : \"set\")); ProjectEnd(p);")}},
     ProjectRun,
     0,
     {"[S] g_scene null\n"},
     {"[!]"}},
    {"an unload asked for again while the project hears of it is refused",
     {{"game.ngp", GameProject},
      {"empty.nms", "<NML=1.0>\n<Scene=<Items>>"},
      {"main.nut",
       "class Main {\n"
       "  function OnSetup(p) { ProjectUnloadScene(p, ProjectInstantiateScene(p, \"empty.nms\")); }\n"
       "  function OnUnloadScene(p, i) { print(\"unloading\"); ProjectUnloadScene(p, i); }\n"
       "  function OnUpdate(p) { print(\"scenes \" + ObjectIsValid(ProjectFindScene(p, \"empty.nms\"))); "
       "ProjectEnd(p); }\n"
       "}\n"}},
     ProjectRun,
     0,
     {"[S] unloading\n", "[*] Scene instance 'empty.nms' is already being unloaded.\n", "[S] scenes false\n"},
     {"[!]"}},
    {"a script error ends the run with code 3",
     {{"game.ngp", GameProject}, {"main.nut", MainScript("", "throw \"boom\";")}},
     ProjectRun,
     3,
     {"[!] Script runtime error: boom\n", "[S] frame 1\n", "Done.\n"},
     {"[S] frame 2\n"}},
    {"a compile error is logged and the project class is missing",
     {{"game.ngp", GameProject}, {"main.nut", "class Main {"}},
     ProjectRun,
     2,
     {"[!] Script compile error in 'main.nut'",
      "[!] Could not instantiate the project script 'main.nut' with class 'Main'.\n"},
     {}},
    {"a missing project class fails start-up",
     {{"game.ngp", GameProject}, {"main.nut", "class Other {}"}},
     ProjectRun,
     2,
     {"[*] Script class 'Main' not found in 'main.nut'.\n",
      "[!] Could not instantiate the project script 'main.nut' with class 'Main'.\n"},
     {}},
    {"a scene unit whose file lacks its class runs on and says so once",
     {{"s.nms", SceneFile}, {"s.nut", "class Other {}"}},
     {"s.nms", "-r", "none", "-m", "none", "-time_live", "1"},
     0,
     {"[*] Script class 'S' not found in 's.nut'.\n", "Done.\n"},
     {"[!]"}},
    {"a missing project script fails start-up",
     {{"game.ngp", GameProject}},
     ProjectRun,
     2,
     {"[!] Could not instantiate the project script 'main.nut' with class 'Main'.\n"},
     {}},
    {"a project without a script unit runs",
     {{"game.ngp", "<NML=1.0>\n<Environment=<Name=\"Empty\">>"}},
     With(ProjectRun, {"-time_live", "1"}),
     0,
     {"Parsing NML environment...\n", "Done.\n"},
     {"[!]"}},
    {"a scene file is no project",
     {{"s.nms", "<NML=1.0>\n<Scene=<Items>>"}},
     {"s.nms", "-P", "-r", "none", "-m", "none"},
     2,
     {"[!] Could not parse environment. Root tag id is incorrect (Scene).\n"},
     {}},
    {"a project file is no scene",
     {{"game.ngp", GameProject}, {"main.nut", MainScript("", "")}},
     {"game.ngp", "-r", "none", "-m", "none"},
     2,
     {"[H] Opening data source from 'game.ngp' (Scene).\n", "[!] No <Scene> tag in 'game.ngp'.\n"},
     {}},
    {"defines are set after the included scripts ran",
     {{"game.ngp", GameProject},
      {"inc.nut", "who <- \"include\"; print(\"included \" + who);"},
      {"main.nut", MainScript("print(\"hi \" + who);", "ProjectEnd(p);")}},
     With(ProjectRun, {"-I", "inc.nut", "-Ds", "who", "world"}),
     0,
     {"[S] included include\n", "[S] hi world\n"},
     {"[!]"}},
    {"the initial script globals",
     {{"game.ngp", GameProject},
      {"main.nut",
       MainScript("print(g_dt_frame + \" \" + g_raw_dt_frame + \" \" + g_width + \"x\" + g_height + "
                  "\" \" + typeof g_clock);",
                  "ProjectEnd(p);")}},
     With(ProjectRun, {"-Ds", "unused", "x"}),
     0,
     {"[S] 0.0166667 0.0166667 1280x720 float\n"},
     {}},
    {"the renderer list",
     {},
     {"game.ngp", "-P", "-r", "list", "-m", "none"},
     2,
     {"Available renderer ID:\n\n'none'\t\t\t\t: No video output.\n'egl2'\t\t\t\t: OpenGL ES 2.0 based "
      "hardware "
      "renderer.\n\n"},
     {"[!]"}},
    {"the mixer list",
     {},
     {"game.ngp", "-P", "-r", "none", "-m", "list"},
     2,
     {"Available mixer ID:\n\n'none'\t\t\t\t: No sound output.\n'al'\t\t\t\t: OpenAL based hardware mixer.\n"
      "'soft'\t\t\t\t: Platform independent software mixer.\n'file' <output.wav>\t: Software mixer with "
      "output "
      "to file.\n\n"},
     {"[!]"}},
    {"an unknown renderer fails silently",
     {},
     {"game.ngp", "-P", "-r", "bogus", "-m", "none"},
     2,
     {},
     {"[!]"}},
    {"an unknown mixer fails silently", {}, {"game.ngp", "-P", "-r", "none", "-m", "bogus"}, 2, {}, {"[!]"}},
    {"the GPU renderer without a display",
     {},
     {"game.ngp", "-P", "-m", "none"},
     2,
     {"[!] Could not open the display: "},
     {}},
    {"a mixer output file that cannot be written",
     {},
     {"game.ngp", "-P", "-r", "none", "-m", "file", "-Mf", "missing/dir/out.wav"},
     2,
     {"[!] Could not open the sound output file 'missing/dir/out.wav'.\n"},
     {}},
};

// One case per test, so that each run of the binary is timed and reported on its own.
class ProjectRunCase : public ::testing::TestWithParam<size_t>
{
};

TEST_P(ProjectRunCase, RunsUntilItsEndAndExitsWithItsCode)
{
    const RunCase& testCase = RunCases[GetParam()];
    SCOPED_TRACE(testCase.description);
    const KestrunRun run = RunIn(testCase.files, testCase.arguments);
    EXPECT_EQ(run.exitCode, testCase.exitCode) << run.output;
    for (const std::string& text : testCase.mentioned)
        EXPECT_EQ(Count(run.output, text), 1u) << text << "\n" << run.output;
    for (const std::string& text : testCase.notMentioned)
        EXPECT_EQ(run.output.find(text), std::string::npos) << text << "\n" << run.output;
}

INSTANTIATE_TEST_SUITE_P(ProjectRun, ProjectRunCase, ::testing::Range<size_t>(0, std::size(RunCases)));

TEST(ProjectRun, RunTimeLimitEndsAnEndlessProject)
{
    const auto start = std::chrono::steady_clock::now();
    const KestrunRun run = RunIn({{"game.ngp", GameProject}, {"main.nut", MainScript("", "")}},
                                 With(ProjectRun, {"-time_live", "1"}));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_GE(seconds, 1.0);
    EXPECT_LT(seconds, 30.0); // ends by the limit, not by a hang: start-up and shut-down under the
                              // sanitizers on a loaded machine take a few seconds more
    EXPECT_NE(run.output.find("Done.\n"), std::string::npos);
}

TEST(ProjectRun, StopSignalsEndAnEndlessProjectOrSceneThroughItsShutDown)
{
    struct EndlessRun
    {
        Files files;
        std::vector<std::string> arguments;
    };
    const EndlessRun runs[] = {
        {{{"game.ngp", GameProject}, {"main.nut", MainScript("", "")}}, ProjectRun},
        {{{"s.nms", SceneFile}, {"s.nut", EndlessSceneScript}}, {"s.nms", "-r", "none", "-m", "none"}},
    };
    for (const EndlessRun& endless : runs)
        for (const int signalNumber : {SIGINT, SIGTERM})
        {
            SCOPED_TRACE(endless.arguments[0] + " " + std::to_string(signalNumber));
            TemporaryDirectory directory;
            for (const auto& [name, content] : endless.files)
                directory.WriteFile(name, content);
            KestrunProcess process(directory.Path(), endless.arguments);
            ASSERT_TRUE(process.WaitForText("[S] frame 1\n", 20.0)) << process.Output();
            process.Signal(signalNumber);
            const KestrunRun run = process.Wait();
            EXPECT_EQ(run.exitCode, 0) << run.output;
            EXPECT_NE(run.output.find("Freeing 1 resource cache(s)...\nDone.\n"), std::string::npos)
                << run.output;
        }
}

TEST(ProjectRun, ASecondSignalStopsAHungScript)
{
    TemporaryDirectory directory;
    directory.WriteFile("game.ngp", GameProject);
    directory.WriteFile("main.nut", MainScript("", "print(\"hung\"); while (true) {}"));
    KestrunProcess process(directory.Path(), ProjectRun);
    ASSERT_TRUE(process.WaitForText("[S] hung\n", 20.0)) << process.Output();
    process.Signal(SIGINT);
    // Two signals sent at once would arrive as one.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    process.Signal(SIGINT);
    EXPECT_EQ(process.Wait().exitCode, -SIGINT);
}

} // namespace
