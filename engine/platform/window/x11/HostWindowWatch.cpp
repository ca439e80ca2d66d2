#include "platform/window/x11/HostWindowWatch.h"

#include "platform/window/x11/X11Library.h"

#include <atomic>

namespace platform
{
namespace
{
std::atomic<unsigned long> g_x11Errors{0};

int CountX11Error(Display*, XErrorEvent*)
{
    g_x11Errors.fetch_add(1, std::memory_order_relaxed);
    return 0;
}
} // namespace

void InstallX11ErrorHandler()
{
    X11Library const& xlib = GetX11Library();
    if (xlib.setErrorHandler != nullptr) {
        xlib.setErrorHandler(&CountX11Error);
    }
}

unsigned long GetX11ErrorCount()
{
    return g_x11Errors.load(std::memory_order_relaxed);
}

HostWindowWatch::~HostWindowWatch()
{
    Stop();
}

bool HostWindowWatch::Start(unsigned long nativeWindowId)
{
    Stop();
    m_destroyed = false;
    if (nativeWindowId == 0) {
        return false;
    }
    Display* display = OpenX11Display();
    if (display == nullptr) {
        return false;
    }
    X11Library const& xlib = GetX11Library();
    // Select first, then look: a window destroyed in between is seen either way.
    xlib.selectInput(display, nativeWindowId, StructureNotifyMask);
    XWindowAttributes attributes;
    if (xlib.getWindowAttributes(display, nativeWindowId, &attributes) == 0) {
        xlib.closeDisplay(display);
        return false;
    }
    m_display = display;
    m_window = nativeWindowId;
    m_width = static_cast<unsigned int>(attributes.width);
    m_height = static_cast<unsigned int>(attributes.height);
    return true;
}

void HostWindowWatch::Stop()
{
    if (m_display != nullptr) {
        GetX11Library().closeDisplay(m_display);
        m_display = nullptr;
    }
    m_window = 0;
}

void HostWindowWatch::Poll()
{
    if (m_display == nullptr) {
        return;
    }
    X11Library const& xlib = GetX11Library();
    while (xlib.pending(m_display) > 0) {
        XEvent event;
        xlib.nextEvent(m_display, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == m_window) {
            m_destroyed = true;
        } else if (event.type == ConfigureNotify && event.xconfigure.window == m_window) {
            m_width = static_cast<unsigned int>(event.xconfigure.width);
            m_height = static_cast<unsigned int>(event.xconfigure.height);
        }
    }
}
} // namespace platform
