#include "engine/items/nMItem.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "core/math/nQuaternion.h"
#include "core/math/nRandom.h"
#include "engine/items/nItem.h"
#include "engine/scene/nScene.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicWorld.h"
#include "script/nObjectType.h"
#include "script/units/nItemEventHandler.h"
#include "script/units/nManagerScriptUnit.h"

#include <algorithm>
#include <new>

void* nMItem::operator new(size_t size) noexcept
{
    return MemNew(size, MemCategoryItem);
}

void nMItem::operator delete(void* memory) noexcept
{
    MemDelete(memory, MemCategoryItem);
}

nMItem::nMItem(nScene* scene, int32_t kind)
    : m_scene(scene), m_kind(kind), m_eventHandler(&nItemEventHandler::Get())
{
    m_scene->AddMItem(this);
    if (nPhysicWorld* world = m_scene->GetPhysicWorld())
        SetPhysicItem(world->NewItem());
}

void nMItem::OnCachedMethodsChanged()
{
    m_scene->ItemScriptMethodsChanged();
}

nMItem::~nMItem()
{
    Retire();
    SetPhysicItem(nullptr);
}

void nMItem::AttachItem(nItem& item)
{
    m_item = &item;
    item.SetMItem(this);
}

void nMItem::Retire()
{
    if (m_retired)
        return;
    m_retired = true;
    m_eventHandler->OnDelete(this);
    DeleteScriptUnits();
    m_scene->RemoveMItem(this);
}

void nMItem::SetPhysicItem(nPhysicItem* item)
{
    if (m_physicItem)
    {
        m_physicItem->Free();
        delete m_physicItem;
    }
    m_physicItem = item;
    if (item)
        item->SetOwner(this);
}

const nMatrix4& nMItem::GetPhysicWorldMatrix()
{
    return m_item->GetWorldMatrix();
}

bool nMItem::GetChannelValue(int32_t channel, float& out)
{
    if (channel < 1 || channel > 9)
        return false;
    const int32_t axis = (channel - 1) % 3;
    const nVector& value = channel <= 3 ? m_item->GetPosition() : channel <= 6 ? m_item->GetRotation() : m_item->GetScale();
    out = axis == 0 ? value.x : axis == 1 ? value.y : value.z;
    return true;
}

bool nMItem::SetChannelValue(int32_t channel, float value)
{
    if (channel < 1 || channel > 9)
        return false;
    const int32_t axis = (channel - 1) % 3;
    const auto replaced = [axis, value](nVector vector) {
        (axis == 0 ? vector.x : axis == 1 ? vector.y : vector.z) = value;
        return vector;
    };
    if (channel <= 3)
        m_item->SetPosition(replaced(m_item->GetPosition()));
    else if (channel <= 6)
        m_item->SetRotation(replaced(m_item->GetRotation()));
    else
        m_item->SetScale(replaced(m_item->GetScale()));
    return true;
}

void nMItem::GetRotationQuaternion(nQuaternion& out)
{
    const nVector& angles = m_item->GetRotation();
    out = nQuaternion::FromEuler(angles.x, angles.y, angles.z, m_item->GetRotationOrder());
}

bool nMItem::SetRotationQuaternion(const nQuaternion& rotation)
{
    m_item->SetRotationQuaternion(rotation);
    return true;
}

void nMItem::SetFlag(uint32_t bits, bool on)
{
    if (on)
        m_flags |= bits;
    else
        m_flags &= ~bits;
}

bool nMItem::IsEnabled() const
{
    return m_enabled;
}

void nMItem::Setup()
{
    if (m_physicItem)
        m_physicItem->Build();
    m_eventHandler->OnSetupDone(this);
}

nScriptUnit* nMItem::CreateScriptUnit()
{
    auto* unit = new (std::nothrow) nManagerScriptUnit(m_scene->GetVM());
    if (unit)
        unit->SetOwner(static_cast<nMItem*>(this), ObjectTypeItem);
    return AppendScriptUnit(unit, m_name.GetText() ? m_name.GetText() : "");
}

void nMItem::SetPriority(float priority)
{
    m_priority = priority;
    if (m_kind == ItemTypeLight)
        m_scene->SortItems();
}

void nMItem::SetLogicMatrices(const nMatrix4& latest, const nMatrix4& previous)
{
    m_logicMatrix = latest;
    m_previousLogicMatrix = previous;
}

void nMItem::SetupScript()
{
    m_eventHandler->OnSetup(this);
}

void nMItem::SendReset()
{
    m_eventHandler->OnReset(this);
}

void nMItem::RecordLocation()
{
    m_recordedLocation = m_item->GetLocalMatrix() * m_item->GetPivot().InverseAffine();
    m_hasRecordedLocation = true;
}

void nMItem::RestoreLocation()
{
    if (m_hasRecordedLocation)
        m_item->SnapshotMatrix(m_recordedLocation * m_item->GetPivot(), true, false);
}

void nMItem::SetLogicTransformation(const nMatrix4& matrix)
{
    m_logicMatrix = matrix;
    m_previousLogicMatrix = matrix;
}

void nMItem::Reset()
{
    if (m_physicItem)
    {
        m_physicItem->ClearMotion();
        m_physicItem->SetMatrix(m_item->GetWorldMatrix());
    }
    SetLogicTransformation(m_item->GetLocalMatrix());
    // The scene update runs logic at 0.1 steps per second at least, so the spread never exceeds that.
    m_logicClock = RandomFloat(1.0f / std::max(m_logicRate, MinimumLogicRate));
}
