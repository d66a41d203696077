#include "PhysicsTestSupport.h"

#include "physics/nPhysicRayHit.h"

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace
{
// A 5 x 5 field laid out as a terrain's: point (column i, row j) at x = i - 2, z = 2 - j.
constexpr int kSide = 5;

using HeightRule = std::function<float(float x, float z)>;

class BulletHeightfield : public PhysicsWorldFixture
{
protected:
    ~BulletHeightfield() override { items.clear(); } // before the owners they point at

    // Cells of cellWidth x cellDepth put point (i, j) at x = (i - 2) cellWidth, z = (2 - j) cellDepth.
    nPhysicShape* AddField(const nMatrix4& placement, const HeightRule& rule,
                           const nVector& rotation = nVector(0, 0, 0, 1), float cellWidth = 1.0f,
                           float cellDepth = 1.0f)
    {
        std::vector<float> heights;
        for (int row = 0; row < kSide; ++row)
            for (int column = 0; column < kSide; ++column)
                heights.push_back(
                    rule(float(column - kSide / 2) * cellWidth, float(kSide / 2 - row) * cellDepth));
        owners.push_back(std::make_unique<TestOwner>());
        owners.back()->matrix = placement;
        nBulletPhysicItem* terrain = NewItem(PhysicModeStatic, owners.back().get());
        nPhysicShape* shape = terrain->AddShape();
        EXPECT_TRUE(shape->SetHeightfield(heights.data(), kSide, kSide, 1.0f, cellWidth, cellDepth));
        shape->rotation = rotation;
        EXPECT_TRUE(terrain->Build());
        return shape;
    }

    // Drops the body from 8 units above the point and gives where it came to rest.
    nVector Drop(float x, float z, int32_t kind, const nVector& dimensions)
    {
        owners.push_back(std::make_unique<TestOwner>());
        owners.back()->matrix = nMatrix4::FromTranslation(x, 8, z);
        nBulletPhysicItem* body = NewItem(PhysicModeDynamic, owners.back().get());
        body->AddShape()->SetPrimitive(kind, dimensions);
        body->GetShapes().GetHead()->value->mass = 1.0f;
        EXPECT_TRUE(body->Build());
        for (int step = 0; step < 240; ++step)
            world.Step(1.0f / 60.0f);
        nMatrix4 matrix;
        body->GetMotionStateMatrix(matrix);
        return matrix.GetTranslation();
    }

    std::vector<std::unique_ptr<TestOwner>> owners;
};

// A flat middle of 3 x 3 samples at `middle`, ringed by samples at `rim`: the rim moves the
// middle of the field's height range, never the surface a body lands on.
HeightRule Plateau(float middle, float rim)
{
    return [=](float x, float z) { return std::fabs(x) <= 1 && std::fabs(z) <= 1 ? middle : rim; };
}
} // namespace

TEST_F(BulletHeightfield, BodiesRestOnTheHeightsWhateverTheHeightRange)
{
    struct Case
    {
        const char* name;
        float middle;
        float rim;
        nVector itemPosition;
    };
    const Case cases[] = {
        {"flat at 2", 2.0f, 2.0f, nVector(0, 0, 0)},
        {"pit inside a high rim", 2.0f, 10.0f, nVector(0, 0, 0)},
        {"mesa over a low rim", 3.0f, -7.0f, nVector(0, 0, 0)},
        {"below zero", -4.0f, -1.0f, nVector(0, 0, 0)},
        {"item moved", 2.0f, 2.0f, nVector(30, 1.5f, -20)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const nVector& at = c.itemPosition;
        AddField(nMatrix4::FromTranslation(at.x, at.y, at.z), Plateau(c.middle, c.rim));
        const float surface = at.y + c.middle;
        // A sphere of radius 0.4 and a box 1 high beside it, both on the flat middle.
        const nVector ball = Drop(at.x - 0.5f, at.z, PhysicShapeSphere, nVector(0.4f, 0.4f, 0.4f));
        const nVector box = Drop(at.x + 0.5f, at.z, PhysicShapeBox, nVector(0.6f, 1.0f, 0.6f));
        EXPECT_NEAR(surface + 0.4f, ball.y, 0.03f);
        EXPECT_NEAR(surface + 0.5f, box.y, 0.03f);
        items.clear();
    }
}

TEST_F(BulletHeightfield, RaysHitSlopedFieldsAtTheirHeights)
{
    struct Case
    {
        const char* name;
        float base;
        float slopeX;
        float slopeZ;
    };
    const Case cases[] = {
        {"flat at 2", 2.0f, 0.0f, 0.0f},
        {"rising along x", 1.0f, 0.5f, 0.0f},
        {"falling along z", -3.0f, 0.0f, -0.75f},
        {"both ways", 5.0f, 0.25f, 1.5f},
    };
    const float points[][2] = {{0, 0}, {1.3f, -0.6f}, {-1.7f, 1.2f}, {0.5f, 0.5f}, {-1.9f, -1.9f}};
    const nVector offset(10, 2, -4);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const auto plane = [&](float x, float z) { return c.base + c.slopeX * x + c.slopeZ * z; };
        nPhysicShape* field = AddField(nMatrix4::FromTranslation(offset.x, offset.y, offset.z), plane);
        for (const auto& point : points)
        {
            nPhysicRayHit hit;
            ASSERT_TRUE(world.RayCast(nVector(offset.x + point[0], 50, offset.z + point[1]),
                                      nVector(0, -1, 0), hit, 1, 0, 0.0f));
            EXPECT_EQ(field, hit.shape);
            EXPECT_NEAR(offset.y + plane(point[0], point[1]), hit.position.y, 1e-3f)
                << point[0] << ", " << point[1];
        }
        items.clear();
    }
}

// The field's heights stand along its own up axis: a field turned over hangs below its item
// at minus its heights, a field turned half round about y keeps them above the turned point.
TEST_F(BulletHeightfield, ATurnedFieldKeepsItsHeightsInItsOwnSpace)
{
    const auto plane = [](float x, float z) { return 3.0f + 0.5f * x + 0.25f * z; };
    const float pi = std::numbers::pi_v<float>;
    const float points[][2] = {{0, 0}, {1.3f, -0.6f}, {-1.7f, 1.2f}};

    nPhysicShape* over = AddField(nMatrix4(), plane, nVector(0, 0, pi, 1));
    for (const auto& point : points)
    {
        nPhysicRayHit hit;
        ASSERT_TRUE(world.RayCast(nVector(point[0], -50, point[1]), nVector(0, 1, 0), hit, 1, 0, 0.0f));
        EXPECT_EQ(over, hit.shape);
        EXPECT_NEAR(-plane(-point[0], point[1]), hit.position.y, 1e-3f) << point[0] << ", " << point[1];
    }
    items.clear();

    nPhysicShape* round = AddField(nMatrix4(), plane, nVector(0, pi, 0, 1));
    for (const auto& point : points)
    {
        nPhysicRayHit hit;
        ASSERT_TRUE(world.RayCast(nVector(point[0], 50, point[1]), nVector(0, -1, 0), hit, 1, 0, 0.0f));
        EXPECT_EQ(round, hit.shape);
        EXPECT_NEAR(plane(-point[0], -point[1]), hit.position.y, 1e-3f) << point[0] << ", " << point[1];
    }
}

// Cells wider or narrower than a unit spread the same points over more or less ground: the
// surface keeps its heights at every point and ends where the last cell does.
TEST_F(BulletHeightfield, CellsSpreadTheFieldOverTheirSize)
{
    const auto plane = [](float x, float z) { return 3.0f + 0.5f * x - 0.25f * z; };
    const float cells[][2] = {{2.0f, 0.5f}, {0.25f, 3.0f}, {1.5f, 1.5f}};
    for (const auto& cell : cells)
    {
        SCOPED_TRACE(std::to_string(cell[0]) + " x " + std::to_string(cell[1]));
        const float halfWidth = 2 * cell[0], halfDepth = 2 * cell[1];
        nPhysicShape* field =
            AddField(nMatrix4::FromTranslation(5, 1, 5), plane, nVector(0, 0, 0, 1), cell[0], cell[1]);
        const float shares[][2] = {{0, 0}, {0.9f, -0.3f}, {-0.6f, 0.95f}, {-0.97f, -0.97f}, {0.98f, 0.98f}};
        for (const auto& share : shares)
        {
            const float x = share[0] * halfWidth, z = share[1] * halfDepth;
            nPhysicRayHit hit;
            ASSERT_TRUE(world.RayCast(nVector(5 + x, 50, 5 + z), nVector(0, -1, 0), hit, 1, 0, 0.0f))
                << x << ", " << z;
            EXPECT_EQ(field, hit.shape);
            EXPECT_NEAR(1 + plane(x, z), hit.position.y, 1e-3f) << x << ", " << z;
        }
        const float outside[][2] = {
            {halfWidth * 1.03f, 0}, {-halfWidth * 1.03f, 0}, {0, halfDepth * 1.03f}, {0, -halfDepth * 1.03f}};
        for (const auto& point : outside)
        {
            nPhysicRayHit hit;
            EXPECT_FALSE(
                world.RayCast(nVector(5 + point[0], 50, 5 + point[1]), nVector(0, -1, 0), hit, 1, 0, 0.0f))
                << point[0] << ", " << point[1];
        }
        items.clear();
    }
}
