#pragma once

#include "core/base/nList.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "physics/nPhysicShape.h"
#include "physics/nPhysicWheel.h"

#include <cstdint>

class nMetaTag;
class nPhysicOwner;
class nPhysicWorld;

enum nPhysicMode : int32_t
{
    PhysicModeNone = 0,
    PhysicModeStatic = 1,
    PhysicModeKinematic = 2,
    PhysicModeDynamic = 3,
    PhysicModeVehicle = 4,
};

// The physical side of one scene item: its description (mode, shapes, wheels, masks, factors,
// dampings) and, once built, its simulation body. Dampings are the fractions of velocity kept per
// second (1.0 is undamped); the self mask is the item's collision group and the mask the groups it
// collides with, both used as 16-bit values. Operations that need a body do nothing, or give zero
// vectors, false or an untouched output, while there is none.
class nPhysicItem
{
public:
    explicit nPhysicItem(nPhysicWorld* world);
    nPhysicItem(const nPhysicItem&) = delete;
    nPhysicItem& operator=(const nPhysicItem&) = delete;
    virtual ~nPhysicItem();

    virtual void SetSelfMask(int32_t selfMask) = 0;
    virtual int32_t GetSelfMask() const = 0;
    virtual void SetMask(int32_t mask) = 0;
    virtual int32_t GetMask() const = 0;
    virtual void SetLinearFactor(const nVector& factor) = 0;
    virtual void SetAngularFactor(const nVector& factor) = 0;
    virtual void SetFlag(uint32_t bits, bool on);
    // True when any of the bits is set.
    virtual bool GetFlag(uint32_t bits) const;
    virtual void SetGravity(const nVector& gravity) = 0;
    virtual nVector GetGravity() const = 0;
    // Dynamic mode only; without a point (or for a tiny impulse) the velocity changes by the
    // impulse, with one the point's velocity along the impulse changes by its length.
    virtual void ApplyLinearImpulse(const nVector& impulse, const nVector* point) = 0;
    virtual void ApplyLinearForce(const nVector& force, const nVector* worldPoint) = 0;
    // In the body's own axes.
    virtual void ApplyTorque(const nVector& torque) = 0;
    virtual void SetAngularVelocity(const nVector& velocity) = 0;
    virtual nVector GetAngularVelocity() const = 0;
    virtual void SetLinearVelocity(const nVector& velocity) = 0;
    virtual nVector GetLinearVelocity() const = 0;
    virtual nVector GetLocalPointVelocity(const nVector& localPoint) const = 0;
    virtual nVector GetPointVelocity(const nVector& worldPoint) const = 0;
    virtual void SetLinearDamping(float damping) = 0;
    virtual float GetLinearDamping() const = 0;
    virtual void SetAngularDamping(float damping) = 0;
    virtual float GetAngularDamping() const = 0;
    virtual nVector GetCenterOfMassPosition() const = 0;
    // The item world matrix the simulation last handed back.
    virtual void GetMotionStateMatrix(nMatrix4& out) const = 0;
    // The body's transform: its rotation and its origin, which includes the centre of mass.
    virtual void GetMatrix(nMatrix4& out) const = 0;
    // Moves the body to an item world matrix; scale is dropped, velocities stay.
    virtual void SetMatrix(const nMatrix4& itemMatrix) = 0;
    virtual void ClearMotion() = 0;
    virtual void VehicleSetForce(float force, uint32_t wheel);
    virtual void VehicleSetBrake(float brake, uint32_t wheel);
    virtual void VehicleSetSteering(float angle, uint32_t wheel);
    // The identity unless a vehicle has that wheel.
    virtual void VehicleGetWheelMatrix(nMatrix4& out, uint32_t wheel);
    virtual void SetSleeping(bool sleeping) = 0;
    virtual bool IsSleeping() const = 0;
    // False takes the body out of the simulation, true puts it back.
    virtual void SetSimulated(bool simulated) = 0;
    virtual bool IsActive() const = 0;
    // Frees, then builds the simulation objects from the description and inserts them.
    virtual bool Build() = 0;
    virtual void Free() = 0;

    // A new shape or wheel with its defaults, appended; null when memory runs out.
    nPhysicShape* AddShape();
    nPhysicWheel* AddWheel();
    // A built shape stays alive until the next Free, since the body may still use it.
    bool RemoveShape(nPhysicShape* shape);
    void ClearShapes();
    // The sum of the shapes' masses.
    float GetMass() const;

    // The authored mode, which is also the one saved.
    int32_t GetMode() const { return m_mode; }
    void SetMode(int32_t mode) { m_mode = mode; }
    // The mode the last build runs in: None when no body could be built.
    int32_t GetSimulatedMode() const { return m_simulatedMode; }
    nPhysicOwner* GetOwner() const { return m_owner; }
    void SetOwner(nPhysicOwner* owner) { m_owner = owner; }
    nPhysicWorld* GetWorld() const { return m_world; }
    nAutoList<nPhysicShape*>& GetShapes() { return m_shapes; }
    const nAutoList<nPhysicShape*>& GetShapes() const { return m_shapes; }
    nAutoList<nPhysicWheel*>& GetWheels() { return m_wheels; }
    const nAutoList<nPhysicWheel*>& GetWheels() const { return m_wheels; }
    const nVector& GetCenterOfMass() const { return m_centerOfMass; }
    const nVector& GetLinearFactor() const { return m_linearFactor; }
    const nVector& GetAngularFactor() const { return m_angularFactor; }

    // Reads a "PhysicItem" (or an older "TauItem" or "GColItem"); false only for a wrong root id.
    bool ParseTag(const nMetaTag* tag);
    // Shapes of an older "TauItem" block wait here until the managed item's reader decides
    // whether they join the shape list. Reading replaces the list with the block's "Shapes".
    void ReadPendingShapes(const nMetaTag& tauItem);
    // Appends the pending shapes to the shape list, in their order.
    void CommitPendingShapes();
    const nAutoList<nPhysicShape*>& GetPendingShapes() const { return m_pendingShapes; }
    nMetaTag* SerializeTag() const;

protected:
    void RetireBuiltShape(nPhysicShape* shape);

    nAutoList<nPhysicWheel*> m_wheels;
    nAutoList<nPhysicShape*> m_shapes;
    nAutoList<nPhysicShape*> m_pendingShapes;
    uint32_t m_flags = 0;
    int32_t m_mode = PhysicModeNone;
    int32_t m_simulatedMode = PhysicModeNone;
    nList<nSharedPtr<nPhysicBuiltShape>> m_retiredShapes;
    nPhysicOwner* m_owner = nullptr;
    nPhysicWorld* m_world;
    nVector m_centerOfMass;
    nVector m_linearFactor{1.0f, 1.0f, 1.0f, 1.0f};
    nVector m_angularFactor{1.0f, 1.0f, 1.0f, 1.0f};
    float m_linearDamping = 1.0f;
    float m_angularDamping = 1.0f;
    int32_t m_mask = 1;
    int32_t m_selfMask = 1;
};
