#include "platform/window/x11/DesktopVisibility.h"

#include "platform/window/x11/X11ErrorTrap.h"
#include "platform/window/x11/X11Library.h"
#include "platform/window/x11/X11Monitors.h"

#include <X11/Xatom.h>
#include <X11/extensions/dpmsconst.h>

#include <algorithm>
#include <type_traits>

static_assert(std::is_same_v<Atom, unsigned long> && std::is_same_v<Window, unsigned long>,
              "the header keeps X ids as unsigned longs");

namespace platform
{
namespace
{
constexpr long LongestPropertyRead = 4096;
} // namespace

DesktopVisibility::DesktopVisibility(Display* display)
{
    X11Library const& watch = GetX11Library();
    if (display == nullptr || !watch.CanWatch()) {
        return;
    }
    m_display = display;
    m_root = GetX11Library().defaultRootWindow(m_display);
    int eventBase = 0;
    int errorBase = 0;
    m_hasPowerSaving = watch.HasPowerSaving() && watch.dpmsQueryExtension(m_display, &eventBase, &errorBase);
    m_hasScreenSaverInfo =
        watch.HasScreenSaverInfo() && watch.screenSaverQueryExtension(m_display, &eventBase, &errorBase);
    m_clientList = Intern("_NET_CLIENT_LIST");
    m_windowState = Intern("_NET_WM_STATE");
    m_fullScreen = Intern("_NET_WM_STATE_FULLSCREEN");
    m_maximisedVertically = Intern("_NET_WM_STATE_MAXIMIZED_VERT");
    m_maximisedHorizontally = Intern("_NET_WM_STATE_MAXIMIZED_HORZ");
    m_hidden = Intern("_NET_WM_STATE_HIDDEN");
    m_windowType = Intern("_NET_WM_WINDOW_TYPE");
    m_desktopType = Intern("_NET_WM_WINDOW_TYPE_DESKTOP");
    m_screenSaverStatus = Intern("_SCREENSAVER_STATUS");
}

unsigned long DesktopVisibility::Intern(char const* name)
{
    return GetX11Library().internAtom(m_display, name, False);
}

WindowCover DesktopVisibility::FindCover()
{
    if (m_display == nullptr) {
        return WindowCover::Uncovered;
    }
    // Windows may vanish between listing and asking; the errors that causes are expected.
    X11ErrorTrap const trap(m_display);
    if (IsPowerSaving()) {
        return WindowCover::PowerSaving;
    }
    if (IsScreenSaverActive()) {
        return WindowCover::ScreenSaver;
    }
    if (AreMonitorsCovered([&](Window window) { return !IsDesktopWindow(window); })) {
        return WindowCover::Windows;
    }
    if (AreMonitorsCovered([&](Window window) { return window != m_ownWindow && IsDesktopWindow(window); })) {
        return WindowCover::IconDesktop;
    }
    return WindowCover::Uncovered;
}

bool DesktopVisibility::IsPowerSaving()
{
    if (!m_hasPowerSaving) {
        return false;
    }
    unsigned short level = DPMSModeOn;
    unsigned char enabled = 0;
    return GetX11Library().dpmsInfo(m_display, &level, &enabled) != 0 && enabled != 0 && level != DPMSModeOn;
}

bool DesktopVisibility::IsScreenSaverActive()
{
    X11Library const& watch = GetX11Library();
    if (m_hasScreenSaverInfo) {
        XScreenSaverInfo info{};
        if (watch.screenSaverQueryInfo(m_display, m_root, &info) != 0 && info.state == ScreenSaverOn) {
            return true;
        }
    }
    // A screen-saver daemon of its own announces itself on the root: the first number is
    // non-zero (its blank or lock atom) while it shows.
    return ReadFirstPropertyItem(m_display, m_root, m_screenSaverStatus, XA_INTEGER).value_or(0) != 0;
}

std::vector<unsigned long> DesktopVisibility::ReadAtoms(unsigned long window, unsigned long property)
{
    X11Library const& watch = GetX11Library();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<Atom> atoms;
    if (watch.getWindowProperty(m_display, window, property, 0, LongestPropertyRead, False, AnyPropertyType,
                                &type, &format, &count, &remaining, &data) == Success &&
        data != nullptr && format == 32) {
        // Format 32 properties arrive as longs.
        unsigned long const* values = reinterpret_cast<unsigned long const*>(data);
        atoms.assign(values, values + count);
    }
    if (data != nullptr) {
        GetX11Library().free(data);
    }
    return atoms;
}

std::vector<unsigned long> DesktopVisibility::ListTopWindows()
{
    // The window manager's client list when there is one; without a window manager the
    // root's own children are the top-level windows.
    std::vector<Atom> const clients = ReadAtoms(m_root, m_clientList);
    if (!clients.empty()) {
        return std::vector<Window>(clients.begin(), clients.end());
    }
    Window rootReturn = 0;
    Window parentReturn = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> windows;
    if (GetX11Library().queryTree(m_display, m_root, &rootReturn, &parentReturn, &children, &count) != 0) {
        windows.assign(children, children + count);
    }
    if (children != nullptr) {
        GetX11Library().free(children);
    }
    return windows;
}

bool DesktopVisibility::IsDesktopWindow(unsigned long window)
{
    std::vector<Atom> const types = ReadAtoms(window, m_windowType);
    return std::find(types.begin(), types.end(), m_desktopType) != types.end();
}

bool DesktopVisibility::CoversMonitor(unsigned long window, MonitorRect const& monitor)
{
    X11Library const& watch = GetX11Library();
    XWindowAttributes attributes{};
    if (GetX11Library().getWindowAttributes(m_display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable || attributes.c_class != InputOutput) {
        return false;
    }
    int left = 0;
    int top = 0;
    Window child = 0;
    if (!watch.translateCoordinates(m_display, window, m_root, 0, 0, &left, &top, &child)) {
        return false;
    }
    int const right = left + attributes.width;
    int const bottom = top + attributes.height;
    bool const containsMonitor = left <= monitor.x && top <= monitor.y &&
                                 right >= monitor.x + monitor.width && bottom >= monitor.y + monitor.height;
    if (containsMonitor) {
        return true;
    }
    // A full-screen or maximised window covers the monitor its centre lies on (a maximised
    // window leaves only the panels free).
    std::vector<Atom> const states = ReadAtoms(window, m_windowState);
    auto const has = [&](Atom state) {
        return std::find(states.begin(), states.end(), state) != states.end();
    };
    if (has(m_hidden)) {
        return false;
    }
    bool const maximised = has(m_maximisedVertically) && has(m_maximisedHorizontally);
    if (!has(m_fullScreen) && !maximised) {
        return false;
    }
    int const centreX = left + attributes.width / 2;
    int const centreY = top + attributes.height / 2;
    return centreX >= monitor.x && centreX < monitor.x + monitor.width && centreY >= monitor.y &&
           centreY < monitor.y + monitor.height;
}

template <typename Counts> bool DesktopVisibility::AreMonitorsCovered(Counts counts)
{
    std::vector<MonitorRect> const monitors = ReadX11Monitors(m_display);
    if (monitors.empty()) {
        return false;
    }
    std::vector<Window> windows = ListTopWindows();
    windows.erase(
        std::remove_if(windows.begin(), windows.end(), [&](Window window) { return !counts(window); }),
        windows.end());
    return std::all_of(monitors.begin(), monitors.end(), [&](MonitorRect const& monitor) {
        return std::any_of(windows.begin(), windows.end(),
                           [&](Window window) { return CoversMonitor(window, monitor); });
    });
}
} // namespace platform
