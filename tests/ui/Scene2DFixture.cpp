#include "ui/Scene2DFixture.h"

#include "script/binding/nScriptRegistrar.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "ui/nItem2D.h"

#include <cmath>

namespace
{
constexpr int WindowExtent = 65535; // client size that makes the pointer equal to the axis value

SQInteger Describe(HSQUIRRELVM vm)
{
    int32_t type = 0;
    void* object = nullptr;
    if (!GetCObjectType(vm, 2, type) || !GetCObject(vm, 2, object, 0))
        return sq_throwerror(vm, "not a handle");
    std::string text = std::to_string(type) + ":";
    if (!object)
        text += "null";
    else if (type == ObjectTypeWindow)
        text += static_cast<nItem2D*>(object)->GetName().GetText();
    else if (type == ObjectTypeWidget)
        text += std::to_string(static_cast<nWidget*>(object)->GetId());
    sq_pushstring(vm, text.c_str(), -1);
    return 1;
}
} // namespace

void FlatWidget::Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    ++draws;
    SetRect(nRect{x1, y1, x2, y2});
    for (int32_t y = std::max(y1, 0); y < std::min(y2, int32_t(picture.GetHeight())); ++y)
        for (int32_t x = std::max(x1, 0); x < std::min(x2, int32_t(picture.GetWidth())); ++x)
            *reinterpret_cast<uint32_t*>(picture.GetPixelAddress(uint32_t(x), uint32_t(y))) = m_pixel;
    SetDirty(false);
}

Scene2DFixture::Scene2DFixture()
{
    renderer.Open(1280, 720, 32, true, nullptr);
    engine.renderer = &renderer;
    engine.deltaFrame = 0.02f;
    engine.rawDeltaFrame = 0.02f;
    EXPECT_TRUE(vm.Open());
    DeclareCObjectClass(vm.GetHandle());
    RegisterNative(vm.GetHandle(), Describe, "Describe", ".x");
    scene = new nScene2D(&engine, &vm, "ui");
    scene->SetMouse(&mouse);
}

Scene2DFixture::~Scene2DFixture()
{
    delete scene;
    vm.Close();
}

void Scene2DFixture::PlaceMouse(int axisX, int axisY, bool left, bool right, bool middle)
{
    source.pointer = {axisX, axisY, WindowExtent, WindowExtent, left, right, middle};
    mouse.Update();
}

// The inverse of the scene's cursor mapping for 1280 x 720 and the default resolution, aimed at
// the middle of the pixel.
void Scene2DFixture::Frame(int32_t x, int32_t y, bool left, bool right, bool middle)
{
    const double stretch = (1280.0 / 720.0) / (1280.0 / 960.0);
    const double nx = 0.5 + ((x + 0.5) / 1280.0 - 0.5) / stretch;
    const double ny = (y + 0.5) / 960.0;
    PlaceMouse(int(std::lround(nx * 65536.0)), int(std::lround(ny * 65536.0)), left, right, middle);
    scene->Render(true);
    ASSERT_EQ(scene->GetInput().x, x);
    ASSERT_EQ(scene->GetInput().y, y);
}

void Scene2DFixture::RunScript(const std::string& text)
{
    const std::string name = "script" + std::to_string(scripts++) + ".nut";
    files.Write(name, text);
    ASSERT_TRUE(vm.RunFile(nString(name.c_str()), false));
}

nScriptObject* Scene2DFixture::Function(const std::string& name)
{
    return vm.GetObject(name.c_str(), nullptr);
}

nWindow* Scene2DFixture::AddWindow(const char* name, float x, float y, float width, float height)
{
    const float position[2] = {x, y};
    const float size[2] = {width, height};
    auto* window = new nWindow(scene, nullptr, name, "Window", position, size);
    scene->AddItem(window);
    return window;
}

nSprite2D* Scene2DFixture::AddSprite(const char* name, float x, float y, float width, float height)
{
    const float position[2] = {x, y};
    const float size[2] = {width, height};
    auto* sprite = new nSprite2D(scene, nullptr, nullptr, name, position, size);
    scene->AddItem(sprite);
    return sprite;
}

std::vector<std::string> Scene2DFixture::ScriptLines() const
{
    std::vector<std::string> lines;
    size_t at = 0;
    while ((at = log.text.find("[S] ", at)) != std::string::npos)
    {
        const size_t end = log.text.find('\n', at);
        lines.push_back(log.text.substr(at + 4, end - at - 4));
        at = end;
    }
    return lines;
}
