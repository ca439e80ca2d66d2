#pragma once

namespace platform
{
// Whether a window manager runs on the X display: one that follows the desktop conventions names
// its check window on the root window and, again, on that window itself. False without an X
// display or without the Xlib calls to ask.
bool IsWindowManagerRunning();
} // namespace platform
