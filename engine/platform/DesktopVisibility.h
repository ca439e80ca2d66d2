#pragma once

#include <X11/Xlib.h>

#include <vector>

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
    std::vector<Window> ListTopWindows();
    bool CoversMonitor(Window window, SRectangle const& monitor);
    std::vector<Atom> ReadAtoms(Window window, Atom property);
    Atom Intern(char const* name);

    Display* m_display = nullptr;
    Window m_root = 0;
    bool m_hasPowerSaving = false;
    bool m_hasScreenSaverInfo = false;
    Atom m_clientList = 0;
    Atom m_windowState = 0;
    Atom m_fullScreen = 0;
    Atom m_maximisedVertically = 0;
    Atom m_maximisedHorizontally = 0;
    Atom m_hidden = 0;
    Atom m_windowType = 0;
    Atom m_desktopType = 0;
    Atom m_screenSaverStatus = 0;
};
} // namespace platform
