#include "platform/nPlatformLinux.h"

#include <chrono>
#include <clocale>
#include <sched.h>
#include <thread>

namespace
{

std::chrono::steady_clock::time_point ProcessStart()
{
    static const auto start = std::chrono::steady_clock::now();
    return start;
}

// Fixes the clock's origin during static initialisation, before anything can ask for the time.
[[maybe_unused]] const auto processStartPinned = ProcessStart();

uint32_t CountProcessors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<uint32_t>(CPU_COUNT(&set));
    const unsigned int count = std::thread::hardware_concurrency();
    return count > 0 ? count : 1;
}

}

nPlatformLinux::nPlatformLinux() : m_processorCount(CountProcessors())
{
    std::setlocale(LC_NUMERIC, "C");
}

// Ticks since process start, plus one so that no reading is ever 0.
uint64_t nPlatformLinux::GetClock() const
{
    using Tick = std::chrono::duration<uint64_t, std::ratio<1, ClockFrequency>>;
    return std::chrono::duration_cast<Tick>(std::chrono::steady_clock::now() - ProcessStart()).count() + 1;
}

void nPlatformLinux::Sleep(uint32_t milliseconds) const
{
    if (milliseconds == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
