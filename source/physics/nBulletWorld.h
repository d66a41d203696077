#pragma once

#include "core/base/nAutoPtr.h"
#include "core/base/nList.h"
#include "core/base/nSharedPtr.h"
#include "physics/nPhysicWorld.h"

class btBroadphaseInterface;
class btCollisionDispatcher;
class btDefaultCollisionConfiguration;
class btDiscreteDynamicsWorld;
class btSequentialImpulseConstraintSolver;
class nBulletConvex;
class nBulletDebugDraw;
class nBulletMesh;
class nRenderer;
class nPhysicGeometrySource;
class nString;
struct nPhysicMeshData;

// The physics world over Bullet's discrete dynamics world. Convex and mesh shapes built from
// geometries are cached by geometry name and shared by reference count.
class nBulletWorld : public nPhysicWorld
{
public:
    static constexpr int32_t SolverMode = 260;     // warm starting + SIMD
    static constexpr int32_t DebugDrawMode = 6153; // wireframe, contact points, constraints, limits

    explicit nBulletWorld(Quenvar* engine);
    ~nBulletWorld() override;

    void ClearShapeCaches() override;
    void DrawDebug(uint32_t unused, nRenderView* view, nRasterFont* font) override;
    bool Open() override;
    void Close() override;
    bool RayCast(const nVector& origin, const nVector& direction, nPhysicRayHit& hit, uint16_t collisionMask,
                 uint32_t unused, float length) override;
    nPhysicItem* NewItem() override;
    void InsertItem(nPhysicItem* item) override;
    void RemoveItem(nPhysicItem* item) override;
    nPhysicConstraint* NewConstraint() override;
    void InsertConstraint(nPhysicConstraint* constraint) override;
    void RemoveConstraint(nPhysicConstraint* constraint) override;
    int32_t GetContactCount() const override;
    bool GetContact(int32_t index, nPhysicContact& contact) const override;
    void Step(float seconds) override;

    // Draws through the renderer from now on; only while open, and only once.
    void CreateDebugDraw(nRenderer* renderer);
    void SetGeometrySource(nPhysicGeometrySource* source) { m_geometrySource = source; }

    // The cached shape of a geometry, built on first use; no reference is added. Null when the
    // geometry is missing or holds nothing to build from.
    nBulletConvex* GetConvex(const nString& geometryName);
    nBulletMesh* GetMesh(const nString& geometryName);
    uint32_t GetConvexCacheCount() const { return m_convexCache.GetCount(); }
    uint32_t GetMeshCacheCount() const { return m_meshCache.GetCount(); }

    btDiscreteDynamicsWorld* GetDynamicsWorld() const { return m_dynamicsWorld; }

private:
    void NotifySubStep(float seconds, bool before);
    bool ReadGeometry(const nString& geometryName, nPhysicMeshData& data);

    nAutoList<nSharedPtr<nBulletMesh>*> m_meshCache;
    nAutoList<nSharedPtr<nBulletConvex>*> m_convexCache;
    btDiscreteDynamicsWorld* m_dynamicsWorld = nullptr;
    btBroadphaseInterface* m_broadphase = nullptr;
    btCollisionDispatcher* m_dispatcher = nullptr;
    btDefaultCollisionConfiguration* m_collisionConfiguration = nullptr;
    btSequentialImpulseConstraintSolver* m_solver = nullptr;
    nAutoPtr<nBulletDebugDraw> m_debugDraw;
    nPhysicGeometrySource* m_geometrySource = nullptr;

    friend struct nBulletTickCallbacks;
};
