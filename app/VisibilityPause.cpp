#include "VisibilityPause.h"

#include "core/TimerManager.h"
#include "platform/Clock.h"
#include "platform/NativeWindow.h"

namespace
{
double ReadSeconds()
{
    return double(platform::GetPerformanceCounter()) / double(platform::GetPerformanceFrequency());
}
} // namespace

void CVisibilityPause::Start(ERunMode runMode, HWND window, CTimerManager* timers)
{
    Stop();
    m_runMode = runMode;
    m_timers = timers;
    if (runMode == RUN_WALLPAPER) {
        m_desktop = std::make_unique<platform::DesktopVisibility>();
    } else if (window != nullptr) {
        m_window.Watch(platform::GetNativeWindowId(window));
    }
}

void CVisibilityPause::Stop()
{
    m_desktop.reset();
    m_window.Stop();
    if (m_paused && m_timers != nullptr)
        m_timers->PauseFrameClock(false);
    m_paused = false;
    m_desktopSeen = true;
    m_nextDesktopPoll = 0.0;
    m_timers = nullptr;
}

bool CVisibilityPause::IsSeen()
{
    if (m_desktop == nullptr)
        return m_window.IsShown();
    double const now = ReadSeconds();
    if (now >= m_nextDesktopPoll) {
        m_desktopSeen = m_desktop->FindCover() == platform::DesktopCover::Uncovered;
        m_nextDesktopPoll = now + DesktopPollInterval;
    }
    return m_desktopSeen;
}

bool CVisibilityPause::ShouldDraw()
{
    bool const seen = IsSeen();
    if (seen != !m_paused) {
        m_paused = !seen;
        if (m_timers != nullptr)
            m_timers->PauseFrameClock(m_paused);
    }
    if (m_paused)
        platform::SleepMilliseconds(PausedSleep);
    return !m_paused;
}
