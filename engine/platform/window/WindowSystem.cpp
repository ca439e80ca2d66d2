#include "platform/window/WindowSystem.h"

namespace platform
{
namespace
{
WindowSystem g_activeWindowSystem = WindowSystem::X11;
} // namespace

WindowSystem ChooseWindowSystem(WindowSystemRequest request, char const* waylandDisplay)
{
    switch (request) {
    case WindowSystemRequest::X11:
        return WindowSystem::X11;
    case WindowSystemRequest::Wayland:
        return WindowSystem::Wayland;
    case WindowSystemRequest::Automatic:
        break;
    }
    bool const waylandSession = waylandDisplay != nullptr && waylandDisplay[0] != '\0';
    return waylandSession ? WindowSystem::Wayland : WindowSystem::X11;
}

char const* GetWindowSystemName(WindowSystem system)
{
    return system == WindowSystem::Wayland ? "Wayland" : "X11";
}

void SetActiveWindowSystem(WindowSystem system)
{
    g_activeWindowSystem = system;
}

WindowSystem GetActiveWindowSystem()
{
    return g_activeWindowSystem;
}
} // namespace platform
