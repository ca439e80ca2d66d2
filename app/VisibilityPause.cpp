#include "VisibilityPause.h"

#include "core/TimerManager.h"
#include "platform/Clock.h"
#include "platform/NativeWindow.h"
#include "sound/SoundManager.h"

namespace
{
double ReadSeconds()
{
    return double(platform::GetPerformanceCounter()) / double(platform::GetPerformanceFrequency());
}
} // namespace

void CVisibilityPause::Start(ERunMode runMode, HWND window, CTimerManager* timers, CSoundManager* sound)
{
    Stop();
    m_runMode = runMode;
    m_timers = timers;
    m_sound = sound;
    m_drawnWindow = window;
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
    m_drawnWindow = nullptr;
    SetPaused(false);
    m_desktopSeen = true;
    m_nextDesktopPoll = 0.0;
    m_timers = nullptr;
    m_sound = nullptr;
}

void CVisibilityPause::SetPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    if (m_timers != nullptr)
        m_timers->PauseFrameClock(paused);
    if (m_sound != nullptr)
        m_sound->SuspendDevice(paused);
}

bool CVisibilityPause::IsSeen()
{
    if (!platform::IsWindowShownByCompositor(m_drawnWindow))
        return false;
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
    SetPaused(!IsSeen());
    if (m_paused)
        platform::SleepMilliseconds(PausedSleep);
    return !m_paused;
}
