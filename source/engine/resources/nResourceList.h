#pragma once

#include "core/base/nList.h"
#include "engine/resources/nResourceEntry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

// A list of cached resources of one kind, in the order they were added, with an index of their
// names beside it: a lookup answers the first entry of that name in list order without walking
// the list. Entries hold their resources as shared objects, so the list (and the cache) can be
// declared for kinds whose classes it does not see; nResourceList gives the typed view.
class nResourceListBase : public nList<nResourceEntry>
{
public:
    nResourceListBase() = default;
    ~nResourceListBase() override;

    bool RemoveNode(Node* node) override;
    void Clear() override;

    // False when no node could be allocated (the resource is then not cached).
    bool AddObject(nSharedObject* object, const nString& name);
    Node* FindNodeByName(const char* name) const;
    Node* FindNodeOf(const nSharedObject* object) const;
    nSharedObject* FindObject(const char* name) const;
    // Removes every entry whose resource only this list holds; answers how many.
    uint32_t RemoveUnshared();

private:
    struct NameHash
    {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    void IndexFirstOf(const nString& name);

    std::unordered_map<std::string, Node*, NameHash, std::equal_to<>> m_index;
};

template <typename T> class nResourceList : public nResourceListBase
{
public:
    T* Find(const char* name) const { return static_cast<T*>(FindObject(name)); }
    bool Add(T* resource, const nString& name) { return AddObject(resource, name); }
    bool AddUnlessPresent(T* resource, const nString& name)
    {
        return resource && !FindNodeOf(resource) && AddObject(resource, name);
    }
    static T* Get(const Node* node) { return node ? static_cast<T*>(node->value.object.Get()) : nullptr; }
};
