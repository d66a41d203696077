#include "physics/nBulletConstraint.h"

#include "physics/nBulletConvert.h"
#include "physics/nBulletPhysicItem.h"
#include "physics/nBulletWorld.h"

#include <btBulletDynamicsCommon.h>

#include <cmath>

namespace
{
// A pivot in the body's space: the body origin is the item's centre of mass.
btVector3 BodyPivot(const nMatrix4& pivot, const nPhysicItem* item)
{
    nVector translation = pivot.GetTranslation();
    if (item)
        translation -= item->GetCenterOfMass();
    const btVector3 point = ToBullet(translation);
    return std::isfinite(point.length2()) ? point : btVector3(0, 0, 0);
}

// A hinge turns about the pivot's z axis, given in the item's space as the body's own. A pivot
// read with no usable axis (zero, infinite or not a number) turns about z, and one with no usable
// point joins at the body's origin: nothing that is not a number reaches the bodies.
btVector3 HingeAxis(const nMatrix4& pivot)
{
    const btVector3 axis = ToBullet(pivot.GetColumn(2, false));
    return !std::isfinite(axis.length2()) || axis.fuzzyZero() ? btVector3(0, 0, 1) : axis.normalized();
}

btRigidBody* BodyOf(nPhysicItem* item)
{
    return item ? static_cast<nBulletPhysicItem*>(item)->GetRigidBody() : nullptr;
}
} // namespace

nBulletConstraint::nBulletConstraint(nBulletWorld* world) : nPhysicConstraint(world) {}

nBulletConstraint::~nBulletConstraint()
{
    Free();
    nPhysicItem* itemA = m_itemA;
    nPhysicItem* itemB = m_itemB;
    m_itemA = nullptr;
    m_itemB = nullptr;
    Link(itemA, nullptr);
    Link(itemB, nullptr);
}

// An item tells its constraints when its body goes, so no joint outlives a body it holds.
void nBulletConstraint::Link(nPhysicItem* oldItem, nPhysicItem* newItem)
{
    if (oldItem == newItem)
        return;
    if (oldItem && oldItem != m_itemA && oldItem != m_itemB)
        static_cast<nBulletPhysicItem*>(oldItem)->DetachConstraint(this);
    if (newItem)
        static_cast<nBulletPhysicItem*>(newItem)->AttachConstraint(this);
}

void nBulletConstraint::SetItemA(nPhysicItem* item)
{
    nPhysicItem* old = m_itemA;
    m_itemA = item;
    Link(old, item);
    Setup();
}

void nBulletConstraint::SetItemB(nPhysicItem* item)
{
    nPhysicItem* old = m_itemB;
    m_itemB = item;
    Link(old, item);
    Setup();
}

void nBulletConstraint::ForgetItem(nPhysicItem* item)
{
    Free();
    if (m_itemA == item)
        m_itemA = nullptr;
    if (m_itemB == item)
        m_itemB = nullptr;
}

void nBulletConstraint::SetPivotA(const nMatrix4& pivot)
{
    m_pivotA = pivot;
    if (m_joint && m_type == PhysicConstraintPoint)
        static_cast<btPoint2PointConstraint*>(m_joint)->setPivotA(BodyPivot(m_pivotA, m_itemA));
    else if (m_joint)
        Setup(); // a hinge's frame holds its axis too
}

void nBulletConstraint::SetPivotB(const nMatrix4& pivot)
{
    m_pivotB = pivot;
    if (m_joint && m_type == PhysicConstraintPoint)
        static_cast<btPoint2PointConstraint*>(m_joint)->setPivotB(BodyPivot(m_pivotB, m_itemB));
    else if (m_joint)
        Setup();
}

bool nBulletConstraint::Setup()
{
    Free();
    btRigidBody* bodyA = BodyOf(m_itemA);
    btRigidBody* bodyB = BodyOf(m_itemB);
    if (!bodyA && !bodyB)
        return false;
    const btVector3 pivotA = BodyPivot(m_pivotA, m_itemA);
    if (m_type == PhysicConstraintPoint && bodyA)
    {
        if (bodyB)
            m_joint = new btPoint2PointConstraint(*bodyA, *bodyB, pivotA, BodyPivot(m_pivotB, m_itemB));
        else
            m_joint = new btPoint2PointConstraint(*bodyA, pivotA);
    }
    else if (m_type == PhysicConstraintHinge && bodyA)
    {
        if (bodyB)
            m_joint = new btHingeConstraint(*bodyA, *bodyB, pivotA, BodyPivot(m_pivotB, m_itemB),
                                            HingeAxis(m_pivotA), HingeAxis(m_pivotB));
        else
            m_joint = new btHingeConstraint(*bodyA, pivotA, HingeAxis(m_pivotA));
    }
    if (m_joint)
        m_world->InsertConstraint(this);
    return true;
}

void nBulletConstraint::Free()
{
    if (!m_joint)
        return;
    m_world->RemoveConstraint(this);
    delete m_joint;
    m_joint = nullptr;
}
