#pragma once

#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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
} // namespace FrameGrab
