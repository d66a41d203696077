#include "physics/nBulletShape.h"

#include <BulletCollision/CollisionShapes/btCollisionShape.h>

nBulletShape::~nBulletShape()
{
    delete m_shape;
}
