#pragma once

#include "platform/window/MonitorRect.h"

#include <chrono>
#include <vector>

// Xlib's own declaration; its header (and its macros) stay out of the engine's headers.
typedef struct _XDisplay Display;

// Notices monitors coming, going or moving on the X screen by reading their list now and then
// over a connection the caller keeps open: a monitor only described to RandR sends no event.
namespace platform
{
class X11MonitorWatch
{
public:
    // Time between two readings of the monitor list.
    static constexpr std::chrono::milliseconds CheckInterval{1000};

    explicit X11MonitorWatch(Display* display);
    X11MonitorWatch(X11MonitorWatch const&) = delete;
    X11MonitorWatch& operator=(X11MonitorWatch const&) = delete;

    // True when the monitors read now differ from the last reading; reads at most once per
    // interval.
    bool Poll();
    // The monitors as last read, in root pixels.
    std::vector<MonitorRect> const& GetMonitors() const { return m_monitors; }

private:
    Display* m_display;
    std::vector<MonitorRect> m_monitors;
    std::vector<MonitorRect> m_reading; // the latest reading, kept for its storage
    std::chrono::steady_clock::time_point m_nextCheck;
};
} // namespace platform
