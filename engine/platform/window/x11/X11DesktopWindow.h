#pragma once

#include "platform/window/MonitorRect.h"
#include "platform/window/x11/X11RootPicture.h"

#include <chrono>
#include <memory>

// Xlib's own declaration; its header (and its macros) stay out of the engine's headers.
typedef struct _XDisplay Display;

// The live wallpaper's own window where a window manager runs: a desktop window (what
// compositors and window managers keep as the background) over every monitor, below all
// others, on every workspace, out of task bars and pagers, never taking the input focus. It
// lives on a connection of its own and keeps the root window's background picture showing
// what it drew a few seconds ago.
namespace platform
{
class X11DesktopWindow
{
public:
    // Seconds between copies of the drawn frame into the root's background picture.
    static constexpr std::chrono::seconds RootPictureInterval{3};

    // Null without a display or the Xlib calls it needs.
    static std::unique_ptr<X11DesktopWindow> Create(char const* title);
    ~X11DesktopWindow();
    X11DesktopWindow(X11DesktopWindow const&) = delete;
    X11DesktopWindow& operator=(X11DesktopWindow const&) = delete;

    unsigned long GetNativeId() const { return m_window; }
    // Where the window lies on the root, in root pixels.
    MonitorRect const& GetArea() const { return m_area; }
    void SetTitle(char const* title);
    // Moves and sizes the window over `area` (root pixels), as when monitors come or go.
    void Cover(MonitorRect const& area);
    // Below every other window, other programs' desktop windows included.
    void Lower();
    // A frame was shown: the root's picture follows now and then.
    void Presented();

private:
    X11DesktopWindow(Display* display, unsigned long window, MonitorRect const& area);

    Display* m_display;
    unsigned long m_window;
    MonitorRect m_area;
    X11RootPicture m_rootPicture;
    std::chrono::steady_clock::time_point m_nextRootPicture{};
};
} // namespace platform
