#include "engine/Quenvar.h"
#include "engine/items/nCamera.h"
#include "engine/items/nLight.h"
#include "render/nRenderer.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Camera, DefaultFovFollowsTheDefaultZoom)
{
    nCamera camera(nullptr);
    EXPECT_NEAR(camera.GetFov(), 2.0f * std::atan(1.0f / 3.2f), 1e-5f);
    EXPECT_NEAR(camera.GetFov(), 0.6058f, 1e-4f);
}

TEST(Camera, FovIsClampedToItsRange)
{
    nCamera camera(nullptr);
    camera.SetFov(0.0f);
    EXPECT_NEAR(camera.GetZoom(), 229.18f, 0.01f);
    camera.SetFov(3.2f);
    EXPECT_FLOAT_EQ(camera.GetZoom(), 0.1f);
    camera.SetZoom(0.0f);
    EXPECT_FLOAT_EQ(camera.GetZoom(), 0.1f);
}

TEST(Camera, PointsLevelWithOrBehindTheCameraHaveNoScreenPosition)
{
    nCamera camera(nullptr);
    nVector screen(7, 7, 7);
    EXPECT_FALSE(camera.WorldToScreen(nVector(1, 1, 0), screen, false));
    EXPECT_FALSE(camera.WorldToScreen(nVector(0, 0, -1), screen, false));
    EXPECT_FLOAT_EQ(screen.x, 7.0f);
    ASSERT_TRUE(camera.WorldToScreen(nVector(0, 0, 10), screen, false));
    EXPECT_FLOAT_EQ(screen.x, 0.5f);
    EXPECT_FLOAT_EQ(screen.y, 0.5f);
}

TEST(Camera, ScreenToWorldInvertsWorldToScreen)
{
    nCamera camera(nullptr);
    camera.SetPosition(nVector(1, 2, 3));
    camera.SetRotation(nVector(0.2f, 0.4f, 0));
    const nVector point(2, 3, 20);
    nVector screen;
    ASSERT_TRUE(camera.WorldToScreen(point, screen, false));
    const float depth = point.MulMatrix4(camera.GetInverseMatrix()).z;
    nVector back;
    camera.ScreenToWorld(screen, depth, back);
    EXPECT_NEAR(back.x, 2, 1e-3f);
    EXPECT_NEAR(back.y, 3, 1e-3f);
    EXPECT_NEAR(back.z, 20, 1e-3f);
}

TEST(Camera, OrthographicTwoByTwoProjectsWithTheAspectScale)
{
    nCamera camera(nullptr);
    camera.SetAspectRatio(0.5f);
    camera.SetOrthographic(true);
    camera.SetOrthographicSize(2, 2);
    nVector scale;
    camera.ComputeAspectScale(scale);
    nMatrix4 projection;
    camera.ComputeProjectionMatrix(projection);
    EXPECT_FLOAT_EQ(projection.m[0], scale.x);
    EXPECT_FLOAT_EQ(projection.m[5], scale.y);
    EXPECT_FLOAT_EQ(projection.m[15], 1.0f);
    EXPECT_FLOAT_EQ(scale.x, 0.5f);
}

TEST(Camera, PerspectiveProjectionUsesZoomAndDepthRange)
{
    nCamera camera(nullptr);
    camera.SetAspectRatio(1.0f);
    camera.SetAspectRatioFromYAxis(false);
    nMatrix4 projection;
    camera.ComputeProjectionMatrix(projection);
    EXPECT_FLOAT_EQ(projection.m[0], 3.2f);
    EXPECT_FLOAT_EQ(projection.m[5], 3.2f);
    EXPECT_FLOAT_EQ(projection.m[14], 1.0f);
    EXPECT_FLOAT_EQ(projection.m[15], 0.0f);
    EXPECT_NEAR(projection.m[10], 50000.0f / (50000.0f - 0.1f), 1e-6f);
}

TEST(Camera, WorldMatrixCarriesNoScale)
{
    nCamera camera(nullptr);
    camera.SetScale(nVector(2, 2, 2));
    const nMatrix4& world = camera.GetWorldMatrix();
    for (int column = 0; column < 3; ++column)
        EXPECT_NEAR(world.GetColumn(column, false).Length(), 1.0f, 1e-5f);
}

TEST(Camera, UnknownViewportLogsAndKeepsTheAspect)
{
    CapturedLog log;
    nCamera camera(nullptr);
    nVector scale;
    camera.ComputeAspectScale(scale);
    EXPECT_NE(log.text.find("[!] GetViewport unimplemented!\n"), std::string::npos);
    EXPECT_FALSE(std::isnan(scale.x) || std::isnan(scale.y));
}

TEST(Camera, SetupFromASpotLightTakesItsPlaceAndCone)
{
    nLight light(nullptr);
    light.SetType(LightTypeSpot);
    light.SetPosition(nVector(4, 5, 6));
    light.SetVolumeRange(80.0f);
    nCamera camera(nullptr);
    camera.SetupFromLight(light);
    EXPECT_FLOAT_EQ(camera.GetAspectRatio(), 1.0f);
    EXPECT_FLOAT_EQ(camera.GetZFar(), 80.0f);
    EXPECT_FLOAT_EQ(camera.GetZNear(), light.GetZNear());
    EXPECT_NEAR(camera.GetZoom(), 1.0f / std::tan(2.0f * nLight::DefaultAngle), 1e-4f);
    EXPECT_NEAR(camera.GetWorldPosition().y, 5.0f, 1e-5f);
}

TEST(Camera, RendererViewportGivesTheAspectAndScreenCorrection)
{
    Quenvar engine;
    ASSERT_TRUE(engine.GetNullRenderer().Open(640, 480, 32, true, nullptr));
    nCamera camera(&engine);
    nVector scale;
    camera.ComputeAspectScale(scale);
    EXPECT_FLOAT_EQ(scale.x, 0.75f);
    EXPECT_FLOAT_EQ(scale.y, 1.0f);
    nVector screen;
    ASSERT_TRUE(camera.WorldToScreen(nVector(1, 0, 3.2f), screen, true));
    EXPECT_FLOAT_EQ(screen.x, (0.75f + 1.0f) / 2.0f);
}

TEST(Camera, RendererAspectCorrectionScalesTheAspectOnTheChosenAxis)
{
    Quenvar engine;
    engine.GetRenderer()->SetGlobalAspectRatio(2.0f);
    nCamera camera(&engine);
    camera.SetAspectRatio(0.75f);
    nVector scale;
    camera.ComputeAspectScale(scale);
    EXPECT_FLOAT_EQ(scale.x, 1.5f);
    EXPECT_FLOAT_EQ(scale.y, 1.0f);
    camera.SetAspectRatioFromYAxis(false);
    camera.ComputeAspectScale(scale);
    EXPECT_FLOAT_EQ(scale.x, 1.0f);
    EXPECT_FLOAT_EQ(scale.y, 1.0f / 1.5f);
    // A zero factor would divide by zero: the scale stays 1.
    engine.GetRenderer()->SetGlobalAspectRatio(0.0f);
    camera.ComputeAspectScale(scale);
    EXPECT_FLOAT_EQ(scale.y, 1.0f);
}

TEST(Camera, DestroyedViewCameraLeavesTheRenderer)
{
    Quenvar engine;
    {
        nCamera camera(&engine);
        engine.GetRenderer()->SetViewItem(&camera, &camera);
        EXPECT_EQ(engine.GetRenderer()->GetViewCamera()->GetCamera(), &camera);
    }
    EXPECT_EQ(engine.GetRenderer()->GetViewItem(), nullptr);
}
