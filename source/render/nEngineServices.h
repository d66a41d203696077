#pragma once

#include "render/nCoreMessage.h"

#include <cstdint>

class nGeometry;
class nMaterial;
class nMixer;
class nPicture;
class nRenderer;
class nTexture;
struct nCoreEventData;
struct nFontPair;

// What renderers, mixers, the resources made for the engine (textures, materials, geometries,
// sounds) and the 2D interface ask of the engine that owns them. The engine object implements it;
// these libraries hold the engine through it, so that none of them has to link the engine. A resource that is
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
    // The engine clock in seconds, and the scaled and the raw time of the last frame step.
    virtual float GetClock() const = 0;
    virtual float GetDeltaFrame() const = 0;
    virtual float GetRawDeltaFrame() const = 0;
    // A picture through the current resource cache, or null after the reader's line.
    virtual nPicture* LoadPicture(const char* path, bool bypassCache) = 0;
    // Drops the named picture from the engine's picture cache; false when it is not cached.
    virtual bool UnloadBitmap(const char* path) = 0;
    // The engine's part of the statistics page, written with the two fonts from (x, y) on; y
    // advances past it.
    virtual void DrawProfile(const nFontPair& fonts, float& x, float& y) = 0;
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
    // Long work of the renderer on the engine's progress display: opened, shown with a caption at
    // fractions from 0 to 1, then closed.
    virtual void BeginProgress() {}
    virtual void ShowProgress(const char* /*text*/, float /*fraction*/) {}
    virtual void EndProgress() {}
    // The engine's render-queue timer, run by the renderer around the drawing of its queue.
    virtual void BeginRenderQueueTimer() {}
    virtual void EndRenderQueueTimer() {}

protected:
    ~nEngineServices() = default;
};
