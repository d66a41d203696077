#pragma once

#include "core/base/nMemory.h"

#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

template <typename T> struct nListNode
{
    T value;
    nListNode* prev;
    nListNode* next;
};

// Remembers the successor of the current node, so the current node may be removed while iterating.
template <typename T> struct nListIterator
{
    nListNode<T>* current = nullptr;
    nListNode<T>* next = nullptr;

    void Set(nListNode<T>* node)
    {
        current = node;
        next = node ? node->next : nullptr;
    }
};

// An iterator over the elements a list held when the walk began: what is appended meanwhile is not
// reached, so a walk whose steps add to the list still ends. Elements must not leave the list
// during such a walk, except the current one.
template <typename T> struct nListWalk
{
    nListIterator<T> iterator;
    uint32_t left;
};

// Doubly linked list of value copies; every node is a tracked block of the "List Item" category.
// Pointer elements are never deleted by this list (see nAutoList).
template <typename T> class nList
{
public:
    using Node = nListNode<T>;
    // Next() yields the element itself for pointer lists and the address of the stored copy otherwise.
    using Element = std::conditional_t<std::is_pointer_v<T>, T, T*>;

    nList() = default;
    nList(const nList&) = delete;
    nList& operator=(const nList&) = delete;
    virtual ~nList() { nList::Clear(); }

    virtual bool RemoveNode(Node* node)
    {
        if (!Detach(node))
            return false;
        FreeNode(node);
        return true;
    }

    virtual void Clear()
    {
        while (m_head)
            FreeNode(Detach(m_head));
    }

    bool Remove(const T& value) { return RemoveNode(Find(value)); }

    Node* PushBack(const T& value) { return InsertAfter(value, m_tail); }

    Node* InsertAfter(const T& value, Node* after)
    {
        void* memory = MemNew(sizeof(Node), MemCategoryListItem);
        if (!memory)
            return nullptr;
        if (!after)
            after = m_tail;
        Node* node = new (memory) Node{value, after, after ? after->next : nullptr};
        if (node->next)
            node->next->prev = node;
        else
            m_tail = node;
        if (after)
            after->next = node;
        else
            m_head = node;
        ++m_count;
        return node;
    }

    Node* Find(const T& value) const
    {
        for (Node* node = m_head; node; node = node->next)
            if (node->value == value)
                return node;
        return nullptr;
    }

    // Every removal passes here, so that a derived list can follow nodes leaving it.
    virtual Node* Detach(Node* node)
    {
        if (!node)
            return nullptr;
        if (node->prev)
            node->prev->next = node->next;
        else
            m_head = node->next;
        if (node->next)
            node->next->prev = node->prev;
        else
            m_tail = node->prev;
        node->prev = nullptr;
        node->next = nullptr;
        --m_count;
        return node;
    }

    Node* GetNodeAt(uint32_t index) const
    {
        if (index >= m_count)
            return nullptr;
        Node* node = m_head;
        while (index--)
            node = node->next;
        return node;
    }

    Element Next(nListIterator<T>& iterator) const
    {
        iterator.Set(iterator.current ? iterator.next : m_head);
        if (!iterator.current)
            return nullptr;
        if constexpr (std::is_pointer_v<T>)
            return iterator.current->value;
        else
            return &iterator.current->value;
    }

    nListWalk<T> BeginWalk() const { return nListWalk<T>{{}, m_count}; }
    Element Next(nListWalk<T>& walk) const
    {
        if (walk.left == 0)
            return nullptr;
        --walk.left;
        return Next(walk.iterator);
    }

    // Calls visit with each element in list order until it answers false; false then.
    template <typename Visit> bool ForEach(Visit visit) const
    {
        for (Node* node = m_head; node; node = node->next)
            if (!visit(node->value))
                return false;
        return true;
    }

    uint32_t GetCount() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    Node* GetHead() const { return m_head; }
    Node* GetTail() const { return m_tail; }

protected:
    static void FreeNode(Node* node)
    {
        node->~Node();
        MemDelete(node, MemCategoryListItem);
    }

private:
    uint32_t m_count = 0;
    Node* m_head = nullptr;
    Node* m_tail = nullptr;
};

// The owning list: removing or clearing also deletes pointer elements. A list of shared pointers
// only drops its references, since others may still hold the objects.
template <typename T> class nAutoList : public nList<T>
{
public:
    using Node = typename nList<T>::Node;

    nAutoList() = default;
    ~nAutoList() override { nAutoList::Clear(); }

    bool RemoveNode(Node* node) override
    {
        if (!this->Detach(node))
            return false;
        T value = std::move(node->value);
        this->FreeNode(node);
        DeleteElement(value);
        return true;
    }

    // One element at a time, so an element's destructor always sees a consistent list.
    void Clear() override
    {
        while (Node* head = this->GetHead())
            RemoveNode(head);
    }

private:
    static void DeleteElement(T& value)
    {
        if constexpr (std::is_pointer_v<T>)
            delete value;
    }
};
