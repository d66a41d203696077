#include "render/nRenderer.h"

#include "core/math/nMatrix4.h"
#include "geometry/nTexture.h"
#include "render/nRenderView.h"

#include <cstdint>

nRenderer::nRenderer(nEngineServices* engine) : m_engine(engine)
{
    m_registry.PushBack(this);
}

nRenderer::~nRenderer()
{
    m_registry.Remove(this);
    m_renderQueue.Clear();
}

void nRenderer::OnMessage(nRegistryMessage message, const char* data)
{
    OnRegistryMessage(message, data);
}

int32_t nRenderer::OnRegistryMessage(nRegistryMessage, const char*)
{
    return 0;
}

uint32_t nRenderer::GetMaxBatchVertexCount() const
{
    return 16384;
}

void nRenderer::DrawExtraStatistics(const nFontPair&, float&, float&) {}

void nRenderer::SetOutputTexture(nTexture* texture)
{
    m_outputTexture = texture;
    m_outputTextureReference = texture;
}

int32_t nRenderer::ResetStatistics()
{
    m_statistics = Statistics();
    return 0;
}

const nString& nRenderer::GetInfoText() const
{
    return m_infoText;
}

void nRenderer::SetViewItem(nItem* item, nRenderView* camera)
{
    m_viewItem = item;
    m_viewCamera = item ? camera : nullptr;
}

void nRenderer::ApplyView()
{
    if (!m_viewItem || !m_viewCamera)
        return;
    m_viewCamera->UpdateView();
    SetViewMatrix(m_viewCamera->GetViewWorldMatrix(), &m_viewCamera->GetViewInverseWorldMatrix());
    nMatrix4 projection;
    m_viewCamera->ComputeProjectionMatrix(projection);
    SetProjectionMatrix(projection);
    m_viewCamera->ComputeViewFrustum();
    m_viewFrustum = m_viewCamera->GetViewFrustum();
}

void nRenderer::SetFog(bool enable, const nColor* colour, float nearDistance, float farDistance)
{
    m_fogEnabled = enable;
    if (colour)
        m_fogColour = *colour;
    if (nearDistance >= 0.001f)
        m_fogNear = nearDistance;
    m_fogFar = farDistance >= m_fogNear + 0.001f ? farDistance : m_fogNear + 0.001f;
}

void nRenderer::ResetRenderQueue()
{
    m_renderQueue.Clear();
}

void nRenderer::AddToRenderQueue(nRenderable* renderable)
{
    m_renderQueue.PushBack(renderable);
}

void nRenderer::CollectRenderPrimitives(int32_t pass, nAutoList<nRenderablePrimitive*>& primitives)
{
    primitives.Clear();
    if (!m_viewItem)
        return;
    nCamera* camera = m_viewCamera ? m_viewCamera->GetCamera() : nullptr;
    for (auto* node = m_renderQueue.GetHead(); node; node = node->next)
        node->value->Render(camera, m_viewItem, &primitives, pass, true);
}

uint32_t nRenderer::ComputeTextureSize(uint32_t size, bool exact)
{
    constexpr uint32_t largestPower = uint32_t(1) << 31;
    constexpr uint32_t nearestCap = 4096;
    uint32_t value = 1;
    if (exact)
    {
        while (value < size && value < largestPower)
            value <<= 1;
        return value;
    }
    while (1.5 * value < double(size) && value < nearestCap)
        value <<= 1;
    return value;
}
