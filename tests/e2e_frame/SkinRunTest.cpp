#include "e2e/KestrunProcess.h"
#include "e2e_frame/FrameGrab.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace
{
using FrameGrab::Height;
using FrameGrab::Width;

// A 2 x 2 self-lit red square in the plane z = 5, facing the camera at the origin, whose four
// vertices hang on the first of two bones.
const char* const SkinnedQuad =
    "<NML=1.0>\n<Geometry=<Materials=<Material=<Diffuse=<X=0.0><Y=0.0><Z=0.0><W=1.0>>"
    "<Self=<X=1.0><Y=0.0><Z=0.0><W=1.0>><RenderMask=<DoubleSided>>>><AVertex=<Count=4><Data=<V=<X=-1><Y=-1>"
    "<Z=5>><V=<X=-1><Y=1><Z=5>><V=<X=1><Y=1><Z=5>><V=<X=1><Y=-1><Z=5>>>><APolygon=<Count=1><BindingCount=4>"
    "<Data=<Polygon=<Count=4><Material=0><Index=0><Index=1><Index=2><Index=3>>>><Skin=<Bones=<Id=\"b0\">"
    "<Id=\"b1\">><Weights=<W=\"0,0,0,0:255,0,0,0\"><W=\"0,0,0,0:255,0,0,0\"><W=\"0,0,0,0:255,0,0,0\">"
    "<W=\"0,0,0,0:255,0,0,0\">>>>\n";

std::string Item(const char* name, int uid)
{
    return std::string("<MCamera=<MItem=<Id=\"") + name + "\"><UId=" + std::to_string(uid) +
           "><Active>><Camera=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>>>";
}

// The file binds bone 0 to BoneA and leaves bone 1 unbound; the background is black.
const std::string SkinnedScene =
    "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">>"
    "<Globals=<BackgroundColor=<X=0.0><Y=0.0><Z=0.0><W=1.0>><AmbientIntensity=0.0>>"
    "<Items=" +
    Item("Cam", 0) +
    "<MObject=<MItem=<Id=\"Quad\"><UId=1><Active>><Object=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>"
    "<Geometry=\"quad.nmg\">>>" +
    Item("BoneA", 3) + Item("BoneB", 4) +
    "><CurrentCamera=\"Cam\"><Skins=<Skin=<UId=1><Bone=<Index=0><UId=3>>>>>\n";

// The first update reads the skin, hands bone 0 to BoneB and moves BoneB two units right; the
// third frame is grabbed, then the bone is unbound, so the square goes back to the pose it was
// stored in, and the sixth frame is grabbed.
const char* const SkinScript = R"(
function Name(handle) { return ObjectIsValid(handle) ? ItemGetName(handle) : "none"; }
class S {
    frames = 0;
    updates = 0;
    function Quad(s) { return ItemCastToObject(SceneFindItem(s, "Quad")); }
    function Grab(name) {
        local picture = PictureNew();
        RendererGrabDisplayToPicture(g_render, picture);
        PictureSaveTGA(picture, name);
    }
    function OnUpdate(s) {
        if (updates++ != 0) return;
        local quad = Quad(s);
        print("bones " + ObjectSkinGetItemCount(quad));
        foreach (index in [0, 1, 2, -1])
            print(index + " " + Name(ObjectSkinGetItem(quad, index)));
        print("plain " + ObjectSkinGetItemCount(SceneAddObject(s, "Plain")));
        local B = SceneFindItem(s, "BoneB");
        ObjectSkinSetItem(quad, 0, B);
        ItemSetPosition(B, Vector(2, 0, 0));
        ObjectSkinSetItem(quad, 2, B);
        print("rebound " + Name(ObjectSkinGetItem(quad, 0)));
    }
    function OnRenderDone(s) {
        if (++frames == 3) {
            Grab("moved.tga");
            ObjectSkinSetItem(Quad(s), 0, NullItem);
            print("unbound " + Name(ObjectSkinGetItem(Quad(s), 0)) + " of " + ObjectSkinGetItemCount(Quad(s)));
        } else if (frames == 6) {
            Grab("stored.tga");
            SceneEnd(s);
        }
    }
}
)";

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The columns of the grab's middle row that show the red square, as [first, last]; {-1, -1} when none do.
std::pair<int, int> RedColumns(const std::string& grab)
{
    std::pair<int, int> span = {-1, -1};
    for (uint32_t x = 0; x < Width; ++x)
    {
        const FrameGrab::Pixel pixel = FrameGrab::PixelAt(grab, x, Height / 2);
        if (pixel[0] > 200 && pixel[1] < 50 && pixel[2] < 50)
            span = {span.first < 0 ? int(x) : span.first, int(x)};
    }
    return span;
}

TEST(SkinRun, ABoneReboundToAMovedItemCarriesTheSkinAndUnbindingRestoresItsPose)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display";
    TemporaryDirectory directory;
    directory.WriteFile("quad.nmg", SkinnedQuad);
    directory.WriteFile("s.nms", SkinnedScene);
    directory.WriteFile("s.nut", SkinScript);
    directory.WriteFile("engine.cfg", "<NML=1.0>\n<Width=320><Height=240>\n");
    const KestrunRun run = RunKestrun(directory.Path(), {"s.nms", "-r", "egl2", "-m", "none", "-CC",
                                                         FrameGrab::CoreData, "-C", "engine.cfg"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ScriptLines(run.output),
              (std::vector<std::string>{"bones 2", "0 BoneA", "1 none", "2 none", "-1 none", "plain 0",
                                        "rebound BoneB", "unbound none of 2"}))
        << run.output;
    EXPECT_TRUE(HasLine(run.output, "[!] Bone index 2 out of range, object 'Quad' has 2 bones."))
        << run.output;

    const auto [storedFirst, storedLast] = RedColumns(ReadFile(directory.Path() / "stored.tga"));
    ASSERT_GE(storedFirst, 0) << "the square in its stored pose is not in the frame";
    EXPECT_LT(storedFirst, int(Width / 2));
    EXPECT_GT(storedLast, int(Width / 2));
    // Two units right is one width of the square.
    const auto [movedFirst, movedLast] = RedColumns(ReadFile(directory.Path() / "moved.tga"));
    ASSERT_GE(movedFirst, 0) << "the moved square is not in the frame";
    EXPECT_NEAR(movedFirst, storedLast + 1, 2);
}

} // namespace
