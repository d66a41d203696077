#pragma once

#include "physics/nPhysicConstraint.h"
#include "physics/nPhysicContact.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicWorld.h"

#include <vector>

// A body that only keeps what is set on it.
class StubPhysicItem : public nPhysicItem
{
public:
    using nPhysicItem::nPhysicItem;

    void SetSelfMask(int32_t selfMask) override { m_selfMask = selfMask; }
    int32_t GetSelfMask() const override { return m_selfMask; }
    void SetMask(int32_t mask) override { m_mask = mask; }
    int32_t GetMask() const override { return m_mask; }
    void SetLinearFactor(const nVector&) override {}
    void SetAngularFactor(const nVector&) override {}
    void SetGravity(const nVector&) override {}
    nVector GetGravity() const override { return nVector(); }
    void ApplyLinearImpulse(const nVector&, const nVector*) override {}
    void ApplyLinearForce(const nVector&, const nVector*) override {}
    void ApplyTorque(const nVector&) override {}
    void SetAngularVelocity(const nVector&) override {}
    nVector GetAngularVelocity() const override { return nVector(); }
    void SetLinearVelocity(const nVector&) override {}
    nVector GetLinearVelocity() const override { return nVector(); }
    nVector GetLocalPointVelocity(const nVector&) const override { return nVector(); }
    nVector GetPointVelocity(const nVector&) const override { return nVector(); }
    void SetLinearDamping(float damping) override { m_linearDamping = damping; }
    float GetLinearDamping() const override { return m_linearDamping; }
    void SetAngularDamping(float damping) override { m_angularDamping = damping; }
    float GetAngularDamping() const override { return m_angularDamping; }
    nVector GetCenterOfMassPosition() const override { return nVector(); }
    void GetMotionStateMatrix(nMatrix4& out) const override { out = matrix; }
    void GetMatrix(nMatrix4& out) const override { out = matrix; }
    void SetMatrix(const nMatrix4& itemMatrix) override { matrix = itemMatrix; }
    void ClearMotion() override { ++clears; }
    void SetSleeping(bool) override {}
    bool IsSleeping() const override { return false; }
    void SetSimulated(bool on) override { simulated = on; }
    bool IsActive() const override { return true; }
    bool Build() override { return ++builds > 0; }
    void Free() override {}

    nMatrix4 matrix;
    int clears = 0;
    int builds = 0;
    bool simulated = true;
};

class StubPhysicConstraint : public nPhysicConstraint
{
public:
    using nPhysicConstraint::nPhysicConstraint;

    void SetItemA(nPhysicItem* item) override { m_itemA = item; }
    void SetPivotA(const nMatrix4& pivot) override { m_pivotA = pivot; }
    void SetItemB(nPhysicItem* item) override { m_itemB = item; }
    void SetPivotB(const nMatrix4& pivot) override { m_pivotB = pivot; }
    nPhysicItem* GetItemA() const override { return m_itemA; }
    const nMatrix4& GetPivotA() const override { return m_pivotA; }
    nPhysicItem* GetItemB() const override { return m_itemB; }
    const nMatrix4& GetPivotB() const override { return m_pivotB; }
    bool Setup() override { return ++setups > 0; }
    void Free() override {}

    int setups = 0;
};

// A world whose contacts are whatever the test puts in; the sub-steps are sent by the test.
class StubPhysicWorld : public nPhysicWorld
{
public:
    StubPhysicWorld() : nPhysicWorld(nullptr) {}

    void ClearShapeCaches() override {}
    bool Open() override { return true; }
    void Close() override {}
    bool RayCast(const nVector&, const nVector&, nPhysicRayHit&, uint16_t, uint32_t, float) override { return false; }
    nPhysicItem* NewItem() override { return new StubPhysicItem(this); }
    void InsertItem(nPhysicItem*) override {}
    void RemoveItem(nPhysicItem* item) override { removed.push_back(item); }
    nPhysicConstraint* NewConstraint() override { return new StubPhysicConstraint(this); }
    void InsertConstraint(nPhysicConstraint*) override {}
    void RemoveConstraint(nPhysicConstraint*) override {}
    int32_t GetContactCount() const override { return static_cast<int32_t>(contacts.size()) + missingContacts; }
    bool GetContact(int32_t index, nPhysicContact& contact) const override
    {
        if (index < missingContacts)
            return false;
        contact = contacts[static_cast<size_t>(index - missingContacts)];
        return true;
    }
    void Step(float) override {}

    std::vector<nPhysicContact> contacts;
    int32_t missingContacts = 0;
    std::vector<nPhysicItem*> removed;
};
