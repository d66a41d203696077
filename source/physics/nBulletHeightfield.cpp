#include "physics/nBulletHeightfield.h"

#include "physics/nPhysicShape.h"

#include <BulletCollision/CollisionShapes/btHeightfieldTerrainShape.h>

#include <cmath>
#include <new>

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
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) != shape.heights.GetCount())
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
    return field;
}
