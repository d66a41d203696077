#pragma once

#include "core/picture/nPicture.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "raytracer/nRaytracer.h"
#include "render/shader/nShaderMap.h"

#include "geometry/GeometryTestSupport.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using Pixel = std::array<uint8_t, 4>; // B, G, R, A as a BGRA8 picture stores them

// A scene without an engine or a script machine, seen by a camera at (0, 0, -5) looking along +z,
// with the ambient light and fog off; quads and lights are added by each test.
class RaytracerFixture : public testing::Test
{
public: // the case tables build their scenes through it
    void SetUp() override
    {
        scene = new nScene(nullptr, nullptr);
        scene->AddRef();
        scene->SetAmbientColor(nColor(0.0f, 0.0f, 0.0f, 1.0f));
        scene->SetAmbientIntensity(0.0f);
        scene->SetBackgroundColor(nColor(0.5f, 0.25f, 1.0f, 0.0f));
        camera = scene->NewCamera("Camera");
        camera->GetCamera().SetPosition(nVector(0.0f, 0.0f, -5.0f));
        scene->SetCurrentCamera(camera->GetItem());
    }

    void TearDown() override
    {
        if (scene)
            scene->Release();
    }

    // A geometry of one polygon through the corners, with its own default material (no shader
    // map) whose diffuse colour is given.
    nGeometry* MakePolygon(const std::vector<nVector>& corners, const nColor& diffuse = nColor(1, 1, 1, 1))
    {
        nGeometry* geometry = new nGeometry(nullptr);
        Corners polygon;
        for (uint32_t i = 0; i < corners.size(); ++i)
            polygon.push_back(i);
        BuildGeometry(*geometry, corners, {polygon});
        geometry->GetMaterial(0)->diffuse = diffuse;
        geometry->name = "polygon";
        return geometry;
    }

    // A square of the given half size in the plane z = depth, its front face towards -z.
    nMObject* AddWall(float depth, float half = 100.0f,
                      const nColor& diffuse = nColor(0.5f, 0.25f, 0.75f, 1.0f), const char* name = "Wall")
    {
        return scene->NewObject(name, MakePolygon({nVector(-half, -half, depth), nVector(-half, half, depth),
                                                   nVector(half, half, depth), nVector(half, -half, depth)},
                                                  diffuse));
    }

    // A light along +z of the identity rotation (its light falls along +z: L = -z).
    nMLight* AddParallelLight(bool shadows = false)
    {
        nMLight* light = scene->NewLight("Sun", LightTypeParallel, 0.5f);
        if (shadows)
            light->GetLight().SetShadowMode(LightShadowMap);
        return light;
    }

    static nMaterial& MaterialOf(nMObject* object)
    {
        return *object->GetObject().GetGeometry()->GetMaterial(0);
    }

    // The material read from a file: its shader map built from its colours and stages.
    static void GiveFixedFunctionMap(nMaterial& material)
    {
        material.SetShaderMap(nShaderMap::CreateFromFixedFunction(material));
    }

    // Traces a frame and answers the picture (empty after a failure).
    nPicture Frame(int32_t width, int32_t height, bool* result = nullptr)
    {
        nPicture picture;
        nRaytracer raytracer(nullptr);
        raytracer.SetSettings(settings);
        const bool traced = raytracer.SetScene(scene) && raytracer.Trace(picture, width, height);
        lastRays = raytracer.GetRayCount();
        if (result)
            *result = traced;
        return picture;
    }

    static Pixel At(const nPicture& picture, uint32_t x, uint32_t y)
    {
        const uint8_t* p = picture.GetPixelAddress(x, y);
        return {p[0], p[1], p[2], p[3]};
    }

    // True when every pixel is the one given.
    static bool AllPixels(const nPicture& picture, const Pixel& expected, std::string& why)
    {
        for (uint32_t y = 0; y < picture.GetHeight(); ++y)
            for (uint32_t x = 0; x < picture.GetWidth(); ++x)
                if (At(picture, x, y) != expected)
                {
                    const Pixel p = At(picture, x, y);
                    why = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                          std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) +
                          "," + std::to_string(p[3]);
                    return false;
                }
        return picture.HasPixels();
    }

    CapturedLog log;
    nScene* scene = nullptr;
    nMCamera* camera = nullptr;
    nRaytracerSettings settings;
    uint64_t lastRays = 0;
};
