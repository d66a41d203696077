#pragma once

#include "core/base/nAutoArray.h"
#include "physics/nBulletShape.h"

class nPhysicShape;

// A heightfield terrain shape over its own copy of a shape's heights, so that resampling the
// shape later cannot pull the data from under the simulation.
class nBulletHeightfield : public nBulletShape
{
public:
    // Null for a grid below 2 x 2, heights that do not fill it, heights that are not finite, or a
    // field wider or deeper than Bullet's bounding boxes take. Its points stand the shape's cell
    // size apart.
    static nBulletHeightfield* Create(const nPhysicShape& shape);
    ~nBulletHeightfield() override;

    // Bullet centres the field between its lowest and highest point; the item raises it by this.
    float GetMiddleHeight() const { return (m_minimum + m_maximum) * 0.5f; }

private:
    nBulletHeightfield() = default;

    nAutoArray<float> m_heights{MemCategoryTerrain};
    float m_minimum = 0.0f;
    float m_maximum = 0.0f;
};
