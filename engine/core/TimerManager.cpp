#include "core/TimerManager.h"

#include "core/Timer.h"
#include "platform/os/Clock.h"

#include <algorithm>
#include <cmath>

CTimerManager::CTimerManager() = default;

CTimerManager::~CTimerManager()
{
    Destroy();
}

void CTimerManager::Create()
{
    Create(platform::GetSystemClock());
}

void CTimerManager::Create(platform::ClockSource& clock)
{
    Destroy();
    m_clock = &clock;
    std::uint32_t period = 0;
    bool const multimediaTimer = clock.GetTimerMinimumPeriod(period);
    if (multimediaTimer && period > 0) {
        clock.BeginTimerPeriod(period);
        m_timerPeriod = period;
    }
    m_frameClock = AddTimer(0.0f, !multimediaTimer);
    m_lastFrameTime = 0.0;
    m_elapsedTime = 0.0f;
    m_fps = 0;
    m_frame = 0;
    m_secondTime = 0.0f;
    m_free = false;
}

void CTimerManager::Destroy()
{
    if (m_free) {
        return;
    }
    RemoveTimer(m_frameClock);
    m_frameClock = nullptr;
    m_timers.clear();
    m_usedSlots.clear();
    m_freeSlots.clear();
    if (m_timerPeriod != 0) {
        m_clock->EndTimerPeriod(m_timerPeriod);
        m_timerPeriod = 0;
    }
    m_free = true;
}

void CTimerManager::Refresh()
{
    if (m_frameClock == nullptr) {
        return;
    }
    // The frame clock is read in double precision: a float reading loses the
    // milliseconds of a frame after a few hours of running.
    float elapsed = static_cast<float>(m_frameClock->GetPreciseTime() - m_lastFrameTime);
    m_lastFrameTime = m_frameClock->GetPreciseTime();

    ++m_frame;
    m_secondTime += elapsed;
    if (m_secondTime >= 1.0f) {
        m_fps = m_frame;
        m_frame = 0;
        // What goes beyond the second carries over, but never a whole second more: after a
        // long frame (a suspended machine, a clock jump) the figure counts frames again at once.
        m_secondTime = std::fmod(m_secondTime, 1.0f);
    }

    if (std::isnan(elapsed)) {
        elapsed = MaximumElapsedTime;
    }
    m_elapsedTime = std::clamp(elapsed, MinimumElapsedTime, MaximumElapsedTime);
}

CTimer* CTimerManager::AddTimer(float time, bool highResolution)
{
    auto timer = std::make_unique<CTimer>();
    timer->Create(time, highResolution, m_clock != nullptr ? *m_clock : platform::GetSystemClock());
    unsigned int slot;
    if (!m_freeSlots.empty()) {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        m_timers[slot] = std::move(timer);
    } else {
        slot = static_cast<unsigned int>(m_timers.size());
        m_timers.push_back(std::move(timer));
    }
    m_usedSlots.push_back(slot);
    return m_timers[slot].get();
}

void CTimerManager::RemoveTimer(CTimer* timer)
{
    if (timer == nullptr) {
        return;
    }
    auto const used = std::find_if(m_usedSlots.begin(), m_usedSlots.end(),
                                   [&](unsigned int slot) { return m_timers[slot].get() == timer; });
    if (used == m_usedSlots.end()) {
        return;
    }
    unsigned int const slot = *used;
    m_timers[slot].reset();
    m_freeSlots.push_back(slot);
    m_usedSlots.erase(used);
    if (timer == m_frameClock) {
        m_frameClock = nullptr;
    }
}

void CTimerManager::PauseFrameClock(bool paused)
{
    if (m_frameClock != nullptr && m_frameClock->IsPaused() != paused) {
        m_frameClock->Pause(paused);
    }
}

float CTimerManager::GetTime() const
{
    return m_frameClock != nullptr ? m_frameClock->GetTime() : 0.0f;
}

double CTimerManager::GetPreciseTime() const
{
    return m_frameClock != nullptr ? m_frameClock->GetPreciseTime() : 0.0;
}
