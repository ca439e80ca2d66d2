#include "VisibilityPause.h"

#include "core/MessageManager.h"
#include "core/TimerManager.h"
#include "platform/os/Clock.h"
#include "platform/window/NativeWindow.h"
#include "sound/SoundManager.h"

#include <cstdio>

namespace
{
double ReadSeconds()
{
    return double(platform::GetPerformanceCounter()) / double(platform::GetPerformanceFrequency());
}
} // namespace

void CVisibilityPause::Start(ERunMode runMode, HWND window, CTimerManager* timers, CSoundManager* sound,
                             CMessageManager* messages)
{
    Stop();
    m_runMode = runMode;
    m_timers = timers;
    m_sound = sound;
    m_messages = messages;
    m_drawnWindow = window;
    if (window != nullptr)
        m_window.Watch(platform::GetNativeWindowId(window));
    if (runMode == RUN_WALLPAPER) {
        m_desktop = std::make_unique<platform::DesktopVisibility>();
        m_desktop->SetOwnWindow(platform::GetNativeWindowId(window));
    }
}

void CVisibilityPause::Stop()
{
    m_desktop.reset();
    m_window.Stop();
    m_drawnWindow = nullptr;
    SetPaused(false);
    m_held = false;
    m_desktopSeen = true;
    m_nextDesktopPoll = 0.0;
    m_iconDesktopReported = false;
    m_timers = nullptr;
    m_sound = nullptr;
    m_messages = nullptr;
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
    // The window's own events are read every time, so none pile up.
    bool const windowShown = m_window.IsShown();
    if (m_desktop == nullptr)
        return windowShown;
    return IsDesktopSeen() && windowShown;
}

bool CVisibilityPause::IsDesktopSeen()
{
    double const now = ReadSeconds();
    if (now < m_nextDesktopPoll)
        return m_desktopSeen;
    m_nextDesktopPoll = now + DesktopPollInterval;
    platform::DesktopCover const cover = m_desktop->FindCover();
    m_desktopSeen = cover == platform::DesktopCover::Uncovered;
    if (cover == platform::DesktopCover::IconDesktop && !m_iconDesktopReported) {
        m_iconDesktopReported = true;
        // Their icons stay above the paused wallpaper.
        platform::LowerBelowDesktops(m_drawnWindow);
        if (m_messages != nullptr)
            m_messages->WriteWarning("%s", IconDesktopNotice);
        std::fprintf(stderr, "coralume: %s\n", IconDesktopNotice);
    }
    return m_desktopSeen;
}

bool CVisibilityPause::ShouldDraw()
{
    // The window's events are read even while held, so none pile up.
    bool const seen = IsSeen();
    SetPaused(m_held || !seen);
    if (m_paused)
        platform::SleepMilliseconds(PausedSleep);
    return !m_paused;
}
