#pragma once

#include "core/base/nSharedObject.h"

class nRenderer;

// What a renderer keeps for one engine resource (a texture, a geometry, a material, a light, a
// shader). Counted, so a resource and the renderer's own lists may both hold it; header-only, so
// that the resource kinds can hold their render data without linking the renderer.
class nRenderData : public nSharedObject
{
public:
    explicit nRenderData(nRenderer* renderer) : m_renderer(renderer) {}

    nRenderer* GetRenderer() const { return m_renderer; }

private:
    nRenderer* m_renderer;
};
