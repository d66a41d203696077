#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nWeakPtr.h"
#include "core/math/nColor.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "core/picture/nPicture.h"
#include "raytracer/nRaytracerHit.h"
#include "raytracer/nRaytracerRandom.h"
#include "raytracer/nRaytracerSettings.h"
#include "raytracer/nSceneBIH.h"

#include <cstdint>
#include <vector>

class Quenvar;
class nMLight;
class nRaytracer;
class nScene;
class nShaderBlock;
struct nRaytracerShaderValue;

// Where a frame stands, for whoever watches it.
struct nRaytracerProgress
{
    const nRaytracer* raytracer;
    const char* stage; // "Rendering (1/2)" or "Anti-aliasing (2/2)"
    float fraction;    // of the stage's jobs done
};

class nRaytracerProgressListener
{
public:
    virtual ~nRaytracerProgressListener() = default;
    virtual void OnProgress(const nRaytracerProgress& progress) = 0;
};

// The pixels of one job: rows and columns from begin up to end.
struct nRaytracerTile
{
    uint32_t rowBegin;
    uint32_t rowEnd;
    uint32_t columnBegin;
    uint32_t columnEnd;
};

// What one worker's share of a frame draws on and counts: its own random sequence, seeded from
// its tile, and its own counters, summed when the pass is over. A frame is therefore the same on
// every run and with any number of workers.
struct nRaytracerTraceContext
{
    nRaytracerRandom random;
    uint64_t rays = 0;
    uint64_t visibilityRays = 0;
    uint64_t visibilitySurfaces = 0;
};

// The budgets of one primary ray, shared by every ray it leads to.
struct nRaytracerBudget
{
    int32_t globalIllumination = 1;
    int32_t reflection = 2;
    int32_t refraction = 6;
    uint32_t depth = 0; // rays nested in the one being traced
};

// Renders the current camera view of one scene on the CPU into a picture, on the job workers: a
// pass of 32 x 32 tiles, then a pass that resamples pixels unlike their neighbours. The scene is
// grabbed once by SetScene (objects, trees, lights) and read by every later frame; the scene
// itself is only read, on the calling thread, at the start of a frame.
class nRaytracer
{
public:
    static constexpr uint32_t SampleSetCount = 32;
    static constexpr uint32_t TileSize = 32;
    static constexpr float SurfaceOffset = 0.001f; // secondary rays start this far off their surface
    static constexpr uint32_t MaxShaderDepth = 64;
    // However large the budgets, rays nest no deeper than this (the workers' stacks are finite).
    static constexpr uint32_t MaxRayDepth = 64;
    // Larger grids are cut down: a pixel of 32 x 32 samples is already over a thousand rays.
    static constexpr int32_t MaxAntialiasGrid = 32;
    static constexpr int32_t MaxSampleSetSide = 1024;
    static constexpr uint64_t MaxFramePixels = uint64_t(1) << 26;

    explicit nRaytracer(Quenvar* engine);
    nRaytracer(const nRaytracer&) = delete;
    nRaytracer& operator=(const nRaytracer&) = delete;
    virtual ~nRaytracer();

    // The value of a material channel (shader map root order: 0 Vertex ... 8 Reflection) at a hit.
    virtual nColor EvaluateChannel(const nRaytracerHit& hit, uint32_t channel) const;

    // Copies the settings and draws the sample sets again; false when a set cannot be allocated.
    bool SetSettings(const nRaytracerSettings& settings);
    const nRaytracerSettings& GetSettings() const { return m_settings; }
    // Grabs the scene for the frames to come; false when either hierarchy cannot be built.
    bool SetScene(nScene* scene);
    void ClearScene();
    // One frame of width x height into the picture (BGRA8). False after a log line for a size of
    // 0 or less, an odd height of an interlaced frame, a scene gone since SetScene or memory that
    // runs out, and silently without a camera. The first field of an interlaced sequence leaves
    // the picture empty and answers true.
    bool Trace(nPicture& picture, int32_t width, int32_t height);
    // Trace into a new picture and save it as a TGA file; false when either fails or the frame
    // left the picture empty.
    bool TraceToFile(const char* path, int32_t width, int32_t height);
    void StartInterlacedSequence();
    // The tiles of a pass over width x height pixels, 32 x 32 from the top left; the antialias
    // pass leaves the border out, whose pixels lack a neighbour.
    static void PlanTiles(uint32_t width, uint32_t height, bool antialias,
                          std::vector<nRaytracerTile>& tiles);
    void SetProgressListener(nRaytracerProgressListener* listener) { m_listener = listener; }

    // The counters of the last frame: rays through the primary hierarchy, visibility rays and the
    // surfaces they crossed.
    uint64_t GetRayCount() const { return m_primary.rayCount; }
    uint64_t GetVisibilityRayCount() const { return m_visibilityRays; }
    uint64_t GetVisibilitySurfaceCount() const { return m_visibilitySurfaces; }
    const nSceneBIH& GetPrimaryHierarchy() const { return m_primary; }
    const nSceneBIH& GetShadowHierarchy() const { return m_shadow; }
    const nAutoArray<nVector>& GetSampleSet(uint32_t index) const { return m_sampleSets[index].directions; }
    uint32_t GetLightCount() const { return m_lights.GetCount(); }

    // The pieces of a frame, each usable on its own (the frame runs them on its workers).
    // The colour of a ray from the camera, or from a parent hit whose medium and distance it
    // continues.
    void TraceRay(nRaytracerTraceContext& context, const nVector& origin, const nVector& direction,
                  nColor& out, nRaytracerBudget& budget, const nRaytracerHit* parent) const;
    void Shade(nRaytracerTraceContext& context, nRaytracerHit& hit, nColor& out,
               nRaytracerBudget& budget) const;
    // The light that reaches the end of the segment, 0 to 1, through at most passes surfaces.
    float Visibility(nRaytracerTraceContext& context, const nVector& origin, const nVector& direction,
                     float maxDistance, int32_t passes) const;
    // Fills in what shading reads: position, material, corners and, when asked, the shading
    // normal.
    void ResolveHit(nRaytracerHit& hit, bool withNormal = true) const;
    bool EvaluateShaderBlock(const nRaytracerHit& hit, const nShaderBlock* block, nRaytracerShaderValue& out,
                             uint32_t depth) const;
    // The colour of the material's active stage on the channel (texture-stage kind) at the hit.
    nColor SampleStage(const nRaytracerHit& hit, uint32_t kind) const;
    // The material's opacity times the alpha of its opacity stage.
    float GetMaterialOpacity(const nRaytracerHit& hit) const;
    // Mode 0: the shading normal in object space; mode 1: the vertex colour.
    nVector EvaluateSurface(const nRaytracerHit& hit, uint32_t mode) const;

private:
    struct FrameSetup;
    class TileJob;
    class RenderJob;
    class AntialiasJob;

    bool GenerateSampleSet(uint32_t index);
    // The scene of SetScene when it still lives, after a log line when it does not.
    nScene* GetLiveScene();
    // The values of the scene that shading reads, taken on the calling thread.
    void CaptureScene(nScene& scene);
    bool RunPass(const char* stage, bool antialias, FrameSetup& frame);
    void RenderTile(nRaytracerTraceContext& context, const FrameSetup& frame, uint32_t rowBegin,
                    uint32_t rowEnd, uint32_t columnBegin, uint32_t columnEnd) const;
    void AntialiasTile(nRaytracerTraceContext& context, const FrameSetup& frame, uint32_t rowBegin,
                       uint32_t rowEnd, uint32_t columnBegin, uint32_t columnEnd) const;
    nVector PixelDirection(const FrameSetup& frame, float row, float column) const;
    void Resolve(const FrameSetup& frame, nPicture& picture) const;
    bool MergeFields(nPicture& picture, uint32_t width, uint32_t height, uint32_t tracedHeight);
    void GatherLights(const nRaytracerHit& hit, nRaytracerTraceContext& context, float glossiness,
                      nColor& diffuseSum, nColor& specularSum) const;
    nColor GatherGlobalIllumination(nRaytracerTraceContext& context, const nRaytracerHit& hit,
                                    nRaytracerBudget& budget) const;
    float AmbientOcclusion(nRaytracerTraceContext& context, const nRaytracerHit& hit) const;
    bool ScreenPosition(const nVector& point, float& x, float& y) const;

    Quenvar* m_engine;
    nWeakPtr<nScene> m_scene;
    nSceneBIH m_primary;
    nSceneBIH m_shadow;
    nAutoArray<nMLight*> m_lights; // null where a light was not enabled at the grab
    uint64_t m_visibilityRays = 0;
    uint64_t m_visibilitySurfaces = 0;
    nRaytracerSettings m_settings;
    struct SampleSet
    {
        nAutoArray<nVector> directions{MemCategoryRenderJob};
    };
    SampleSet m_sampleSets[SampleSetCount];
    float m_frameWidth = 1.0f;
    float m_frameHeight = 1.0f;
    float m_frameTime = 0.0f;
    bool m_fieldFlag = true;
    nPicture m_storedField;
    nRaytracerProgressListener* m_listener = nullptr;
    bool m_sceneSet = false;
    nColor m_background{0.0f, 0.0f, 0.0f, 1.0f};
    nColor m_ambient{0.0f, 0.0f, 0.0f, 1.0f}; // colour times intensity
    float m_fogStart = 0.0f;
    float m_fogEnd = 0.0f;
    nColor m_fogColor{0.0f, 0.0f, 0.0f, 1.0f};
    // The camera of the frame being traced, for UV source 3 (screen).
    nMatrix4 m_cameraInverse;
    float m_cameraScaleX = 1.0f;
    float m_cameraScaleY = 1.0f;
    float m_cameraZoom = 1.0f;
};
