#pragma once

#include "core/base/nList.h"
#include "core/math/nVector.h"

#include <cstdint>

class Quenvar;
class nRasterFont;
class nRenderView;
class nPhysicConstraint;
class nPhysicItem;
class nPhysicListener;
class nPhysicWorldCallback;
struct nPhysicContact;
struct nPhysicRayHit;

// One scene's simulation: opened once, stepped every frame in fixed sub-steps, closed with the
// scene. Items and constraints are made by the world and inserted by their own builds.
class nPhysicWorld
{
public:
    static constexpr float DefaultRayLength = 5000.0f;
    static constexpr int32_t MaxSubSteps = 12;

    explicit nPhysicWorld(Quenvar* engine) : m_engine(engine) {}
    nPhysicWorld(const nPhysicWorld&) = delete;
    nPhysicWorld& operator=(const nPhysicWorld&) = delete;
    virtual ~nPhysicWorld();

    virtual void ClearShapeCaches() = 0;
    virtual void DrawDebug(uint32_t unused, nRenderView* view, nRasterFont* font);
    virtual bool Open() = 0;
    // Every item and constraint should have been removed first; those left keep their objects,
    // which their own Free deletes.
    virtual void Close() = 0;
    // Casts from origin along direction x length (5000 when the length is not above 0); only
    // items whose mask shares a bit with the collision mask are considered.
    virtual bool RayCast(const nVector& origin, const nVector& direction, nPhysicRayHit& hit,
                         uint16_t collisionMask, uint32_t unused, float length) = 0;
    virtual nPhysicItem* NewItem() = 0;
    virtual void InsertItem(nPhysicItem* item) = 0;
    virtual void RemoveItem(nPhysicItem* item) = 0;
    virtual nPhysicConstraint* NewConstraint() = 0;
    virtual void InsertConstraint(nPhysicConstraint* constraint) = 0;
    virtual void RemoveConstraint(nPhysicConstraint* constraint) = 0;
    virtual int32_t GetContactCount() const = 0;
    // False when the index is out of range or the manifold there has no point.
    virtual bool GetContact(int32_t index, nPhysicContact& contact) const = 0;
    // At most MaxSubSteps sub-steps of the fixed time step; the remainder is interpolated.
    virtual void Step(float seconds) = 0;

    Quenvar* GetEngine() const { return m_engine; }
    float GetFixedTimeStep() const { return m_fixedTimeStep; }
    void SetFixedTimeStep(float seconds) { m_fixedTimeStep = seconds; }
    const nVector& GetGravity() const { return m_gravity; }
    void SetGravity(const nVector& gravity) { m_gravity = gravity; }
    nPhysicWorldCallback* GetCallback() const { return m_callback; }
    void SetCallback(nPhysicWorldCallback* callback) { m_callback = callback; }
    nList<nPhysicListener*>& GetListeners() { return m_listeners; }

protected:
    Quenvar* m_engine;
    float m_fixedTimeStep = 1.0f / 60.0f;
    nVector m_gravity{0.0f, -9.8f, 0.0f, 1.0f};
    nPhysicWorldCallback* m_callback = nullptr;
    nList<nPhysicListener*> m_listeners;
};
