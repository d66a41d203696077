#pragma once

#include "core/base/nList.h"
#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "core/nml/nRegistry.h"
#include "render/nRenderItem.h"

#include <cstdint>

class Quenvar;
class nMItem;
class nMetaFile;
class nMetaTag;
class nMinMax;
class nQuaternion;

enum nItemFlag : uint32_t
{
    ItemFlagHasTarget = 1,
    ItemFlagInvisible = 2,
    ItemFlagLinkOnlyPosition = 4,
    ItemFlagLocalStale = 8,
    ItemFlagWorldStale = 16,
    ItemFlagInverseStale = 32,
    ItemFlagSkinBone = 64,
};

enum nRotationOrder : uint32_t
{
    RotationOrderZYX = 0,
    RotationOrderYZX = 1,
    RotationOrderZXY = 2,
    RotationOrderXZY = 3,
    RotationOrderYXZ = 4,
    RotationOrderXYZ = 5,
    RotationOrderXY = 6,
};

// The transformable node of the 3D scene. The local, world and inverse world matrices are
// derived from the components and recomputed lazily: a setter only flags them stale, and the
// getters or Update bring them up to date. A point of the item's space maps into its
// parent's space as local . p. The renderer reads it through nRenderItem.
class nItem : public nRenderItem
{
public:
    explicit nItem(Quenvar* engine);
    nItem(const nItem&) = delete;
    nItem& operator=(const nItem&) = delete;
    virtual ~nItem();

    virtual void Update();
    virtual void SetParent(nItem* parent);
    virtual void GetMinMax(nMinMax& out);

    void UpdateRenderMatrices() override;
    const nMatrix4& GetRenderWorldMatrix() const override { return m_world; }
    const nMatrix4& GetRenderInverseMatrix() const override { return m_inverse; }
    float GetRenderOpacity() const override { return m_alpha; }

    Quenvar* GetEngine() const { return m_engine; }
    nMItem* GetMItem() const { return m_owner; }
    void SetMItem(nMItem* owner) { m_owner = owner; }

    const nVector& GetPosition() const { return m_position; }
    const nVector& GetRotation() const { return m_rotation; }
    const nVector& GetScale() const { return m_scale; }
    const nMatrix4& GetPivot() const { return m_pivot; }
    const nVector& GetTarget() const { return m_target; }
    uint32_t GetRotationOrder() const { return m_rotationOrder; }
    uint32_t GetFlags() const { return m_flags; }
    float GetAlpha() const { return m_alpha; }
    nItem* GetParent() const { return m_parent; }
    const nList<nItem*>& GetChildren() const { return m_children; }
    nRegistry& GetRegistry() { return m_registry; }
    const nRegistry& GetRegistry() const { return m_registry; }
    nVector GetPreviousWorldPosition() const { return m_previousWorld.GetTranslation(); }
    const nMatrix4& GetPreviousWorldMatrix() const { return m_previousWorld; }
    void SetPreviousWorldMatrix(const nMatrix4& matrix) { m_previousWorld = matrix; }

    const nMatrix4& GetLocalMatrix();
    const nMatrix3& GetRotationMatrix();
    const nMatrix4& GetWorldMatrix();
    const nMatrix4& GetInverseMatrix();
    nMatrix4 GetWorldMatrixWithoutPivot();
    // The matrices as the last update left them, stale or not.
    const nMatrix4& GetStoredWorldMatrix() const { return m_world; }
    const nMatrix4& GetStoredInverseMatrix() const { return m_inverse; }
    nVector GetWorldPosition();

    void SetPosition(const nVector& position);
    void SetRotation(const nVector& angles);
    void SetScale(const nVector& scale);
    void SetPivot(const nMatrix4& pivot);
    // The angles stay as they are, so the next update turns the item differently.
    void SetRotationOrder(uint32_t order);
    void SetRotationMatrix(const nMatrix3& rotation);
    void SetRotationQuaternion(const nQuaternion& rotation);
    // Null clears the target.
    void SetTarget(const nVector* target);
    void SetAlpha(float alpha) { m_alpha = alpha; }
    void SetFlag(uint32_t bits, bool on);

    // The offset is in world space; with a parent it is taken through the parent's inverse.
    void Translate(const nVector& offset);
    void Invalidate(bool keepSelf = false);
    void SnapshotMatrix(const nMatrix4& matrix, bool isLocal, bool keepComponents);
    void SetMatrix(const nMatrix4& world);
    bool HasAncestor(const nItem* item) const;
    void DetachChildren();

    // The "Item" block of scene files.
    bool ParseTag(nMetaFile& file, nMetaTag& tag);
    nMetaTag* SerializeTag(nMetaFile& file) const;

protected:
    void RebuildLocalMatrix();
    void ApplyLookAt();
    void InvalidateDescendants();
    void UpdateAncestors();
    // Normalises the first three columns of the world matrix, so it carries no scale.
    void RemoveWorldScale();

private:
    Quenvar* m_engine;
    uint32_t m_rotationOrder = RotationOrderYXZ;
    nVector m_position{0.0f, 0.0f, 0.0f, 1.0f};
    nVector m_rotation{0.0f, 0.0f, 0.0f, 1.0f};
    nVector m_scale{1.0f, 1.0f, 1.0f, 1.0f};
    nMatrix3 m_rotationMatrix;
    nItem* m_parent = nullptr;
    nList<nItem*> m_children;
    nRegistry m_registry;
    nMatrix4 m_local;
    nMatrix4 m_previousWorld;
    nMatrix4 m_world;
    nMatrix4 m_inverse;
    nMatrix4 m_pivot;
    uint32_t m_flags = 0;
    nVector m_target{0.0f, 0.0f, 1.0f, 1.0f};
    float m_alpha = 1.0f;
    nMItem* m_owner = nullptr;
};
