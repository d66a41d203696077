#include "core/base/MessageBroadcaster.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class Listener
{
public:
    virtual void OnMessage(int message, const void* data) = 0;
    virtual ~Listener() = default;
};

using Broadcaster = MessageBroadcaster<int, Listener>;

class Recorder : public Listener
{
public:
    Recorder(std::vector<std::string>& calls, const char* name, Broadcaster* leaveFrom = nullptr)
        : calls(calls), name(name), leaveFrom(leaveFrom)
    {
    }
    void OnMessage(int message, const void* data) override
    {
        calls.push_back(name + ":" + std::to_string(message) + ":" + static_cast<const char*>(data));
        if (leaveFrom)
            leaveFrom->Remove(this);
    }

    std::vector<std::string>& calls;
    std::string name;
    Broadcaster* leaveFrom;
};
} // namespace

TEST(MessageBroadcasterTest, SendsToListenersInOrderAndLetsThemLeave)
{
    Broadcaster broadcaster;
    std::vector<std::string> calls;
    Recorder first(calls, "a"), leaving(calls, "b", &broadcaster), last(calls, "c");
    broadcaster.Broadcast(1, "none"); // no listeners: nothing happens
    broadcaster.PushBack(&first);
    broadcaster.PushBack(&leaving);
    broadcaster.PushBack(&last);
    broadcaster.Broadcast(3, "x");
    broadcaster.Broadcast(4, "y");
    EXPECT_EQ(calls, (std::vector<std::string>{"a:3:x", "b:3:x", "c:3:x", "a:4:y", "c:4:y"}));
    EXPECT_EQ(broadcaster.GetCount(), 2u);
}

TEST(MessageBroadcasterTest, NullListenerEndsTheBroadcast)
{
    Broadcaster broadcaster;
    std::vector<std::string> calls;
    Recorder first(calls, "a"), last(calls, "c");
    broadcaster.PushBack(&first);
    broadcaster.PushBack(nullptr);
    broadcaster.PushBack(&last);
    broadcaster.Broadcast(5, "z");
    EXPECT_EQ(calls, (std::vector<std::string>{"a:5:z"}));
}

namespace
{
// Removes other listeners, deletes them, and may start a nested broadcast.
class Remover : public Listener
{
public:
    Remover(std::vector<std::string>& calls, Broadcaster& from) : calls(calls), from(from) {}
    void OnMessage(int message, const void*) override
    {
        calls.push_back("remover:" + std::to_string(message));
        for (Listener* victim : victims)
        {
            from.Remove(victim);
            delete victim;
        }
        victims.clear();
        if (nested)
        {
            nested = false;
            from.Broadcast(message + 1, "inner");
        }
    }

    std::vector<std::string>& calls;
    Broadcaster& from;
    std::vector<Listener*> victims;
    bool nested = false;
};
} // namespace

// The next listener of a broadcast in progress, also of an outer one, may be removed and freed.
TEST(MessageBroadcasterTest, AListenerMayRemoveOthersDuringABroadcast)
{
    std::vector<std::string> calls;
    Broadcaster broadcaster;
    Remover remover(calls, broadcaster);
    auto* next = new Recorder(calls, "next");
    auto* later = new Recorder(calls, "later");
    Recorder last(calls, "last");
    broadcaster.PushBack(&remover);
    broadcaster.PushBack(next);
    broadcaster.PushBack(later);
    broadcaster.PushBack(&last);
    remover.victims = {next};
    remover.nested = true;
    broadcaster.Broadcast(1, "outer");
    EXPECT_EQ(calls, (std::vector<std::string>{"remover:1", "remover:2", "later:2:inner", "last:2:inner",
                                               "later:1:outer", "last:1:outer"}));

    calls.clear();
    remover.victims = {later};
    broadcaster.Broadcast(3, "x");
    EXPECT_EQ(calls, (std::vector<std::string>{"remover:3", "last:3:x"}));
    EXPECT_EQ(broadcaster.GetCount(), 2u);
}
