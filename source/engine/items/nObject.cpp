#include "engine/items/nObject.h"

#include "core/base/nLog.h"
#include "core/math/nMinMax.h"
#include "core/math/nTransform.h"
#include "engine/items/nMItem.h"
#include "geometry/nGeometry.h"

#include <algorithm>
#include <new>

nObject::nObject(Quenvar* engine) : nItem(engine) {}

nObject::~nObject() = default;

bool nObject::IsRenderable() const
{
    const nMItem* owner = GetMItem();
    return !owner || owner->IsEnabled();
}

void nObject::SetGeometry(nGeometry* geometry, bool rebuildSkin)
{
    m_unloadedGeometryName.Clear();
    if (geometry == m_geometry.Get())
        return;
    FreeSkin();
    m_geometry = geometry;
    if (rebuildSkin)
        AllocateSkin();
}

void nObject::SetOccluder(nGeometry* occluder)
{
    m_occluder = occluder;
    m_unloadedOccluderName.Clear();
}

bool nObject::AllocateSkin()
{
    const uint32_t count = m_geometry ? m_geometry->GetBoneCount() : 0;
    if (count == 0)
    {
        m_skin.reset();
        return true;
    }
    m_skin.reset(new (std::nothrow) nObjectSkin);
    if (!m_skin || !m_skin->Resize(count))
    {
        FreeSkin();
        nLogHolder::Get() << "[!] Failed to allocate skinning structure.\n";
        return false;
    }
    ComputeBoneBoxes();
    return true;
}

void nObject::FreeSkin()
{
    m_skin.reset();
}

bool nObject::BindBone(uint32_t index, nItem* item)
{
    if (!m_skin || index >= m_skin->GetCount())
        return false;
    *m_skin->bones.At(index) = item;
    if (item)
        item->SetFlag(ItemFlagSkinBone, true);
    return true;
}

nItem* nObject::GetBone(uint32_t index) const
{
    return m_skin && index < m_skin->GetCount() ? *m_skin->bones.At(index) : nullptr;
}

void nObject::UnbindItem(const nItem* item)
{
    if (!m_skin || !item)
        return;
    for (uint32_t index = 0; index < m_skin->GetCount(); ++index)
        if (*m_skin->bones.At(index) == item)
            *m_skin->bones.At(index) = nullptr;
}

void nObject::UpdateSkin()
{
    if (!m_skin)
        return;
    const uint32_t count = m_skin->GetCount();
    for (uint32_t index = 0; index < count; ++index)
    {
        nItem* bone = *m_skin->bones.At(index);
        nMatrix4& skin = *m_skin->matrices.At(index);
        if (!bone || !m_geometry || index >= m_geometry->boneMatrices.GetCount())
        {
            skin = nMatrix4();
            continue;
        }
        bone->Update();
        skin =
            GetInverseMatrix().Multiply(bone->GetWorldMatrix().Multiply(*m_geometry->boneMatrices.At(index)));
    }
}

bool nObject::GetBindMatrix(uint32_t index, nMatrix4& out) const
{
    if (!m_geometry || index >= m_geometry->GetBoneCount() || index >= m_geometry->boneMatrices.GetCount())
        return false;
    out = *m_geometry->boneMatrices.At(index);
    return true;
}

// A weight naming a bone the geometry does not have (a geometry built in code) is skipped.
bool nObject::ComputeBoneBoxes()
{
    const uint32_t count = m_geometry ? m_geometry->GetBoneCount() : 0;
    if (!m_skin || count == 0 || m_skin->GetCount() != count)
        return false;
    nAutoArray<uint8_t> seen(count, MemCategoryGeneral);
    if (seen.GetCount() != count)
        return false;
    const uint32_t vertices = std::min(m_geometry->vertices.GetCount(), m_geometry->weights.GetCount());
    for (uint32_t vertex = 0; vertex < vertices; ++vertex)
    {
        const nVector& position = *m_geometry->vertices.At(vertex);
        const nSkinWeight& weight = *m_geometry->weights.At(vertex);
        for (int slot = 0; slot < 4; ++slot)
        {
            const uint32_t bone = weight.bones[slot];
            if (!(weight.weights[slot] > 0.0f) || bone >= count)
                continue;
            nMinMax& box = *m_skin->boxes.At(bone);
            if (*seen.At(bone))
                box.Extend(position);
            else
            {
                box = nMinMax(position, position);
                *seen.At(bone) = 1;
            }
        }
    }
    return true;
}

void nObject::GetMinMax(nMinMax& out)
{
    if (!m_geometry)
    {
        nItem::GetMinMax(out);
        return;
    }
    if (!m_skin || m_skin->GetCount() == 0)
    {
        out = m_geometry->box;
        return;
    }
    for (uint32_t index = 0; index < m_skin->GetCount(); ++index)
    {
        nTransform bone = nTransform::FromMinMax(*m_skin->boxes.At(index));
        bone.ApplyMatrix4(*m_skin->matrices.At(index));
        const nMinMax box = bone.ToMinMax();
        out = index == 0 ? box : out.Union(box);
    }
}

// Bringing the item up to date only refreshes its cached matrices, so the box is asked of a
// const renderable. Without a geometry the item's box is already the world point and is not
// moved by the world matrix a second time.
void nObject::GetWorldMinMax(nMinMax& box) const
{
    auto& self = const_cast<nObject&>(*this);
    if (!m_geometry)
    {
        self.nItem::GetMinMax(box);
        return;
    }
    nMinMax local;
    self.GetMinMax(local);
    nTransform transform = nTransform::FromMinMax(local);
    self.Update();
    transform.ApplyMatrix4(self.GetWorldMatrix());
    box = transform.ToMinMax();
}
