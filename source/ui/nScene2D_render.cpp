#include "ui/nScene2D.h"

#include "animation/nACECommand.h"
#include "core/base/nLog.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "render/nEngineServices.h"
#include "render/nRenderer.h"
#include "ui/nItem2D.h"
#include "ui/nSprite2D.h"
#include "ui/nWindow.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
constexpr float FadeThreshold = 0.01f;
} // namespace

// A render asked for from inside one (a handler calling "UIRender") would route the same mouse
// events again without end, so it is refused.
void nScene2D::Render(bool skipScriptUpdate)
{
    if (m_rendering)
    {
        nLogHolder::Get() << "[*] A 2D scene cannot be rendered from inside its own render.\n";
        return;
    }
    m_rendering = true;
    if (!skipScriptUpdate)
        SendUnitEvent("OnUpdate", m_unit.GetOnUpdate(), true);

    const float step = !m_engine       ? 0.0f
                       : m_useRawClock ? m_engine->GetRawDeltaFrame()
                                       : m_engine->GetDeltaFrame();
    Update(step);
    for (auto* node = m_items.GetHead(); node; node = node->next)
        if (nSprite2D* sprite = AsSprite(node->value))
            sprite->Update(step);

    SortByZOrder();
    ApplyStackingStyles();

    nRenderer* renderer = m_engine ? m_engine->GetRenderer() : nullptr;
    if (m_mouse)
        UpdateInput(renderer);
    if (renderer)
    {
        const nMatrix4 identity;
        renderer->SetViewMatrix(identity, &identity);
        renderer->SetModelMatrix(identity, &identity);
        float width = 0.0f, height = 0.0f;
        const float aspect = GetOutputAspect(renderer, width, height);
        nMatrix4 projection;
        projection.m[0] *= (height / width) * (m_internalWidth / m_internalHeight) * aspect;
        renderer->SetProjectionMatrix(projection);
        m_drawStamp = NextStamp(); // nothing that runs while the items draw changes them
        for (auto* node = m_items.GetHead(); node; node = node->next)
            node->value->Draw(renderer);
        m_drawStamp = 0;
        if (m_cursor)
            m_cursor->Draw(renderer);
        renderer->SetProjectionMatrix(identity);
        DrawFade(renderer);
    }
    m_rendering = false;
}

uint32_t nScene2D::NextStamp()
{
    if (++m_lastStamp == 0)
        ++m_lastStamp;
    return m_lastStamp;
}

// The output size, with a side of 0 read as 1 so that no ratio divides by it, and the renderer's
// aspect-ratio factor.
float nScene2D::GetOutputAspect(nRenderer* renderer, float& width, float& height) const
{
    uint32_t outputWidth = 0, outputHeight = 0;
    renderer->GetOutputSize(outputWidth, outputHeight);
    width = outputWidth ? float(outputWidth) : 1.0f;
    height = outputHeight ? float(outputHeight) : 1.0f;
    return renderer->GetGlobalAspectRatio();
}

// Bubble passes from the head, largest z-order first: equal z-orders keep their order.
void nScene2D::SortByZOrder()
{
    bool swapped = true;
    while (swapped)
    {
        swapped = false;
        for (auto* node = m_items.GetHead(); node && node->next; node = node->next)
            if (node->value->GetZOrder() < node->next->value->GetZOrder())
            {
                std::swap(node->value, node->next->value);
                swapped = true;
            }
    }
}

// One walk over the items as they stood: AlwaysOnTop ones go to the head, AlwaysBehind ones to
// the tail. The walk runs over a copy of the order, so a moved item is never met twice.
void nScene2D::ApplyStackingStyles()
{
    m_walk.clear();
    for (auto* node = m_items.GetHead(); node; node = node->next)
        m_walk.push_back(node->value);
    for (nItem2D* item : m_walk)
    {
        nSprite2D* sprite = AsSprite(item);
        if (sprite && sprite->HasStyle(StyleAlwaysOnTop))
            MoveItemToFront(sprite, nullptr);
        else if (sprite && sprite->HasStyle(StyleAlwaysBehind))
            MoveItemToBack(sprite, nullptr);
    }
}

nMatrix3 nScene2D::GetItemProjection(bool resolutionInvariant, nRenderer* renderer) const
{
    nMatrix3 projection;
    float* m = projection.m;
    if (resolutionInvariant && renderer)
    {
        float width = 0.0f, height = 0.0f;
        const float aspect = GetOutputAspect(renderer, width, height);
        const float correction = (m_internalWidth / m_internalHeight) * (height / width) * aspect;
        m[0] = 2.0f / width / correction;
        m[4] = -2.0f / height;
        m[6] = -1.0f / correction;
        m[7] = 1.0f;
        return projection;
    }
    // Internal pixels to 0..1, then the layer offset, then 0..1 to clip space with y down.
    const float tx = m_layerOffset.m[6];
    const float ty = m_layerOffset.m[7];
    m[0] = 2.0f / m_internalWidth;
    m[4] = -2.0f / m_internalHeight;
    m[6] = -1.0f + 2.0f * tx;
    m[7] = 1.0f - 2.0f * ty;
    return projection;
}

void nScene2D::DrawFade(nRenderer* renderer)
{
    if (!(m_fade > FadeThreshold))
        return;
    const nVector colour(m_fadeColor.r, m_fadeColor.g, m_fadeColor.b, m_fade);
    const nVector colours[3] = {colour, colour, colour};
    const nVector corners[4] = {{-1.0f, 1.0f, 0.0f, 1.0f},
                                {1.0f, 1.0f, 0.0f, 1.0f},
                                {-1.0f, -1.0f, 0.0f, 1.0f},
                                {1.0f, -1.0f, 0.0f, 1.0f}};
    const nVector first[3] = {corners[0], corners[1], corners[2]};
    const nVector second[3] = {corners[1], corners[3], corners[2]};
    renderer->DrawTriangle(first, colours, nullptr, nullptr, nRenderer::BlendAlpha,
                           nSprite2D::QuadRenderFlags);
    renderer->DrawTriangle(second, colours, nullptr, nullptr, nRenderer::BlendAlpha,
                           nSprite2D::QuadRenderFlags);
}

// "globalfade" moves the fade toward its target like the setter keeps it: within 0..1.
bool nScene2D::ExecuteCommand(nACECommand* command, float step)
{
    if (!command || command->code != Command2DGlobalFade)
        return nACEUnit::ExecuteCommand(command, step);
    if (step == 0.0f)
        return false;
    const float fraction = command->remaining > 0.0f ? std::min(step / command->remaining, 1.0f) : 1.0f;
    SetFade(m_fade + (command->parameters[0] - m_fade) * fraction);
    return true;
}
