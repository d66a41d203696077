#pragma once

#include "core/base/nList.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nColor.h"

#include <cstdint>

class nFrustum;
class nLightSource;
class nTexture;
class nVector;

// What the renderer asks of the world it draws while it draws: the ambient light, the
// environment textures and the lights that reach a place. The renderer holds one source.
class nRendererEnvironmentInterface
{
public:
    virtual nColor GetAmbientColor() { return nColor(0.2f, 0.2f, 0.2f, 1.0f); }
    virtual void GetEnvironmentTexture(nSharedPtr<nTexture>&, nSharedPtr<nTexture>&) {}
    virtual void GetLightsAt(const nVector&, const nFrustum&, nList<nLightSource*>&, uint32_t) {}
    virtual void GetNearestLights(const nVector&, nList<nLightSource*>&, uint32_t) {}
    virtual ~nRendererEnvironmentInterface() = default;
};
