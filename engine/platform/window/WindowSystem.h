#pragma once

// The window system the program draws on: X11 (also through Xwayland) or Wayland.
namespace platform
{
enum class WindowSystem
{
    X11,
    Wayland,
};

// What the command line asks for (--x11, --wayland), or nothing.
enum class WindowSystemRequest
{
    Automatic,
    X11,
    Wayland,
};

// A forced choice wins; otherwise a Wayland session (WAYLAND_DISPLAY set and not empty)
// means Wayland, anything else X11. `waylandDisplay` is the variable's value, null when unset.
WindowSystem ChooseWindowSystem(WindowSystemRequest request, char const* waylandDisplay);

// The name used in messages: "X11" or "Wayland".
char const* GetWindowSystemName(WindowSystem system);

// The window system every later window, event and device call goes to (X11 until set).
void SetActiveWindowSystem(WindowSystem system);
WindowSystem GetActiveWindowSystem();
} // namespace platform
