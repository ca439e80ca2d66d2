#include "platform/window/x11/WindowVisibilityWatch.h"

#include "platform/window/x11/X11Library.h"

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
    X11Library const& xlib = GetX11Library();
    if (nativeWindowId == 0 || !xlib.IsUsable()) {
        return false;
    }
    m_display = OpenX11Display();
    if (m_display == nullptr) {
        return false;
    }
    XErrorHandler const previous = xlib.setErrorHandler(&IgnoreError);
    m_window = nativeWindowId;
    xlib.selectInput(m_display, m_window, VisibilityChangeMask | StructureNotifyMask);
    XWindowAttributes attributes{};
    bool const exists = xlib.getWindowAttributes(m_display, m_window, &attributes) != 0;
    xlib.sync(m_display, False);
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
    X11Library const& xlib = GetX11Library();
    while (xlib.pending(m_display) > 0) {
        XEvent event{};
        xlib.nextEvent(m_display, &event);
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
