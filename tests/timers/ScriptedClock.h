#pragma once

#include "platform/os/Clock.h"

#include <cstdint>
#include <vector>

// A clock that moves only when the test moves it.
class ScriptedClock : public platform::ClockSource
{
public:
    std::uint64_t GetTickMilliseconds() const override { return tick; }
    std::int64_t GetPerformanceCounter() const override { return counter; }
    std::int64_t GetPerformanceFrequency() const override { return frequency; }
    bool GetTimerMinimumPeriod(std::uint32_t& period) const override
    {
        period = minimumPeriod;
        return multimediaTimer;
    }
    void BeginTimerPeriod(std::uint32_t period) override { begunPeriods.push_back(period); }
    void EndTimerPeriod(std::uint32_t period) override { endedPeriods.push_back(period); }

    // Moves both clocks forward.
    void AdvanceMilliseconds(std::uint32_t milliseconds)
    {
        tick += milliseconds;
        counter += static_cast<std::int64_t>(milliseconds) * frequency / 1000;
    }
    void AdvanceCounts(std::int64_t counts) { counter += counts; }

    std::uint64_t tick = 1000;
    std::int64_t counter = 5000000;
    std::int64_t frequency = 1000000;
    bool multimediaTimer = true;
    std::uint32_t minimumPeriod = 1;
    std::vector<std::uint32_t> begunPeriods;
    std::vector<std::uint32_t> endedPeriods;
};
