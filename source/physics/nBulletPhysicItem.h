#pragma once

#include "core/base/nAutoPtr.h"
#include "physics/nPhysicItem.h"

class btCompoundShape;
class btDefaultVehicleRaycaster;
class btRaycastVehicle;
class btRigidBody;
class nBulletConstraint;
class nBulletMotionState;
class nBulletWorld;

// A physics item simulated by Bullet: a rigid body over a compound of the item's shapes, placed
// so that the body origin is the centre of mass, with a motion state tied to the owner and, in
// Vehicle mode, a raycast vehicle.
class nBulletPhysicItem : public nPhysicItem
{
public:
    explicit nBulletPhysicItem(nBulletWorld* world);
    ~nBulletPhysicItem() override;

    void SetSelfMask(int32_t selfMask) override;
    int32_t GetSelfMask() const override { return m_selfMask; }
    void SetMask(int32_t mask) override;
    int32_t GetMask() const override { return m_mask; }
    void SetLinearFactor(const nVector& factor) override;
    void SetAngularFactor(const nVector& factor) override;
    void SetGravity(const nVector& gravity) override;
    nVector GetGravity() const override;
    void ApplyLinearImpulse(const nVector& impulse, const nVector* point) override;
    void ApplyLinearForce(const nVector& force, const nVector* worldPoint) override;
    void ApplyTorque(const nVector& torque) override;
    void SetAngularVelocity(const nVector& velocity) override;
    nVector GetAngularVelocity() const override;
    void SetLinearVelocity(const nVector& velocity) override;
    nVector GetLinearVelocity() const override;
    nVector GetLocalPointVelocity(const nVector& localPoint) const override;
    nVector GetPointVelocity(const nVector& worldPoint) const override;
    void SetLinearDamping(float damping) override;
    float GetLinearDamping() const override { return m_linearDamping; }
    void SetAngularDamping(float damping) override;
    float GetAngularDamping() const override { return m_angularDamping; }
    nVector GetCenterOfMassPosition() const override;
    void GetMotionStateMatrix(nMatrix4& out) const override;
    void GetMatrix(nMatrix4& out) const override;
    void SetMatrix(const nMatrix4& itemMatrix) override;
    void ClearMotion() override;
    void VehicleSetForce(float force, uint32_t wheel) override;
    void VehicleSetBrake(float brake, uint32_t wheel) override;
    void VehicleSetSteering(float angle, uint32_t wheel) override;
    void VehicleGetWheelMatrix(nMatrix4& out, uint32_t wheel) override;
    void SetSleeping(bool sleeping) override;
    bool IsSleeping() const override;
    void SetSimulated(bool simulated) override;
    bool IsActive() const override;
    bool Build() override;
    void Free() override;

    btRigidBody* GetRigidBody() const { return m_body; }
    btRaycastVehicle* GetVehicle() const { return m_vehicle; }
    btCompoundShape* GetCompound() const { return m_compound; }
    // The shape whose compound child has the index, or null.
    nPhysicShape* GetShapeOfChild(int childIndex) const;
    // Constraints whose joints hold this body: they lose their joint when the body goes, and
    // their link to the item when it is deleted.
    void AttachConstraint(nBulletConstraint* constraint);
    void DetachConstraint(nBulletConstraint* constraint);

private:
    // Builds the shapes into the compound around the centre of mass; gives the total mass.
    float BuildCompound();
    void BuildVehicle();
    void ApplyCollisionFilter(int32_t group, int32_t mask);
    bool HasVehicleWheel(uint32_t wheel) const;
    nBulletWorld* GetBulletWorld() const;

    nAutoPtr<nBulletMotionState> m_motionState;
    btCompoundShape* m_compound = nullptr;
    btRigidBody* m_body = nullptr;
    btDefaultVehicleRaycaster* m_vehicleRaycaster = nullptr;
    btRaycastVehicle* m_vehicle = nullptr;
    nList<nBulletConstraint*> m_constraints;
    // A shapeless dynamic body collides with nothing, whatever masks the item stores.
    bool m_filterClosed = false;
};
