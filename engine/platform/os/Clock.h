#pragma once

#include <cstdint>

namespace platform
{
// Milliseconds since an arbitrary start. 64 bits wide, so it never wraps while a program
// runs (a 32-bit count would wrap after 49.7 days).
std::uint64_t GetTickMilliseconds();

// High-resolution counter and its ticks per second.
std::int64_t GetPerformanceCounter();
std::int64_t GetPerformanceFrequency();

// CPU time the calling thread has used, in seconds.
double GetThreadCpuSeconds();

void SleepMilliseconds(std::uint32_t milliseconds);

// Multimedia timer period (timeGetDevCaps/timeBeginPeriod/timeEndPeriod): the finest
// period in milliseconds the system offers, false when it offers none.
bool GetTimerMinimumPeriod(std::uint32_t& period);
void BeginTimerPeriod(std::uint32_t period);
void EndTimerPeriod(std::uint32_t period);

// The clocks above behind an interface, so timers can run on a scripted clock.
class ClockSource
{
public:
    virtual ~ClockSource() = default;
    virtual std::uint64_t GetTickMilliseconds() const = 0;
    virtual std::int64_t GetPerformanceCounter() const = 0;
    virtual std::int64_t GetPerformanceFrequency() const = 0;
    virtual bool GetTimerMinimumPeriod(std::uint32_t& period) const = 0;
    virtual void BeginTimerPeriod(std::uint32_t period) = 0;
    virtual void EndTimerPeriod(std::uint32_t period) = 0;
};

// The operating system's clocks.
ClockSource& GetSystemClock();
} // namespace platform
