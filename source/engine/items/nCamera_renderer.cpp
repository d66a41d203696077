#include "engine/items/nCamera.h"

#include "engine/Quenvar.h"
#include "render/nRenderer.h"

// What the camera asks of the engine's renderer. A camera made without an engine has none to
// ask, as a renderer that cannot tell its viewport.

namespace
{
nRenderer* RendererOf(const Quenvar* engine)
{
    return engine ? engine->GetRenderer() : nullptr;
}
} // namespace

bool nCamera::QueryRendererViewport(int& x, int& y, int& width, int& height) const
{
    x = y = width = height = 0;
    nRenderer* renderer = RendererOf(GetEngine());
    if (!renderer)
        return false;
    int32_t viewX = 0, viewY = 0, viewWidth = 0, viewHeight = 0;
    renderer->GetViewport(viewX, viewY, viewWidth, viewHeight);
    x = viewX;
    y = viewY;
    width = viewWidth;
    height = viewHeight;
    return true;
}

float nCamera::GetRendererAspectCorrection() const
{
    nRenderer* renderer = RendererOf(GetEngine());
    return renderer ? renderer->GetGlobalAspectRatio() : 1.0f;
}

void nCamera::LeaveRenderer()
{
    nRenderer* renderer = RendererOf(GetEngine());
    if (renderer && renderer->GetViewItem() == this)
        renderer->SetViewItem(nullptr, nullptr);
}

void nCamera::UpdateView()
{
    Update();
    GetInverseMatrix();
}
