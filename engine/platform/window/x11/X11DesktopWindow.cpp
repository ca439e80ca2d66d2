#include "platform/window/x11/X11DesktopWindow.h"

#include "platform/window/x11/X11ErrorTrap.h"
#include "platform/window/x11/X11Library.h"
#include "platform/window/x11/X11Monitors.h"

#include <X11/Xatom.h>

#include <array>

namespace platform
{
namespace
{
// _NET_WM_DESKTOP's value for a window shown on every workspace.
constexpr unsigned long AllWorkspaces = 0xFFFFFFFFUL;
constexpr char const* ResourceName = "coralume";
constexpr char const* ResourceClass = "Coralume";

Atom Intern(Display* display, char const* name)
{
    return GetX11Library().internAtom(display, name, False);
}

void SetLongs(Display* display, Window window, char const* property, Atom type, unsigned long const* values,
              int count)
{
    GetX11Library().changeProperty(display, window, Intern(display, property), type, 32, PropModeReplace,
                                   reinterpret_cast<unsigned char const*>(values), count);
}

// The conventions a window manager reads when the window is mapped.
void DescribeAsDesktop(Display* display, Window window, char const* title)
{
    X11Library const& watch = GetX11Library();
    watch.storeName(display, window, title);
    XClassHint classHint{const_cast<char*>(ResourceName), const_cast<char*>(ResourceClass)};
    watch.setClassHint(display, window, &classHint);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = False;
    hints.initial_state = NormalState;
    watch.setWMHints(display, window, &hints);

    unsigned long const type = Intern(display, "_NET_WM_WINDOW_TYPE_DESKTOP");
    SetLongs(display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM, &type, 1);
    std::array<unsigned long, 4> const states{
        Intern(display, "_NET_WM_STATE_BELOW"), Intern(display, "_NET_WM_STATE_STICKY"),
        Intern(display, "_NET_WM_STATE_SKIP_TASKBAR"), Intern(display, "_NET_WM_STATE_SKIP_PAGER")};
    SetLongs(display, window, "_NET_WM_STATE", XA_ATOM, states.data(), static_cast<int>(states.size()));
    SetLongs(display, window, "_NET_WM_DESKTOP", XA_CARDINAL, &AllWorkspaces, 1);
}
} // namespace

std::unique_ptr<X11DesktopWindow> X11DesktopWindow::Create(char const* title)
{
    X11Library const& watch = GetX11Library();
    if (!watch.CanKeepDesktopWindows()) {
        return nullptr;
    }
    Display* display = OpenX11Display();
    if (display == nullptr) {
        return nullptr;
    }
    X11Library const& xlib = GetX11Library();
    MonitorRect const area = GetBoundingRect(ReadX11Monitors(display));
    Window window = 0;
    {
        X11ErrorTrap const trap(display);
        XSetWindowAttributes attributes{};
        attributes.background_pixel = 0;
        window =
            watch.createWindow(display, xlib.defaultRootWindow(display), area.x, area.y,
                               static_cast<unsigned int>(area.width), static_cast<unsigned int>(area.height),
                               0, CopyFromParent, InputOutput, CopyFromParent, CWBackPixel, &attributes);
        if (window != 0) {
            DescribeAsDesktop(display, window, title != nullptr ? title : "");
            watch.mapWindow(display, window);
            watch.lowerWindow(display, window);
        }
    }
    if (window == 0 || area.width <= 0 || area.height <= 0) {
        xlib.closeDisplay(display);
        return nullptr;
    }
    return std::unique_ptr<X11DesktopWindow>(new X11DesktopWindow(display, window, area));
}

X11DesktopWindow::X11DesktopWindow(Display* display, unsigned long window, MonitorRect const& area)
    : m_display(display), m_window(window), m_area(area)
{}

X11DesktopWindow::~X11DesktopWindow()
{
    m_rootPicture.GiveUp();
    {
        X11ErrorTrap const trap(m_display);
        GetX11Library().destroyWindow(m_display, m_window);
    }
    GetX11Library().closeDisplay(m_display);
}

void X11DesktopWindow::SetTitle(char const* title)
{
    X11ErrorTrap const trap(m_display);
    GetX11Library().storeName(m_display, m_window, title != nullptr ? title : "");
}

void X11DesktopWindow::Cover(MonitorRect const& area)
{
    if (area.width <= 0 || area.height <= 0 ||
        (area.x == m_area.x && area.y == m_area.y && area.width == m_area.width &&
         area.height == m_area.height)) {
        return;
    }
    m_area = area;
    X11ErrorTrap const trap(m_display);
    GetX11Library().moveResizeWindow(m_display, m_window, area.x, area.y,
                                     static_cast<unsigned int>(area.width),
                                     static_cast<unsigned int>(area.height));
    GetX11Library().lowerWindow(m_display, m_window);
}

void X11DesktopWindow::Lower()
{
    X11ErrorTrap const trap(m_display);
    GetX11Library().lowerWindow(m_display, m_window);
}

void X11DesktopWindow::Presented()
{
    auto const now = std::chrono::steady_clock::now();
    if (now < m_nextRootPicture) {
        return;
    }
    m_nextRootPicture = now + RootPictureInterval;
    m_rootPicture.ShowWindow(m_display, m_window, m_area);
}
} // namespace platform
