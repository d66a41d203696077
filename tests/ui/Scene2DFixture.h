#pragma once

#include "core/picture/nPicture.h"
#include "platform/nHIDMouse.h"
#include "script/nSquirrelVM.h"
#include "support/CapturedLog.h"
#include "support/InputTestFixtures.h"
#include "support/RecordingRenderer.h"
#include "support/TemporaryFiles.h"
#include "support/TextureLoadingEngine.h"
#include "ui/nScene2D.h"
#include "ui/nSprite2D.h"
#include "ui/nWidget.h"
#include "ui/nWindow.h"

#include <gtest/gtest.h>

#include <string>

// A widget that draws a flat colour over its cell and counts its draws.
class FlatWidget : public nWidget
{
public:
    FlatWidget(nScene2D* scene, int32_t id, uint32_t pixel = 0xFF00FF00u)
        : nWidget(WidgetTypeCanvas, scene, id), m_pixel(pixel)
    {
    }

    void Measure() override {}
    void Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;

    int draws = 0;

private:
    uint32_t m_pixel;
};

// A 2D scene on a recording renderer of 1280 x 720 and a scripted mouse, with an open script
// machine (CObject declared, "Describe(handle)" answering "<type>:<name or id>") and a mounted
// directory for scripts and pictures.
class Scene2DFixture : public ::testing::Test
{
protected:
    Scene2DFixture();
    ~Scene2DFixture() override;

    // Moves the cursor to internal pixels (x, y) with the buttons as given, then renders a frame
    // without the scene's own "OnUpdate".
    void Frame(int32_t x, int32_t y, bool left = false, bool right = false, bool middle = false);
    // Places the mouse as the device reports it: 0..65535 of the window on each axis.
    void PlaceMouse(int axisX, int axisY, bool left = false, bool right = false, bool middle = false);
    // Runs the script text and answers the root-table function of that name as a handler.
    nScriptObject* Function(const std::string& name);
    void RunScript(const std::string& text);
    nWindow* AddWindow(const char* name, float x, float y, float width, float height);
    nSprite2D* AddSprite(const char* name, float x, float y, float width, float height);
    // Writes a 32-bit TGA of that size whose pixel (x, y) is pixel(x, y) as BGRA.
    template <typename Pixel>
    void WritePicture(const std::string& name, uint32_t width, uint32_t height, Pixel pixel);
    // The "[S] " lines of the log, without their prefix, one per entry.
    std::vector<std::string> ScriptLines() const;

    CapturedLog log;
    TemporaryFiles files;
    TextureLoadingEngine engine;
    RecordingRenderer renderer{&engine};
    InputTestSource source;
    nHIDMouse mouse{source};
    nSquirrelVM vm{nullptr};
    nScene2D* scene = nullptr;
    int scripts = 0;
};

template <typename Pixel>
void Scene2DFixture::WritePicture(const std::string& name, uint32_t width, uint32_t height, Pixel pixel)
{
    nPicture picture(width, height, PixelFormatBGRA8);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            *reinterpret_cast<uint32_t*>(picture.GetPixelAddress(x, y)) = pixel(x, y);
    ASSERT_TRUE(nPicture::SaveTGA(picture, nString(name.c_str())));
}
