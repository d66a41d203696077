#pragma once

#include "core/math/nVector.h"
#include "physics/nPhysicShape.h"

class btCollisionShape;

// A Bullet collision shape held by reference count: owned primitives, and the shapes that the
// world caches per geometry. The centre is the mean of the geometry's vertices (0 otherwise).
class nBulletShape : public nPhysicBuiltShape
{
public:
    explicit nBulletShape(btCollisionShape* shape = nullptr) : m_shape(shape) {}
    nBulletShape(const nBulletShape&) = delete;
    nBulletShape& operator=(const nBulletShape&) = delete;
    ~nBulletShape() override;

    btCollisionShape* GetCollisionShape() const { return m_shape; }
    const nVector& GetCentre() const { return m_centre; }

protected:
    btCollisionShape* m_shape;
    nVector m_centre{0.0f, 0.0f, 0.0f, 1.0f};
};
