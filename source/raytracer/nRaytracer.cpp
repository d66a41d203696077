#include "raytracer/nRaytracer.h"

#include "core/base/nLog.h"
#include "engine/items/nMLight.h"
#include "engine/scene/nScene.h"
#include "raytracer/RaytracerObjectLifetime.h"

#include <cmath>

namespace
{
constexpr float DegreesToRadians = 0.017453292f;
constexpr float TwoPi = 6.28318530718f;
} // namespace

nRaytracer::nRaytracer(Quenvar* engine) : m_engine(engine), m_lights(MemCategoryRenderJob)
{
    RegisterRaytracerObjectLifetime();
    SetSettings(nRaytracerSettings());
}

nRaytracer::~nRaytracer()
{
    ClearScene();
}

bool nRaytracer::SetSettings(const nRaytracerSettings& settings)
{
    m_settings = settings;
    bool result = true;
    for (uint32_t index = 0; index < SampleSetCount && result; ++index)
        result = GenerateSampleSet(index);
    if (result)
        return true;
    // No set is left half made: gathers and occlusion then find no directions.
    for (SampleSet& set : m_sampleSets)
        set.directions.Free();
    nLogHolder::Get() << "[!] failed to allocate vector spread.\n";
    return false;
}

// Rings of directions around the set's axis (z of the frame nMatrix3::FromDirection makes): ring r
// at elevation r e plus up to e, its directions at azimuth j s plus up to s. The generator is
// seeded with the set's index, so the sets are the same on every run.
bool nRaytracer::GenerateSampleSet(uint32_t index)
{
    nAutoArray<nVector>& directions = m_sampleSets[index].directions;
    const int32_t side = m_settings.sampleSetSideCount;
    if (side > MaxSampleSetSide || !directions.Resize(0) ||
        !directions.ResizeForOverwrite(side > 0 ? uint32_t(side * side) : 0))
        return false;
    if (side <= 0)
        return true;
    nRaytracerRandom random(index);
    const float cone = m_settings.sampleConeAngle * DegreesToRadians;
    const float elevationStep = cone / float(side + 2);
    const float azimuthStep = TwoPi / float(side);
    uint32_t next = 0;
    for (int32_t ring = 0; ring < side; ++ring)
    {
        const float elevation = float(ring) * elevationStep + random.Float(elevationStep);
        for (int32_t j = 0; j < side; ++j)
        {
            const float azimuth = float(j) * azimuthStep + random.Float(azimuthStep);
            *directions.At(next++) = nVector(std::sin(elevation) * std::cos(azimuth),
                                             std::sin(elevation) * std::sin(azimuth), std::cos(elevation));
        }
    }
    return true;
}

void nRaytracer::CaptureScene(nScene& scene)
{
    m_background = scene.GetBackgroundColor();
    const nColor& ambient = scene.GetAmbientColorSetting();
    const float intensity = scene.GetAmbientIntensity();
    m_ambient =
        nColor(ambient.r * intensity, ambient.g * intensity, ambient.b * intensity, ambient.a * intensity);
    m_fogStart = scene.GetFogNear();
    m_fogEnd = scene.GetFogFar();
    m_fogColor = scene.GetFogColor();
    // Lighting reads each light's world matrix from the workers: it is brought up to date here,
    // so that they only read it.
    for (uint32_t i = 0; i < m_lights.GetCount(); ++i)
        if (nMLight* light = *m_lights.At(i))
            light->GetLight().GetWorldMatrix();
}

bool nRaytracer::SetScene(nScene* scene)
{
    ClearScene();
    m_scene = scene;
    m_sceneSet = scene != nullptr;
    if (!scene)
        return false;
    if (!m_primary.GrabScene(scene, nSceneBIH::PassPrimary) ||
        !m_shadow.GrabScene(scene, nSceneBIH::PassShadow))
        return false;
    const uint32_t lightCount = scene->GetLights().GetCount();
    if (!m_lights.Resize(lightCount))
    {
        nLogHolder::Get() << "[!] Failed to allocate raytracer light array.\n";
        return false;
    }
    uint32_t next = 0;
    nListIterator<nMLight*> lights;
    while (nMLight* light = scene->GetLights().Next(lights))
        *m_lights.At(next++) = light->IsEnabled() ? light : nullptr;
    CaptureScene(*scene);
    return true;
}

void nRaytracer::ClearScene()
{
    m_primary.Clear();
    m_shadow.Clear();
    m_scene = nullptr;
    m_sceneSet = false;
    m_lights.Free();
}

nScene* nRaytracer::GetLiveScene()
{
    nScene* scene = m_scene.Get();
    if (!scene)
    {
        nLogHolder::Get() << (m_sceneSet ? "[!] The raytraced scene no longer exists.\n"
                                         : "[!] No scene to raytrace.\n");
        return nullptr;
    }
    // Lights deleted since the grab are dropped, so no frame reaches one.
    for (uint32_t i = 0; i < m_lights.GetCount(); ++i)
    {
        nMLight*& light = *m_lights.At(i);
        if (light && !scene->GetLights().Find(light))
            light = nullptr;
        if (light)
            light->GetLight().GetWorldMatrix(); // brought up to date here, read by the workers
    }
    return scene;
}

void nRaytracer::StartInterlacedSequence()
{
    m_fieldFlag = m_settings.firstFieldFlag;
    m_storedField.FreeBuffer();
}

bool nRaytracer::TraceToFile(const char* path, int32_t width, int32_t height)
{
    nPicture picture;
    if (!Trace(picture, width, height) || !picture.HasPixels() || !path)
        return false;
    return nPicture::SaveTGA(picture, nString(path));
}
