#include "physics/nBulletPhysicItem.h"

#include "physics/nBulletConvert.h"
#include "physics/nBulletMotionState.h"
#include "physics/nBulletWorld.h"

#include <btBulletDynamicsCommon.h>

#include <cmath>

namespace
{
constexpr float kPointImpulseThreshold = 0.0001f;

bool IsFinite(const nVector& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// A damping that is not a number would spread into every velocity: it counts as undamped.
btScalar SimulationDamping(float kept)
{
    return std::isfinite(kept) ? btScalar(1.0f - kept) : btScalar(0);
}
} // namespace

void nBulletPhysicItem::ApplyCollisionFilter(int32_t group, int32_t mask)
{
    btBroadphaseProxy* proxy = m_body ? m_body->getBroadphaseHandle() : nullptr;
    btDiscreteDynamicsWorld* world = GetBulletWorld()->GetDynamicsWorld();
    if (!proxy || !world)
        return;
    proxy->m_collisionFilterGroup = m_filterClosed ? 0 : (group & 0xFFFF);
    proxy->m_collisionFilterMask = m_filterClosed ? 0 : (mask & 0xFFFF);
    world->getBroadphase()->getOverlappingPairCache()->cleanProxyFromPairs(proxy, world->getDispatcher());
}

void nBulletPhysicItem::SetSelfMask(int32_t selfMask)
{
    m_selfMask = selfMask;
    if (m_body && m_body->getBroadphaseHandle())
        ApplyCollisionFilter(selfMask, m_body->getBroadphaseHandle()->m_collisionFilterMask);
}

void nBulletPhysicItem::SetMask(int32_t mask)
{
    m_mask = mask;
    if (m_body && m_body->getBroadphaseHandle())
        ApplyCollisionFilter(m_body->getBroadphaseHandle()->m_collisionFilterGroup, mask);
}

void nBulletPhysicItem::SetLinearFactor(const nVector& factor)
{
    m_linearFactor = factor;
    if (m_body && IsFinite(factor))
        m_body->setLinearFactor(ToBullet(factor));
}

void nBulletPhysicItem::SetAngularFactor(const nVector& factor)
{
    m_angularFactor = factor;
    if (m_body && IsFinite(factor))
        m_body->setAngularFactor(ToBullet(factor));
}

void nBulletPhysicItem::SetLinearDamping(float damping)
{
    m_linearDamping = damping;
    if (m_body)
        m_body->setDamping(SimulationDamping(m_linearDamping), SimulationDamping(m_angularDamping));
}

void nBulletPhysicItem::SetAngularDamping(float damping)
{
    m_angularDamping = damping;
    if (m_body)
        m_body->setDamping(SimulationDamping(m_linearDamping), SimulationDamping(m_angularDamping));
}

void nBulletPhysicItem::SetGravity(const nVector& gravity)
{
    if (m_body && IsFinite(gravity))
        m_body->setGravity(ToBullet(gravity));
}

nVector nBulletPhysicItem::GetGravity() const
{
    return m_body ? FromBullet(m_body->getGravity()) : nVector(0.0f, 0.0f, 0.0f);
}

void nBulletPhysicItem::ApplyLinearImpulse(const nVector& impulse, const nVector* point)
{
    if (!m_body || m_simulatedMode != PhysicModeDynamic || !IsFinite(impulse) || (point && !IsFinite(*point)))
        return;
    m_body->activate();
    const btVector3 j = ToBullet(impulse);
    const btScalar length = j.length();
    if (point && length > kPointImpulseThreshold)
    {
        const btVector3 n = j / length;
        const btVector3 r = ToBullet(*point) - m_body->getCenterOfMassPosition();
        const btScalar denominator =
            m_body->getInvMass() + n.dot((m_body->getInvInertiaTensorWorld() * r.cross(n)).cross(r));
        if (denominator > 0 && std::isfinite(float(denominator)))
        {
            m_body->applyImpulse(j / denominator, r);
            return;
        }
    }
    m_body->applyCentralImpulse(j * m_body->getMass());
}

void nBulletPhysicItem::ApplyLinearForce(const nVector& force, const nVector* worldPoint)
{
    if (!m_body || m_simulatedMode != PhysicModeDynamic || !IsFinite(force) ||
        (worldPoint && !IsFinite(*worldPoint)))
        return;
    m_body->activate();
    if (worldPoint)
        m_body->applyForce(ToBullet(force), ToBullet(*worldPoint) - m_body->getCenterOfMassPosition());
    else
        m_body->applyCentralForce(ToBullet(force));
}

void nBulletPhysicItem::ApplyTorque(const nVector& torque)
{
    if (m_body && m_simulatedMode == PhysicModeDynamic && IsFinite(torque))
        m_body->applyTorque(m_body->getWorldTransform().getBasis() * ToBullet(torque));
}

void nBulletPhysicItem::SetAngularVelocity(const nVector& velocity)
{
    if (m_body && IsFinite(velocity))
        m_body->setAngularVelocity(ToBullet(velocity));
}

nVector nBulletPhysicItem::GetAngularVelocity() const
{
    return m_body ? FromBullet(m_body->getAngularVelocity()) : nVector(0.0f, 0.0f, 0.0f);
}

void nBulletPhysicItem::SetLinearVelocity(const nVector& velocity)
{
    if (m_body && IsFinite(velocity))
        m_body->setLinearVelocity(ToBullet(velocity));
}

nVector nBulletPhysicItem::GetLinearVelocity() const
{
    return m_body ? FromBullet(m_body->getLinearVelocity()) : nVector(0.0f, 0.0f, 0.0f);
}

nVector nBulletPhysicItem::GetLocalPointVelocity(const nVector& localPoint) const
{
    if (!m_body)
        return nVector(0.0f, 0.0f, 0.0f);
    return FromBullet(
        m_body->getVelocityInLocalPoint(m_body->getWorldTransform().getBasis() * ToBullet(localPoint)));
}

nVector nBulletPhysicItem::GetPointVelocity(const nVector& worldPoint) const
{
    if (!m_body)
        return nVector(0.0f, 0.0f, 0.0f);
    return FromBullet(
        m_body->getVelocityInLocalPoint(ToBullet(worldPoint) - m_body->getCenterOfMassPosition()));
}

nVector nBulletPhysicItem::GetCenterOfMassPosition() const
{
    return m_body ? FromBullet(m_body->getCenterOfMassPosition()) : nVector(0.0f, 0.0f, 0.0f);
}

void nBulletPhysicItem::GetMotionStateMatrix(nMatrix4& out) const
{
    if (m_motionState)
        out = m_motionState->GetItemMatrix();
}

void nBulletPhysicItem::GetMatrix(nMatrix4& out) const
{
    if (m_motionState && m_body)
        out = FromBullet(m_body->getWorldTransform());
}

void nBulletPhysicItem::SetMatrix(const nMatrix4& itemMatrix)
{
    if (!m_body)
        return;
    for (float value : itemMatrix.m)
        if (!std::isfinite(value))
            return;
    const btTransform transform = nBulletMotionState::ToBodyTransform(itemMatrix, m_centerOfMass);
    m_body->setWorldTransform(transform);
    m_body->setInterpolationWorldTransform(transform);
}

void nBulletPhysicItem::ClearMotion()
{
    if (!m_body)
        return;
    m_body->setLinearVelocity(btVector3(0, 0, 0));
    m_body->setAngularVelocity(btVector3(0, 0, 0));
    m_body->clearForces();
}

void nBulletPhysicItem::SetSleeping(bool sleeping)
{
    if (!m_body)
        return;
    if (sleeping)
        m_body->setActivationState(WANTS_DEACTIVATION);
    else
        m_body->activate();
}

bool nBulletPhysicItem::IsSleeping() const
{
    if (!m_body)
        return false;
    const int state = m_body->getActivationState();
    if (state == DISABLE_DEACTIVATION || gDisableDeactivation || gDeactivationTime == btScalar(0))
        return false;
    if (state == ISLAND_SLEEPING || state == WANTS_DEACTIVATION)
        return true;
    return m_body->getDeactivationTime() > gDeactivationTime;
}

void nBulletPhysicItem::SetSimulated(bool simulated)
{
    if (!m_body)
        return;
    if (simulated)
    {
        // Kinematic bodies and vehicles must never fall asleep: they come back with deactivation
        // disabled, as built.
        const bool keepAwake = m_simulatedMode == PhysicModeKinematic || m_simulatedMode == PhysicModeVehicle;
        m_body->forceActivationState(keepAwake ? DISABLE_DEACTIVATION : ACTIVE_TAG);
        m_body->activate();
        ApplyCollisionFilter(m_selfMask, m_mask);
    }
    else
    {
        m_body->forceActivationState(DISABLE_SIMULATION);
        ApplyCollisionFilter(0, 0);
    }
}

bool nBulletPhysicItem::IsActive() const
{
    if (!m_body)
        return false;
    const int state = m_body->getActivationState();
    return state != ISLAND_SLEEPING && state != DISABLE_SIMULATION;
}
