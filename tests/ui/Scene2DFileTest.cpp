#include "ui/Scene2DFixture.h"

#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "geometry/nTexture.h"
#include "platform/nStopSignal.h"
#include "ui/nWindow.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
class Scene2DFile : public Scene2DFixture
{
protected:
    // Parses the text into a new scene; the scene reads "Scene2d" from the first root.
    bool Read(nScene2D& target, const std::string& text)
    {
        nMetaFile file;
        file.SetFileName("menu.n2d");
        if (!file.Parse(text.c_str(), text.size()))
            return false;
        return target.Parse(file);
    }
    std::string Write(nScene2D& source)
    {
        nMetaFile file;
        EXPECT_TRUE(source.Serialize(file));
        EXPECT_TRUE(file.Save("out.n2d"));
        std::ifstream in(files.GetDirectory() / "out.n2d");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

const char* const Menu = R"(<NML=1.0>
<Scene2d=
  <ScriptUnit=<Script="menu.nut"><Class="Menu">>
  <Sprites=
    <Window=<Sprite2d=<Item2d=<Name="main"><Uid=4><Position=<X=100.0><Y=80.0>><Size=<X=300.0><Y=200.0>>
      <Pivot=<X=2.0><Y=3.0>><Scale=<X=2.0><Y=1.0>><ZOrder=0.25><Angle=0.5>>
      <Opacity=0.75><Style=<Movable><NoTitle>><Flag=<Visible><FlipU>>>>
    <Sprite2d=<Item2d=<Name="logo"><Uid=7><Position=<X=1.0><Y=2.0>><Size=<X=64.0><Y=32.0>>>>
    <Banner=<Name="skipped">>
    <Sprite2d=<Item2d=<Name="plain"><Uid=9>>>
  >
  <Links=<Link=<Item=7><Link=4>><Link=<Item=9><Link=7>>>
>
)";
} // namespace

TEST_F(Scene2DFile, AReadWriteReadKeepsEveryItemLinkAndTheScript)
{
    ASSERT_TRUE(Read(*scene, Menu));
    EXPECT_EQ(log.text.find("[*]"), std::string::npos) << log.text;
    EXPECT_EQ(log.text.find("[!]"), std::string::npos) << log.text;
    ASSERT_EQ(scene->GetItemCount(), 3u);
    nItem2D* main = scene->FindItemBySerial(4);
    nItem2D* logo = scene->FindItemBySerial(7);
    ASSERT_NE(main, nullptr);
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(main->GetType(), Item2DWindow);
    EXPECT_EQ(logo->GetParent(), main);
    EXPECT_EQ(scene->FindItemBySerial(9)->GetParent(), logo);
    EXPECT_EQ(scene->GetName(), "ui");
    EXPECT_EQ(scene->GetScriptUnit().GetClassName(), "Menu");

    const std::string first = Write(*scene);
    nScene2D copy(&engine, &vm);
    ASSERT_TRUE(Read(copy, first));
    EXPECT_EQ(copy.GetName(), "menu.n2d");
    EXPECT_EQ(Write(copy), first);
    nSprite2D* window = AsSprite(copy.FindItemBySerial(4));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetStyle(), uint32_t(StyleMovable | StyleNoTitleBar));
    EXPECT_TRUE(window->HasFlag(SpriteFlagFlipU));
    EXPECT_FLOAT_EQ(window->GetOpacity(), 0.75f);
    EXPECT_FLOAT_EQ(window->GetPivotY(), 3.0f);
    EXPECT_FLOAT_EQ(window->GetAngle(), 0.5f);
    EXPECT_EQ(copy.FindItemBySerial(7)->GetParent(), window);

    // New items are numbered after the serials the file used.
    EXPECT_EQ(AddSprite("new", 0, 0, 1, 1)->GetSerial(), 10);
}

TEST_F(Scene2DFile, DefaultsAreNotWrittenAndASpriteWithoutFlagsIsVisible)
{
    ASSERT_TRUE(Read(*scene, "<NML=1.0>\n<Scene2d=<Sprites=<Sprite2d=<Item2d=<Name=\"s\">>>>>"));
    nSprite2D* sprite = AsSprite(scene->GetItems().GetHead()->value);
    EXPECT_TRUE(sprite->IsShown());
    const std::string text = Write(*scene);
    for (const char* absent : {"Pivot", "Scale", "ZOrder", "Angle", "Opacity", "Texture", "<Link="})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent << "\n" << text;
    for (const char* present :
         {"<Name=\"s\">", "<Uid=0>", "<Position=", "<Size=", "<Flag=", "<Visible>", "<Links"})
        EXPECT_NE(text.find(present), std::string::npos) << present << "\n" << text;
}

TEST_F(Scene2DFile, BadRootsTagsAndLinksAreReportedAndSkipped)
{
    EXPECT_FALSE(Read(*scene, "<NML=1.0>\n<Scene2D=<Sprites>>"));
    EXPECT_EQ(log.text, "[!] Could not parse 2d scene. Root tag id is incorrect (Scene2D).\n");

    log.text.clear();
    ASSERT_TRUE(Read(*scene, "<NML=1.0>\n<Scene2d=<Sprites=<Sprite2d=<Item2d=<Foo=1><Uid=\"x\">>"
                             "<Style=<Shiny>>>><Extra>"
                             "<Links=<Link=<Item=0><Link=0>><Link=<Item=0><Link=42>><Link=<Item=0>>>>"));
    EXPECT_EQ(log.text,
              "[*] Unknown tag 'Foo' in <Item2d>.\n"
              "[*] Tag 'Uid' in <Item2d> does not hold an Integer, ignored.\n"
              "[*] Unknown flag 'Shiny' in <Sprite2d:Style>.\n"
              "[*] Unknown tag 'Extra' in <Scene2d>.\n"
              "[*] 2D item '' cannot become a child of '', which is itself or one of its descendants.\n"
              "[*] Link of 2D item 0 to 42 names an item that is not there; ignored.\n"
              "[*] Incomplete <Link> in <Scene2d:Links> ignored.\n");
}

TEST_F(Scene2DFile, ACycleOfLinksIsCutWhereItWouldClose)
{
    ASSERT_TRUE(Read(*scene, "<NML=1.0>\n<Scene2d=<Sprites="
                             "<Sprite2d=<Item2d=<Name=\"a\"><Uid=1>>><Sprite2d=<Item2d=<Name=\"b\"><Uid=2>>>>"
                             "<Links=<Link=<Item=1><Link=2>><Link=<Item=2><Link=1>>>>"));
    EXPECT_EQ(scene->FindItemBySerial(1)->GetParent(), scene->FindItemBySerial(2));
    EXPECT_EQ(scene->FindItemBySerial(2)->GetParent(), nullptr);
    EXPECT_NE(log.text.find("[*] 2D item 'b' cannot become a child of 'a'"), std::string::npos);
    scene->Render(true);
}

// Items chained each to the one before, as deep as the file is long: reading them, placing the
// deepest and refusing a link that would close the chain into a ring take no recursion, and a
// link from the foot of the chain back to its head is still found to close one.
TEST_F(Scene2DFile, AChainAsDeepAsTheFileIsReadAndPlacedWithoutRecursion)
{
    constexpr int Count = 30000;
    std::string text = "<NML=1.0>\n<Scene2d=<Sprites=";
    for (int index = 0; index < Count; ++index)
        text +=
            "<Sprite2d=<Item2d=<Name=\"s\"><Uid=" + std::to_string(index) + "><Position=<X=1.0><Y=0.0>>>>";
    text += "><Links=";
    for (int index = 1; index < Count; ++index)
        text += "<Link=<Item=" + std::to_string(index) + "><Link=" + std::to_string(index - 1) + ">>";
    text += "<Link=<Item=0><Link=" + std::to_string(Count - 1) + ">>>>";
    ASSERT_TRUE(Read(*scene, text));

    nItem2D* deepest = scene->FindItemBySerial(Count - 1);
    EXPECT_EQ(scene->FindItemBySerial(0)->GetParent(), nullptr);
    EXPECT_NE(log.text.find("[*] 2D item 's' cannot become a child of 's'"), std::string::npos);
    EXPECT_FLOAT_EQ(deepest->GetWorldMatrix().m[6], float(Count));
    scene->FindItemBySerial(0)->SetPosition(2.0f, 0.0f); // restales the whole chain
    EXPECT_FLOAT_EQ(deepest->GetWorldMatrix().m[6], float(Count + 1));
}

// A stop asked for (a signal, the end of the allowed run time) ends a load where it is.
TEST_F(Scene2DFile, AStopRequestEndsALoad)
{
    EXPECT_EXIT(
        {
            InstallStopSignalHandlers();
            std::raise(SIGTERM);
            const bool read = Read(*scene, "<NML=1.0>\n<Scene2d=<Sprites=<Sprite2d=<Item2d=<Uid=1>>>>>");
            std::fprintf(stderr, "%s", log.text.c_str());
            std::exit(!read && scene->GetItemCount() == 0 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "\\[\\*\\] Loading of 2D scene '.*' stopped\\.");
}

TEST_F(Scene2DFile, TheCursorIsNotStoredWithTheContent)
{
    WritePicture("cursor.tga", 16, 16, [](uint32_t, uint32_t) { return 0xFFFFFFFFu; });
    scene->SetCursor("cursor.tga");
    ASSERT_NE(scene->GetCursor(), nullptr);
    EXPECT_EQ(scene->GetCursor()->GetWidth(), 16.0f);
    EXPECT_EQ(scene->GetCursor()->GetStyle(), uint32_t(StyleAlwaysOnTop | StyleResolutionInvariant));
    EXPECT_EQ(Write(*scene).find("Cursor"), std::string::npos);
}

// Four windows at the largest cache side, 427 bytes of file asking for 1 GB: the scene's caches
// share 256 MB, so the first window takes it all and each other is named once and draws nothing.
TEST_F(Scene2DFile, WindowCachesPastTheScenesBudgetAreRefused)
{
    std::string text = "<NML=1.0>\n<Scene2d=<ScriptUnit=<Script=\"menu.nut\"><Class=\"Menu\">><Sprites=\n";
    for (const char* name : {"first", "other", "third", "fourth"})
        text += std::string("<Window=<Sprite2d=<Item2d=<Name=\"") + name +
                "\"><Size=<X=8192.0><Y=8192.0>>><Flag=<Visible>>>>\n";
    text += ">>\n";
    EXPECT_EQ(text.size(), 427u);
    ASSERT_TRUE(Read(*scene, text));

    EXPECT_EQ(scene->GetWindowCacheBudget().GetUsed(), nScene2D::WindowCacheBudgetBytes);
    std::vector<nWindow*> windows;
    for (auto* node = scene->GetItems().GetHead(); node; node = node->next)
        windows.push_back(static_cast<nWindow*>(node->value));
    ASSERT_EQ(windows.size(), 4u);
    EXPECT_TRUE(windows[0]->GetCacheTexture()->HasPixels());
    for (size_t index = 1; index < 4; ++index)
    {
        EXPECT_FALSE(windows[index]->GetCacheTexture()->HasPixels());
        const std::string line =
            "[!] The cache of window '" + std::string(windows[index]->GetName().GetText()) +
            "' would pass the 256 MB that its 2D scene's window caches may take: the window "
            "draws nothing.\n";
        const size_t at = log.text.find(line);
        EXPECT_NE(at, std::string::npos) << log.text;
        EXPECT_EQ(log.text.find(line, at + 1), std::string::npos) << "named once";
        windows[index]->Draw(nullptr);
    }

    // Deleting the first window frees its share: a window made afterwards gets its cache.
    scene->DeleteItem(windows[0]);
    EXPECT_EQ(scene->GetWindowCacheBudget().GetUsed(), 0u);
    windows[1]->SetSize(512.0f, 512.0f);
    EXPECT_TRUE(windows[1]->GetCacheTexture()->HasPixels());
    EXPECT_EQ(scene->GetWindowCacheBudget().GetUsed(), size_t(512) * 512 * 4);
}
