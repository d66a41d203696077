#include "engine/scene/nScene.h"

#include "core/base/nLog.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nGroup.h"
#include "geometry/nGeometry.h"

#include <unordered_map>
#include <vector>

// Every line is written as a piece of its own, so a reader of the log sees one line per entry:
// the dump's lines all carry the listing prefix, the empty ones included.
namespace
{
constexpr const char* Listing = "[|] ";

template <typename Kind> void DumpList(nLog& log, const char* title, const nList<Kind*>& list)
{
    log << Listing << title << " list follows (" << list.GetCount() << " entries) :\n";
    nListIterator<Kind*> iterator;
    while (Kind* member = list.Next(iterator))
        log << Listing << "  - " << member->GetName() << "\n";
    log << Listing << "\n";
}

const char* YesNo(bool value)
{
    return value ? "yes" : "no";
}
} // namespace

void nScene::Dump() const
{
    nLog& log = nLogHolder::Get();
    log << Listing << "Dumping scene content\n";
    log << Listing << "\n";
    DumpList(log, "Camera", m_cameras);
    DumpList(log, "Object", m_objects);
    DumpList(log, "Light", m_lights);
    DumpList(log, "Group", m_groups);
    log << Listing << "-------------------\n";
    log << Listing << "\n";
    log << Listing << "Global item list follows (" << m_allItems.GetCount() << " entries) :\n";
    nWalkList<nMItem*>::Walk items(m_allItems);
    while (nMItem* item = items.Next())
    {
        const nItem* node = item->GetItem();
        const nItem* parentNode = node ? node->GetParent() : nullptr;
        const nMItem* parent = parentNode ? parentNode->GetMItem() : nullptr;
        log << Listing << "  - " << item->GetName();
        if (parent && parent->GetScene() == this)
            log << " (Linked to '" << parent->GetName() << "'), (Active: " << YesNo(item->GetEnabledField())
                << ", Invisible: " << YesNo((node->GetFlags() & ItemFlagInvisible) != 0) << ")";
        log << "\n";
    }
    log << Listing << "\n";
}

// Objects are grouped by geometry in one pass, so both parts of the audit cost the number of
// objects plus the pairs that share a geometry, not the square of the object count.
void nScene::Audit() const
{
    nLog& log = nLogHolder::Get();
    log << "\n";
    log << "Running scene audit:\n";
    log << "--------------------\n";
    log << "\n";
    log << "(1/2) Geometry usage:\n";
    log << "\n";

    std::vector<const nGeometry*> geometries;
    std::unordered_map<const nGeometry*, std::vector<nMObject*>> users;
    nWalkList<nMItem*>::Walk items(m_allItems);
    while (nMItem* item = items.Next())
    {
        if (item->GetKind() != ItemTypeObject)
            continue;
        const nGeometry* geometry = static_cast<nMObject*>(item)->GetObject().GetGeometry();
        if (geometry && users.try_emplace(geometry).second)
            geometries.push_back(geometry);
    }
    nListIterator<nMObject*> objects;
    while (nMObject* object = m_objects.Next(objects))
        if (const nGeometry* geometry = object->GetObject().GetGeometry())
            users[geometry].push_back(object);

    for (const nGeometry* geometry : geometries)
    {
        const std::vector<nMObject*>& sharing = users[geometry];
        log << "'" << geometry->GetNameText() << "' used by " << static_cast<uint32_t>(sharing.size())
            << " object(s).\n";
        for (const nMObject* object : sharing)
            log << " - Object '" << object->GetName() << "'\n";
    }

    log << "\n";
    log << "(2/2) Check for duplicate geometries:\n";
    log << "\n";
    nListIterator<nMObject*> firsts;
    while (nMObject* first = m_objects.Next(firsts))
    {
        const nGeometry* geometry = first->GetObject().GetGeometry();
        if (!geometry)
            continue;
        const nObject& a = first->GetObject();
        for (nMObject* second : users[geometry])
        {
            const nObject& b = second->GetObject();
            if (second == first || a.GetPosition().DiffersFrom(b.GetPosition()) ||
                a.GetRotation().DiffersFrom(b.GetRotation()))
                continue;
            log << "[*]  - Object '" << first->GetName() << "' and '" << second->GetName()
                << "' might be duplicates.\n";
        }
    }
    log << "\n";
    log << "Audit complete.\n";
    log << "\n";
}
