#pragma once

#include "render/nCoreMessage.h"

#include <cstdint>

class nGeometry;
class nMaterial;
class nMixer;
class nRenderer;
class nTexture;
struct nCoreEventData;

// What renderers, mixers and the resources made for the engine (textures, materials, geometries,
// sounds) ask of the engine that owns them. The engine object implements it; these libraries hold
// the engine through it, so that none of them has to link the engine. A resource that is
// destroyed sends CoreMessageResourceDestroying, frees its data, then CoreMessageResourceDestroyed.
class nEngineServices
{
public:
    virtual void SendCoreMessage(nCoreMessage message, const nCoreEventData* data) = 0;
    // Never null: the engine falls back on its own null renderer and null mixer.
    virtual nRenderer* GetRenderer() const = 0;
    virtual nMixer* GetMixer() const = 0;
    // The last frame's rate and the milliseconds spent on the render queue and on culling.
    virtual float GetFrameRate() const = 0;
    virtual float GetRenderQueueTime() const = 0;
    virtual float GetCullingTime() const = 0;
    // A texture through the current resource cache (its ".nmd" side file read), or null; materials
    // and shader maps load their textures here.
    virtual nTexture* LoadTexture(const char* path, bool cpuOnly, bool bypassCache) = 0;
    // The engine's mode word; in mode 1 the renderer draws but does not present.
    virtual int32_t GetMode() const { return 0; }
    // Geometries load their referenced materials and their proxies here.
    virtual nMaterial* LoadMaterial(const char* path, bool bypassCache) = 0;
    virtual nGeometry* LoadGeometry(const char* path, bool cpuOnly, bool bypassCache) = 0;
    // On: an optimised geometry keeps its own arrays beside its leaves.
    virtual bool GetKeepGeometryData() const = 0;
    // Named stretches of work the profiler times ("Geometry Setup"), opened and closed in nested
    // pairs (nProfileScope keeps them paired); an engine without a profiler ignores them.
    virtual void BeginProfileScope(const char* /*name*/) {}
    virtual void EndProfileScope() {}

protected:
    ~nEngineServices() = default;
};
