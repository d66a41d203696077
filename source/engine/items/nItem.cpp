#include "engine/items/nItem.h"

#include "core/base/nLog.h"
#include "core/math/nMinMax.h"
#include "core/math/nQuaternion.h"

#include <vector>

namespace
{
constexpr uint32_t DerivedStale = ItemFlagWorldStale | ItemFlagInverseStale;
constexpr uint32_t AllStale = ItemFlagLocalStale | DerivedStale;
} // namespace

nItem::nItem(Quenvar* engine) : m_engine(engine)
{
    Invalidate(false);
}

nItem::~nItem()
{
    // Children are unlinked directly: their virtual parenting would tell a scene that may be
    // tearing down.
    while (nList<nItem*>::Node* node = m_children.GetHead())
    {
        nItem* child = node->value;
        m_children.RemoveNode(node);
        child->m_parent = nullptr;
        child->Invalidate(false);
    }
    if (m_parent)
        m_parent->m_children.Remove(this);
    m_parent = nullptr;
}

void nItem::Invalidate(bool keepSelf)
{
    if (!keepSelf)
        m_flags |= AllStale;
    InvalidateDescendants();
}

// Without recursion: a chain of items may be tens of thousands deep. A child already stale has
// only stale descendants (whatever makes an item stale makes its descendants stale too), so the
// walk does not go below it; relinking a long chain item by item then stays linear.
void nItem::InvalidateDescendants()
{
    std::vector<nItem*> pending;
    nItem* item = this;
    while (item)
    {
        nListIterator<nItem*> iterator;
        while (nItem* child = item->m_children.Next(iterator))
        {
            if ((child->m_flags & DerivedStale) == DerivedStale)
                continue;
            child->m_flags |= DerivedStale;
            if (!child->m_children.IsEmpty())
                pending.push_back(child);
        }
        item = nullptr;
        if (!pending.empty())
        {
            item = pending.back();
            pending.pop_back();
        }
    }
}

// The bone flag stays once set: the scene unbinds a deleted item from skins only when it has it.
void nItem::SetFlag(uint32_t bits, bool on)
{
    if (on)
        m_flags |= bits;
    else
        m_flags &= ~(bits & ~uint32_t(ItemFlagSkinBone));
    Invalidate(false);
}

void nItem::RebuildLocalMatrix()
{
    if (!(m_flags & ItemFlagHasTarget))
        m_rotationMatrix = nMatrix3::FromEulerVector(m_rotation, m_rotationOrder);
    m_local = nMatrix4::FromTranslation(m_position.x, m_position.y, m_position.z) *
              nMatrix4::FromMatrix3(m_rotationMatrix) * nMatrix4::FromScale(m_scale.x, m_scale.y, m_scale.z) *
              m_pivot;
    m_flags &= ~ItemFlagLocalStale;
}

void nItem::Update()
{
    const bool localStale = (m_flags & ItemFlagLocalStale) != 0;
    const bool worldStale = (m_flags & ItemFlagWorldStale) != 0;
    if (localStale)
        RebuildLocalMatrix();
    if (worldStale)
    {
        if (!m_parent)
            m_world = m_local;
        else
        {
            UpdateAncestors();
            m_world = m_parent->m_world * m_local;
        }
        if (m_flags & ItemFlagLinkOnlyPosition)
        {
            // Only the parent's position is taken: the item keeps its own rotation and scale.
            const nVector translation = m_world.GetTranslation();
            m_world = nMatrix4::FromMatrix3(m_rotationMatrix) * nMatrix4::FromScale(m_scale.x, m_scale.y, m_scale.z);
            m_world.m[3] = translation.x;
            m_world.m[7] = translation.y;
            m_world.m[11] = translation.z;
        }
    }
    // Up to date: nothing is written, so threads that read an item nobody moves (a raytracer's
    // workers lighting with it) never share a written cache line.
    if (!localStale && !worldStale)
        return;
    if (m_flags & ItemFlagHasTarget)
        ApplyLookAt();
    m_flags &= ~ItemFlagWorldStale;
}

// Each stale item updates its parent first. Up a long stale chain that would recurse once per
// item, so a deep chain is brought up to date from its top down instead, one item at a time.
void nItem::UpdateAncestors()
{
    constexpr uint32_t RecursionLimit = 32;
    uint32_t staleDepth = 0;
    for (nItem* node = m_parent; node && (node->m_flags & ItemFlagWorldStale) && staleDepth <= RecursionLimit;
         node = node->m_parent)
        ++staleDepth;
    if (staleDepth > RecursionLimit)
    {
        std::vector<nItem*> chain;
        for (nItem* node = m_parent; node && (node->m_flags & ItemFlagWorldStale); node = node->m_parent)
            chain.push_back(node);
        for (auto ancestor = chain.rbegin(); ancestor != chain.rend(); ++ancestor)
            (*ancestor)->Update();
    }
    m_parent->Update();
}

void nItem::ApplyLookAt()
{
    const nVector position = m_world.GetTranslation();
    const nVector direction(m_target.x - position.x, m_target.y - position.y, m_target.z - position.z, 1.0f);
    // A target on the item itself gives no direction: the previous rotation stays.
    if (direction.LengthSquared() <= 1e-12f)
        return;
    nMatrix3 worldRotation;
    m_world.Decompose(nullptr, nullptr, &worldRotation);
    const nMatrix3 lookAt = nMatrix3::FromDirection(direction);
    m_world = m_world * nMatrix4::FromMatrix3(worldRotation.Transpose() * lookAt);
    m_rotationMatrix = lookAt;
}

void nItem::RemoveWorldScale()
{
    for (int column = 0; column < 3; ++column)
    {
        const nVector axis(m_world.m[column], m_world.m[column + 4], m_world.m[column + 8]);
        const float length = axis.Length();
        if (length <= 0.0f)
            continue;
        m_world.m[column] = axis.x / length;
        m_world.m[column + 4] = axis.y / length;
        m_world.m[column + 8] = axis.z / length;
    }
}

const nMatrix4& nItem::GetLocalMatrix()
{
    Update();
    return m_local;
}

const nMatrix3& nItem::GetRotationMatrix()
{
    Update();
    return m_rotationMatrix;
}

const nMatrix4& nItem::GetWorldMatrix()
{
    Update();
    return m_world;
}

const nMatrix4& nItem::GetInverseMatrix()
{
    if (m_flags & ItemFlagInverseStale)
    {
        Update();
        m_inverse = m_world.InverseAffine();
        m_flags &= ~ItemFlagInverseStale;
    }
    return m_inverse;
}

nVector nItem::GetWorldPosition()
{
    return GetWorldMatrix().GetTranslation();
}

nMatrix4 nItem::GetWorldMatrixWithoutPivot()
{
    const nMatrix4 pivot = m_pivot;
    m_pivot = nMatrix4();
    Invalidate(false);
    Update();
    const nMatrix4 world = m_world;
    m_pivot = pivot;
    Invalidate(false);
    return world;
}

void nItem::SetPosition(const nVector& position)
{
    m_position = position;
    Invalidate(false);
}

void nItem::SetRotation(const nVector& angles)
{
    m_rotation = angles;
    Invalidate(false);
}

void nItem::SetScale(const nVector& scale)
{
    m_scale = scale;
    Invalidate(false);
}

void nItem::SetPivot(const nMatrix4& pivot)
{
    m_pivot = pivot;
    Invalidate(false);
}

void nItem::SetRotationOrder(uint32_t order)
{
    m_rotationOrder = order;
    Invalidate(false);
}

void nItem::SetRotationMatrix(const nMatrix3& rotation)
{
    m_rotation = rotation.ToEuler(m_rotationOrder);
    Invalidate(false);
}

void nItem::SetRotationQuaternion(const nQuaternion& rotation)
{
    SetRotationMatrix(rotation.ToMatrix3());
}

void nItem::SetTarget(const nVector* target)
{
    if (target)
    {
        m_target = *target;
        m_flags |= ItemFlagHasTarget;
    }
    else
        m_flags &= ~ItemFlagHasTarget;
    Invalidate(false);
}

void nItem::Translate(const nVector& offset)
{
    if (!m_parent)
    {
        m_position = nVector(m_position.x + offset.x, m_position.y + offset.y, m_position.z + offset.z);
        Invalidate(false);
        return;
    }
    const nMatrix4& toParent = m_parent->GetInverseMatrix();
    const nVector world = GetWorldPosition();
    const nVector from = world.MulMatrix4(toParent);
    const nVector to = nVector(world.x + offset.x, world.y + offset.y, world.z + offset.z).MulMatrix4(toParent);
    m_position = nVector(m_position.x + to.x - from.x, m_position.y + to.y - from.y, m_position.z + to.z - from.z);
    Invalidate(false);
}

void nItem::SnapshotMatrix(const nMatrix4& matrix, bool isLocal, bool keepComponents)
{
    m_local = (m_parent && !isLocal) ? m_parent->GetInverseMatrix() * matrix : matrix;
    m_flags &= ~ItemFlagLocalStale;
    if (!keepComponents)
    {
        nMatrix3 rotation;
        (m_local * m_pivot.InverseAffine()).Decompose(&m_position, &m_scale, &rotation);
        m_position.w = 1.0f;
        m_scale.w = 1.0f;
        m_rotationMatrix = rotation;
        m_rotation = rotation.ToEuler(m_rotationOrder);
    }
    m_flags |= DerivedStale;
    InvalidateDescendants();
}

void nItem::SetMatrix(const nMatrix4& world)
{
    SnapshotMatrix(world, false, false);
    m_world = world;
    m_inverse = world.InverseAffine();
    m_flags &= ~DerivedStale;
    InvalidateDescendants();
}

bool nItem::HasAncestor(const nItem* item) const
{
    for (const nItem* node = this; node; node = node->m_parent)
        if (node == item)
            return true;
    return false;
}

void nItem::DetachChildren()
{
    while (nList<nItem*>::Node* node = m_children.GetHead())
        node->value->SetParent(nullptr);
}

void nItem::GetMinMax(nMinMax& out)
{
    const nVector position = GetWorldPosition();
    out = nMinMax(position, position);
}

void nItem::SetParent(nItem* parent)
{
    if (parent == this)
    {
        nLogHolder::Get() << "[!] Cannot parent item to itself.\n";
        return;
    }
    if (parent && m_parent == parent)
        return;
    // Only an item with children can have the new parent below it.
    for (nItem* node = m_children.IsEmpty() ? nullptr : parent; node; node = node->m_parent)
    {
        if (node->m_parent == this)
        {
            node->SetParent(m_parent);
            nLogHolder::Get() << "[*] Deadlock detected, link chain has been corrected.\n";
            break;
        }
    }
    if (m_parent)
        m_parent->m_children.Remove(this);
    m_parent = parent;
    if (parent)
        parent->m_children.PushBack(this);
    Invalidate(false);
}

void nItem::UpdateRenderMatrices()
{
    GetWorldMatrix();
    GetInverseMatrix();
}
