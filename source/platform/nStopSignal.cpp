#include "platform/nStopSignal.h"

#include <atomic>
#include <csignal>

namespace
{
std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

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

bool IsStopRequested()
{
    return g_stopRequested.load();
}
