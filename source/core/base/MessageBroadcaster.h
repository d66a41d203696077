#pragma once

#include "core/base/nList.h"

// Sends a message with one data word to every listener, head first. A listener is any class with
// a virtual OnMessage(message, data); listeners are borrowed, never deleted here. The successor is
// remembered before each call, so a listener may remove itself while it is being told.
template <typename Message, typename Listener, typename Data = const void*>
class MessageBroadcaster : public nList<Listener*>
{
public:
    virtual void Broadcast(Message message, Data data)
    {
        for (auto* node = this->GetHead(); node;)
        {
            auto* next = node->next;
            Listener* listener = node->value;
            if (!listener)
                return;
            listener->OnMessage(message, data);
            node = next;
        }
    }
};
