#include "physics/nBulletHeightfield.h"

#include "physics/nPhysicShape.h"

#include <BulletCollision/CollisionShapes/btHeightfieldTerrainShape.h>

#include <cmath>
#include <new>

namespace
{
// Lengths beyond this make Bullet's bounding boxes overflow.
constexpr double kMaxExtent = 1.0e7;

bool IsUsableExtent(int32_t points, float cell)
{
    return cell > 0.0f && static_cast<double>(points - 1) * cell <= kMaxExtent;
}
} // namespace

nBulletHeightfield::~nBulletHeightfield()
{
    delete m_shape; // before the heights it reads
    m_shape = nullptr;
}

nBulletHeightfield* nBulletHeightfield::Create(const nPhysicShape& shape)
{
    const int32_t width = shape.heightfieldWidth;
    const int32_t height = shape.heightfieldHeight;
    if (width < 2 || height < 2 ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) != shape.heights.GetCount() ||
        !IsUsableExtent(width, shape.heightfieldCellWidth) ||
        !IsUsableExtent(height, shape.heightfieldCellDepth))
        return nullptr;
    const float* source = shape.heights.GetData();
    float minimum = source[0];
    float maximum = source[0];
    for (uint32_t i = 0; i < shape.heights.GetCount(); ++i)
    {
        if (!std::isfinite(source[i]))
            return nullptr;
        minimum = std::fmin(minimum, source[i]);
        maximum = std::fmax(maximum, source[i]);
    }
    nBulletHeightfield* field = new (std::nothrow) nBulletHeightfield();
    if (!field || !field->m_heights.Resize(shape.heights.GetCount()))
    {
        delete field;
        return nullptr;
    }
    for (uint32_t i = 0; i < shape.heights.GetCount(); ++i)
        *field->m_heights.At(i) = source[i];
    field->m_minimum = minimum;
    field->m_maximum = maximum;
    field->m_shape = new btHeightfieldTerrainShape(width, height, field->m_heights.GetData(), btScalar(1),
                                                   minimum, maximum, 1, PHY_FLOAT, false);
    field->m_shape->setLocalScaling(
        btVector3(btScalar(shape.heightfieldCellWidth), btScalar(1), btScalar(shape.heightfieldCellDepth)));
    return field;
}
