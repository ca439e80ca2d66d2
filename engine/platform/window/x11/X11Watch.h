#pragma once

#include "platform/window/MonitorRect.h"
#include "platform/window/WindowCover.h"
#include "platform/window/WindowHandle.h"

#include <chrono>
#include <memory>
#include <vector>

// Xlib's own declarations; its header (and its macros) stay out of the engine's headers.
typedef struct _XDisplay Display;
union _XEvent;

namespace platform
{
class DesktopVisibility;
class X11MonitorWatch;

// Where the watch reports what changed (the back end passes it on through WindowEvents.h).
class X11WatchReports
{
public:
    virtual ~X11WatchReports() = default;
    virtual void Resized(HWND window, unsigned int width, unsigned int height) = 0;
    virtual void Destroyed(HWND window) = 0;
    // Uncovered: some of the window shows again.
    virtual void Covered(HWND window, WindowCover cover) = 0;
    virtual void MonitorsChanged(HWND window) = 0;
};

// What the engine follows of X windows, all over one connection of its own, so the windows may
// belong to other programs (a preview host, a screen-saver daemon, the root): each one's size,
// its destruction, whether it is mapped and not fully covered; for the window the wallpaper
// draws into besides, whether anything of the desktop shows and which monitors there are.
// Changes are reported from Poll.
class X11Watch
{
public:
    // Time between two questions about the whole desktop (each takes several round trips).
    static constexpr std::chrono::milliseconds DesktopCheckInterval{250};

    explicit X11Watch(X11WatchReports& reports);
    ~X11Watch();
    X11Watch(X11Watch const&) = delete;
    X11Watch& operator=(X11Watch const&) = delete;

    // Starts following the X window `nativeId` that `window` stands for (its size is reported at
    // once); `desktop` marks the window the wallpaper draws into. False without a display or such
    // a window. The connection opens with the first window watched and closes with the last.
    bool Watch(HWND window, unsigned long nativeId, bool desktop);
    void Forget(HWND window);

    // Reads the events that arrived and asks what is due; reports what changed.
    void Poll();

    // The connection; null while nothing is watched.
    Display* GetDisplay() const { return m_display; }
    // The monitors as last read, in root pixels; empty without a desktop window.
    std::vector<MonitorRect> GetMonitors() const;
    // The monitors' parts of an X window, in the window's pixels; empty when they cannot be told.
    std::vector<MonitorRect> ReadWindowMonitors(unsigned long nativeId);
    // False while another program's window lies over the window where the pointer is.
    bool IsPointerOnTop(unsigned long nativeId) const;

private:
    struct Watched
    {
        HWND window = nullptr;
        unsigned long id = 0; // the X window
        unsigned int width = 0;
        unsigned int height = 0;
        bool mapped = true;
        bool obscured = false;
        bool destroyed = false;
        WindowCover reported = WindowCover::Uncovered;
    };

    void Apply(_XEvent const& event);
    WindowCover FindCover(Watched const& watched) const;
    void ReportCovers();
    void CheckDesktop();
    bool IsDesktop(Watched const& watched) const { return watched.window == m_desktopWindow; }
    void Close();

    X11WatchReports& m_reports;
    Display* m_display = nullptr;
    std::vector<Watched> m_windows;
    HWND m_desktopWindow = nullptr;
    std::unique_ptr<DesktopVisibility> m_desktop;
    std::unique_ptr<X11MonitorWatch> m_monitors;
    WindowCover m_desktopCover = WindowCover::Uncovered;
    std::chrono::steady_clock::time_point m_nextDesktopCheck;
};
} // namespace platform
