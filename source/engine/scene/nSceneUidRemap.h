#pragma once

#include <cstdint>
#include <unordered_map>

class nMItem;

// While one scene file is read: the scene UID given to each file UID. Keyed by the file UID, so
// a large UID costs one entry, not a table up to it. Without any item every UID is out of range.
class nSceneUidRemap
{
public:
    explicit nSceneUidRemap(uint32_t base) : m_base(base) {}

    uint32_t GetBase() const { return m_base; }
    void SetLargest(int32_t largest) { m_largest = largest; }
    bool InRange(int32_t fileUid) const { return fileUid >= 0 && fileUid <= m_largest; }
    // -1 for a file UID no item took.
    int32_t Map(int32_t fileUid) const
    {
        const auto found = m_map.find(fileUid);
        return found == m_map.end() ? -1 : found->second;
    }
    void Set(int32_t fileUid, int32_t sceneUid) { m_map[fileUid] = sceneUid; }
    void Reserve(uint32_t items) { m_map.reserve(items); }
    // The scene's items by scene UID, for the look-ups that follow the items; the scene fills it.
    std::unordered_map<int32_t, nMItem*>& GetItemIndex() const { return m_itemIndex; }

private:
    uint32_t m_base;
    int32_t m_largest = -1;
    std::unordered_map<int32_t, int32_t> m_map;
    mutable std::unordered_map<int32_t, nMItem*> m_itemIndex;
};
