#include "engine/items/nScenePhysicWorldCallback.h"

#include "engine/items/nMItem.h"
#include "engine/scene/nScene.h"
#include "physics/nPhysicContact.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicWorld.h"
#include "script/nScriptObject.h"
#include "script/units/nItemEventHandler.h"
#include "script/units/nSceneEventHandler.h"
#include "script/units/nScriptUnit.h"

namespace
{
// The managed item a physics item belongs to; null for a body that no scene item owns.
nMItem* OwnerOf(const nPhysicItem* item)
{
    return item ? dynamic_cast<nMItem*>(item->GetOwner()) : nullptr;
}

bool HasScriptInstance(const nMItem& item)
{
    nListIterator<nScriptUnit*> iterator;
    while (nScriptUnit* unit = item.GetScriptUnits().Next(iterator))
        if (unit->GetInstance())
            return true;
    return false;
}
} // namespace

void nScenePhysicWorldCallback::OnSubStep(float, bool before)
{
    if (before)
        SendPhysicStep();
    else
        SendCollisions();
}

void nScenePhysicWorldCallback::SendPhysicStep()
{
    m_scene->GetEventHandler()->OnPhysicStep(m_scene, true);
    nWalkList<nMItem*>::Walk items(m_scene->GetActiveItems());
    while (nMItem* item = items.Next())
    {
        const nPhysicItem* physicItem = item->GetPhysicItem();
        if (item->GetKind() == ItemTypeInstance || (physicItem && physicItem->GetMode() != PhysicModeNone))
            item->GetEventHandler()->OnPhysicStep(item, true);
    }
}

void nScenePhysicWorldCallback::SendCollisions()
{
    nPhysicWorld* world = m_scene->GetPhysicWorld();
    if (!world)
        return;
    const int32_t count = world->GetContactCount();
    for (int32_t index = 0; index < count; ++index)
    {
        nPhysicContact contact;
        if (!world->GetContact(index, contact))
            continue;
        nMItem* a = OwnerOf(contact.itemA);
        nMItem* b = OwnerOf(contact.itemB);
        if (a && b)
            SendCollision(*a, *b, contact);
    }
}

void nScenePhysicWorldCallback::SendCollision(nMItem& a, nMItem& b, const nPhysicContact& contact)
{
    nMItem* first = &a;
    nMItem* second = &b;
    if (HasScriptInstance(a) || HasScriptInstance(b))
    {
        nScriptObject* table = NewContactTable(contact);
        if (a.IsEnabled())
            a.GetEventHandler()->OnCollisionEx(first, second, &contact, table);
        if (b.IsEnabled())
            b.GetEventHandler()->OnCollisionEx(second, first, &contact, table);
        delete table;
    }
    if (a.IsEnabled())
        a.GetEventHandler()->OnCollision(first, second, &contact);
    if (b.IsEnabled())
        b.GetEventHandler()->OnCollision(second, first, &contact);
}
