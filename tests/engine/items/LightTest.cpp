#include "engine/items/nLight.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr float Degree = 0.017453292f;
}

TEST(Light, RangeAttenuatesLinearly)
{
    nLight light(nullptr);
    light.SetRange(10.0f);
    float diffuse = -1.0f;
    ASSERT_TRUE(light.ComputeLighting(nVector(0, 0, 5), nVector(0, 0, -1), &diffuse, nullptr, nullptr, 0, true, false));
    EXPECT_FLOAT_EQ(diffuse, 0.5f);
    EXPECT_FALSE(light.ComputeLighting(nVector(0, 0, 10), nVector(0, 0, -1), &diffuse, nullptr, nullptr, 0, true, false));
}

TEST(Light, SurfaceFacingAwayGetsNoLight)
{
    nLight light(nullptr);
    float diffuse = 0.0f;
    EXPECT_FALSE(light.ComputeLighting(nVector(0, 0, 5), nVector(0, 0, 1), &diffuse, nullptr, nullptr, 0, true, false));
    EXPECT_FALSE(light.ComputeLighting(nVector(0, 0, 5), nVector(0, 0, -1), nullptr, nullptr, nullptr, 0, true, false));
}

TEST(Light, SpotEdgeHalvesTheLightHalfwayThroughIt)
{
    nLight light(nullptr);
    light.SetType(LightTypeSpot);
    light.SetConeAngle(30 * Degree);
    light.SetEdgeAngle(30 * Degree);
    const nVector point(std::sin(45 * Degree) * 4, 0, std::cos(45 * Degree) * 4);
    const nVector normal = (nVector(0, 0, 0) - point).Normalized();
    float diffuse = 0.0f;
    ASSERT_TRUE(light.ComputeLighting(point, normal, &diffuse, nullptr, nullptr, 0, true, false));
    EXPECT_NEAR(diffuse, 0.5f, 1e-4f);
    const nVector outside(std::sin(61 * Degree) * 4, 0, std::cos(61 * Degree) * 4);
    EXPECT_FALSE(light.ComputeLighting(outside, nVector(-1, 0, 0), &diffuse, nullptr, nullptr, 0, true, false));
}

TEST(Light, ParallelLightShinesAgainstItsAxis)
{
    nLight light(nullptr);
    light.SetType(LightTypeParallel);
    light.SetPosition(nVector(0, 100, 0));
    float diffuse = 0.0f;
    ASSERT_TRUE(light.ComputeLighting(nVector(50, 0, 0), nVector(0, 0, -1), &diffuse, nullptr, nullptr, 0, true, false));
    EXPECT_FLOAT_EQ(diffuse, 1.0f);
}

TEST(Light, SpecularModels)
{
    CapturedLog log;
    nLight light(nullptr);
    light.SetSpecularIntensity(2.0f);
    const nVector point(0, 0, 5);
    const nVector normal(0, 0, -1);
    const nVector view(0, 0, 1);
    float specular = -1.0f;
    ASSERT_TRUE(light.ComputeLighting(point, normal, nullptr, &specular, &view, 1.0f, true, false));
    EXPECT_FLOAT_EQ(specular, 2.0f);
    ASSERT_TRUE(light.ComputeLighting(point, normal, nullptr, &specular, &view, 1.0f, false, false));
    EXPECT_FLOAT_EQ(specular, 2.0f);
    ASSERT_TRUE(light.ComputeLighting(point, normal, nullptr, &specular, nullptr, 1.0f, true, false));
    EXPECT_FLOAT_EQ(specular, 0.0f);
    ASSERT_TRUE(light.ComputeLighting(point, normal, nullptr, &specular, &view, 1.0f, false, true));
    EXPECT_FLOAT_EQ(specular, 0.0f);
    EXPECT_NE(log.text.find("[*] Cook-Torrance specular model not implemented.\n"), std::string::npos);
}

TEST(Light, ColourFormAppliesTheIntensityTwice)
{
    nLight light(nullptr);
    light.SetDiffuse(nColor(1, 0.5f, 0.25f, 1));
    light.SetDiffuseIntensity(2.0f);
    nColor diffuse, specular;
    ASSERT_TRUE(light.ComputeLighting(nVector(0, 0, 5), nVector(0, 0, -1), nullptr, 0, diffuse, specular));
    EXPECT_FLOAT_EQ(diffuse.r, 4.0f);
    EXPECT_FLOAT_EQ(diffuse.g, 2.0f);
    EXPECT_FALSE(light.ComputeLighting(nVector(0, 0, 5), nVector(0, 0, 1), nullptr, 0, diffuse, specular));
    EXPECT_FLOAT_EQ(diffuse.r, 0.0f);
    EXPECT_FLOAT_EQ(diffuse.a, 1.0f);
}

TEST(Light, SpotProjectionAndResetKeepTheirDefaults)
{
    nLight light(nullptr);
    nMatrix4 projection;
    light.ComputeProjectionMatrix(projection);
    EXPECT_FALSE(projection.DiffersFrom(nMatrix4()));
    light.SetType(LightTypeSpot);
    light.ComputeProjectionMatrix(projection);
    EXPECT_NEAR(projection.m[0], 1.0f / std::tan(2 * nLight::DefaultAngle), 1e-5f);
    EXPECT_FLOAT_EQ(projection.m[14], 1.0f);
    light.SetRange(3.0f);
    light.Reset();
    EXPECT_EQ(light.GetType(), LightTypePoint);
    EXPECT_FLOAT_EQ(light.GetRange(), 0.0f);
}
