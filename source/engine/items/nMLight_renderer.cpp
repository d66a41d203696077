#include "engine/items/nMLight.h"

void nMLight::Update() {}

void nMLight::Setup()
{
    nMItem::Setup();
}

void nMLight::ReleaseRenderLight()
{
    m_renderLight = nullptr;
}
