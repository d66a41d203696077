#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "core/nml/nMetaFile.h"
#include "core/picture/nPicture.h"
#include "geometry/nTexture.h"
#include "platform/nHIDGameSource.h"
#include "platform/nHIDMouse.h"
#include "platform/nHIDSource.h"
#include "render/nEngineServices.h"
#include "render/nNullRenderer.h"
#include "ui/nScene2D.h"
#include "ui/nWindow.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

// The 2D scene's frame and a window's composition. Scene2DRender is one Render of 1000 textured
// sprites and 50 windows whose caches are composed already, on the null renderer, with the mouse
// resting over them; one iteration is one frame. ComposeSkinnedWindow composes a 1024 x 512
// window from an 8-picture skin of 16 x 16 corners and edges; one iteration is one composition.

namespace
{
// The engine as the 2D scene sees it: a null renderer, a fixed frame time, pictures made in
// memory.
class BenchEngine : public nEngineServices
{
public:
    BenchEngine() : m_renderer(this) { m_renderer.Open(1280, 720, 32, true, nullptr); }

    void SendCoreMessage(nCoreMessage, const nCoreEventData*) override {}
    nRenderer* GetRenderer() const override { return const_cast<nNullRenderer*>(&m_renderer); }
    nMixer* GetMixer() const override { return nullptr; }
    float GetFrameRate() const override { return 60.0f; }
    float GetRenderQueueTime() const override { return 0.0f; }
    float GetCullingTime() const override { return 0.0f; }
    float GetClock() const override { return 0.0f; }
    float GetDeltaFrame() const override { return 1.0f / 60.0f; }
    float GetRawDeltaFrame() const override { return 1.0f / 60.0f; }
    nPicture* LoadPicture(const char* path, bool) override
    {
        auto found = pictures.find(path);
        return found == pictures.end() ? nullptr : found->second.Get();
    }
    bool UnloadBitmap(const char*) override { return false; }
    void DrawProfile(const nFontPair&, float&, float&) override {}
    nTexture* LoadTexture(const char*, bool, bool) override { return nullptr; }
    nMaterial* LoadMaterial(const char*, bool) override { return nullptr; }
    nGeometry* LoadGeometry(const char*, bool, bool) override { return nullptr; }
    bool GetKeepGeometryData() const override { return false; }

    std::map<std::string, nSharedPtr<nPicture>> pictures;

private:
    nNullRenderer m_renderer;
};

// A mouse resting in the middle of the window, no button down.
class RestingPointer : public nHIDSource
{
public:
    bool Open(void*) override { return true; }
    void Update() override {}
    bool IsKeyDown(nHIDSourceKey) const override { return false; }
    nHIDPointerState ReadPointer() const override { return {640, 360, 1280, 720, false, false, false}; }
    int GetGameDeviceCount() const override { return 0; }
    bool DescribeGameDevice(int, nHIDDescriptor&) const override { return false; }
    std::unique_ptr<nHIDGameSource> OpenGameDevice(const nHIDDescriptor&) override { return nullptr; }
};

void Scene2DRender(benchmark::State& state)
{
    nLogHolder::Get().SetMask(LogLevelNone);
    BenchEngine engine;
    RestingPointer pointer;
    nHIDMouse mouse(pointer);
    mouse.Update();
    nScene2D scene(&engine, nullptr, "bench");
    scene.SetMouse(&mouse);
    nSharedPtr<nTexture> texture(new nTexture(&engine, 0, 1));
    texture->Allocate(64, 64, PixelFormatBGRA8);
    for (int index = 0; index < 1000; ++index)
    {
        const float position[2] = {float(index % 40) * 32.0f, float(index / 40) * 32.0f};
        const float size[2] = {32.0f, 32.0f};
        scene.AddItem(new nSprite2D(&scene, texture.Get(), nullptr, "sprite", position, size));
    }
    for (int index = 0; index < 50; ++index)
    {
        const float position[2] = {float(index % 10) * 120.0f, float(index / 10) * 150.0f};
        const float size[2] = {100.0f, 120.0f};
        scene.AddItem(new nWindow(&scene, nullptr, "window", "Window", position, size));
    }
    scene.Render(true); // composes the windows once
    for (auto _ : state)
        scene.Render(true);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Scene2DRender)->Unit(benchmark::kMicrosecond);

void ComposeSkinnedWindow(benchmark::State& state)
{
    nLogHolder::Get().SetMask(LogLevelNone);
    BenchEngine engine;
    std::string names[Scene2DSkinPartCount];
    const char* paths[Scene2DSkinPartCount];
    for (uint32_t part = 0; part < Scene2DSkinPartCount; ++part)
    {
        names[part] = "skin" + std::to_string(part);
        paths[part] = names[part].c_str();
        auto* picture = new nPicture(16, 16, PixelFormatBGRA8);
        picture->Fill(0.5f, 0.5f, 0.5f, 1.0f);
        engine.pictures[names[part]] = picture;
    }
    nScene2D scene(&engine, nullptr, "bench");
    scene.SetMouse(nullptr);
    scene.SetSkin(paths, 0xFF404040u, 0xFFFFFFFFu, 4, 16, 16, "Default");
    const float size[2] = {1024.0f, 512.0f};
    auto* window = new nWindow(&scene, nullptr, "window", "Window", nullptr, size);
    scene.AddItem(window);
    for (auto _ : state)
    {
        window->Compose();
        benchmark::DoNotOptimize(window->GetCacheTexture()->GetPixels());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ComposeSkinnedWindow)->Unit(benchmark::kMicrosecond);
} // namespace

namespace
{
// A 2D scene file of small windows, each linked to the one before it (a chain as deep as the
// file is long) or each to the first (a star of the same size).
std::string LinkedWindows(int count, bool chained)
{
    std::string text = "<NML=1.0>\n<Scene2d=<Sprites=";
    for (int index = 0; index < count; ++index)
        text += "<Window=<Sprite2d=<Item2d=<Name=\"w\"><Uid=" + std::to_string(index) +
                "><Size=<X=16.0><Y=16.0>>><Flag=<Visible>>>>";
    text += "><Links=";
    for (int index = 1; index < count; ++index)
        text += "<Link=<Item=" + std::to_string(index) + "><Link=" + std::to_string(chained ? index - 1 : 0) +
                ">>";
    return text + ">>\n";
}

// Reading the file and the first frame; one iteration is one whole load. 20,000 chained windows
// should take at most twice as long as 20,000 in a star.
void LoadLinkedWindows(benchmark::State& state)
{
    nLogHolder::Get().SetMask(LogLevelNone);
    BenchEngine engine;
    const std::string text = LinkedWindows(int(state.range(0)), state.range(1) != 0);
    for (auto _ : state)
    {
        nMetaFile file;
        nScene2D scene(&engine, nullptr, "bench");
        scene.SetMouse(nullptr);
        if (!file.Parse(text.c_str(), text.size()) || !scene.Parse(file))
            state.SkipWithError("the file was refused");
        scene.Render(true);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(LoadLinkedWindows)
    ->ArgNames({"windows", "chained"})
    ->Args({2000, 0})
    ->Args({2000, 1})
    ->Args({20000, 0})
    ->Args({20000, 1})
    ->Unit(benchmark::kMillisecond);
} // namespace
