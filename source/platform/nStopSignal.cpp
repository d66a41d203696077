#include "platform/nStopSignal.h"

#include "platform/nPlatform.h"

#include <atomic>
#include <csignal>

namespace
{
std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");
std::atomic<uint64_t> g_stopDeadline{0};

extern "C" void OnStopSignal(int signalNumber)
{
    g_stopRequested.store(true);
    std::signal(signalNumber, SIG_DFL);
}
} // namespace

void InstallStopSignalHandlers()
{
    g_stopRequested.store(false);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
}

void SetStopDeadline(uint64_t tick)
{
    g_stopDeadline.store(tick, std::memory_order_relaxed);
}

// Walks ask once per script event: without a deadline that is two loads, and the clock is read
// only while a deadline is set.
bool IsStopRequested()
{
    if (g_stopRequested.load(std::memory_order_relaxed))
        return true;
    const uint64_t deadline = g_stopDeadline.load(std::memory_order_relaxed);
    if (deadline == 0 || nPlatform::Get().GetClock() <= deadline)
        return false;
    g_stopRequested.store(true, std::memory_order_relaxed);
    return true;
}
