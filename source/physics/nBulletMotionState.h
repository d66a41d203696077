#pragma once

#include "core/math/nMatrix4.h"

#include <LinearMath/btDefaultMotionState.h>

class nPhysicItem;

// Hands transforms between a body and its item: the body origin is the item's centre of mass, so
// both directions add or take away the rotated centre-of-mass offset. Scale stays with the item.
class nBulletMotionState : public btDefaultMotionState
{
public:
    explicit nBulletMotionState(nPhysicItem* item);

    void getWorldTransform(btTransform& bodyTransform) const override;
    void setWorldTransform(const btTransform& bodyTransform) override;

    // The item world matrix the simulation last handed back.
    const nMatrix4& GetItemMatrix() const { return m_itemMatrix; }
    // The body transform of an item world matrix.
    static btTransform ToBodyTransform(const nMatrix4& itemMatrix, const nVector& centerOfMass);

private:
    nPhysicItem* m_item;
    nMatrix4 m_itemMatrix;
};
