#pragma once

#include "RunMode.h"
#include "platform/window/WindowHandle.h"

class CMessageManager;
class CSoundManager;
class CTimerManager;

// Stops drawing what nobody can see, as the window back end reports it (NativeWindow.h's window
// cover): the wallpaper while the whole desktop is covered, blanked or under a screen saver, or
// while its own window is unmapped or fully covered (another program's desktop icons over it are
// reported once, with what to do); the screen saver, preview and hack while their window is
// unmapped or fully covered; any of them while the compositor shows nothing of its window
// (Wayland: its frame events stop). The frame clock stands still meanwhile, so the scene resumes
// where it was, and the sound device stops mixing.
class CVisibilityPause
{
public:
    // Milliseconds slept per loop pass while nothing is drawn (with the back end's quarter-second
    // desktop check it keeps the resumption under half a second).
    static constexpr unsigned int PausedSleep = 200;

    // Shown once when another program's desktop window hides the wallpaper.
    static constexpr char const* IconDesktopNotice =
        "The live wallpaper is hidden by another program's desktop window (desktop icons) and "
        "stops drawing. Turn that program's desktop off (pcmanfm --desktop-off, for one) to see it.";

    void Start(ERunMode runMode, HWND window, CTimerManager* timers, CSoundManager* sound,
               CMessageManager* messages);
    void Stop();

    // True when the next frame is to be drawn; otherwise it has slept a while.
    bool ShouldDraw();
    // Held, it pauses as if nothing were seen (the wallpaper saving power).
    void SetHeld(bool held) { m_held = held; }
    bool IsPaused() const { return m_paused; }

private:
    bool IsSeen();
    void SetPaused(bool paused);

    ERunMode m_runMode = RUN_SETTINGS;
    CTimerManager* m_timers = nullptr;
    CSoundManager* m_sound = nullptr;
    CMessageManager* m_messages = nullptr;
    HWND m_drawnWindow = nullptr;
    bool m_paused = false;
    bool m_held = false;
    bool m_iconDesktopReported = false;
};
