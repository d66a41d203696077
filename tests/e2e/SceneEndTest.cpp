#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

// When a scene's script asks for the end of the run, the run ends after that frame, whenever the
// request was made; and a real-time run into a sound file says nothing per frame about it.

namespace
{

const char* const SceneFile = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">><Items>>";

std::string Script(const std::string& members)
{
    return "class S { frames = 0;\n  function OnUpdate(s) { frames++; print(\"frame \" + frames); }\n  " +
           members + "\n}\n";
}

struct EndCase
{
    const char* description;
    std::string script;
    std::vector<std::string> mixer;
    int frames; // the frame that the run ends after
};

const EndCase Cases[] = {
    {"an end asked for in OnSetup", Script("function OnSetup(s) { SceneEnd(s); }"), {"-m", "none"}, 1},
    {"an end asked for in OnSetup, into a sound file",
     Script("function OnSetup(s) { SceneEnd(s); }"),
     {"-m", "file", "-Mf", "out.wav"},
     1},
    {"an end asked for in OnReset", Script("function OnReset(s) { SceneEnd(s); }"), {"-m", "none"}, 1},
    {"an end asked for in OnSetupDone",
     Script("function OnSetupDone(s) { SceneEnd(s); }"),
     {"-m", "none"},
     1},
    {"a real-time run into a sound file",
     Script("function OnSetup(s) {}\n  function OnRenderDone(s) { if (frames == 20) SceneEnd(s); }"),
     {"-m", "file", "-Mf", "out.wav"},
     20},
};

class SceneEndCase : public ::testing::TestWithParam<size_t>
{
};

TEST_P(SceneEndCase, TheRunEndsAfterTheFrameOfTheRequest)
{
    const EndCase& testCase = Cases[GetParam()];
    SCOPED_TRACE(testCase.description);
    std::vector<std::string> arguments = {"s.nms", "-r", "none", "-CC", KESTRUN_DATA_DIR "/core"};
    arguments.insert(arguments.end(), testCase.mixer.begin(), testCase.mixer.end());
    const KestrunRun run = RunKestrunWithFiles({{"s.nms", SceneFile}, {"s.nut", testCase.script}}, arguments);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::string last = "[S] frame " + std::to_string(testCase.frames) + "\n";
    EXPECT_EQ(CountOccurrences(run.output, last), 1u) << run.output;
    EXPECT_EQ(CountOccurrences(run.output, "[S] frame " + std::to_string(testCase.frames + 1) + "\n"), 0u)
        << run.output;
    // Only a fixed clock step is a step worth telling.
    EXPECT_EQ(CountOccurrences(run.output, "Fixed mixer step"), 0u) << run.output;
    EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(SceneEnd, SceneEndCase, ::testing::Range<size_t>(0, std::size(Cases)));

} // namespace
