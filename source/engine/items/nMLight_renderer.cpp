#include "engine/items/nMLight.h"

#include "engine/Quenvar.h"
#include "render/nRenderer.h"

namespace
{
nRenderer* RendererOf(const nLight& light)
{
    return light.GetEngine() ? light.GetEngine()->GetRenderer() : nullptr;
}
} // namespace

void nMLight::Update()
{
    if (nRenderer* renderer = RendererOf(m_light))
        renderer->UpdateLight(&m_light, m_renderLight.Get());
}

void nMLight::Setup()
{
    if (nRenderer* renderer = RendererOf(m_light))
        m_renderLight = renderer->SetupLight(&m_light);
    nMItem::Setup();
}

void nMLight::ReleaseRenderLight()
{
    m_renderLight = nullptr;
}
