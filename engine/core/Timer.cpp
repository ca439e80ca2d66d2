#include "core/Timer.h"

#include "platform/os/Clock.h"

#include <cmath>

namespace
{
// Clock units for `seconds`, truncated toward zero; out-of-range values are held at the limits.
std::int64_t ToClockUnits(double seconds, double unitsPerSecond)
{
    double const units = std::trunc(seconds * unitsPerSecond);
    if (std::isnan(units)) {
        return 0;
    }
    constexpr double Limit = 4.0e18;
    if (units > Limit) {
        return static_cast<std::int64_t>(Limit);
    }
    if (units < -Limit) {
        return -static_cast<std::int64_t>(Limit);
    }
    return static_cast<std::int64_t>(units);
}
} // namespace

void CTimer::Create(float time, bool highResolution)
{
    Create(time, highResolution, platform::GetSystemClock());
}

void CTimer::Create(float time, bool highResolution, platform::ClockSource const& clock)
{
    m_free = false;
    m_clock = &clock;
    m_paused = false;
    m_frequency = highResolution ? clock.GetPerformanceFrequency() : 0;
    // Without a usable counter the timer runs on the millisecond clock.
    m_highResolution = highResolution && m_frequency > 0;
    SetTime(time);
}

std::int64_t CTimer::ReadCounter() const
{
    return (m_clock != nullptr ? *m_clock : platform::GetSystemClock()).GetPerformanceCounter();
}

std::uint64_t CTimer::ReadTick() const
{
    return (m_clock != nullptr ? *m_clock : platform::GetSystemClock()).GetTickMilliseconds();
}

void CTimer::SetTime(float seconds)
{
    m_paused = false;
    if (m_highResolution) {
        m_startCount = ReadCounter() - ToClockUnits(seconds, static_cast<double>(m_frequency));
    } else {
        // Modular arithmetic: a negative time puts the start after now.
        m_startTick = ReadTick() - static_cast<std::uint64_t>(ToClockUnits(seconds, 1000.0));
    }
}

double CTimer::GetPreciseTime() const
{
    if (m_highResolution) {
        std::int64_t const count = m_paused ? m_pauseCount : ReadCounter();
        return static_cast<double>(count - m_startCount) / static_cast<double>(m_frequency);
    }
    std::uint64_t const tick = m_paused ? m_pauseTick : ReadTick();
    return static_cast<double>(static_cast<std::int64_t>(tick - m_startTick)) * 0.001;
}

void CTimer::Pause(bool paused)
{
    if (paused == m_paused) {
        return;
    }
    if (paused) {
        if (m_highResolution) {
            m_pauseCount = ReadCounter();
        } else {
            m_pauseTick = ReadTick();
        }
    } else if (m_highResolution) {
        m_startCount += ReadCounter() - m_pauseCount;
    } else {
        m_startTick += ReadTick() - m_pauseTick;
    }
    m_paused = paused;
}
