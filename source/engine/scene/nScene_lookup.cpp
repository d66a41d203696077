#include "engine/scene/nScene.h"

#include "core/base/nLog.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMEmitter.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nMTerrain.h"
#include "engine/items/nTrigger.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{
template <typename Kind> Kind* FindByName(const nList<Kind*>& list, const char* name)
{
    nListIterator<Kind*> iterator;
    while (Kind* item = list.Next(iterator))
        if (item->GetName() == name)
            return item;
    return nullptr;
}

template <typename Kind> bool FindKind(const nList<Kind*>& list, const nItem* node, nMItem** managed)
{
    nListIterator<Kind*> iterator;
    while (Kind* item = list.Next(iterator))
        if (item->GetItem() == node)
        {
            if (managed)
                *managed = item;
            return true;
        }
    return false;
}

nVector Transformed(const nMatrix4& matrix, const nVector& vector)
{
    nVector out;
    matrix.TransformVector4Array(&out, &vector, 1);
    return out;
}

// The parameter along origin + t * direction where the line enters the box of half size 0.5,
// or a negative value when it misses it within [0, limit].
float HitUnitBox(const nVector& origin, const nVector& direction, float limit)
{
    float enter = 0.0f;
    float leave = limit;
    const float start[3] = {origin.x, origin.y, origin.z};
    const float step[3] = {direction.x, direction.y, direction.z};
    for (int axis = 0; axis < 3; ++axis)
    {
        if (step[axis] == 0.0f)
        {
            if (start[axis] < -0.5f || start[axis] > 0.5f)
                return -1.0f;
            continue;
        }
        float near = (-0.5f - start[axis]) / step[axis];
        float far = (0.5f - start[axis]) / step[axis];
        if (near > far)
            std::swap(near, far);
        enter = std::max(enter, near);
        leave = std::min(leave, far);
        if (enter > leave)
            return -1.0f;
    }
    return enter;
}
} // namespace

nMItem* nScene::FindMItemByUid(int32_t uid) const
{
    if (uid == -1)
        return nullptr;
    nWalkList<nMItem*>::Walk items(m_allItems);
    while (nMItem* item = items.Next())
        if (item->GetUid() == uid)
            return item;
    nLogHolder::Get() << "[*] No managed item with UID (" << uid << ").\n";
    return nullptr;
}

nMCamera* nScene::FindCamera(const char* name) const
{
    return FindByName(m_cameras, name);
}

nMObject* nScene::FindObject(const char* name) const
{
    return FindByName(m_objects, name);
}

nMLight* nScene::FindLight(const char* name) const
{
    return FindByName(m_lights, name);
}

nTrigger* nScene::FindTrigger(const char* name) const
{
    return FindByName(m_triggers, name);
}

nInstance* nScene::FindInstance(const char* name) const
{
    return FindByName(m_instances, name);
}

nMEmitter* nScene::FindEmitter(const char* name) const
{
    return FindByName(m_emitters, name);
}

nMItem* nScene::FindItem(const char* path, nItem* parent) const
{
    const std::string text = path ? path : "";
    std::vector<std::string> parts;
    for (size_t start = 0;;)
    {
        const size_t slash = text.find('/', start);
        parts.push_back(text.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    nMItem* current = nullptr;
    const char* first = parts[0].c_str();
    if (parent)
    {
        nListIterator<nItem*> children;
        while (nItem* child = parent->GetChildren().Next(children))
            if (child->GetMItem() && child->GetMItem()->GetName() == first)
            {
                current = child->GetMItem();
                break;
            }
    }
    else if (!((current = FindInstance(first)) || (current = FindCamera(first)) ||
               (current = FindLight(first)) || (current = FindObject(first)) ||
               (current = FindTrigger(first)) || (current = FindEmitter(first))))
        current = nullptr;
    if (!current)
    {
        nLogHolder::Get() << "[*] No item named '" << text.c_str() << "' in scene '" << m_name << "'.\n";
        return nullptr;
    }
    for (size_t index = 1; index < parts.size(); ++index)
    {
        if (current->GetKind() != ItemTypeInstance)
        {
            nLogHolder::Get() << "[*] Cannot solve sub-path '" << parts[index].c_str() << "' on item '"
                              << current->GetName() << "'.\n";
            return nullptr;
        }
        nGroup* group = static_cast<nInstance*>(current)->GetGroup();
        if (!group || !(current = group->FindItem(parts[index].c_str())))
            return nullptr;
    }
    return current;
}

int32_t nScene::GetItemKind(nItem* item, nMItem** managed) const
{
    if (!item)
        return ItemTypeNone;
    if (FindKind(m_objects, item, managed))
        return ItemTypeObject;
    if (FindKind(m_lights, item, managed))
        return ItemTypeLight;
    if (FindKind(m_cameras, item, managed))
        return ItemTypeCamera;
    if (FindKind(m_triggers, item, managed))
        return ItemTypeTrigger;
    if (FindKind(m_emitters, item, managed))
        return ItemTypeEmitter;
    if (FindKind(m_terrains, item, managed))
        return ItemTypeTerrain;
    if (FindKind(m_instances, item, managed))
        return ItemTypeInstance;
    nLogHolder::Get() << "[*] Could not locate any instance of the provided item.\n";
    return ItemTypeNone;
}

nTrigger* nScene::RaytraceTriggerList(const nVector& origin, const nVector& direction, float length,
                                      nVector* hitPoint) const
{
    const float limit = length == -1.0f ? 3.0e38f : length;
    nListIterator<nTrigger*> iterator;
    while (nTrigger* trigger = m_triggers.Next(iterator))
    {
        nItem* node = trigger->GetItem();
        const nMatrix4& inverse = node->GetInverseMatrix();
        const nVector localOrigin = Transformed(inverse, nVector(origin.x, origin.y, origin.z, 1.0f));
        const nVector localDirection = Transformed(inverse, nVector(direction.x, direction.y, direction.z, 0.0f));
        const float hit = HitUnitBox(localOrigin, localDirection, limit);
        if (hit < 0.0f)
            continue;
        if (hitPoint)
        {
            nVector local = localOrigin + localDirection * hit;
            local.w = 1.0f;
            *hitPoint = Transformed(node->GetWorldMatrix(), local);
        }
        return trigger;
    }
    return nullptr;
}
