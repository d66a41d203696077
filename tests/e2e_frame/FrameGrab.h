#pragma once

#include <cstdint>
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
} // namespace FrameGrab
