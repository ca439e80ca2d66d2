#include "platform/os/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace platform
{
std::uint64_t GetTickMilliseconds()
{
    auto const now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::int64_t GetPerformanceCounter()
{
    auto const now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
}

double GetThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

std::int64_t GetPerformanceFrequency()
{
    return 1000000000;
}

void SleepMilliseconds(std::uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool GetTimerMinimumPeriod(std::uint32_t& period)
{
    // The steady clock already ticks far finer than a millisecond.
    period = 1;
    return true;
}

void BeginTimerPeriod(std::uint32_t)
{}

void EndTimerPeriod(std::uint32_t)
{}

namespace
{
class SystemClockSource final : public ClockSource
{
public:
    std::uint64_t GetTickMilliseconds() const override { return platform::GetTickMilliseconds(); }
    std::int64_t GetPerformanceCounter() const override { return platform::GetPerformanceCounter(); }
    std::int64_t GetPerformanceFrequency() const override { return platform::GetPerformanceFrequency(); }
    bool GetTimerMinimumPeriod(std::uint32_t& period) const override
    {
        return platform::GetTimerMinimumPeriod(period);
    }
    void BeginTimerPeriod(std::uint32_t period) override { platform::BeginTimerPeriod(period); }
    void EndTimerPeriod(std::uint32_t period) override { platform::EndTimerPeriod(period); }
};
} // namespace

ClockSource& GetSystemClock()
{
    static SystemClockSource clock;
    return clock;
}
} // namespace platform
