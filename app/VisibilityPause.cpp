#include "VisibilityPause.h"

#include "core/MessageManager.h"
#include "core/TimerManager.h"
#include "platform/os/Clock.h"
#include "platform/window/NativeWindow.h"
#include "sound/SoundManager.h"

#include <cstdio>

void CVisibilityPause::Start(ERunMode runMode, HWND window, CTimerManager* timers, CSoundManager* sound,
                             CMessageManager* messages)
{
    Stop();
    m_runMode = runMode;
    m_timers = timers;
    m_sound = sound;
    m_messages = messages;
    m_drawnWindow = window;
}

void CVisibilityPause::Stop()
{
    m_drawnWindow = nullptr;
    SetPaused(false);
    m_held = false;
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
    platform::WindowCover const cover = platform::GetWindowCover(m_drawnWindow);
    if (cover == platform::WindowCover::IconDesktop && m_runMode == RUN_WALLPAPER && !m_iconDesktopReported) {
        m_iconDesktopReported = true;
        // Their icons stay above the paused wallpaper.
        platform::LowerBelowDesktops(m_drawnWindow);
        if (m_messages != nullptr)
            m_messages->WriteWarning("%s", IconDesktopNotice);
        std::fprintf(stderr, "coralume: %s\n", IconDesktopNotice);
    }
    return cover == platform::WindowCover::Uncovered;
}

bool CVisibilityPause::ShouldDraw()
{
    SetPaused(m_held || !IsSeen());
    if (m_paused)
        platform::SleepMilliseconds(PausedSleep);
    return !m_paused;
}
