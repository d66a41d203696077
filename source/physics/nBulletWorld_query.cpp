#include "physics/nBulletWorld.h"

#include "physics/nBulletConvert.h"
#include "physics/nBulletPhysicItem.h"
#include "physics/nPhysicContact.h"
#include "physics/nPhysicRayHit.h"

#include <btBulletDynamicsCommon.h>

#include <cmath>

namespace
{
// The closest hit, and which child of the hit compound it was. A convex child reports its index
// directly; a concave child (mesh, heightfield) reports its own part and triangle instead.
struct ClosestChildRayCallback : public btCollisionWorld::ClosestRayResultCallback
{
    using ClosestRayResultCallback::ClosestRayResultCallback;

    btScalar addSingleResult(btCollisionWorld::LocalRayResult& result, bool normalInWorldSpace) override
    {
        const btCollisionWorld::LocalShapeInfo* info = result.m_localShapeInfo;
        childIndex = info && info->m_shapePart == -1 ? info->m_triangleIndex : -1;
        concaveChild = info && info->m_shapePart != -1;
        return ClosestRayResultCallback::addSingleResult(result, normalInWorldSpace);
    }

    int childIndex = -1;
    bool concaveChild = false;
};

// Casts the ray against each concave child alone and keeps the closest.
int FindConcaveChild(const btCollisionObject* object, const btCompoundShape* compound, const btVector3& from,
                     const btVector3& to)
{
    btTransform fromTransform = btTransform::getIdentity();
    btTransform toTransform = btTransform::getIdentity();
    fromTransform.setOrigin(from);
    toTransform.setOrigin(to);
    int best = -1;
    btScalar bestFraction = btScalar(2);
    for (int i = 0; i < compound->getNumChildShapes(); ++i)
    {
        const btCollisionShape* child = compound->getChildShape(i);
        if (!child->isConcave())
            continue;
        btCollisionWorld::ClosestRayResultCallback single(from, to);
        btCollisionWorld::rayTestSingle(fromTransform, toTransform, const_cast<btCollisionObject*>(object),
                                        child, object->getWorldTransform() * compound->getChildTransform(i),
                                        single);
        if (single.hasHit() && single.m_closestHitFraction < bestFraction)
        {
            bestFraction = single.m_closestHitFraction;
            best = i;
        }
    }
    return best;
}
} // namespace

bool nBulletWorld::RayCast(const nVector& origin, const nVector& direction, nPhysicRayHit& hit,
                           uint16_t collisionMask, uint32_t, float length)
{
    if (!m_dynamicsWorld)
        return false;
    if (!(length > 0.0f))
        length = DefaultRayLength;
    const btVector3 from = ToBullet(origin);
    const btVector3 to = from + ToBullet(direction) * btScalar(length);
    if (!std::isfinite(from.length2()) || !std::isfinite(to.length2()) || from == to)
        return false; // a zero or unusable direction hits nothing

    ClosestChildRayCallback callback(from, to);
    callback.m_collisionFilterGroup = collisionMask;
    callback.m_collisionFilterMask = 0xFFFF;
    m_dynamicsWorld->rayTest(from, to, callback);
    if (!callback.hasHit())
        return false;

    hit.normal = FromBullet(callback.m_hitNormalWorld);
    hit.position = FromBullet(callback.m_hitPointWorld);
    hit.item = static_cast<nPhysicItem*>(callback.m_collisionObject->getUserPointer());
    hit.shape = nullptr;
    hit.material = nullptr;
    if (const nBulletPhysicItem* item = static_cast<const nBulletPhysicItem*>(hit.item))
    {
        int child = callback.childIndex;
        if (callback.concaveChild && item->GetCompound())
            child = FindConcaveChild(callback.m_collisionObject, item->GetCompound(), from, to);
        hit.shape = item->GetShapeOfChild(child);
    }
    return true;
}

int32_t nBulletWorld::GetContactCount() const
{
    return m_dispatcher ? m_dispatcher->getNumManifolds() : 0;
}

bool nBulletWorld::GetContact(int32_t index, nPhysicContact& contact) const
{
    if (!m_dispatcher || index < 0 || index >= m_dispatcher->getNumManifolds())
        return false;
    const btPersistentManifold* manifold = m_dispatcher->getManifoldByIndexInternal(index);
    if (!manifold || manifold->getNumContacts() == 0)
        return false;
    contact.itemA = static_cast<nPhysicItem*>(manifold->getBody0()->getUserPointer());
    contact.itemB = static_cast<nPhysicItem*>(manifold->getBody1()->getUserPointer());
    contact.pointCount = 0;
    for (int i = 0; i < manifold->getNumContacts() && i < nPhysicContact::MaxPoints; ++i)
    {
        const btManifoldPoint& point = manifold->getContactPoint(i);
        contact.positions[i] = FromBullet(point.getPositionWorldOnB());
        contact.normals[i] = FromBullet(point.m_normalWorldOnB);
        ++contact.pointCount;
    }
    return true;
}
