#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "platform/nHIDMouse.h"
#include "render/nNullRenderer.h"
#include "support/InputTestFixtures.h"
#include "support/StubEngineServices.h"
#include "ui/nScene2D.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{
// What a scene wrote reads back into a fresh scene with as many items.
void ReadBack(nMetaFile& written, uint32_t itemCount)
{
    nLinkedListIterator iterator;
    nMetaTag* root = written.GetNextRoot(iterator);
    nScene2D* scene = new nScene2D(nullptr, nullptr, "read back");
    if (!root || !scene->ParseTag(written, *root) || scene->GetItemCount() != itemCount)
    {
        std::fprintf(stderr, "a written 2D scene does not read back with its %u items\n",
                     unsigned(itemCount));
        std::abort();
    }
    delete scene;
}
} // namespace

// Any NML text; every root is read as a 2D scene, which then renders one frame on a null
// renderer with the mouse pressed in the middle of the window, is written and read back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static StubEngineServices* engine = []
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        auto* services = new StubEngineServices();
        auto* renderer = new nNullRenderer(services);
        renderer->Open(1280, 720, 32, true, nullptr);
        services->renderer = renderer;
        services->deltaFrame = 0.02f;
        return services;
    }();
    static InputTestSource source;
    static nHIDMouse mouse(source);
    source.pointer = {640, 360, 1280, 720, true, false, false};
    mouse.Update();

    nMetaFile file;
    file.Parse(reinterpret_cast<const char*>(data), size);
    nLinkedListIterator iterator;
    while (nMetaTag* root = file.GetNextRoot(iterator))
    {
        nScene2D* scene = new nScene2D(engine, nullptr, "fuzz");
        scene->SetMouse(&mouse);
        if (scene->ParseTag(file, *root))
        {
            scene->Render(true);
            nMetaFile written;
            if (scene->Serialize(written))
                ReadBack(written, scene->GetItemCount() - (scene->GetCursor() ? 1 : 0));
        }
        delete scene;
    }
    return 0;
}
