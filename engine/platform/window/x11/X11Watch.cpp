#include "platform/window/x11/X11Watch.h"

#include "platform/window/x11/DesktopVisibility.h"
#include "platform/window/x11/X11ErrorTrap.h"
#include "platform/window/x11/X11Library.h"
#include "platform/window/x11/X11MonitorWatch.h"
#include "platform/window/x11/X11Monitors.h"
#include "platform/window/x11/X11PointerPlace.h"

#include <algorithm>

namespace platform
{
X11Watch::X11Watch(X11WatchReports& reports) : m_reports(reports)
{
    // Loaded first, the table outlives the watch that closes its connection at exit.
    GetX11Library();
}

X11Watch::~X11Watch()
{
    Close();
}

bool X11Watch::Watch(HWND window, unsigned long nativeId, bool desktop)
{
    X11Library const& xlib = GetX11Library();
    if (window == nullptr || nativeId == 0 || !xlib.CanWatch()) {
        return false;
    }
    if (m_display == nullptr) {
        m_display = OpenX11Display();
        if (m_display == nullptr) {
            return false;
        }
    }
    XWindowAttributes attributes{};
    bool exists = false;
    {
        X11ErrorTrap const trap(m_display);
        // Select first, then look: a window destroyed in between is seen either way.
        xlib.selectInput(m_display, nativeId, StructureNotifyMask | VisibilityChangeMask);
        exists = xlib.getWindowAttributes(m_display, nativeId, &attributes) != 0;
    }
    if (!exists) {
        if (m_windows.empty()) {
            Close();
        }
        return false;
    }
    Watched watched;
    watched.window = window;
    watched.id = nativeId;
    watched.width = static_cast<unsigned int>(attributes.width);
    watched.height = static_cast<unsigned int>(attributes.height);
    // A window mapped now counts as seen until the server says it is covered.
    watched.mapped = attributes.map_state != IsUnmapped;
    m_windows.push_back(watched);
    if (desktop) {
        m_desktopWindow = window;
        m_desktop = std::make_unique<DesktopVisibility>(m_display);
        m_desktop->SetOwnWindow(nativeId);
        m_desktopCover = WindowCover::Uncovered;
        m_nextDesktopCheck = {};
        X11ErrorTrap const trap(m_display);
        m_monitors = std::make_unique<X11MonitorWatch>(m_display);
    }
    m_reports.Resized(window, watched.width, watched.height);
    return true;
}

void X11Watch::Forget(HWND window)
{
    std::erase_if(m_windows, [&](Watched const& watched) { return watched.window == window; });
    if (window != nullptr && window == m_desktopWindow) {
        m_desktopWindow = nullptr;
        m_desktop.reset();
        m_monitors.reset();
        m_desktopCover = WindowCover::Uncovered;
    }
    if (m_windows.empty()) {
        Close();
    }
}

void X11Watch::Close()
{
    m_windows.clear();
    m_desktopWindow = nullptr;
    m_desktop.reset();
    m_monitors.reset();
    if (m_display != nullptr) {
        GetX11Library().closeDisplay(m_display);
        m_display = nullptr;
    }
}

void X11Watch::Poll()
{
    if (m_display == nullptr) {
        return;
    }
    X11Library const& xlib = GetX11Library();
    while (xlib.pending(m_display) > 0) {
        XEvent event{};
        xlib.nextEvent(m_display, &event);
        Apply(event);
    }
    if (m_desktop != nullptr) {
        CheckDesktop();
    }
    if (m_monitors != nullptr && m_monitors->Poll()) {
        m_reports.MonitorsChanged(m_desktopWindow);
    }
    ReportCovers();
}

void X11Watch::Apply(XEvent const& event)
{
    for (Watched& watched : m_windows) {
        switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.window == watched.id) {
                auto const width = static_cast<unsigned int>(event.xconfigure.width);
                auto const height = static_cast<unsigned int>(event.xconfigure.height);
                if (width != watched.width || height != watched.height) {
                    watched.width = width;
                    watched.height = height;
                    m_reports.Resized(watched.window, width, height);
                }
            }
            break;
        case VisibilityNotify:
            if (event.xvisibility.window == watched.id) {
                watched.obscured = event.xvisibility.state == VisibilityFullyObscured;
            }
            break;
        case MapNotify:
            if (event.xmap.window == watched.id) {
                watched.mapped = true;
            }
            break;
        case UnmapNotify:
            if (event.xunmap.window == watched.id) {
                watched.mapped = false;
            }
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == watched.id && !watched.destroyed) {
                watched.destroyed = true;
                m_reports.Destroyed(watched.window);
            }
            break;
        default:
            break;
        }
    }
}

void X11Watch::CheckDesktop()
{
    auto const now = std::chrono::steady_clock::now();
    if (now < m_nextDesktopCheck) {
        return;
    }
    m_nextDesktopCheck = now + DesktopCheckInterval;
    m_desktopCover = m_desktop->FindCover();
}

WindowCover X11Watch::FindCover(Watched const& watched) const
{
    if (watched.destroyed || !watched.mapped) {
        return WindowCover::Hidden;
    }
    // What hides the whole desktop comes first: another program's desktop window over the
    // wallpaper's also leaves it fully covered.
    if (IsDesktop(watched) && m_desktopCover != WindowCover::Uncovered) {
        return m_desktopCover;
    }
    return watched.obscured ? WindowCover::Obscured : WindowCover::Uncovered;
}

void X11Watch::ReportCovers()
{
    for (Watched& watched : m_windows) {
        WindowCover const cover = FindCover(watched);
        if (cover != watched.reported) {
            watched.reported = cover;
            m_reports.Covered(watched.window, cover);
        }
    }
}

std::vector<MonitorRect> X11Watch::GetMonitors() const
{
    return m_monitors != nullptr ? m_monitors->GetMonitors() : std::vector<MonitorRect>{};
}

std::vector<MonitorRect> X11Watch::ReadWindowMonitors(unsigned long nativeId)
{
    std::vector<MonitorRect> monitors;
    if (m_display == nullptr || nativeId == 0) {
        return monitors;
    }
    X11Library const& xlib = GetX11Library();
    X11ErrorTrap const trap(m_display);
    XWindowAttributes attributes{};
    int left = 0;
    int top = 0;
    Window child = 0;
    if (xlib.getWindowAttributes(m_display, nativeId, &attributes) == 0 ||
        !xlib.translateCoordinates(m_display, nativeId, xlib.defaultRootWindow(m_display), 0, 0, &left, &top,
                                   &child) ||
        attributes.width <= 0 || attributes.height <= 0) {
        return monitors;
    }
    return ClipMonitorsTo(ReadX11Monitors(m_display),
                          MonitorRect{left, top, attributes.width, attributes.height});
}

bool X11Watch::IsPointerOnTop(unsigned long nativeId) const
{
    return X11PointerPlace(m_display).IsOver(nativeId);
}
} // namespace platform
