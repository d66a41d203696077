#pragma once

#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// What the frame runs share: the window's size, the core data and the script that grabs a frame.
namespace FrameGrab
{
constexpr uint32_t Width = 320;
constexpr uint32_t Height = 240;
inline const std::string CoreData = KESTRUN_DATA_DIR "/core";

// Grabs the third frame once it is on the window, then ends the scene.
inline const char* const Script = R"(
class S {
  frames = 0;
  function OnRenderDone(s) {
    frames++;
    if (frames != 3) return;
    local g = PictureNew();
    RendererGrabDisplayToPicture(g_render, g);
    print("saved " + PictureSaveTGA(g, "grab.tga"));
    SceneEnd(s);
  }
}
)";

using Pixel = std::array<int, 3>; // R, G, B

// The pixel at (x, y) of the grab, (0, 0) the top left; (-1, -1, -1) when the grab is not a whole frame.
inline Pixel PixelAt(const std::string& grab, uint32_t x, uint32_t y)
{
    if (grab.size() != 18u + Width * Height * 4u)
        return {-1, -1, -1};
    const bool bottomUp = (static_cast<uint8_t>(grab[17]) & 0x20) == 0;
    const uint32_t row = bottomUp ? Height - 1 - y : y;
    const size_t at = 18 + (size_t(row) * Width + x) * 4;
    return {static_cast<uint8_t>(grab[at + 2]), static_cast<uint8_t>(grab[at + 1]), static_cast<uint8_t>(grab[at])};
}

// Runs the folder's s.nms on the GPU renderer with its engine.cfg and reads the frame its script
// grabbed. Every run sets its technique up and says so, whichever it is.
inline void RunAndGrab(const std::filesystem::path& folder, KestrunRun& run, std::string& grab)
{
    std::filesystem::remove(folder / "grab.tga");
    run = RunKestrun(folder, {"s.nms", "-r", "egl2", "-m", "none", "-CC", CoreData, "-C", "engine.cfg"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("[!]"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Switching rendering technique."), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("SetRenderTechnique(): 320x240"), std::string::npos) << run.output;
    std::ifstream in(folder / "grab.tga", std::ios::binary);
    grab.assign(std::istreambuf_iterator<char>(in), {});
    ASSERT_EQ(grab.size(), 18u + Width * Height * 4u) << run.output;
}

inline void ExpectNear(const Pixel& actual, const Pixel& expected, int tolerance, const std::string& where)
{
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(actual[c], expected[c], tolerance)
            << where << ": (" << actual[0] << ", " << actual[1] << ", " << actual[2] << ")";
}
// Four corners (x, y, z) of a polygon.
using QuadCorners = std::array<std::array<float, 3>, 4>;

// One geometry of four-cornered polygons: polygon i takes material i, or the last material when
// there are fewer materials than polygons.
inline std::string QuadGeometry(const std::vector<std::string>& materials,
                                const std::vector<QuadCorners>& quads)
{
    std::string materialTags;
    for (const std::string& material : materials)
        materialTags += "<Material=" + material + ">";
    std::string vertices;
    std::string polygons;
    for (size_t q = 0; q < quads.size(); ++q)
    {
        const size_t material = materials.empty() ? 0 : std::min(q, materials.size() - 1);
        polygons += "<Polygon=<Count=4><Material=" + std::to_string(material) + ">";
        for (size_t i = 0; i < 4; ++i)
        {
            const std::array<float, 3>& c = quads[q][i];
            vertices += "<V=<X=" + std::to_string(c[0]) + "><Y=" + std::to_string(c[1]) +
                        "><Z=" + std::to_string(c[2]) + ">>";
            polygons += "<Index=" + std::to_string(q * 4 + i) + ">";
        }
        polygons += ">";
    }
    return "<NML=1.0>\n<Geometry=<Materials=" + materialTags +
           "><AVertex=<Count=" + std::to_string(quads.size() * 4) + "><Data=" + vertices +
           ">><APolygon=<Count=" + std::to_string(quads.size()) +
           "><BindingCount=" + std::to_string(quads.size() * 4) + "><Data=" + polygons + ">>>\n";
}
} // namespace FrameGrab
