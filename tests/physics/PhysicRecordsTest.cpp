#include "PhysicsTestSupport.h"

#include "physics/nBulletConstraint.h"

#include <cmath>
#include <limits>

TEST(PhysicRecords, NewShapeWheelItemAndConstraintHaveTheirDefaults)
{
    const nPhysicShape shape;
    EXPECT_EQ(PhysicShapeNone, shape.kind);
    EXPECT_EQ(0.0f, shape.mass);
    ExpectNear(nVector(0, 0, 0), shape.position, 0.0f);
    ExpectNear(nVector(0, 0, 0), shape.rotation, 0.0f);
    ExpectNear(nVector(1, 1, 1), shape.scale, 0.0f);
    ExpectNear(nVector(1, 1, 1), shape.dimensions, 0.0f);
    EXPECT_EQ(0.5f, shape.restitution);
    EXPECT_EQ(0.5f, shape.dynamicFriction);
    EXPECT_EQ(0.5f, shape.staticFriction);
    EXPECT_EQ(1.0f, shape.heightScale);
    EXPECT_FALSE(shape.builtShape);

    const nPhysicWheel wheel;
    EXPECT_EQ(50.0f, wheel.friction);
    EXPECT_EQ(0.3f, wheel.radius);
    EXPECT_FALSE(wheel.isFront);
    EXPECT_EQ(1.0f, wheel.restLength);
    EXPECT_EQ(2.0f, wheel.maxCompression);
    EXPECT_EQ(30.0f, wheel.stiffness);
    EXPECT_EQ(0.25f, wheel.damping);
    EXPECT_FALSE(wheel.referenceMatrix.DiffersFrom(nMatrix4()));

    nBulletWorld world(nullptr);
    EXPECT_FLOAT_EQ(1.0f / 60.0f, world.GetFixedTimeStep());
    ExpectNear(nVector(0, -9.8f, 0), world.GetGravity(), 0.0f);
    nBulletPhysicItem item(&world);
    EXPECT_EQ(PhysicModeNone, item.GetMode());
    EXPECT_EQ(1, item.GetSelfMask());
    EXPECT_EQ(1, item.GetMask());
    EXPECT_EQ(1.0f, item.GetLinearDamping());
    EXPECT_EQ(1.0f, item.GetAngularDamping());
    ExpectNear(nVector(1, 1, 1), item.GetLinearFactor(), 0.0f);
    ExpectNear(nVector(1, 1, 1), item.GetAngularFactor(), 0.0f);
    EXPECT_EQ(0.0f, item.GetMass());

    nBulletConstraint constraint(&world);
    EXPECT_EQ(PhysicConstraintPoint, constraint.GetType());
    EXPECT_EQ(nullptr, constraint.GetItemA());
    EXPECT_EQ(nullptr, constraint.GetItemB());
    EXPECT_FALSE(constraint.GetPivotA().DiffersFrom(nMatrix4()));
    EXPECT_FALSE(constraint.GetPivotB().DiffersFrom(nMatrix4()));
}

TEST(PhysicRecords, MassSumsShapesAndFlagsTestAnyBit)
{
    nBulletWorld world(nullptr);
    nBulletPhysicItem item(&world);
    item.AddShape()->mass = 2.0f;
    nPhysicShape* second = item.AddShape();
    second->mass = 0.5f;
    EXPECT_FLOAT_EQ(2.5f, item.GetMass());
    EXPECT_TRUE(item.RemoveShape(second));
    EXPECT_FALSE(item.RemoveShape(second));
    EXPECT_FLOAT_EQ(2.0f, item.GetMass());

    item.SetFlag(0x4, true);
    EXPECT_TRUE(item.GetFlag(0x5));
    EXPECT_FALSE(item.GetFlag(0x3));
    item.SetFlag(0x4, false);
    EXPECT_FALSE(item.GetFlag(0x4));
}

TEST(PhysicRecords, HeightfieldResamplesRowsInReverse)
{
    float source[16];
    for (int i = 0; i < 16; ++i)
        source[i] = static_cast<float>(i); // row r, column c holds 4r + c
    nPhysicShape shape;
    shape.heightScale = 3.0f;
    EXPECT_TRUE(shape.SetHeightfield(source, 4, 4, 0.5f));
    EXPECT_EQ(PhysicShapeHeightmap, shape.kind);
    ASSERT_EQ(2, shape.heightfieldWidth);
    ASSERT_EQ(2, shape.heightfieldHeight);
    ASSERT_EQ(4u, shape.heights.GetCount());
    EXPECT_EQ(12.0f, *shape.heights.At(0)); // row 3, column 0
    EXPECT_EQ(14.0f, *shape.heights.At(1)); // row 3, column 2
    EXPECT_EQ(4.0f, *shape.heights.At(2));  // row 1, column 0
    EXPECT_EQ(6.0f, *shape.heights.At(3));  // row 1, column 2
    EXPECT_EQ(1.0f, shape.heightScale);
    EXPECT_EQ(1.0f, shape.heightfieldCellWidth); // unit cells unless the caller gives others
    EXPECT_EQ(1.0f, shape.heightfieldCellDepth);

    EXPECT_TRUE(shape.SetHeightfield(source, 4, 4, 1.0f, 2.5f, 0.75f));
    ASSERT_EQ(16u, shape.heights.GetCount());
    EXPECT_EQ(2.5f, shape.heightfieldCellWidth);
    EXPECT_EQ(0.75f, shape.heightfieldCellDepth);
    EXPECT_TRUE(shape.SetHeightfield(source, 4, 4, 1.0f));
    EXPECT_EQ(1.0f, shape.heightfieldCellWidth);
    EXPECT_EQ(1.0f, shape.heightfieldCellDepth);
}

TEST(PhysicRecords, HeightfieldBelowOneSampleKeepsNoHeights)
{
    const float source[4] = {1, 2, 3, 4};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const struct
    {
        int32_t width, height;
        float factor;
        float cellWidth = 1.0f, cellDepth = 1.0f;
    } cases[] = {{4, 1, 0.5f},
                 {1, 4, 0.5f},
                 {2, 2, 0.1f},
                 {0, 0, 1.0f},
                 {-3, 2, 1.0f},
                 {2, 2, -1.0f},
                 {2, 2, nan},
                 {2, 2, 1.0e30f},
                 {2, 2, 1.0f, 0.0f, 1.0f},
                 {2, 2, 1.0f, 1.0f, -2.0f},
                 {2, 2, 1.0f, nan, 1.0f},
                 {2, 2, 1.0f, 1.0f, infinity}};
    for (const auto& c : cases)
    {
        nPhysicShape shape;
        EXPECT_TRUE(shape.SetHeightfield(source, c.width, c.height, c.factor, c.cellWidth, c.cellDepth));
        EXPECT_EQ(PhysicShapeHeightmap, shape.kind);
        EXPECT_EQ(0u, shape.heights.GetCount()) << c.width << "x" << c.height << " by " << c.factor
                                                << ", cells " << c.cellWidth << " x " << c.cellDepth;
        EXPECT_EQ(1.0f, shape.heightScale);
    }
}

TEST(PhysicRecords, PrimitiveAndGeometryDropHeights)
{
    const float source[4] = {1, 2, 3, 4};
    nPhysicShape shape;
    shape.SetHeightfield(source, 2, 2, 1.0f);
    EXPECT_TRUE(shape.SetPrimitive(PhysicShapeSphere, nVector(2, 0, 0)));
    EXPECT_EQ(PhysicShapeSphere, shape.kind);
    EXPECT_EQ(0u, shape.heights.GetCount());
    EXPECT_EQ(2.0f, shape.dimensions.x);
    shape.SetHeightfield(source, 2, 2, 1.0f);
    EXPECT_TRUE(shape.SetGeometry(PhysicShapeConvex, "rock"));
    EXPECT_EQ(PhysicShapeConvex, shape.kind);
    EXPECT_EQ(0u, shape.heights.GetCount());
    EXPECT_TRUE(shape.geometryName == "rock");
}

TEST(PhysicRecords, ShapeMatrixComposesYXZAndDimensionsAndDecomposesBack)
{
    nPhysicShape shape;
    shape.position = nVector(1, 2, 3);
    shape.rotation = nVector(0.3f, -0.7f, 1.1f);
    shape.dimensions = nVector(2, 3, 4);
    nMatrix4 matrix;
    shape.GetMatrix(matrix);
    EXPECT_FALSE(
        matrix.DiffersFrom(nMatrix4::ComposeEuler(shape.position, shape.rotation, shape.dimensions, 4)));

    nPhysicShape back;
    back.SetMatrix(matrix);
    ExpectNear(shape.position, back.position, 1e-5f);
    ExpectNear(shape.rotation, back.rotation, 1e-5f);
    ExpectNear(shape.dimensions, back.dimensions, 1e-5f);
}
