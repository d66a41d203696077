#pragma once

#include "core/base/nList.h"
#include "platform/nstring/nString.h"

#include <cstdint>

class Quenvar;
class nAnimationSourceList;
class nMatrix4;
class nMItem;

// A named set of managed items of one scene, with child groups and an optional root item. The
// group owns neither its items nor its children; the scene owns its top-level groups.
class nGroup
{
public:
    nGroup(Quenvar* engine, const char* name) : m_engine(engine), m_name(name) {}
    nGroup(const nGroup&) = delete;
    nGroup& operator=(const nGroup&) = delete;

    // Null for a null item, or for a member already there when unique is set.
    nMItem* AddItem(nMItem* item, bool unique);
    nGroup* AddGroup(nGroup* group, bool unique);
    // A root that leaves the group is no longer its root.
    void RemoveItem(nMItem* item)
    {
        m_items.Remove(item);
        if (m_rootItem == item)
            m_rootItem = nullptr;
    }
    void RemoveGroup(nGroup* group) { m_children.Remove(group); }
    bool IsMember(const nMItem* item) const { return m_items.Find(const_cast<nMItem*>(item)); }
    bool HasGroup(const nGroup* group) const { return m_children.Find(const_cast<nGroup*>(group)); }
    nMItem* FindItem(const char* name) const;
    nMItem* FindItemByUid(int32_t uid) const;
    nGroup* FindGroup(const char* name) const;

    void Activate(bool active);
    void SetInvisible(bool invisible);
    // Moves the parentless members; their children follow through parenting.
    void OffsetMatrix(const nMatrix4& matrix);
    // Members that hung on the old root, and parentless ones, hang on the new root.
    void SetRootItem(nMItem* root);
    void Setup();
    void SetupScript();
    void Reset(bool withScript);
    // Every member that has the motion starts it (see StartItemMotions).
    void SetMotion(const char* name, nAnimationSourceList** outSources, float fadeTime, bool add,
                   float weight);

    // Frees the group now, or when the walk over its members that an event deleted it from ends.
    void DestroyWhenUnwalked();

    Quenvar* GetEngine() const { return m_engine; }
    nMItem* GetRootItem() const { return m_rootItem; }
    const nString& GetName() const { return m_name; }
    void SetName(const char* name) { m_name = name; }
    const nList<nMItem*>& GetItems() const { return m_items; }
    const nList<nGroup*>& GetChildren() const { return m_children; }

private:
    // Held while the group walks its members and sends them events.
    class WalkScope
    {
    public:
        explicit WalkScope(nGroup& group) : m_group(group) { ++m_group.m_walks; }
        WalkScope(const WalkScope&) = delete;
        WalkScope& operator=(const WalkScope&) = delete;
        ~WalkScope()
        {
            if (--m_group.m_walks == 0 && m_group.m_destroyWhenUnwalked)
                delete &m_group;
        }

    private:
        nGroup& m_group;
    };

    Quenvar* m_engine;
    nMItem* m_rootItem = nullptr;
    nList<nMItem*> m_items;
    nList<nGroup*> m_children;
    nString m_name;
    int32_t m_walks = 0;
    bool m_destroyWhenUnwalked = false;
};
