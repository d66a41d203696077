#pragma once

#include "physics/nPhysicConstraint.h"

class btTypedConstraint;
class nBulletWorld;

// A physics constraint over Bullet's point-to-point joint (Point) or its hinge (Hinge).
class nBulletConstraint : public nPhysicConstraint
{
public:
    explicit nBulletConstraint(nBulletWorld* world);
    ~nBulletConstraint() override;

    void SetItemA(nPhysicItem* item) override;
    void SetPivotA(const nMatrix4& pivot) override;
    void SetItemB(nPhysicItem* item) override;
    void SetPivotB(const nMatrix4& pivot) override;
    nPhysicItem* GetItemA() const override { return m_itemA; }
    const nMatrix4& GetPivotA() const override { return m_pivotA; }
    nPhysicItem* GetItemB() const override { return m_itemB; }
    const nMatrix4& GetPivotB() const override { return m_pivotB; }
    bool Setup() override;
    void Free() override;

    btTypedConstraint* GetJoint() const { return m_joint; }
    // Told by an item that is being deleted.
    void ForgetItem(nPhysicItem* item);

private:
    void Link(nPhysicItem* oldItem, nPhysicItem* newItem);

    btTypedConstraint* m_joint = nullptr;
};
