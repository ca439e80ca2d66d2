#pragma once

#include "platform/os/Clock.h"

#include <cstdint>

// A clock that moves only when told to, one microsecond per counter step.
class SteppedClock : public platform::ClockSource
{
public:
    std::uint64_t GetTickMilliseconds() const override { return std::uint64_t(counter / 1000); }
    std::int64_t GetPerformanceCounter() const override { return counter; }
    std::int64_t GetPerformanceFrequency() const override { return 1000000; }
    bool GetTimerMinimumPeriod(std::uint32_t& period) const override
    {
        period = 1;
        return true;
    }
    void BeginTimerPeriod(std::uint32_t) override {}
    void EndTimerPeriod(std::uint32_t) override {}

    std::int64_t counter = 1000000;
};
