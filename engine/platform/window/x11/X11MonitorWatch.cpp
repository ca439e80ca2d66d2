#include "platform/window/x11/X11MonitorWatch.h"

#include "platform/window/x11/X11ErrorTrap.h"
#include "platform/window/x11/X11Library.h"
#include "platform/window/x11/X11Monitors.h"

#include <algorithm>

namespace platform
{
namespace
{
bool SameMonitors(std::vector<MonitorRect> const& a, std::vector<MonitorRect> const& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](MonitorRect const& x, MonitorRect const& y) {
        return x.x == y.x && x.y == y.y && x.width == y.width && x.height == y.height;
    });
}
} // namespace

X11MonitorWatch::X11MonitorWatch(Display* display)
    : m_display(display), m_monitors(ReadX11Monitors(display)),
      m_nextCheck(std::chrono::steady_clock::now() + CheckInterval)
{}

bool X11MonitorWatch::Poll()
{
    auto const now = std::chrono::steady_clock::now();
    if (now < m_nextCheck) {
        return false;
    }
    m_nextCheck = now + CheckInterval;
    {
        X11ErrorTrap const trap(m_display);
        ReadX11Monitors(m_display, m_reading);
    }
    if (m_reading.empty() || SameMonitors(m_reading, m_monitors)) {
        return false;
    }
    m_monitors.swap(m_reading);
    return true;
}
} // namespace platform
