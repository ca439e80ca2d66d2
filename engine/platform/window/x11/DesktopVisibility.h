#pragma once

#include "platform/window/MonitorRect.h"
#include "platform/window/WindowCover.h"

#include <vector>

struct _XDisplay;

// Whether any of the desktop (where the wallpaper draws) can be seen, asked of the X server over
// a connection the caller keeps open each time it is asked.
namespace platform
{
class DesktopVisibility
{
public:
    explicit DesktopVisibility(_XDisplay* display);
    DesktopVisibility(DesktopVisibility const&) = delete;
    DesktopVisibility& operator=(DesktopVisibility const&) = delete;

    // False without a display; the desktop then always counts as seen.
    bool IsConnected() const { return m_display != nullptr; }
    // The wallpaper's own desktop window, which never counts as hiding the desktop.
    void SetOwnWindow(unsigned long nativeWindowId) { m_ownWindow = nativeWindowId; }
    // What hides the whole desktop now (Uncovered when nothing does; Windows, IconDesktop,
    // PowerSaving or ScreenSaver otherwise).
    WindowCover FindCover();

private:
    bool IsPowerSaving();
    bool IsScreenSaverActive();
    // Whether every monitor is covered by a window that `counts` accepts.
    template <typename Counts> bool AreMonitorsCovered(Counts counts);
    std::vector<unsigned long> ListTopWindows();
    bool CoversMonitor(unsigned long window, MonitorRect const& monitor);
    bool IsDesktopWindow(unsigned long window);
    std::vector<unsigned long> ReadAtoms(unsigned long window, unsigned long property);
    unsigned long Intern(char const* name);

    // X ids (windows, atoms) are unsigned longs.
    _XDisplay* m_display = nullptr;
    unsigned long m_root = 0;
    unsigned long m_ownWindow = 0;
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
