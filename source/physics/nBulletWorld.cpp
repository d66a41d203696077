#include "physics/nBulletWorld.h"

#include "physics/nBulletConstraint.h"
#include "physics/nBulletConvex.h"
#include "physics/nBulletDebugDraw.h"
#include "physics/nBulletMesh.h"
#include "physics/nBulletPhysicItem.h"
#include "physics/nPhysicWorldCallback.h"

#include <btBulletDynamicsCommon.h>

#include <new>

// Bullet calls plain functions around every internal sub-step; they reach the world through the
// user pointer given with them.
struct nBulletTickCallbacks
{
    static void BeforeSubStep(btDynamicsWorld* world, btScalar seconds)
    {
        static_cast<nBulletWorld*>(world->getWorldUserInfo())->NotifySubStep(float(seconds), true);
    }
    static void AfterSubStep(btDynamicsWorld* world, btScalar seconds)
    {
        static_cast<nBulletWorld*>(world->getWorldUserInfo())->NotifySubStep(float(seconds), false);
    }
};

nBulletWorld::nBulletWorld(Quenvar* engine) : nPhysicWorld(engine) {}

nBulletWorld::~nBulletWorld()
{
    Close();
    m_debugDraw.Reset();
    m_convexCache.Clear();
    m_meshCache.Clear();
}

bool nBulletWorld::Open()
{
    if (m_dynamicsWorld)
        return true;
    m_collisionConfiguration = new btDefaultCollisionConfiguration();
    m_dispatcher = new btCollisionDispatcher(m_collisionConfiguration);
    m_broadphase = new btDbvtBroadphase();
    m_solver = new btSequentialImpulseConstraintSolver();
    m_dynamicsWorld =
        new btDiscreteDynamicsWorld(m_dispatcher, m_broadphase, m_solver, m_collisionConfiguration);
    m_dynamicsWorld->setInternalTickCallback(&nBulletTickCallbacks::BeforeSubStep, this, true);
    m_dynamicsWorld->setInternalTickCallback(&nBulletTickCallbacks::AfterSubStep, this, false);
    m_dynamicsWorld->getSolverInfo().m_solverMode = SolverMode;
    // Motion states get the remainder of a step interpolated forward, not a sub-step late.
    m_dynamicsWorld->setLatencyMotionStateInterpolation(false);
    return true;
}

void nBulletWorld::Close()
{
    // The drawer belongs to the dynamics world's lifetime: it cannot draw a closed world.
    m_debugDraw.Reset();
    delete m_dynamicsWorld;
    m_dynamicsWorld = nullptr;
    delete m_solver;
    m_solver = nullptr;
    delete m_broadphase;
    m_broadphase = nullptr;
    delete m_dispatcher;
    m_dispatcher = nullptr;
    delete m_collisionConfiguration;
    m_collisionConfiguration = nullptr;
    ClearShapeCaches();
}

void nBulletWorld::NotifySubStep(float seconds, bool before)
{
    if (m_callback)
        m_callback->OnSubStep(seconds, before);
}

void nBulletWorld::Step(float seconds)
{
    // Bullet counts sub-steps in an int: absurd times and periods are refused before it divides.
    if (!m_dynamicsWorld || !(seconds > 0.0f && seconds < 1.0e6f) ||
        !(m_fixedTimeStep >= 1.0e-6f && m_fixedTimeStep < 1.0e6f))
        return;
    m_dynamicsWorld->stepSimulation(seconds, MaxSubSteps, m_fixedTimeStep);
}

nPhysicItem* nBulletWorld::NewItem()
{
    return new (std::nothrow) nBulletPhysicItem(this);
}

nPhysicConstraint* nBulletWorld::NewConstraint()
{
    return new (std::nothrow) nBulletConstraint(this);
}

void nBulletWorld::InsertItem(nPhysicItem* item)
{
    nBulletPhysicItem* bulletItem = static_cast<nBulletPhysicItem*>(item);
    if (!m_dynamicsWorld || !bulletItem)
        return;
    if (btRigidBody* body = bulletItem->GetRigidBody())
    {
        m_dynamicsWorld->addRigidBody(body);
        body->setGravity(btVector3(m_gravity.x, m_gravity.y, m_gravity.z));
    }
    if (btRaycastVehicle* vehicle = bulletItem->GetVehicle())
        m_dynamicsWorld->addVehicle(vehicle);
}

void nBulletWorld::RemoveItem(nPhysicItem* item)
{
    nBulletPhysicItem* bulletItem = static_cast<nBulletPhysicItem*>(item);
    if (!m_dynamicsWorld || !bulletItem)
        return;
    if (btRaycastVehicle* vehicle = bulletItem->GetVehicle())
        m_dynamicsWorld->removeVehicle(vehicle);
    if (btRigidBody* body = bulletItem->GetRigidBody())
        m_dynamicsWorld->removeRigidBody(body);
}

void nBulletWorld::InsertConstraint(nPhysicConstraint* constraint)
{
    nBulletConstraint* bulletConstraint = static_cast<nBulletConstraint*>(constraint);
    if (m_dynamicsWorld && bulletConstraint && bulletConstraint->GetJoint())
        m_dynamicsWorld->addConstraint(bulletConstraint->GetJoint(), false);
}

void nBulletWorld::RemoveConstraint(nPhysicConstraint* constraint)
{
    nBulletConstraint* bulletConstraint = static_cast<nBulletConstraint*>(constraint);
    if (m_dynamicsWorld && bulletConstraint && bulletConstraint->GetJoint())
        m_dynamicsWorld->removeConstraint(bulletConstraint->GetJoint());
}

void nBulletWorld::CreateDebugDraw(nRenderer* renderer)
{
    if (!m_dynamicsWorld || m_debugDraw || !renderer)
        return;
    m_debugDraw = new (std::nothrow) nBulletDebugDraw(renderer);
    m_dynamicsWorld->setDebugDrawer(m_debugDraw.Get());
}

void nBulletWorld::DrawDebug(uint32_t, nRenderView* view, nRasterFont* font)
{
    if (!m_dynamicsWorld || !m_dynamicsWorld->getDebugDrawer() || !m_debugDraw)
        return;
    m_debugDraw->SetView(view, font);
    m_debugDraw->setDebugMode(DebugDrawMode);
    m_dynamicsWorld->debugDrawWorld();
}
