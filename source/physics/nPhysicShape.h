#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nVector.h"
#include "platform/nstring/nString.h"

#include <cstdint>

class nMatrix4;
class nMetaTag;

enum nPhysicShapeKind : int32_t
{
    PhysicShapeNone = 0,
    PhysicShapeBox = 1,
    PhysicShapeSphere = 2,
    PhysicShapeConvex = 3,
    PhysicShapeCylinder = 4,
    PhysicShapeCone = 5,
    PhysicShapeCapsule = 6,
    PhysicShapeMesh = 7,
    PhysicShapeHeightmap = 8,
};

// The simulation object a shape was built into; the physics back end derives its shapes from it.
class nPhysicBuiltShape : public nSharedObject
{
};

// One collision shape of an item, in the item's local space: pure data that the item's build
// turns into a simulation shape. Rotations are Euler angles in the order YXZ.
class nPhysicShape
{
public:
    static constexpr uint32_t RotationOrder = 4; // YXZ

    nPhysicShape();
    // Script handles on the shape become dead handles.
    ~nPhysicShape();
    nPhysicShape(const nPhysicShape&) = delete;
    nPhysicShape& operator=(const nPhysicShape&) = delete;

    bool SetGeometry(int32_t newKind, const char* name);
    bool SetPrimitive(int32_t newKind, const nVector& newDimensions);
    // Resamples a width x height grid (row after row) by the factor; the rows come out in
    // reverse order. The resampled points stand cellWidth apart along x and cellDepth along z.
    // Below one row or column, or with cells of no usable size, the shape keeps no heights.
    bool SetHeightfield(const float* sourceHeights, int32_t width, int32_t height, float factor,
                        float cellWidth = 1.0f, float cellDepth = 1.0f);

    // Position, rotation and, as the scale, the dimensions.
    void GetMatrix(nMatrix4& out) const;
    void SetMatrix(const nMatrix4& matrix);

    // False only for a wrong root id; the shape is then unchanged.
    bool ParseTag(const nMetaTag* tag);
    nMetaTag* SerializeTag() const;

    int32_t kind = PhysicShapeNone;
    float mass = 0.0f;
    nVector position;
    nVector rotation{0.0f, 0.0f, 0.0f, 1.0f};
    nVector scale{1.0f, 1.0f, 1.0f, 1.0f};
    float restitution = 0.5f;
    float dynamicFriction = 0.5f;
    float staticFriction = 0.5f;
    nString geometryName;
    nVector dimensions{1.0f, 1.0f, 1.0f, 1.0f};
    int32_t heightfieldWidth = 0;
    int32_t heightfieldHeight = 0;
    // World units between neighbouring points of the heightfield along x and along z.
    float heightfieldCellWidth = 1.0f;
    float heightfieldCellDepth = 1.0f;
    nAutoArray<float> heights{MemCategoryTerrain};
    float heightScale = 1.0f;
    // Filled by the item's build, dropped by its free.
    nSharedPtr<nPhysicBuiltShape> builtShape;
};
