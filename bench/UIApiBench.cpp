#include "ScriptLoop.h"

#include "core/base/nLog.h"
#include "platform/nHIDGameSource.h"
#include "platform/nHIDMouse.h"
#include "platform/nHIDSource.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "ui/nScene2D.h"

#include <memory>

// The UI natives the way a script drives its interface every frame. WindowSetPosition and
// WidgetGetRect (a new "Rect" each call) are calls per second from one script loop, loop included.
// WindowHandler is one frame of a 2D scene without engine in which a dragged window sends its
// handler closure the Move event: handler calls per second, the frame's own work included.

namespace
{
const char kScript[] = R"(
class Rect { sx = 0.0; sy = 0.0; ex = 0.0; ey = 0.0; }
Window <- UIAddWindow(g_ui, 1, 0, 0, 1280, 960);
Moves <- 0;
function SetPositions(count) {
    for (local i = 0; i < count; ++i) WindowSetPosition(Window, i, 2);
}
function GetRects(count) {
    local spacer = UIAddSpacerWidget(g_ui, 2);
    for (local i = 0; i < count; ++i) WidgetGetRect(spacer);
}
function Moved(event, info) { ++Moves; }
)";

// A pointer held down in the middle of the client area.
class HeldPointer : public nHIDSource
{
public:
    bool Open(void*) override { return true; }
    void Update() override {}
    bool IsKeyDown(nHIDSourceKey) const override { return false; }
    nHIDPointerState ReadPointer() const override { return {640, 360, 1280, 720, true, false, false}; }
    int GetGameDeviceCount() const override { return 0; }
    bool DescribeGameDevice(int, nHIDDescriptor&) const override { return false; }
    std::unique_ptr<nHIDGameSource> OpenGameDevice(const nHIDDescriptor&) override { return nullptr; }
};

// The script loop with a 2D scene bound as "g_ui".
struct UILoop
{
    UILoop()
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        scene.SetMouse(nullptr);
        loop.GetMachine().SetSlot("g_ui", nScriptValue(ObjectTypeWindowSystem, &scene), nullptr);
        loop.Run(kScript);
    }

    bool Has(const char* name)
    {
        HSQUIRRELVM vm = loop.GetMachine().GetHandle();
        sq_pushroottable(vm);
        sq_pushstring(vm, name, -1);
        const bool found = SQ_SUCCEEDED(sq_get(vm, -2));
        sq_settop(vm, sq_gettop(vm) - (found ? 2 : 1));
        return found;
    }

    SQInteger ReadInteger(const char* name)
    {
        HSQUIRRELVM vm = loop.GetMachine().GetHandle();
        const SQInteger top = sq_gettop(vm);
        SQInteger value = -1;
        sq_pushroottable(vm);
        sq_pushstring(vm, name, -1);
        if (SQ_SUCCEEDED(sq_get(vm, -2)))
            sq_getinteger(vm, -1, &value);
        sq_settop(vm, top);
        return value;
    }

    ScriptLoop loop;
    nScene2D scene{nullptr, &loop.GetMachine(), "bench"};
};

void BM_WindowSetPosition(benchmark::State& state)
{
    UILoop ui;
    ui.loop.Measure(state, "SetPositions");
}
BENCHMARK(BM_WindowSetPosition);

void BM_WidgetGetRect(benchmark::State& state)
{
    UILoop ui;
    if (!ui.Has("WidgetGetRect"))
    {
        state.SkipWithError("WidgetGetRect is not registered in this build");
        return;
    }
    ui.loop.Measure(state, "GetRects");
}
BENCHMARK(BM_WidgetGetRect);

void BM_WindowHandler(benchmark::State& state)
{
    UILoop ui;
    HeldPointer pointer;
    nHIDMouse mouse(pointer);
    mouse.Update();
    ui.scene.SetMouse(&mouse);
    ui.loop.Run("WindowAddStyle(Window, StyleMovable); WindowSetEventHandler(Window, EventMove, Moved);");
    ui.scene.Render(true); // the press over the movable window starts the drag
    for (auto _ : state)
        ui.scene.Render(true);
    if (ui.ReadInteger("Moves") != SQInteger(state.iterations()))
        state.SkipWithError("the handler was not called once a frame");
    state.SetItemsProcessed(state.iterations());
    ui.scene.SetMouse(nullptr);
}
BENCHMARK(BM_WindowHandler);
} // namespace
