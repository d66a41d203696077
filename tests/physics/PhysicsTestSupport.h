#pragma once

#include "core/NmlLogCapture.h"
#include "core/math/nMatrix4.h"
#include "physics/nBulletPhysicItem.h"
#include "physics/nBulletWorld.h"
#include "physics/nPhysicGeometrySource.h"
#include "physics/nPhysicMeshData.h"
#include "physics/nPhysicOwner.h"
#include "physics/nPhysicWorldCallback.h"
#include "platform/nstring/nString.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// Stands in for the scene item that owns a physics item.
class TestOwner : public nPhysicOwner
{
public:
    const nMatrix4& GetPhysicWorldMatrix() override { return matrix; }
    nMatrix4 matrix;
};

// Geometries made in code, by name.
class TestGeometrySource : public nPhysicGeometrySource
{
public:
    struct Geometry
    {
        std::vector<float> positions;
        std::vector<std::vector<uint32_t>> polygons;
    };

    bool ReadGeometry(const nString& name, nPhysicMeshData& out) override
    {
        ++reads;
        auto found = geometries.find(name.GetText());
        if (found == geometries.end())
            return false;
        const Geometry& geometry = found->second;
        out.positions.Resize(static_cast<uint32_t>(geometry.positions.size()));
        for (size_t i = 0; i < geometry.positions.size(); ++i)
            *out.positions.At(static_cast<uint32_t>(i)) = geometry.positions[i];
        out.polygonSizes.Resize(static_cast<uint32_t>(geometry.polygons.size()));
        size_t indexCount = 0;
        for (const auto& polygon : geometry.polygons)
            indexCount += polygon.size();
        out.polygonIndices.Resize(static_cast<uint32_t>(indexCount));
        uint32_t next = 0;
        for (size_t i = 0; i < geometry.polygons.size(); ++i)
        {
            *out.polygonSizes.At(static_cast<uint32_t>(i)) =
                static_cast<uint32_t>(geometry.polygons[i].size());
            for (uint32_t index : geometry.polygons[i])
                *out.polygonIndices.At(next++) = index;
        }
        return true;
    }

    // An axis-aligned cube of the given size around the centre, as six quads.
    void AddCube(const char* name, float size, float cx = 0.0f, float cy = 0.0f, float cz = 0.0f)
    {
        Geometry cube;
        const float h = size / 2;
        for (int corner = 0; corner < 8; ++corner)
        {
            cube.positions.push_back(cx + ((corner & 1) ? h : -h));
            cube.positions.push_back(cy + ((corner & 2) ? h : -h));
            cube.positions.push_back(cz + ((corner & 4) ? h : -h));
        }
        cube.polygons = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        geometries[name] = cube;
    }

    std::map<std::string, Geometry> geometries;
    int reads = 0;
};

class CountingCallback : public nPhysicWorldCallback
{
public:
    void OnSubStep(float seconds, bool before) override
    {
        EXPECT_EQ(expectBefore, before) << "before and after must alternate";
        expectBefore = !before;
        (before ? befores : afters) += 1;
        lastSeconds = seconds;
    }

    int befores = 0;
    int afters = 0;
    bool expectBefore = true;
    float lastSeconds = 0.0f;
};

using PhysicsLog = NmlLogCapture;

// An open world with the test geometries; items made through it are deleted before it closes.
class PhysicsWorldFixture : public ::testing::Test
{
protected:
    PhysicsWorldFixture() : world(nullptr)
    {
        world.SetGeometrySource(&geometries);
        world.Open();
    }
    ~PhysicsWorldFixture() override { items.clear(); }

    nBulletPhysicItem* NewItem(int32_t mode, TestOwner* owner = nullptr)
    {
        items.emplace_back(static_cast<nBulletPhysicItem*>(world.NewItem()));
        nBulletPhysicItem* item = items.back().get();
        item->SetMode(mode);
        item->SetOwner(owner);
        return item;
    }

    static nPhysicShape* AddBox(nPhysicItem* item, const nVector& size, float mass,
                                const nVector& position = nVector())
    {
        nPhysicShape* shape = item->AddShape();
        shape->SetPrimitive(PhysicShapeBox, size);
        shape->mass = mass;
        shape->position = position;
        return shape;
    }

    TestGeometrySource geometries;
    nBulletWorld world;
    std::vector<std::unique_ptr<nBulletPhysicItem>> items;
};

inline void ExpectNear(const nVector& expected, const nVector& actual, float tolerance)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}
