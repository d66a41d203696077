#include "physics/nBulletMotionState.h"

#include "physics/nBulletConvert.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicOwner.h"

nBulletMotionState::nBulletMotionState(nPhysicItem* item) : m_item(item)
{
    if (nPhysicOwner* owner = item->GetOwner())
        m_itemMatrix = owner->GetPhysicWorldMatrix();
}

btTransform nBulletMotionState::ToBodyTransform(const nMatrix4& itemMatrix, const nVector& centerOfMass)
{
    nVector position;
    nMatrix3 rotation;
    itemMatrix.Decompose(&position, nullptr, &rotation);
    const btMatrix3x3 basis = ToBulletBasis(rotation);
    return btTransform(basis, ToBullet(position) + basis * ToBullet(centerOfMass));
}

void nBulletMotionState::getWorldTransform(btTransform& bodyTransform) const
{
    const nMatrix4& itemMatrix =
        m_item->GetOwner() ? m_item->GetOwner()->GetPhysicWorldMatrix() : m_itemMatrix;
    bodyTransform = ToBodyTransform(itemMatrix, m_item->GetCenterOfMass());
}

void nBulletMotionState::setWorldTransform(const btTransform& bodyTransform)
{
    const btMatrix3x3& basis = bodyTransform.getBasis();
    m_itemMatrix = FromBullet(basis, bodyTransform.getOrigin() - basis * ToBullet(m_item->GetCenterOfMass()));
}
