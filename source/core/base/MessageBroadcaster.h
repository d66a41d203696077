#pragma once

#include "core/base/nList.h"

// Sends a message with one data word to every listener, head first. A listener is any class with
// a virtual OnMessage(message, data); listeners are borrowed, never deleted here. A listener may
// remove itself or any other listener while it is being told: each broadcast in progress (they
// may nest) keeps the node it visits next, and a removal of that node moves it on. A listener
// added during a broadcast is reached when it is linked after the listener being told.
template <typename Message, typename Listener, typename Data = const void*>
class MessageBroadcaster : public nList<Listener*>
{
    using Base = nList<Listener*>;
    using Node = typename Base::Node;

public:
    virtual void Broadcast(Message message, Data data)
    {
        Cursor cursor{this->GetHead(), m_cursors};
        m_cursors = &cursor;
        while (Node* node = cursor.next)
        {
            cursor.next = node->next;
            Listener* listener = node->value;
            if (!listener)
                break;
            listener->OnMessage(message, data);
        }
        m_cursors = cursor.outer;
    }

    Node* Detach(Node* node) override
    {
        for (Cursor* cursor = m_cursors; cursor && node; cursor = cursor->outer)
            if (cursor->next == node)
                cursor->next = node->next;
        return Base::Detach(node);
    }

private:
    struct Cursor
    {
        Node* next;
        Cursor* outer;
    };

    Cursor* m_cursors = nullptr;
};
