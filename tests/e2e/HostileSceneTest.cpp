#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

// Scene files that content could turn against the loader: templates that instance themselves or
// each other, large UIDs in a template instanced again and again, and a parent chain forty
// thousand links deep. Each runs one frame and ends normally, with its expected lines.

namespace
{

const std::vector<std::string> SceneRun = {
    "s.nms", "-r", "none", "-m", "none", "-CC", KESTRUN_DATA_DIR "/core"};
// The frame's script: the case's check, then the end of the run.
std::string EndingScript(const std::string& check)
{
    return "class S { function OnUpdate(s) { " + check + " print(\"frame\"); SceneEnd(s); } }";
}

// Prints, for each instance, how many children its copy of "Root" has.
std::string RootChildren(const std::vector<std::string>& instances)
{
    std::string check;
    for (const std::string& instance : instances)
        check += "print(\"" + instance + " \" + ItemGetChildList(SceneFindItem(s, \"" + instance +
                 "/Root\")).len());";
    return check;
}

std::string Object(const std::string& name, long long uid)
{
    return "<MObject=<MItem=<Id=\"" + name + "\"><UId=" + std::to_string(uid) + "><Active>><Object=<Item>>>";
}

std::string Instance(const std::string& name, int uid, const std::string& templatePath)
{
    return "<Instance=<MItem=<Id=\"" + name + "\"><UId=" + std::to_string(uid) +
           "><Active>><Item><Template=\"" + templatePath + "\">>";
}

// The scene the run starts with: the ending script, these items and links.
std::string MainScene(const std::string& items, const std::string& links = "")
{
    return "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">><Items=" + items +
           "><Links=" + links + ">>\n";
}

std::string Template(const std::string& items, const std::string& links = "")
{
    return "<NML=1.0>\n<Scene=<Items=" + items + "><Links=" + links + ">>\n";
}

std::string Chain(int count)
{
    std::string items;
    std::string links;
    for (int index = 0; index < count; ++index)
    {
        items += Object("I" + std::to_string(index), index);
        if (index > 0)
            links += "<Link=<Item=" + std::to_string(index) + "><Link=" + std::to_string(index - 1) + ">>";
    }
    return MainScene(items, links);
}

struct HostileCase
{
    const char* description;
    KestrunFiles files;
    std::vector<std::string> once;
    std::vector<std::string> never;
    size_t errorLines; // "[!]" lines expected
    std::string check; // script lines run in the frame, before it ends the run
};

const HostileCase Cases[] = {
    {"a template that instances itself",
     {{"s.nms", MainScene(Instance("start", 0, "loop.nms"))},
      {"loop.nms", Template(Object("Box", 0) + Instance("again", 1, "Loop.nms"))}},
     {"[!] Instance 'again' in 'loop.nms' is refused: its template 'Loop.nms' instances itself.\n",
      "[H] Loading scene 'loop.nms'.\n"},
     {"nested too deep"},
     1},
    {"two templates that instance each other",
     {{"s.nms", MainScene(Instance("start", 0, "a.nms"))},
      {"a.nms", Template(Object("A", 0) + Instance("toB", 1, "b.nms"))},
      {"b.nms", Template(Object("B", 0) + Instance("toA", 1, "a.nms"))}},
     {"[!] Instance 'toA' in 'b.nms' is refused: its template 'a.nms' instances itself.\n",
      "[H] Loading scene 'a.nms'.\n", "[H] Loading scene 'b.nms'.\n"},
     {"nested too deep"},
     1},
    {"the scene instancing itself beside a legal template: the outer instance is refused",
     {{"s.nms", MainScene(Instance("legal", 0, "t.nms") + Instance("self", 1, "S.nms"))},
      {"t.nms", "<NML=1.0>\n<Scene=<ScriptedObject=<ScriptUnit=<Script=\"t.nut\"><Class=\"T\">>>"
                "<Items=" +
                    Object("Box", 0) + ">>\n"},
      {"t.nut", "class T { function OnSetup(owner) { print(\"template script\"); } }"}},
     {"[!] Instance 'self' in 's.nms' is refused: its template 'S.nms' instances itself.\n",
      "[S] template script\n", "[H] Loading scene 't.nms'.\n"},
     {"nested too deep"},
     1},
    {"a template with large UIDs instanced three times: each copy keeps its link",
     {{"s.nms", MainScene(Instance("one", 0, "big.nms") + Instance("two", 1, "big.nms") +
                          Instance("three", 2, "big.nms"))},
      {"big.nms",
       Template(Object("Root", 0) + Object("Leaf", 2000000000), "<Link=<Item=2000000000><Link=0>>")}},
     {"[S] one 1\n", "[S] two 1\n", "[S] three 1\n"},
     {"Corrupt item"},
     0,
     RootChildren({"one", "two", "three"})},
    {"an item with the largest UID, then instanced templates: their items still get UIDs and links",
     {{"s.nms", MainScene(Object("Top", 2147483647) + Instance("one", 0, "pair.nms") +
                          Instance("two", 1, "pair.nms"))},
      {"pair.nms", Template(Object("Root", 0) + Object("Leaf", 1), "<Link=<Item=1><Link=0>>")}},
     {"[S] one 1\n", "[S] two 1\n"},
     {"Corrupt item"},
     0,
     RootChildren({"one", "two"})},
    {"a parent chain forty thousand links deep: the walk up from its last item",
     {{"s.nms", Chain(40000)}},
     {"Done loading scene in ", "[S] depth 39999\n"},
     {},
     0,
     "local depth = 0; local item = ItemGetParent(SceneFindItem(s, \"I39999\"));\n"
     "  while (ObjectIsValid(item)) { depth++; item = ItemGetParent(item); } print(\"depth \" + depth);"},
};

class HostileSceneCase : public ::testing::TestWithParam<size_t>
{
};

// The chain takes a few seconds under the sanitizers: the depth is what it checks.
TEST_P(HostileSceneCase, RunsItsFrameAndEnds)
{
    const HostileCase& testCase = Cases[GetParam()];
    SCOPED_TRACE(testCase.description);
    KestrunFiles files = testCase.files;
    files.emplace_back("s.nut", EndingScript(testCase.check));
    const KestrunRun run = RunKestrunWithFiles(files, SceneRun);
    EXPECT_EQ(run.exitCode, 0) << run.output.substr(0, 4000);
    EXPECT_EQ(CountOccurrences(run.output, "[S] frame\n"), 1u);
    EXPECT_NE(run.output.find("Done.\n"), std::string::npos);
    for (const std::string& text : testCase.once)
        EXPECT_EQ(CountOccurrences(run.output, text), 1u) << text << "\n" << run.output.substr(0, 4000);
    for (const std::string& text : testCase.never)
        EXPECT_EQ(run.output.find(text), std::string::npos) << text << "\n" << run.output.substr(0, 4000);
    EXPECT_EQ(CountOccurrences(run.output, "[!]"), testCase.errorLines) << run.output.substr(0, 4000);
}

INSTANTIATE_TEST_SUITE_P(HostileScene, HostileSceneCase, ::testing::Range<size_t>(0, std::size(Cases)));

} // namespace
