#include "engine/scene/nScene.h"

#include "core/base/nLog.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"
#include "script/nScriptVM.h"

#include <new>

nGroup* nScene::NewGroup(const char* name)
{
    if (IsRefusedWhileDeleting("make a group"))
        return nullptr;
    Broadcast(SceneMessageGroupAdding, nullptr);
    auto* group = new (std::nothrow) nGroup(m_engine, name);
    if (!group || !m_groups.PushBack(group))
    {
        delete group;
        nLogHolder::Get() << "[!] Could not allocate new group.\n";
        return nullptr;
    }
    Broadcast(SceneMessageGroupAdded, group);
    return group;
}

// The scene frees the group itself, once nothing points at it any more: parent groups,
// instances and script handles would otherwise keep a dangling pointer. A group deleted from an
// event of its own walk leaves the list at once and is freed when the walk ends.
void nScene::DeleteGroup(nGroup* group)
{
    if (!group || !m_groups.Find(group))
        return;
    nListIterator<nMItem*> items;
    while (nMItem* item = group->GetItems().Next(items))
        DeleteItem(item);
    Broadcast(SceneMessageGroupRemoving, group);
    m_groups.Remove(group);
    Broadcast(SceneMessageGroupRemoved, group);
    nListIterator<nGroup*> groups;
    while (nGroup* parent = m_groups.Next(groups))
        parent->RemoveGroup(group);
    nListIterator<nInstance*> instances;
    while (nInstance* instance = m_instances.Next(instances))
        if (instance->GetGroup() == group)
            instance->ForgetGroup();
    if (m_vm)
        m_vm->InvalidateNativeObject(group);
    group->DestroyWhenUnwalked();
}

void nScene::DestroyGroups()
{
    nListIterator<nInstance*> instances;
    while (nInstance* instance = m_instances.Next(instances))
        instance->ForgetGroup();
    while (nList<nGroup*>::Node* head = m_groups.GetHead())
    {
        nGroup* group = head->value;
        m_groups.RemoveNode(head);
        if (m_vm)
            m_vm->InvalidateNativeObject(group);
        group->DestroyWhenUnwalked();
    }
}

nGroup* nScene::FindGroup(const char* name) const
{
    nListIterator<nGroup*> iterator;
    while (nGroup* group = m_groups.Next(iterator))
        if (group->GetName() == name)
            return group;
    return nullptr;
}

void nScene::RemoveItemFromGroups(nMItem* item)
{
    nListIterator<nGroup*> iterator;
    while (nGroup* group = m_groups.Next(iterator))
        group->RemoveItem(item);
}
