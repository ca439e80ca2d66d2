#include "platform/WindowVisibilityWatch.h"

#include "platform/X11Library.h"
#include "platform/X11WatchLibrary.h"

namespace platform
{
namespace
{
int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}
} // namespace

WindowVisibilityWatch::~WindowVisibilityWatch()
{
    Stop();
}

bool WindowVisibilityWatch::Watch(unsigned long nativeWindowId)
{
    Stop();
    X11WatchLibrary const& watch = GetX11WatchLibrary();
    if (nativeWindowId == 0 || !watch.IsUsable()) {
        return false;
    }
    m_display = OpenX11Display();
    if (m_display == nullptr) {
        return false;
    }
    X11Library const& xlib = GetX11Library();
    XErrorHandler const previous = xlib.setErrorHandler(&IgnoreError);
    m_window = nativeWindowId;
    watch.selectInput(m_display, m_window, VisibilityChangeMask | StructureNotifyMask);
    XWindowAttributes attributes{};
    bool const exists = watch.getWindowAttributes(m_display, m_window, &attributes) != 0;
    watch.sync(m_display, False);
    xlib.setErrorHandler(previous);
    if (!exists) {
        Stop();
        return false;
    }
    // A window mapped now counts as seen until the server says it is covered.
    m_mapped = attributes.map_state != IsUnmapped;
    m_obscured = false;
    return true;
}

void WindowVisibilityWatch::Stop()
{
    if (m_display != nullptr) {
        GetX11Library().closeDisplay(m_display);
        m_display = nullptr;
    }
    m_window = 0;
    m_mapped = true;
    m_obscured = false;
}

bool WindowVisibilityWatch::IsShown()
{
    if (m_display == nullptr) {
        return true;
    }
    X11WatchLibrary const& watch = GetX11WatchLibrary();
    while (watch.pending(m_display) > 0) {
        XEvent event{};
        watch.nextEvent(m_display, &event);
        Apply(event);
    }
    return m_mapped && !m_obscured;
}

void WindowVisibilityWatch::Apply(XEvent const& event)
{
    switch (event.type) {
    case VisibilityNotify:
        if (event.xvisibility.window == m_window) {
            m_obscured = event.xvisibility.state == VisibilityFullyObscured;
        }
        break;
    case MapNotify:
        if (event.xmap.window == m_window) {
            m_mapped = true;
        }
        break;
    case UnmapNotify:
        if (event.xunmap.window == m_window) {
            m_mapped = false;
        }
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == m_window) {
            m_mapped = false;
        }
        break;
    default:
        break;
    }
}
} // namespace platform
