#include "engine/resources/nResourceList.h"

nResourceListBase::~nResourceListBase()
{
    nResourceListBase::Clear();
}

bool nResourceListBase::AddObject(nSharedObject* object, const nString& name)
{
    if (!object)
        return false;
    Node* node = PushBack(nResourceEntry{nSharedPtr<nSharedObject>(object), name});
    if (!node)
        return false;
    m_index.try_emplace(std::string(name.GetText() ? name.GetText() : ""), node);
    return true;
}

nListNode<nResourceEntry>* nResourceListBase::FindNodeByName(const char* name) const
{
    if (!name)
        return nullptr;
    const auto found = m_index.find(std::string_view(name));
    return found == m_index.end() ? nullptr : found->second;
}

nListNode<nResourceEntry>* nResourceListBase::FindNodeOf(const nSharedObject* object) const
{
    for (Node* node = GetHead(); node; node = node->next)
        if (node->value.object.Get() == object)
            return node;
    return nullptr;
}

nSharedObject* nResourceListBase::FindObject(const char* name) const
{
    const Node* node = FindNodeByName(name);
    return node ? node->value.object.Get() : nullptr;
}

// The next entry of the same name, in list order, takes over the index.
void nResourceListBase::IndexFirstOf(const nString& name)
{
    const std::string key(name.GetText() ? name.GetText() : "");
    m_index.erase(key);
    for (Node* node = GetHead(); node; node = node->next)
        if (node->value.name == name)
        {
            m_index.emplace(key, node);
            return;
        }
}

bool nResourceListBase::RemoveNode(Node* node)
{
    if (!node || !Detach(node))
        return false;
    // The index is mended before the reference goes, since the resource may die with it.
    if (FindNodeByName(node->value.name.GetText() ? node->value.name.GetText() : "") == node)
        IndexFirstOf(node->value.name);
    FreeNode(node);
    return true;
}

void nResourceListBase::Clear()
{
    m_index.clear();
    while (Node* head = GetHead())
        FreeNode(Detach(head));
}

uint32_t nResourceListBase::RemoveUnshared()
{
    uint32_t removed = 0;
    for (Node* node = GetHead(); node;)
    {
        Node* next = node->next;
        if (node->value.object && node->value.object->GetRefCount() == 1)
        {
            RemoveNode(node);
            ++removed;
        }
        node = next;
    }
    return removed;
}
