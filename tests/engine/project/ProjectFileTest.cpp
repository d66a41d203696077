#include "engine/Quenvar.h"
#include "engine/project/nProject.h"
#include "support/CapturedLog.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

std::vector<std::string> Texts(const nList<nString>& list)
{
    std::vector<std::string> texts;
    for (auto* node = list.GetHead(); node; node = node->next)
        texts.push_back(node->value.GetText() ? node->value.GetText() : "");
    return texts;
}

std::string Text(const nString& text)
{
    return text.GetText() ? text.GetText() : "";
}

class ProjectFile : public ::testing::Test
{
protected:
    TemporaryFiles files;
    Quenvar engine;
};

TEST_F(ProjectFile, WrittenProjectReadsBackTheSame)
{
    nProject written(&engine);
    written.SetName("Demo");
    written.SetAuthors("Ann and Bo");
    written.SetDescription("A test project");
    written.SetNotice("(c) nobody");
    written.GetScriptUnit().SetScript("main.nut");
    written.GetScriptUnit().SetClassName("Main");
    written.AddInclude("b.nut");
    written.AddInclude("a.nut");
    written.AddSearchPath("z/");
    written.AddSearchPath("y/");
    ASSERT_TRUE(written.Save("game.ngp"));

    CapturedLog log;
    nProject read(&engine);
    ASSERT_TRUE(read.Load("game.ngp"));
    EXPECT_EQ(Text(read.GetName()), "Demo");
    EXPECT_EQ(Text(read.GetAuthors()), "Ann and Bo");
    EXPECT_EQ(Text(read.GetDescription()), "A test project");
    EXPECT_EQ(Text(read.GetNotice()), "(c) nobody");
    EXPECT_EQ(Text(read.GetScriptUnit().GetScript()), "main.nut");
    EXPECT_EQ(Text(read.GetScriptUnit().GetClassName()), "Main");
    EXPECT_EQ(Texts(read.GetIncludes()), (std::vector<std::string>{"b.nut", "a.nut"}));
    EXPECT_EQ(Texts(read.GetSearchPaths()), (std::vector<std::string>{"z/", "y/"}));
    EXPECT_FALSE(read.GetPath().IsEmpty());
    EXPECT_NE(log.text.find("Parsing NML environment...\n"), std::string::npos);
}

TEST_F(ProjectFile, ASecondReadReplacesListsButKeepsTextsTheFileLacks)
{
    files.Write("first.ngp",
                "<NML=1.0>\n<Environment=<Name=\"One\"><Authors=\"Ann\"><Include=<URI=\"x.nut\">>"
                "<SearchPaths=<Path=\"p/\"><Other=\"q/\"><Number=5>>>");
    files.Write("second.ngp", "<NML=1.0>\n<Environment=<Include=<URI=\"y.nut\"><Skipped=\"s.nut\">>>");
    nProject project(&engine);
    ASSERT_TRUE(project.Load("first.ngp"));
    EXPECT_EQ(Texts(project.GetSearchPaths()), (std::vector<std::string>{"p/", "q/"}));
    ASSERT_TRUE(project.Load("second.ngp"));
    EXPECT_EQ(Texts(project.GetIncludes()), (std::vector<std::string>{"y.nut"}));
    EXPECT_TRUE(project.GetSearchPaths().GetCount() == 0);
    EXPECT_EQ(Text(project.GetAuthors()), "Ann");
    EXPECT_TRUE(project.GetName().IsEmpty());
}

TEST_F(ProjectFile, AnotherRootIsRefusedAndChangesNothing)
{
    files.Write("s.nms", "<NML=1.0>\n<Scene=<Name=\"Other\">>");
    nProject project(&engine);
    CapturedLog log;
    EXPECT_FALSE(project.Load("s.nms"));
    EXPECT_EQ(log.text, "[!] Could not parse environment. Root tag id is incorrect (Scene).\n");
    EXPECT_EQ(Text(project.GetName()), "New Project");
    EXPECT_TRUE(project.GetPath().IsEmpty());
}

} // namespace
