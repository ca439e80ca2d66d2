#pragma once

namespace platform
{
// Whether a window manager runs on the X display: one that follows the desktop conventions names
// its check window on the root window and, again, on that window itself. False without an X
// display or without the Xlib calls to ask.
bool IsWindowManagerRunning();

// Whether the running window manager lists the hint `name` (such as
// "_NET_WM_FULLSCREEN_MONITORS") among those it supports; false without one.
bool DoesWindowManagerSupport(char const* name);
} // namespace platform
