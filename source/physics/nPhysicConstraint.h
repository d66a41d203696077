#pragma once

#include "core/math/nMatrix4.h"

#include <cstdint>

class nMetaTag;
class nPhysicItem;
class nPhysicWorld;

enum nPhysicConstraintType : int32_t
{
    PhysicConstraintNone = 0,
    PhysicConstraintPoint = 1,
    PhysicConstraintHinge = 2,
};

// A joint between two items (or one item and the world). The pivots are the joint frame in each
// item's space; the point joint uses their translations. Setting an item rebuilds the joint.
class nPhysicConstraint
{
public:
    explicit nPhysicConstraint(nPhysicWorld* world) : m_world(world) {}
    nPhysicConstraint(const nPhysicConstraint&) = delete;
    nPhysicConstraint& operator=(const nPhysicConstraint&) = delete;
    virtual ~nPhysicConstraint() = default;

    virtual void SetItemA(nPhysicItem* item) = 0;
    virtual void SetPivotA(const nMatrix4& pivot) = 0;
    virtual void SetItemB(nPhysicItem* item) = 0;
    virtual void SetPivotB(const nMatrix4& pivot) = 0;
    virtual nPhysicItem* GetItemA() const = 0;
    virtual const nMatrix4& GetPivotA() const = 0;
    virtual nPhysicItem* GetItemB() const = 0;
    virtual const nMatrix4& GetPivotB() const = 0;
    // Frees the joint, then builds and inserts it anew; false when neither item has a body.
    virtual bool Setup() = 0;
    virtual void Free() = 0;

    int32_t GetType() const { return m_type; }
    void SetType(int32_t type) { m_type = type; }
    nPhysicWorld* GetWorld() const { return m_world; }

    // Reads a "Constraint" tag; false only for a wrong root id. A tag without "Type" gives None.
    bool ParseTag(const nMetaTag* tag);
    nMetaTag* SerializeTag() const;

protected:
    nPhysicWorld* m_world;
    int32_t m_type = PhysicConstraintPoint;
    nPhysicItem* m_itemA = nullptr;
    nPhysicItem* m_itemB = nullptr;
    nMatrix4 m_pivotA;
    nMatrix4 m_pivotB;
};
