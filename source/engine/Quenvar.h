#pragma once

#include "audio/nNullMixer.h"
#include "core/base/MessageBroadcaster.h"
#include "core/math/nPerfCounter.h"
#include "engine/QuenvarEventInterface.h"
#include "engine/items/nLoadContext.h"
#include "engine/resources/nResourceCache.h"
#include "render/nCoreListener.h"
#include "render/nEngineServices.h"
#include "render/nFontPair.h"
#include "render/nNullRenderer.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class nGeometry;
class nMaterial;
class nParticleModel;
class nPicture;
class nSound;
class nTexture;
struct nCoreEventData;

// The engine object: one per viewer. It always points at exactly one renderer and one mixer
// (its own null ones unless others are set), keeps the frame clock, owns the resource caches,
// loads resources through them and tells its core listeners about loads and destroyed resources.
class Quenvar : public MessageBroadcaster<nCoreMessage, nCoreListener, const nCoreEventData*>,
                public nEngineServices
{
public:
    using EventInterface = QuenvarEventInterface;
    // Called with the name of a resource whose file does not exist; it may change the name.
    using NotFoundHook = void (*)(nString& name);
    using GeometryLoadedHook = void (*)(nGeometry* geometry);
    using MaterialLoadedHook = void (*)(nMaterial* material);
    using PictureLoadedHook = void (*)(nPicture* picture);
    using TextureLoadedHook = void (*)(nTexture* texture);
    using SoundLoadedHook = void (*)(nSound* sound);

    enum Mode : int32_t
    {
        ModeNormal = 0,
        ModeTool = 2,
    };

    Quenvar();
    Quenvar(const Quenvar&) = delete;
    Quenvar& operator=(const Quenvar&) = delete;
    ~Quenvar() override;

    void SendCoreMessage(nCoreMessage message, const nCoreEventData* data) override;
    nRenderer* GetRenderer() const override { return m_renderer; }
    nMixer* GetMixer() const override { return m_mixer; }
    float GetFrameRate() const override { return m_frameCounter.GetRate(); }
    float GetRenderQueueTime() const override { return m_renderQueueCounter.GetLast(); }
    void BeginProgress() override { m_eventSink->OnLoadBegin(); }
    void ShowProgress(const char* text, float fraction) override { m_eventSink->OnLoadProgress(text, fraction); }
    void EndProgress() override { m_eventSink->OnLoadEnd(); }
    void BeginRenderQueueTimer() override { m_renderQueueCounter.Begin(); }
    void EndRenderQueueTimer() override { m_renderQueueCounter.End(); }
    float GetCullingTime() const override { return m_cullingCounter.GetLast(); }

    // Null restores the engine's own; nothing is deleted.
    void SetRenderer(nRenderer* renderer);
    void SetMixer(nMixer* mixer);
    nNullRenderer& GetNullRenderer() { return *m_nullRenderer; }
    nNullMixer& GetNullMixer() { return *m_nullMixer; }
    static const char* GetVersion() { return "1.2.2"; }

    // The clock counts platform ticks, scaled by the clock scale (thousandths); a fixed step
    // replaces real time, and a correction rate spreads the rounding of the fixed step back in.
    void UpdateClock();
    void UpdateClockAt(uint64_t now);
    void ResetClock();
    void SyncClock();
    float GetClock() const override;
    // Seconds of the last step, read between 0.005 and 1.
    // The smallest frame delta the clock hands out, in seconds.
    static constexpr float MinDeltaFrame = 0.005f;
    float GetDeltaFrame() const override;
    float GetRawDeltaFrame() const override;
    void SetClockScale(float scale);
    float GetClockScale() const { return float(m_clockScale) * 0.001f; }
    void SetClockScaleRaw(int32_t thousandths) { m_clockScale = thousandths; }
    int32_t GetClockScaleRaw() const { return m_clockScale; }
    // Negative turns the fixed step off.
    void SetFixedDeltaFrame(float seconds);
    int64_t GetFixedStep() const { return m_fixedStep; }
    void SetClockCorrection(int32_t framesPerSecond);
    void ClearClockCorrection();
    void SetClockStopped(bool stopped) { m_clockStopped = stopped; }
    bool IsClockStopped() const { return m_clockStopped; }
    int64_t GetClockTicks() const { return m_clock; }
    int64_t GetFrameStep() const { return m_frameStep; }
    // The platform tick at which the clock was last updated (the start of the current frame).
    uint64_t GetLastClockTick() const { return m_lastTick; }

    void BeginFrame();
    nPerfCounter& GetFrameCounter() { return m_frameCounter; }
    nPerfCounter& GetRenderQueueCounter() { return m_renderQueueCounter; }
    nPerfCounter& GetCullingCounter() { return m_cullingCounter; }
    // The engine part of the on-screen profiler, continuing at (x, y).
    void DrawProfile(const nFontPair& fonts, float& x, float& y) override;
    // A named profiler scope: its timer and how many times it has closed.
    struct ProfileScope
    {
        nString name;
        nPerfCounter timer;
        uint32_t runs = 0;
    };
    void BeginProfileScope(const char* name) override;
    // Closes the scope opened last; nothing when none is open.
    void EndProfileScope() override;
    // Null when no scope of that name has been opened.
    const ProfileScope* GetProfileScope(const char* name) const;
    // The sizes of the machine's and (with the core part) the engine's types, for the banner.
    static void WriteLayoutReport(bool withCore);

    int32_t GetMode() const override { return m_mode; }
    void SetMode(int32_t mode) { m_mode = mode; }
    // Off: loaders set nothing up on the renderer or the mixer (offline raytracing).
    bool GetSetupOnLoad() const { return m_setupOnLoad; }
    void SetSetupOnLoad(bool setup) { m_setupOnLoad = setup; }
    EventInterface* GetEventSink() const { return m_eventSink; }
    // Null restores the engine's default sink.
    void SetEventSink(EventInterface* sink) { m_eventSink = sink ? sink : &m_defaultEventSink; }

    nResourceCache* GetResourceCache() const { return m_currentCache; }
    nResourceCache* GetDefaultResourceCache() const { return m_defaultCache.get(); }
    const nList<nResourceCache*>& GetExtraResourceCaches() const { return m_extraCaches; }
    nResourceCache* NewResourceCache();
    // Null makes the default cache current; answers the cache that was current.
    nResourceCache* SetResourceCache(nResourceCache* cache);
    // Deletes an extra cache; when it is current the default becomes current first. False for the
    // default cache or a cache the engine does not own.
    bool DeleteResourceCache(nResourceCache* cache);
    void FreeResourceCaches();

    NotFoundHook GetGeometryNotFoundHook() const { return m_geometryNotFound; }
    NotFoundHook GetMaterialNotFoundHook() const { return m_materialNotFound; }
    NotFoundHook GetTextureNotFoundHook() const { return m_textureNotFound; }
    NotFoundHook GetSoundNotFoundHook() const { return m_soundNotFound; }
    void SetGeometryNotFoundHook(NotFoundHook hook) { m_geometryNotFound = hook; }
    void SetMaterialNotFoundHook(NotFoundHook hook) { m_materialNotFound = hook; }
    void SetTextureNotFoundHook(NotFoundHook hook) { m_textureNotFound = hook; }
    void SetSoundNotFoundHook(NotFoundHook hook) { m_soundNotFound = hook; }
    GeometryLoadedHook GetGeometryLoadedHook() const { return m_geometryLoaded; }
    MaterialLoadedHook GetMaterialLoadedHook() const { return m_materialLoaded; }
    PictureLoadedHook GetPictureLoadedHook() const { return m_pictureLoaded; }
    TextureLoadedHook GetTextureLoadedHook() const { return m_textureLoaded; }
    SoundLoadedHook GetSoundLoadedHook() const { return m_soundLoaded; }
    void SetGeometryLoadedHook(GeometryLoadedHook hook) { m_geometryLoaded = hook; }
    void SetMaterialLoadedHook(MaterialLoadedHook hook) { m_materialLoaded = hook; }
    void SetPictureLoadedHook(PictureLoadedHook hook) { m_pictureLoaded = hook; }
    void SetTextureLoadedHook(TextureLoadedHook hook) { m_textureLoaded = hook; }
    void SetSoundLoadedHook(SoundLoadedHook hook) { m_soundLoaded = hook; }

    // Loaders: through the current cache unless bypassed; null on failure after the reader's own
    // message. A CPU-only texture goes to the cache's CPU list and is not set up on the renderer.
    // Geometries come with their kind, over LoadResource (engine/resources/nResourceLoader.h).
    nPicture* LoadPicture(const char* path, bool bypassCache = false) override;
    // Drops the picture of that name from the current cache; false when it is not cached there.
    bool UnloadBitmap(const char* path) override;
    // Also reads the texture's side file (its name with ".nmd" appended) for the render-target flags.
    nTexture* LoadTexture(const char* path, bool cpuOnly, bool bypassCache) override;
    nMaterial* LoadMaterial(const char* path, bool bypassCache = false) override;
    // A CPU-only geometry goes to the cache's CPU list and is not set up on the renderer. A
    // geometry whose file is being read cannot be loaded again meanwhile (a proxy naming itself,
    // or A naming B naming A): that load answers null after a "[*]" line.
    nGeometry* LoadGeometry(const char* path, bool cpuOnly, bool bypassCache) override;
    // On: optimised geometries keep their own arrays beside their leaves (off by default).
    bool GetKeepGeometryData() const override { return m_keepGeometryData; }
    void SetKeepGeometryData(bool keep) { m_keepGeometryData = keep; }
    // Loads the file into an existing texture: through the renderer, else into its own picture.
    bool SetTextureContent(nTexture* texture, const char* path);
    // A sound that loaded joins the current cache's sound list (a second load answers it); one
    // that failed is deleted and null answered.
    nSound* LoadSound(const char* path);
    // A particle model from its NML file; no hook is asked about a missing file.
    nParticleModel* LoadParticleModel(const char* path, bool bypassCache = false);

    // Objects that scripts made through the engine and that nothing else frees (raytracers): each
    // is destroyed when the engine goes, first of all, while the caches whose resources it may
    // still hold exist.
    void AdoptObject(void* object, void (*destroy)(void*));
    // The program's end destroys them before it closes the renderer, whose materials they may hold.
    void DestroyAdoptedObjects();

    // What is being loaded: loaders push their resource around reading its file.
    void PushLoadContext();
    void PushLoadContext(nMaterial* material);
    void PushLoadContext(nGeometry* geometry);
    void PushLoadContext(nMObject* object);
    void PopLoadContext();
    const nLoadContextStack& GetLoadContextStack() const { return m_loadContext; }

private:
    nRenderer* m_renderer = nullptr;
    nMixer* m_mixer = nullptr;
    bool m_clockStopped = false;
    int64_t m_fixedStep = -1;
    int32_t m_correctionRate = -1;
    int64_t m_correctionAccumulator = 0; // 1/100000 tick
    int64_t m_clock = 0;
    uint64_t m_lastTick = 0;
    int32_t m_clockScale = 1000;
    int64_t m_frameStep = 0;
    int64_t m_rawFrameStep = 0;
    std::unique_ptr<nNullRenderer> m_nullRenderer;
    std::unique_ptr<nNullMixer> m_nullMixer;
    nPerfCounter m_frameCounter;
    nPerfCounter m_renderQueueCounter;
    nPerfCounter m_cullingCounter;
    int32_t m_mode = ModeNormal;
    bool m_setupOnLoad = true;
    EventInterface m_defaultEventSink;
    EventInterface* m_eventSink = &m_defaultEventSink;
    std::unique_ptr<nResourceCache> m_defaultCache;
    nAutoList<nResourceCache*> m_extraCaches;
    nResourceCache* m_currentCache = nullptr;
    NotFoundHook m_geometryNotFound = nullptr;
    NotFoundHook m_materialNotFound = nullptr;
    NotFoundHook m_textureNotFound = nullptr;
    NotFoundHook m_soundNotFound = nullptr;
    GeometryLoadedHook m_geometryLoaded = nullptr;
    MaterialLoadedHook m_materialLoaded = nullptr;
    PictureLoadedHook m_pictureLoaded = nullptr;
    TextureLoadedHook m_textureLoaded = nullptr;
    SoundLoadedHook m_soundLoaded = nullptr;
    nLoadContextStack m_loadContext;
    bool m_keepGeometryData = false;
    nList<nString> m_geometriesLoading;
    // Stable addresses: the open scopes point into the list.
    std::deque<ProfileScope> m_profileScopes;
    std::vector<ProfileScope*> m_openProfileScopes;
    struct AdoptedObject
    {
        void* object;
        void (*destroy)(void*);
    };
    std::vector<AdoptedObject> m_adoptedObjects;
};
