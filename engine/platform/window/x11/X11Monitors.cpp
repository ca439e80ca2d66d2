#include "platform/window/x11/X11Monitors.h"

#include "platform/window/x11/X11Library.h"

#include <algorithm>

namespace platform
{
namespace
{
void ReadRandRMonitors(Display* display, std::vector<MonitorRect>& monitors)
{
    X11Library const& watch = GetX11Library();
    if (!watch.HasMonitors()) {
        return;
    }
    int count = 0;
    if (XRRMonitorInfo* list =
            watch.getMonitors(display, GetX11Library().defaultRootWindow(display), True, &count)) {
        for (int i = 0; i < count; ++i) {
            monitors.push_back({list[i].x, list[i].y, list[i].width, list[i].height});
        }
        watch.freeMonitors(list);
    }
}

void ReadXineramaScreens(Display* display, std::vector<MonitorRect>& monitors)
{
    X11Library const& watch = GetX11Library();
    if (!watch.HasXinerama() || !watch.xineramaIsActive(display)) {
        return;
    }
    int count = 0;
    if (XineramaScreenInfo* screens = watch.xineramaQueryScreens(display, &count)) {
        for (int i = 0; i < count; ++i) {
            monitors.push_back({screens[i].x_org, screens[i].y_org, screens[i].width, screens[i].height});
        }
        GetX11Library().free(screens);
    }
}
} // namespace

std::vector<MonitorRect> ReadX11Monitors(Display* display)
{
    std::vector<MonitorRect> monitors;
    ReadX11Monitors(display, monitors);
    return monitors;
}

void ReadX11Monitors(Display* display, std::vector<MonitorRect>& monitors)
{
    monitors.clear();
    ReadRandRMonitors(display, monitors);
    if (monitors.empty()) {
        ReadXineramaScreens(display, monitors);
    }
    auto const empty = [](MonitorRect const& monitor) { return monitor.width <= 0 || monitor.height <= 0; };
    monitors.erase(std::remove_if(monitors.begin(), monitors.end(), empty), monitors.end());
    if (monitors.empty()) {
        X11Library const& xlib = GetX11Library();
        XWindowAttributes root{};
        if (xlib.getWindowAttributes(display, xlib.defaultRootWindow(display), &root) != 0) {
            monitors.push_back({0, 0, root.width, root.height});
        }
    }
}

MonitorRect GetBoundingRect(std::vector<MonitorRect> const& monitors)
{
    if (monitors.empty()) {
        return {};
    }
    int left = monitors.front().x;
    int top = monitors.front().y;
    int right = left + monitors.front().width;
    int bottom = top + monitors.front().height;
    for (MonitorRect const& monitor : monitors) {
        left = std::min(left, monitor.x);
        top = std::min(top, monitor.y);
        right = std::max(right, monitor.x + monitor.width);
        bottom = std::max(bottom, monitor.y + monitor.height);
    }
    return {left, top, right - left, bottom - top};
}

std::vector<MonitorRect> ClipMonitorsTo(std::vector<MonitorRect> const& monitors, MonitorRect const& area)
{
    std::vector<MonitorRect> clipped;
    for (MonitorRect const& monitor : monitors) {
        int const left = std::max(monitor.x, area.x);
        int const top = std::max(monitor.y, area.y);
        int const right = std::min(monitor.x + monitor.width, area.x + area.width);
        int const bottom = std::min(monitor.y + monitor.height, area.y + area.height);
        if (right > left && bottom > top) {
            clipped.push_back({left - area.x, top - area.y, right - left, bottom - top});
        }
    }
    return clipped;
}
} // namespace platform
