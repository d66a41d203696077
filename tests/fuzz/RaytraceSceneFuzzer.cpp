#include "FuzzGeometry.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/picture/nPixelFormat.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "geometry/nGeometryKDTree.h"
#include "geometry/nTexture.h"
#include "raytracer/nRaytracer.h"
#include "support/StubEngineServices.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{
// Every texture a material names is one small picture, so stages and samplers have pixels to
// read; nothing else loads.
class FuzzEngine : public StubEngineServices
{
public:
    void SendCoreMessage(nCoreMessage, const nCoreEventData*) override {}
    nTexture* LoadTexture(const char*, bool, bool) override
    {
        if (!m_texture)
        {
            m_texture = new nTexture(this, 0, 0);
            m_texture->Allocate(3, 2, PixelFormatBGRA8);
            uint32_t* pixels = reinterpret_cast<uint32_t*>(m_texture->GetPixels());
            for (uint32_t i = 0; i < 6; ++i)
                pixels[i] = i & 1 ? 0x80FF8040u : 0xFF204080u;
        }
        return m_texture.Get();
    }

private:
    nSharedPtr<nTexture> m_texture;
};

void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

float Finite(float value, float fallback)
{
    return std::isfinite(value) && std::fabs(value) < 1e6f ? value : fallback;
}
} // namespace

// Any bytes as a geometry file with its materials (shader maps included), placed twice in a scene
// (once mirrored) under a shadowing parallel light and a point light, and raytraced at 16 x 16
// with the settings the last byte picks; its triangles also go through a KD-tree.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nLogHolder::Get().SetMask(LogLevelNone);
    static FuzzEngine engine;
    nMetaFile input;
    if (size == 0 || !input.Parse(reinterpret_cast<const char*>(data), size))
        return 0;
    nSharedPtr<nGeometry> geometry(ReadFuzzGeometry(engine, input, "fuzz"));
    if (!geometry)
        return 0;

    nScene* scene = new nScene(nullptr, nullptr);
    scene->AddRef();
    const nMinMax box = geometry->GetMinMax(nullptr);
    const nVector centre((Finite(box.min.x, 0) + Finite(box.max.x, 0)) * 0.5f,
                         (Finite(box.min.y, 0) + Finite(box.max.y, 0)) * 0.5f,
                         (Finite(box.min.z, 0) + Finite(box.max.z, 0)) * 0.5f);
    const float extent = std::max({Finite(box.max.x - box.min.x, 1), Finite(box.max.y - box.min.y, 1),
                                   Finite(box.max.z - box.min.z, 1), 0.01f});
    nMCamera* camera = scene->NewCamera("Camera");
    camera->GetCamera().SetPosition(nVector(centre.x, centre.y, centre.z - extent * 2.0f));
    scene->SetCurrentCamera(camera->GetItem());
    scene->SetAmbientColor(nColor(0.2f, 0.2f, 0.2f, 1.0f));
    scene->SetFog(extent, extent * 4.0f, nColor(0.1f, 0.2f, 0.3f, 1.0f));
    scene->NewObject("Object", geometry.Get());
    nMObject* mirrored = scene->NewObject("Mirrored", geometry.Get());
    mirrored->GetObject().SetScale(nVector(-1.0f, 1.0f, 2.0f));
    mirrored->GetObject().SetAlpha(0.5f);
    nMLight* sun = scene->NewLight("Sun", LightTypeParallel, 0.5f);
    sun->GetLight().SetShadowMode(LightShadowMap);
    sun->GetLight().SetRotation(nVector(0.3f, 0.2f, 0.0f));
    nMLight* lamp = scene->NewLight("Lamp", LightTypePoint, 0.5f);
    lamp->GetLight().SetShadowMode(LightShadowMap);
    lamp->GetLight().SetPosition(camera->GetCamera().GetPosition());
    lamp->GetLight().SetSpecularIntensity(1.0f);

    const uint8_t choice = data[size - 1];
    nRaytracerSettings settings;
    settings.globalIllumination = (choice & 1) != 0;
    settings.sampleSetSideCount = 2;
    settings.globalIlluminationDepth = 2;
    settings.ambientOcclusion = (choice & 2) != 0;
    settings.transparentShadows = (choice & 4) != 0;
    settings.fresnel = (choice & 8) != 0;
    settings.interlaced = (choice & 16) != 0;
    settings.antialiasGrid = 2;
    settings.antialiasJitter = true;
    // The tiles run on this thread, so a fault reproduces on one.
    settings.jobWorkerMask = int32_t(0x40000000);
    {
        nRaytracer raytracer(nullptr);
        raytracer.SetSettings(settings);
        if (raytracer.SetScene(scene))
        {
            nPicture picture;
            Require(raytracer.Trace(picture, 16, 16), "frame failed");
            Require(settings.interlaced ? !picture.HasPixels() : picture.GetWidth() == 16, "frame size");
        }
    }
    scene->Release();

    nGeometryKDTree tree;
    if (tree.Build(geometry.Get()))
        for (uint32_t ray = 0; ray < 64; ++ray)
        {
            nGeometryHit hit;
            const nVector direction(float(ray % 8) - 3.5f, float(ray / 8) - 3.5f, 8.0f);
            tree.Intersect(hit, nVector(centre.x, centre.y, centre.z - extent * 2.0f), direction, -1.0f);
            Require(!hit.hit || hit.polygon < geometry->polygons.GetCount(), "hit beyond the polygons");
        }
    return 0;
}
