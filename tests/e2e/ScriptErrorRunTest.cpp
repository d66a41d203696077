#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <string>

// Where a script error happened, as the log of a run tells the game maker: runtime errors with
// the call stack that led to them, in the scene's own script and in the files it includes.
namespace
{

const std::vector<std::string> SceneRun = {
    "s.nms", "-r", "none", "-m", "none", "-CC", KESTRUN_DATA_DIR "/core"};
const char* const SceneFile = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"Main\">><Items>>";

KestrunRun RunScene(const std::string& script, KestrunFiles files = {})
{
    files.emplace_back("s.nms", SceneFile);
    files.emplace_back("s.nut", script);
    return RunKestrunWithFiles(files, SceneRun);
}

// The lines of the log from the first that holds the text on, as one text.
std::string From(const std::string& output, const std::string& text)
{
    const size_t at = output.find(text);
    return at == std::string::npos ? std::string() : output.substr(output.rfind('\n', at) + 1);
}

} // namespace

TEST(ScriptErrorRun, ARuntimeErrorIsFollowedByTheCallStackThatNamesFunctionFileAndLine)
{
    const KestrunRun run = RunScene("function Inner(a) {\n"
                                    "    return a.missing;\n"
                                    "}\n"
                                    "function Outer() {\n"
                                    "    local value = Inner({});\n"
                                    "    return value;\n"
                                    "}\n"
                                    "class Main { function OnSetup(s) {\n"
                                    "    Outer();\n"
                                    "} }\n");
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_EQ(From(run.output, "[!] Script runtime error"),
              "[!] Script runtime error: the index 'missing' does not exist\n"
              "[|] \n"
              "[|] Call stack (Runtime error: the index 'missing' does not exist):\n"
              "[|]   1: Inner() s.nut(2)\n"
              "[|]   2: Outer() s.nut(5)\n"
              "[|]   3: OnSetup() s.nut(9)\n"
              "[|] \n" +
                  From(run.output, "[H] Reset scene"))
        << run.output;
}

// A runtime error in an included file is reported once with its place and stops the machine,
// also when the Include sits inside try: the rest of the file is skipped, the catch does not run,
// and no later event reaches the script (its first update would end the run with exit code 0).
TEST(ScriptErrorRun, ARuntimeErrorInAnIncludedFileStopsTheMachineWithOrWithoutTry)
{
    for (const char* include :
         {"Include(\"bad.nut\");", "try { Include(\"bad.nut\"); } catch (e) { print(\"caught \" + e); }"})
    {
        SCOPED_TRACE(include);
        const KestrunRun run = RunScene(
            std::string("class Main {\nfunction OnSetup(s) {\n    ") + include +
                "\n}\nfunction OnUpdate(s) { print(\"update\"); SceneEnd(s); }\n}\n",
            {{"bad.nut", "print(\"in bad\");\nlocal n = null;\nn.field <- 1;\nprint(\"rest of bad\");\n"}});
        EXPECT_EQ(run.exitCode, 3) << run.output;
        EXPECT_TRUE(HasLine(run.output, "[S] in bad")) << run.output;
        EXPECT_FALSE(HasLine(run.output, "[S] rest of bad")) << run.output;
        EXPECT_EQ(run.output.find("[S] caught"), std::string::npos) << run.output;
        EXPECT_FALSE(HasLine(run.output, "[S] update")) << run.output;
        EXPECT_EQ(CountOccurrences(run.output, "[!] Script runtime error: indexing null with string\n"), 1u)
            << run.output;
        EXPECT_NE(run.output.find(
                      "[|]   1: main() bad.nut(3)\n[|]   2: Include() C/C++\n[|]   3: OnSetup() s.nut(3)\n"),
                  std::string::npos)
            << run.output;
    }
}

TEST(ScriptErrorRun, ACompileErrorInAnIncludedFileNamesThatFileAndLine)
{
    const KestrunRun run =
        RunScene("class Main { function OnSetup(s) {\n    Include(\"bad.nut\");\n    SceneEnd(s);\n} }\n",
                 {{"bad.nut", "local a = 1;\nlocal b = ;\n"}});
    EXPECT_NE(run.output.find("[!] Script compile error in 'bad.nut' line 2: "), std::string::npos)
        << run.output;
}

TEST(ScriptErrorRun, AFileThatIncludesItselfWithoutEndStopsWithOneLineNamingItAndTheDepth)
{
    const KestrunRun run = RunScene("class Main { function OnSetup(s) {\n    Include(\"loop.nut\");\n} }\n",
                                    {{"loop.nut", "Include(\"loop.nut\");\n"}});
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_EQ(CountOccurrences(run.output, "[!] "), 1u) << run.output;
    EXPECT_TRUE(HasLine(run.output,
                        "[!] Script runtime error: Include of 'loop.nut' stopped: files included 32 deep."))
        << run.output;
    // The call stack shows the innermost frames and counts the rest.
    EXPECT_EQ(CountOccurrences(run.output, "[|]   "), 41u) << run.output;
    EXPECT_TRUE(HasLine(run.output, "[|]   ... 25 more")) << run.output;
}
