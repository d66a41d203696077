#pragma once

#include "core/base/nList.h"

#include <cstdint>
#include <unordered_map>

class nRenderable;

// The members of a culling system in the order they were added, with an index beside the list
// so that a member leaves in constant time: scenes move and delete objects one by one, and a walk
// of the list for each would make loading or emptying a large scene quadratic. A renderable added
// twice is listed twice; removing takes the first one.
class nRenderableMembers
{
public:
    using List = nList<nRenderable*>;

    void Add(nRenderable* renderable)
    {
        List::Node* node = m_list.PushBack(renderable);
        if (node && !m_index.emplace(renderable, node).second)
            ++m_duplicates;
    }
    // False when it was no member.
    bool Remove(nRenderable* renderable)
    {
        const auto found = m_index.find(renderable);
        if (found == m_index.end())
            return false;
        m_list.RemoveNode(found->second);
        m_index.erase(found);
        if (m_duplicates)
            if (List::Node* other = m_list.Find(renderable))
            {
                m_index.emplace(renderable, other);
                --m_duplicates;
            }
        return true;
    }
    const List& GetList() const { return m_list; }

private:
    List m_list;
    std::unordered_map<const nRenderable*, List::Node*> m_index;
    uint32_t m_duplicates = 0;
};
