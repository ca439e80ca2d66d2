#pragma once

// Xlib's own declaration; its header (and its macros) stay out of the engine's headers.
typedef struct _XDisplay Display;

namespace platform
{
// Whether a window manager runs on the X display: one that follows the desktop conventions names
// its check window on the root window and, again, on that window itself. False without an X
// display or without the Xlib calls to ask.
bool IsWindowManagerRunning();
// The same question asked over a connection already open.
bool IsWindowManagerRunningOn(Display* display);

// Whether the running window manager lists the hint `name` (such as
// "_NET_WM_FULLSCREEN_MONITORS") among those it supports; false without one.
bool DoesWindowManagerSupport(char const* name);
} // namespace platform
