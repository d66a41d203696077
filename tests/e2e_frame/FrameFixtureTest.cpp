#include "e2e/KestrunProcess.h"
#include "e2e_frame/FrameGrab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

// Whole frames of a table of lit scenes, each compared with the frame stored under
// tests/e2e_frame/frames within one level per channel, so that a change to how the frame is drawn
// (its passes, their order, the programs) cannot move a picture unseen. The scenes mix lights of
// every kind, shadows, fog, a transparent pane and post-processing, under both techniques.
//
// To store the frames again after a change that is meant to move them, run the test with
// KESTRUN_WRITE_FRAME_FIXTURES=1 (for example
//   KESTRUN_WRITE_FRAME_FIXTURES=1 xvfb-run -a -s "-screen 0 1280x720x24"
//   build-test/tests/e2e_frame/tests_e2e_frame
//       --gtest_filter='Scenes/FrameFixture.*point_shadow*'
// to store only the point-light shadow rows) and look at the stored pictures before committing them.
// Frames are stored as run-length encoded 24-bit TGA files, top row first, to keep them small.
namespace
{
constexpr uint32_t Width = 160;
constexpr uint32_t Height = 120;
const std::filesystem::path FixtureDirectory = KESTRUN_FRAME_FIXTURE_DIR;

// A square of side 2 x half facing the camera (its normal along -z) centred on (x, y, z).
FrameGrab::QuadCorners Facing(float x, float y, float z, float half)
{
    return {
        {{x - half, y - half, z}, {x - half, y + half, z}, {x + half, y + half, z}, {x + half, y - half, z}}};
}

std::string Material(const char* diffuse, const char* extra = "")
{
    return std::string("<Diffuse=") + diffuse + "><Specular=<X=0.4><Y=0.4><Z=0.4><W=1.0>><Glossiness=0.3>" +
           extra;
}

// A grey floor and back wall, a red and a blue pane standing on the floor (the blue one single
// sided), and a green half-transparent pane near the camera drawn only by the rows that ask for it.
const std::string RoomGeometry =
    FrameGrab::QuadGeometry({Material("<X=0.6><Y=0.6><Z=0.6><W=1.0>", "<RenderMask=<DoubleSided>>"),
                             Material("<X=0.6><Y=0.6><Z=0.6><W=1.0>", "<RenderMask=<DoubleSided>>")},
                            {{{{-8, -1, 2}, {-8, -1, 20}, {8, -1, 20}, {8, -1, 2}}}, Facing(0, 2.5f, 14, 7)});
const std::string PanesGeometry =
    FrameGrab::QuadGeometry({Material("<X=0.8><Y=0.2><Z=0.2><W=1.0>", "<RenderMask=<DoubleSided>>"),
                             Material("<X=0.2><Y=0.3><Z=0.9><W=1.0>")},
                            {Facing(-1.2f, -0.2f, 7, 0.8f), Facing(1.4f, 0.0f, 9, 1.0f)});
const std::string GlassGeometry = FrameGrab::QuadGeometry(
    {Material("<X=0.2><Y=0.9><Z=0.3><W=1.0>", "<Opacity=0.5><BlendOp=\"Alpha\"><RenderMask=<DoubleSided>>")},
    {Facing(0.3f, -0.3f, 4.5f, 0.7f)});

std::string Object(const char* id, int uid, const char* geometry)
{
    return std::string("<MObject=<MItem=<Id=\"") + id + "\"><UId=" + std::to_string(uid) +
           "><Active>><Object=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>><Geometry=\"" + geometry + "\">>>";
}

// A light at a position, aimed at a target when one is given, with the rest of its tags.
std::string Light(int uid, const std::string& position, const std::string& target, const std::string& tags)
{
    const std::string aim = target.empty() ? "" : "<Target=" + target + "><ItemFlag=<HasTarget>>";
    return "<MLight=<MItem=<Id=\"L" + std::to_string(uid) + "\"><UId=" + std::to_string(uid) +
           "><Active>><Light=<Item=<Position=" + position + ">" + aim + ">" + tags + ">>";
}
std::string At(float x, float y, float z)
{
    return "<X=" + std::to_string(x) + "><Y=" + std::to_string(y) + "><Z=" + std::to_string(z) + ">";
}
std::string Colour(float r, float g, float b)
{
    return "<Diffuse=<X=" + std::to_string(r) + "><Y=" + std::to_string(g) + "><Z=" + std::to_string(b) +
           "><W=1.0>>";
}

const std::string Shadow = "<Shadow=\"Map\">";
std::string Point(int n, const std::string& extra = "")
{
    static const std::string lights[3] = {
        Light(10, At(-2, 1.5f, 5), "", "<Type=\"Point\"><Range=12.0>" + Colour(1.0f, 0.8f, 0.6f)),
        Light(11, At(2.5f, 0.5f, 9), "", "<Type=\"Point\"><Range=8.0>" + Colour(0.5f, 0.7f, 1.0f)),
        Light(12, At(0, 3, 11), "", "<Type=\"Point\">" + Colour(0.4f, 0.7f, 0.4f)),
    };
    std::string light = lights[n];
    return light.insert(light.size() - 2, extra);
}
std::string Spot(int n, const std::string& extra = "")
{
    static const std::string cone = "<Type=\"Spot\"><ConeAngle=0.5><EdgeAngle=0.1><VolumeRange=30.0>";
    static const std::string lights[3] = {
        Light(20, At(-3, 0.5f, 0), At(-0.5f, -0.5f, 8), cone + Colour(1.0f, 1.0f, 0.8f)),
        Light(21, At(3, 1, 1), At(0, -1, 10), cone + Colour(0.8f, 0.3f, 0.3f)),
        Light(22, At(0, 4, 4), At(0, -1, 9), cone + Colour(0.3f, 0.8f, 0.9f)),
    };
    std::string light = lights[n];
    return light.insert(light.size() - 2, extra);
}
std::string Sun(int n, const std::string& extra = "")
{
    static const std::string lights[3] = {
        Light(30, At(-4.5f, 2, -5), At(-1, -1, 8), "<Type=\"Parallel\">" + Colour(0.9f, 0.9f, 0.8f)),
        Light(31, At(5, 5, 0), At(0, -1, 10), "<Type=\"Parallel\">" + Colour(0.3f, 0.3f, 0.7f)),
        Light(32, At(0, 10, 8), At(0, -1, 8), "<Type=\"Parallel\">" + Colour(0.3f, 0.2f, 0.2f)),
    };
    std::string light = lights[n];
    return light.insert(light.size() - 2, extra);
}

struct Row
{
    const char* name;
    std::string items;
    std::string globals;
    std::string cameraRegistry;
};

const std::string Glass = Object("Glass", 3, "glass.nmg");
const std::string Fog = "<FogColor=<X=0.3><Y=0.3><Z=0.4><W=1.0>><FogNear=4.0><FogFar=20.0>";

// Rows whose frames hold a point light's shadow are named point_shadow_*, so that they can be
// stored again on their own.
const std::vector<Row>& Rows()
{
    static const std::vector<Row> rows = {
        {"ambient_only", "", "", ""},
        {"point_one", Point(0), "", ""},
        {"point_two", Point(0) + Point(1), "", ""},
        {"point_three", Point(0) + Point(1) + Point(2), "", ""},
        {"spot_one", Spot(0), "", ""},
        {"spot_two", Spot(0) + Spot(1), "", ""},
        {"spot_three", Spot(0) + Spot(1) + Spot(2), "", ""},
        {"parallel_one", Sun(0), "", ""},
        {"parallel_two", Sun(0) + Sun(1), "", ""},
        {"parallel_three", Sun(0) + Sun(1) + Sun(2), "", ""},
        {"every_kind", Point(1) + Spot(1) + Sun(1), "", ""},
        {"spot_shadow", Spot(0, Shadow), "", ""},
        {"parallel_shadow", Sun(0, Shadow), "", ""},
        {"shadows_spot_and_parallel", Spot(0, Shadow) + Point(1) + Sun(0, Shadow), "", ""},
        {"point_shadow_one", Point(0, Shadow), "", ""},
        {"point_shadow_with_others", Spot(1) + Point(0, Shadow) + Sun(0, Shadow), "", ""},
        {"fog", Point(0) + Spot(0), Fog, ""},
        {"transparent_unlit", Glass, "", ""},
        {"transparent_one", Glass + Point(0), "", ""},
        {"transparent_three", Glass + Point(0) + Spot(0) + Sun(1), "", ""},
        {"transparent_shadow_fog", Glass + Spot(0, Shadow) + Point(1), Fog, ""},
        {"post_ssao_bloom", Point(0) + Sun(0), "",
         "<PostProcess=<SSAO=<Strength=1.0>><Bloom=<Strength=1.0><Threshold=0.5><Radius=8.0>>>"},
    };
    return rows;
}

std::string Scene(const Row& row)
{
    const std::string registry = row.cameraRegistry.empty() ? "" : "<Registry=" + row.cameraRegistry + ">";
    return "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">>"
           "<Globals=<BackgroundColor=<X=0.05><Y=0.05><Z=0.1><W=1.0>><AmbientColor=<X=1.0><Y=1.0><Z=1.0><W=1."
           "0>>"
           "<AmbientIntensity=0.15>" +
           row.globals +
           "><Items=<MCamera=<MItem=<Id=\"Cam\"><UId=0><Active>><Camera=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>"
           ">>" +
           registry + ">>" + Object("Room", 1, "room.nmg") + Object("Panes", 2, "panes.nmg") + row.items +
           "><CurrentCamera=\"Cam\">>\n";
}

// A frame as R, G, B bytes, top row first.
using Frame = std::vector<uint8_t>;

// The engine's grab: an uncompressed 32-bit TGA in B, G, R, A order.
bool FrameOfGrab(const std::string& grab, Frame& frame)
{
    if (grab.size() != 18u + Width * Height * 4u)
        return false;
    const bool bottomUp = (static_cast<uint8_t>(grab[17]) & 0x20) == 0;
    frame.assign(size_t(Width) * Height * 3, 0);
    for (uint32_t y = 0; y < Height; ++y)
    {
        const uint32_t row = bottomUp ? Height - 1 - y : y;
        for (uint32_t x = 0; x < Width; ++x)
        {
            const size_t from = 18 + (size_t(row) * Width + x) * 4;
            const size_t to = (size_t(y) * Width + x) * 3;
            for (int c = 0; c < 3; ++c)
                frame[to + size_t(c)] = static_cast<uint8_t>(grab[from + size_t(2 - c)]);
        }
    }
    return true;
}

// A run-length encoded 24-bit TGA (type 10), top row first; packets never cross a row.
std::string EncodeFixture(const Frame& frame)
{
    std::string file(18, '\0');
    file[2] = 10;
    file[12] = char(Width & 0xFF);
    file[13] = char(Width >> 8);
    file[14] = char(Height & 0xFF);
    file[15] = char(Height >> 8);
    file[16] = 24;
    file[17] = 0x20;
    auto pixel = [&](uint32_t x, uint32_t y) { return &frame[(size_t(y) * Width + x) * 3]; };
    auto same = [&](uint32_t y, uint32_t a, uint32_t b)
    { return std::equal(pixel(a, y), pixel(a, y) + 3, pixel(b, y)); };
    auto put = [&](const uint8_t* rgb) { file += {char(rgb[2]), char(rgb[1]), char(rgb[0])}; };
    for (uint32_t y = 0; y < Height; ++y)
    {
        uint32_t x = 0;
        while (x < Width)
        {
            uint32_t run = 1;
            while (x + run < Width && run < 128 && same(y, x, x + run))
                ++run;
            if (run > 1)
            {
                file += char(0x80 | (run - 1));
                put(pixel(x, y));
                x += run;
                continue;
            }
            uint32_t raw = 1;
            while (x + raw < Width && raw < 128 && !(x + raw + 1 < Width && same(y, x + raw, x + raw + 1)))
                ++raw;
            file += char(raw - 1);
            for (uint32_t i = 0; i < raw; ++i)
                put(pixel(x + i, y));
            x += raw;
        }
    }
    return file;
}

// Reads what EncodeFixture writes; false for anything else.
bool DecodeFixture(const std::string& file, Frame& frame)
{
    if (file.size() < 18 || file[2] != 10 || file[16] != 24 || uint8_t(file[12]) != (Width & 0xFF) ||
        uint8_t(file[13]) != (Width >> 8) || uint8_t(file[14]) != (Height & 0xFF) ||
        uint8_t(file[15]) != (Height >> 8))
        return false;
    frame.clear();
    size_t at = 18;
    auto take = [&](size_t count) { return at + count <= file.size(); };
    while (frame.size() < size_t(Width) * Height * 3)
    {
        if (!take(1))
            return false;
        const uint8_t header = uint8_t(file[at++]);
        const uint32_t count = (header & 0x7F) + 1u;
        const bool repeated = (header & 0x80) != 0;
        if (!take(repeated ? 3 : 3 * size_t(count)))
            return false;
        for (uint32_t i = 0; i < count; ++i)
        {
            const size_t from = repeated ? at : at + 3 * size_t(i);
            frame.insert(frame.end(),
                         {uint8_t(file[from + 2]), uint8_t(file[from + 1]), uint8_t(file[from])});
        }
        at += repeated ? 3 : 3 * size_t(count);
    }
    return frame.size() == size_t(Width) * Height * 3 && at == file.size();
}

std::string Read(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FrameFixture : public testing::TestWithParam<std::tuple<size_t, const char*>>
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display";
    }
};

TEST_P(FrameFixture, TheFrameMatchesItsStoredPictureWithinOneLevel)
{
    const Row& row = Rows()[std::get<0>(GetParam())];
    const std::string technique = std::get<1>(GetParam());
    TemporaryDirectory directory;
    directory.WriteFile("s.nut", FrameGrab::Script);
    directory.WriteFile("engine.cfg",
                        "<NML=1.0>\n<Width=160><Height=120><Technique=\"" + technique + "\">\n");
    directory.WriteFile("s.nms", Scene(row));
    directory.WriteFile("room.nmg", RoomGeometry);
    directory.WriteFile("panes.nmg", PanesGeometry);
    directory.WriteFile("glass.nmg", GlassGeometry);
    const KestrunRun run = RunKestrun(directory.Path(), {"s.nms", "-r", "egl2", "-m", "none", "-CC",
                                                         FrameGrab::CoreData, "-C", "engine.cfg"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;
    ASSERT_NE(run.output.find("SetRenderTechnique(): 160x120"), std::string::npos) << run.output;
    Frame frame;
    ASSERT_TRUE(FrameOfGrab(Read(directory.Path() / "grab.tga"), frame)) << run.output;

    const std::filesystem::path fixture =
        FixtureDirectory / (std::string(row.name) + "-" + technique + ".tga");
    if (std::getenv("KESTRUN_WRITE_FRAME_FIXTURES"))
    {
        std::filesystem::create_directories(FixtureDirectory);
        std::ofstream(fixture, std::ios::binary) << EncodeFixture(frame);
    }
    Frame stored;
    ASSERT_TRUE(DecodeFixture(Read(fixture), stored)) << fixture;
    size_t differing = 0;
    int worst = 0;
    size_t firstAt = 0;
    for (size_t i = 0; i < frame.size(); ++i)
    {
        const int difference = std::abs(int(frame[i]) - int(stored[i]));
        if (difference > 1 && differing++ == 0)
            firstAt = i / 3;
        worst = std::max(worst, difference);
    }
    EXPECT_EQ(differing, 0u) << "worst difference " << worst << ", first at (" << firstAt % Width << ", "
                             << firstAt / Width << ") of " << fixture;
}

// The stored frames must be worth comparing: the lights and effects of the rows change the picture.
TEST(FrameFixtures, TheRowsStoredFramesDifferFromOneAnother)
{
    for (const char* technique : {"Forward", "Deferred"})
    {
        std::vector<Frame> frames;
        for (const Row& row : Rows())
        {
            Frame frame;
            ASSERT_TRUE(DecodeFixture(
                Read(FixtureDirectory / (std::string(row.name) + "-" + technique + ".tga")), frame))
                << row.name;
            for (size_t other = 0; other < frames.size(); ++other)
                EXPECT_NE(frame, frames[other])
                    << row.name << " and " << Rows()[other].name << " " << technique;
            frames.push_back(std::move(frame));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, FrameFixture,
    testing::Combine(testing::Range(size_t(0), Rows().size()), testing::Values("Forward", "Deferred")),
    [](const testing::TestParamInfo<std::tuple<size_t, const char*>>& info)
    { return std::string(Rows()[std::get<0>(info.param)].name) + "_" + std::get<1>(info.param); });
} // namespace
