#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{

const char* const GameProject =
    "<NML=1.0>\n<Environment=<Name=\"Menu\"><ScriptUnit=<Script=\"main.nut\"><Class=\"Main\">>>";
const std::vector<std::string> ProjectRun = {"game.ngp", "-P", "-r", "none", "-m", "none",
                                             "-CC", KESTRUN_DATA_DIR "/core"};

// Two windows (the second a child of the first through "Links"), a sprite and an item kind the
// reader does not know, which it passes over without a word.
const char* const Menu = R"(<NML=1.0>
<Scene2d=
	<ScriptUnit=<Script="menu.nut"><Class="Menu">>
	<Sprites=
		<Window=<Sprite2d=<Item2d=<Name="main"><Uid=0><Position=<X=100.0><Y=100.0>><Size=<X=300.0><Y=200.0>>>
			<Style=<Movable>>>>
		<Window=<Sprite2d=<Item2d=<Name="ok"><Uid=1><Position=<X=10.0><Y=150.0>><Size=<X=80.0><Y=30.0>>>>>
		<Sprite2d=<Item2d=<Name="logo"><Uid=2><Size=<X=64.0><Y=64.0>><ZOrder=0.25>><Opacity=0.5>>
		<Banner=<Name="ignored">>
	>
	<Links=<Link=<Item=1><Link=0>>>
>
)";
const char* const MenuScript = R"(
class Menu
{
    function OnSetup(ui) { print("2d setup"); }
    function OnReset(ui) { print("2d reset"); }
    function OnUpdate(ui, dt) { print("2d update"); }
}
)";

std::string MainScript(const std::string& setup, int lastFrame)
{
    return "class Main\n{\n    frames = 0;\n    function OnSetup(p) { " + setup +
           " }\n    function OnUpdate(p) { frames++; print(\"frame \" + frames); if (frames == " +
           std::to_string(lastFrame) + ") ProjectEnd(p); }\n}\n";
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

KestrunRun RunIn(const std::vector<std::pair<std::string, std::string>>& files)
{
    TemporaryDirectory directory;
    for (const auto& [name, content] : files)
        directory.WriteFile(name, content);
    return RunKestrun(directory.Path(), ProjectRun);
}

} // namespace

TEST(Scene2DRun, AProjectShowsA2DSceneFileOnALayer)
{
    const KestrunRun run =
        RunIn({{"game.ngp", GameProject},
               {"menu.n2d", Menu},
               {"menu.nut", MenuScript},
               {"main.nut", MainScript("local menu = ProjectInstantiateScene(p, \"menu.n2d\");"
                                       "print(\"type \" + ProjectSceneGetType(menu));"
                                       "ProjectAddLayer(p, menu, 1.0);"
                                       "print(\"new \" + ObjectIsValid(ProjectNewScene2D(p)));"
                                 "print(\"unit \" + (ProjectSceneGetScriptInstance(menu).getclass()"
                                 " == ProjectSceneGetScriptInstanceFromClass(menu, \"Any\").getclass()));"
                                 "ProjectSetAll2DLayerOffset(p, 10, 20);",
                                       3)}});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const char* line :
         {"[S] 2d setup\n", "[S] 2d reset\n", "[S] type 2\n", "[S] new true\n", "[S] unit true\n",
                             "[S] frame 3\n"})
        EXPECT_EQ(Count(run.output, line), 1u) << line << run.output;
    EXPECT_EQ(Count(run.output, "[S] 2d update\n"), 3u) << run.output;
    EXPECT_LT(run.output.find("[S] frame 1\n"), run.output.find("[S] 2d update\n"));
    EXPECT_EQ(run.output.find("Unknown tag"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;
}

TEST(Scene2DRun, A3DLayerAndA2DLayerRunTogether)
{
    const KestrunRun run = RunIn(
        {{"game.ngp", GameProject},
         {"menu.n2d", Menu},
         {"menu.nut", MenuScript},
         {"world.nms", "<NML=1.0>\n<Scene=<Items>>"},
         {"main.nut", MainScript("ProjectAddLayer(p, ProjectInstantiateScene(p, \"world.nms\"), 2.0);"
                                 "ProjectAddLayer(p, ProjectInstantiateScene(p, \"menu.n2d\"), 1.0);"
                                 "::held <- ProjectSceneGetInstance(ProjectFindScene(p, \"menu.n2d\"));",
                                 5)}});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Count(run.output, "[S] 2d update\n"), 5u) << run.output;
    EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;
}
