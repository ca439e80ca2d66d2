#pragma once

#include "platform/window/MonitorRect.h"

#include <vector>

// Xlib's own declaration; its header (and its macros) stay out of the engine's headers.
typedef struct _XDisplay Display;

// The monitors of an X screen, in root window pixels: RandR's monitor list, else Xinerama's
// screens, else the whole root window.
namespace platform
{
std::vector<MonitorRect> ReadX11Monitors(Display* display);
// The same into `monitors`, whose storage is reused.
void ReadX11Monitors(Display* display, std::vector<MonitorRect>& monitors);

// The smallest rectangle holding every monitor (empty for none).
MonitorRect GetBoundingRect(std::vector<MonitorRect> const& monitors);

// The monitors' parts inside `area` (root pixels), moved to the area's own origin; monitors
// outside it are left out.
std::vector<MonitorRect> ClipMonitorsTo(std::vector<MonitorRect> const& monitors, MonitorRect const& area);
} // namespace platform
