#pragma once

#include <vector>

struct _XDisplay;

// Whether any of the desktop (the root window's picture, where the wallpaper draws) can be seen.
// Asks the X server over a connection of its own each time it is asked.
namespace platform
{
enum class DesktopCover
{
    Uncovered,   // some of the desktop shows
    PowerSaving, // the display is blanked by power saving
    ScreenSaver, // a screen saver runs
    Windows,     // full-screen or maximised windows cover every monitor
};

class DesktopVisibility
{
public:
    DesktopVisibility();
    ~DesktopVisibility();
    DesktopVisibility(DesktopVisibility const&) = delete;
    DesktopVisibility& operator=(DesktopVisibility const&) = delete;

    // False without a display; the desktop then always counts as seen.
    bool IsConnected() const { return m_display != nullptr; }
    // What hides the whole desktop now (Uncovered when nothing does).
    DesktopCover FindCover();

private:
    struct SRectangle
    {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };

    bool IsPowerSaving();
    bool IsScreenSaverActive();
    bool AreMonitorsCovered();
    std::vector<SRectangle> ListMonitors();
    std::vector<unsigned long> ListTopWindows();
    bool CoversMonitor(unsigned long window, SRectangle const& monitor);
    std::vector<unsigned long> ReadAtoms(unsigned long window, unsigned long property);
    unsigned long Intern(char const* name);

    // X ids (windows, atoms) are unsigned longs.
    _XDisplay* m_display = nullptr;
    unsigned long m_root = 0;
    bool m_hasPowerSaving = false;
    bool m_hasScreenSaverInfo = false;
    unsigned long m_clientList = 0;
    unsigned long m_windowState = 0;
    unsigned long m_fullScreen = 0;
    unsigned long m_maximisedVertically = 0;
    unsigned long m_maximisedHorizontally = 0;
    unsigned long m_hidden = 0;
    unsigned long m_windowType = 0;
    unsigned long m_desktopType = 0;
    unsigned long m_screenSaverStatus = 0;
};
} // namespace platform
