#pragma once

#include <cstdint>

namespace platform
{
class ClockSource;
}

// A stopwatch on the high-resolution counter or on the millisecond clock, chosen at
// creation. Reads the clock only when asked.
class CTimer
{
public:
    CTimer() = default;
    ~CTimer() { Destroy(); }
    CTimer(CTimer const&) = default;
    CTimer& operator=(CTimer const&) = default;

    // `clock` must outlive the timer; tests pass their own.
    void Create(float time, bool highResolution);
    void Create(float time, bool highResolution, platform::ClockSource const& clock);
    void Destroy() { m_free = true; }
    bool IsFree() const { return m_free; }

    // The timer now reads `seconds`, and runs.
    void SetTime(float seconds);
    // Seconds since the start, paused periods excluded.
    float GetTime() const { return static_cast<float>(GetPreciseTime()); }
    // The same reading in double precision, for clocks that run for days.
    double GetPreciseTime() const;

    void Pause(bool paused);
    bool IsPaused() const { return m_paused; }
    bool IsHighResolution() const { return m_highResolution; }

private:
    std::int64_t ReadCounter() const;
    std::uint64_t ReadTick() const;

    bool m_free = true;
    bool m_highResolution = false;
    bool m_paused = false;
    std::int64_t m_frequency = 0;
    std::int64_t m_startCount = 0;
    std::int64_t m_pauseCount = 0;
    std::uint64_t m_startTick = 0;
    std::uint64_t m_pauseTick = 0;
    platform::ClockSource const* m_clock = nullptr;
};
